#pragma once

#include "sound/MpegAudioSynthesisHistory.h"
#include "sound/MpegAudioTables.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace sound {

inline constexpr std::size_t kMpegAudioFrameSamples = 1152;

struct MpegAudioFrameResult {
    std::size_t frameBytes = 0;   // frame length by its header: L plus the padding bit
    std::size_t outputBytes = 0;  // 2304 (1152 16-bit samples), or 0 when the sync is missing
};

// Decodes one MPEG-2 LSF Layer II frame (header included) of one channel into 1152 samples.
// Every frame is taken as single channel, sblimit 30. Reading is bounded by `frame`: bits a
// corrupt allocation asks for beyond its end read as zeros, and the subband samples from the
// granule where that first happens on are silent. `history` is the channel's synthesis state.
MpegAudioFrameResult MpegAudioDecodeFrame(const MpegAudioTables& tables, std::span<const std::uint8_t> frame,
                                          MpegAudioSynthesisHistory& history,
                                          std::span<std::int16_t, kMpegAudioFrameSamples> output);

}  // namespace sound
