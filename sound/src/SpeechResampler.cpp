#include "sound/SpeechResampler.h"

#include <algorithm>

namespace sound {

namespace {

constexpr int kPhases = 441;        // 22050 / 50
constexpr int kPhaseStep = 160;     // 8000 / 50
constexpr int32_t kLevel = -23036;  // 0xA604 as a signed word
constexpr int32_t kOuterTap = 5000;
constexpr int32_t kInnerTap = 11383;

constexpr auto kWeights = [] {
    std::array<int32_t, kPhases> weights{};
    for (int p = 0; p < kPhases; ++p) {
        weights[p] = (32768 * p + 220) / 441;
    }
    return weights;
}();

}  // namespace

int16_t SpeechResampler::Scale(int16_t sample) {
    const int32_t scaled = (int32_t{sample} * kLevel) >> 15;
    return static_cast<int16_t>(std::clamp(scaled, -32767, 32767));
}

int32_t SpeechResampler::Weight(int phase) { return kWeights[phase]; }

std::size_t SpeechResampler::Process(std::span<const int16_t, kSpeechFrameSamples> input,
                                     std::span<int16_t, kMaxFrameOutput> output) {
    std::size_t written = 0;
    for (const int16_t x : input) {
        const int32_t previous = current_;
        current_ = Scale(x);
        while (phase_ < kPhases) {
            const int32_t a = kWeights[phase_];
            const int32_t value = (a * current_ + (32768 - a) * previous) >> 15;
            const int32_t out = ((interpolated_[0] + interpolated_[1]) * kInnerTap +
                                 (interpolated_[2] + value) * kOuterTap) >> 15;
            // A frame yields at most 662 outputs; the bound only guards the span.
            if (written < output.size()) {
                output[written++] = static_cast<int16_t>(out);
            }
            interpolated_[2] = interpolated_[1];
            interpolated_[1] = interpolated_[0];
            interpolated_[0] = value;
            phase_ += kPhaseStep;
        }
        phase_ -= kPhases;
    }
    return written;
}

}  // namespace sound
