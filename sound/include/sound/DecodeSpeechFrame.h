#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "sound/SpeechDecoderState.h"

namespace sound {

inline constexpr std::size_t kSpeechFrameSamples = 240;  // 30 ms at 8000 Hz

// Decodes one G.723.1 frame (the 6.3 kbit/s mode, silence-description and
// untransmitted frames with comfort noise, frame erasure; post filter on) into
// 240 samples at 8000 Hz. `frame` holds the frame's bytes; bytes beyond its end
// read as zero, so a short frame is never read past. `erasure` marks a frame
// lost in transmission. A 5.3 kbit/s frame (rate bits 1) is not decoded: it
// yields silence and leaves the state untouched.
void DecodeSpeechFrame(SpeechDecoderState& state, std::span<int16_t, kSpeechFrameSamples> output,
                       std::span<const uint8_t> frame, bool erasure);

}  // namespace sound
