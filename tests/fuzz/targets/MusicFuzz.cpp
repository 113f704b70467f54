// Stored music as the mixer plays it: parsed, and every frame (the first 8)
// decoded with the channel's synthesis history.

#include <array>

#include "FuzzSupport.h"
#include "sound/StoredMusic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const sound::MpegAudioTables tables;
    const sound::StoredMusicParseResult parsed = sound::StoredMusic::Parse({data, size});
    if (!parsed.music) return 0;
    const sound::StoredMusic& music = *parsed.music;
    sound::MpegAudioSynthesisHistory history;
    std::array<std::int16_t, sound::kMpegAudioFrameSamples> output;
    std::size_t samples = 0;
    for (std::size_t frame = 0; frame < music.FrameCount() && frame < 8; ++frame) {
        const std::size_t got = music.DecodeFrame(frame, tables, history, output);
        if (got > sound::kMpegAudioFrameSamples || got != music.FrameSamples(frame)) __builtin_trap();
        samples += got;
    }
    if (music.FrameCount() <= 8 && samples != music.SampleCount()) __builtin_trap();
    return 0;
}
