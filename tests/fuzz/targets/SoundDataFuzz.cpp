// Stored sound data as a mixer channel plays it: the header read (RIFF WAVE,
// "XIMA" IMA ADPCM, and the music and speech tags), the slot queued for the
// plays the input picks and taken in pieces of the sizes it picks. A WAVE or
// IMA sound yields exactly the samples its header counts, once per play.

#include <algorithm>
#include <array>
#include <vector>

#include "FuzzSupport.h"
#include "sound/ImaAdpcm.h"
#include "sound/MixerChannel.h"
#include "sound/MpegAudioTables.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SoundDataHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const sound::ImaAdpcmTable ima;
    static const sound::MpegAudioTables music;
    static sound::SharedSpeechDecoder speech;
    const sound::MixerDecoders decoders{&ima, &music, &speech};

    fuzz::Input input(data, size);
    const std::uint32_t plays = 1 + input.Small(3);
    const std::uint32_t piece = 1 + input.Small(3000);
    const std::vector<std::uint8_t> bytes(input.Rest().begin(), input.Rest().end());

    const sound::SoundDataHeader header = sound::SoundDataHeader::Read(bytes);
    if (header.sampleCount > 0 && header.payload.empty()) __builtin_trap();
    if (!header.payload.empty() && (header.payload.data() < bytes.data() ||
                                    header.payload.data() + header.payload.size() > bytes.data() + bytes.size())) {
        __builtin_trap();
    }
    if (header.format == sound::SoundFormat::kPcm && header.payload.size() != header.sampleCount * 2) __builtin_trap();
    if (header.format == sound::SoundFormat::kIma &&
        header.payload.size() * sound::kImaBlockSamples != header.sampleCount * sound::kImaBlockBytes) {
        __builtin_trap();
    }

    sound::SoundSlot slot;
    slot.data = bytes;
    slot.length = static_cast<std::uint32_t>(header.sampleCount);
    slot.playsRemaining = static_cast<std::uint16_t>(plays);
    sound::MixerChannel channel;
    channel.Append(slot);
    // Music and speech decode slowly: a few blocks of them are enough here.
    const bool exact = header.format == sound::SoundFormat::kPcm || header.format == sound::SoundFormat::kIma;
    const std::size_t cap = exact ? 1u << 20 : 4 * sound::MixerChannel::kBlockSamples;
    std::vector<std::int16_t> out(piece);
    std::size_t total = 0;
    for (;;) {
        const std::size_t got = channel.Take(out, decoders);
        if (got > out.size()) __builtin_trap();
        total += got;
        if (got < out.size() || total >= cap) break;
    }
    if (total > header.sampleCount * plays) __builtin_trap();
    if (exact && total < cap && total != header.sampleCount * plays) __builtin_trap();
    channel.Clear();
    if (slot.done == 0) __builtin_trap();
    // The shared decoder outlives this channel: hand its state back, as the
    // mixer's channels, which live as long as the decoder, never need to.
    speech.Release(channel.Speech());
    return 0;
}
