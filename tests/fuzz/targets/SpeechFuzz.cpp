// Stored speech as the mixer plays it: the header read, every frame (the first
// 40) decoded and resampled on two channels that share the decoder.

#include <array>

#include "FuzzSupport.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SpeechData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto speech = sound::SpeechData::Read({data, size});
    if (!speech) return 0;
    if (speech->frames.size() + sound::SpeechData::kHeaderSize > size) __builtin_trap();
    sound::SharedSpeechDecoder decoder;
    sound::SpeechChannel channels[2];
    decoder.StartSound(channels[0]);
    decoder.StartSound(channels[1]);
    std::array<std::int16_t, sound::SpeechResampler::kMaxFrameOutput> block;
    std::size_t position = 0;
    for (int frame = 0; frame < 40; ++frame) {
        const sound::SpeechFrame taken = sound::SpeechFrame::Take(speech->frames, position);
        if (taken.advance == 0) break;
        position += taken.advance;
        if (position > speech->frames.size()) __builtin_trap();
        decoder.DecodeFrame(channels[frame & 1], taken.bytes, block);
    }
    decoder.Release(channels[0]);
    decoder.Release(channels[1]);
    return 0;
}
