#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "sound/DecodeSpeechFrame.h"

namespace sound {

// Per-channel level scaling and 8000 -> 22050 Hz conversion of decoded speech:
// linear interpolation at phase steps of 160/441 followed by a four-tap
// smoothing filter. Integer arithmetic only; the mixer keeps one per channel
// and resets it when a speech sound starts.
class SpeechResampler {
public:
    // Outputs of one 240-sample frame: 661 or 662.
    static constexpr std::size_t kMaxFrameOutput = 662;

    // The decoder's sample at the mixer's level: times -23036 / 32768 (about
    // -0.703, the sign inverted), saturated.
    static int16_t Scale(int16_t sample);

    // Interpolation weight of the newer sample at phase p (0..440).
    static int32_t Weight(int phase);

    void Reset() { *this = SpeechResampler{}; }

    // Scales and resamples one decoded frame; returns how many outputs it wrote.
    std::size_t Process(std::span<const int16_t, kSpeechFrameSamples> input,
                        std::span<int16_t, kMaxFrameOutput> output);

    int Phase() const { return phase_; }

private:
    int phase_ = 0;                           // 0..440; an output every 160, an input every 441
    int16_t current_ = 0;                     // last input sample after scaling
    std::array<int32_t, 3> interpolated_{};   // last three interpolated values, newest first
};

}  // namespace sound
