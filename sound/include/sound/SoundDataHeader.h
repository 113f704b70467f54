#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sound/StoredMusic.h"

namespace sound {

// The mixer's format codes of stored sound data.
enum class SoundFormat : std::uint8_t {
    kNone = 0,
    kPcm = 1,        // RIFF WAVE, 16-bit mono 22050 Hz
    kSpeech = 251,   // "TS": G.723.1 frames
    kMusic = 252,    // "XMP": MPEG-2 LSF Layer II frames
    kIma = 254,      // "XIMA": 34-byte IMA ADPCM blocks
};

// What the header of stored sound data says, with every length bounded by the
// bytes really there. Borrows the data.
struct SoundDataHeader {
    SoundFormat format = SoundFormat::kNone;
    // Samples at 22050 Hz the data yields; 0 when it is not a recognised sound.
    std::size_t sampleCount = 0;
    // The bytes the channel steps through: PCM samples, IMA blocks, music or speech frames.
    std::span<const std::uint8_t> payload;
    // Music only: the parsed stored music (its frames are `payload`, at its stride).
    std::optional<StoredMusic> music;

    // Recognises music ("XMP"), speech ("TS"), IMA ADPCM ("XIMA") and RIFF WAVE whose
    // format chunk gives tag 1, one channel, 22050 Hz and block alignment 2, each compared
    // on its low byte. Anything else gives format kNone and no samples.
    static SoundDataHeader Read(std::span<const std::uint8_t> data);
};

}  // namespace sound
