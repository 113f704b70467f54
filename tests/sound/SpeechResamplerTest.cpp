#include "sound/SpeechResampler.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

using sound::SpeechResampler;
using Input = std::array<int16_t, sound::kSpeechFrameSamples>;
using Output = std::array<int16_t, SpeechResampler::kMaxFrameOutput>;

TEST(SpeechResamplerTest, ScalesByTheMixerLevelWithInvertedSign) {
    struct Case {
        int16_t in;
        int16_t out;
    };
    // (x * -23036) >> 15, rounding towards minus infinity.
    for (const Case c : {Case{0, 0}, Case{1, -1}, Case{-1, 0}, Case{1000, -704}, Case{-1000, 703},
                         Case{32767, -23036}, Case{-32767, 23035}, Case{-32768, 23036}}) {
        EXPECT_EQ(SpeechResampler::Scale(c.in), c.out) << c.in;
    }
}

TEST(SpeechResamplerTest, WeightsFollowThePhaseFormula) {
    EXPECT_EQ(SpeechResampler::Weight(0), 0);
    EXPECT_EQ(SpeechResampler::Weight(160), 11889);  // (32768 * 160 + 220) / 441
    EXPECT_EQ(SpeechResampler::Weight(440), 32694);
    for (int p = 1; p < 441; ++p) {
        EXPECT_GT(SpeechResampler::Weight(p), SpeechResampler::Weight(p - 1));
    }
}

TEST(SpeechResamplerTest, FramesGive661Or662SamplesAndThePhaseRepeatsEveryTwoFrames) {
    SpeechResampler resampler;
    Input input{};
    Output output;
    std::vector<std::size_t> counts;
    for (int frame = 0; frame < 8; ++frame) {
        // Before each input sample the count of its outputs is (600 - phase) / 160.
        std::size_t expected = 0;
        int phase = resampler.Phase();
        for (std::size_t i = 0; i < input.size(); ++i) {
            expected += static_cast<std::size_t>((600 - phase) / 160);
            phase = phase + 160 * ((600 - phase) / 160) - 441;
        }
        counts.push_back(resampler.Process(input, output));
        EXPECT_EQ(counts.back(), expected) << frame;
        EXPECT_EQ(resampler.Phase(), phase);
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{662, 661, 662, 661, 662, 661, 662, 661}));
    EXPECT_EQ(resampler.Phase() % 441, 0);
}

TEST(SpeechResamplerTest, ImpulseResponseStartsAsTheFormulaSays) {
    SpeechResampler resampler;
    Input input{};
    input[0] = 1000;  // scaled to -704
    Output output{};
    ASSERT_EQ(resampler.Process(input, output), 662u);
    // Input 0 yields phases 0, 160, 320: interpolated 0, -256, -511 (rounded
    // down); input 1 phases 39, 199, 359: interpolated -642, -387, -131.
    // out = ((i1 + i2) * 11383 + (i3 + new) * 5000) >> 15.
    const std::array<int16_t, 6> expected = {
        0,                                                       // all zero
        static_cast<int16_t>((-256 * 5000) >> 15),               // -40
        static_cast<int16_t>((-256 * 11383 + -511 * 5000) >> 15),
        static_cast<int16_t>(((-511 - 256) * 11383 + (0 - 642) * 5000) >> 15),
        static_cast<int16_t>(((-642 - 511) * 11383 + (-256 - 387) * 5000) >> 15),
        static_cast<int16_t>(((-387 - 642) * 11383 + (-511 - 131) * 5000) >> 15)};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(output[i], expected[i]) << i;
    }
}

TEST(SpeechResamplerTest, SteadyInputSettlesAtTheScaledLevel) {
    SpeechResampler resampler;
    Input input;
    input.fill(-20000);
    Output output;
    resampler.Process(input, output);
    const std::size_t n = resampler.Process(input, output);
    const int level = SpeechResampler::Scale(-20000);  // 14060
    for (std::size_t i = 0; i < n; ++i) {
        // Taps sum to 32766 / 32768; interpolation of equal values is exact
        // up to rounding.
        EXPECT_NEAR(output[i], level, 3) << i;
    }
    resampler.Reset();
    EXPECT_EQ(resampler.Phase(), 0);
    EXPECT_EQ(resampler.Process(input, output), 662u);
    EXPECT_EQ(output[0], 0) << "a reset resampler starts from silence";
}

}  // namespace
