#include "sound/DecodeSpeechFrame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "SpeechFixtures.h"
#include "sound/SpeechData.h"
#include "sound/SpeechDecoderState.h"
#include "sound/SpeechTables.h"

namespace {

using sound::DecodeSpeechFrame;
using sound::kSpeechFrameSamples;
using sound::SpeechData;
using sound::SpeechDecoderState;
using sound::SpeechFrame;
using Frame = std::array<int16_t, kSpeechFrameSamples>;

// Against ffmpeg's decoder (post filter on). The structure is the reference
// decoder's, so only the -32767 saturation bound may make them differ.
constexpr double kMinSnrDb = 40.0;

std::vector<int16_t> DecodeAll(std::span<const uint8_t> frames, SpeechDecoderState& state) {
    std::vector<int16_t> out;
    Frame frame;
    for (std::size_t position = 0;;) {
        const SpeechFrame taken = SpeechFrame::Take(frames, position);
        if (taken.advance == 0) {
            break;
        }
        position += taken.advance;
        DecodeSpeechFrame(state, frame, taken.bytes, false);
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

class SpeechAccuracyTest : public testing::TestWithParam<std::string> {};

TEST_P(SpeechAccuracyTest, MatchesTheReferenceDecodeBeforeResampling) {
    const std::vector<uint8_t> stored = sound_test::ReadFixture(GetParam() + ".ts");
    const std::vector<int16_t> reference = sound_test::ReadPcmFixture(GetParam() + "-ref.raw");
    ASSERT_FALSE(reference.empty());
    const auto speech = SpeechData::Read(stored);
    ASSERT_TRUE(speech.has_value());

    SpeechDecoderState state = SpeechDecoderState::Reset();
    const std::vector<int16_t> decoded = DecodeAll(speech->frames, state);
    ASSERT_EQ(decoded.size(), reference.size());
    const double snr = sound_test::SnrDb(reference, decoded);
    RecordProperty("snr_db", std::to_string(snr));
    EXPECT_GE(snr, kMinSnrDb);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SpeechAccuracyTest, testing::Values("speech-male", "speech-female"));

uint64_t Fnv1a(std::span<const int16_t> samples) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (const int16_t s : samples) {
        for (const int shift : {0, 8}) {
            hash = (hash ^ ((static_cast<uint16_t>(s) >> shift) & 0xff)) * 0x100000001b3u;
        }
    }
    return hash;
}

// Crafted streams: one sweeps every LSP codebook entry and pitch gain vector,
// the other mixes active frames, silence descriptions and untransmitted frames.
// Only a hash of the reference decode is kept, so these must match exactly.
class SpeechExactTest : public testing::TestWithParam<std::string> {};

TEST_P(SpeechExactTest, DecodesExactlyLikeTheReference) {
    const std::vector<uint8_t> stored = sound_test::ReadFixture(GetParam() + ".ts");
    const std::vector<uint8_t> hashText = sound_test::ReadFixture(GetParam() + "-ref.fnv1a");
    ASSERT_GE(hashText.size(), 16u);
    const uint64_t expected = std::stoull(std::string(hashText.begin(), hashText.begin() + 16), nullptr, 16);
    const auto speech = SpeechData::Read(stored);
    ASSERT_TRUE(speech.has_value());
    SpeechDecoderState state = SpeechDecoderState::Reset();
    const std::vector<int16_t> decoded = DecodeAll(speech->frames, state);
    EXPECT_GT(decoded.size(), 100 * kSpeechFrameSamples);
    EXPECT_EQ(Fnv1a(decoded), expected);
}

INSTANTIATE_TEST_SUITE_P(Crafted, SpeechExactTest, testing::Values("speech-codebooks", "speech-comfort"));

// A silence-description frame: rate/type bits 2, 24 bits of LSP indices, a
// 6-bit gain, packed least significant bit first.
std::array<uint8_t, 4> SidFrame(uint32_t lspIndex, uint32_t gain) {
    const uint32_t bits = 2u | (lspIndex & 0xffffffu) << 2 | (gain & 63u) << 26;
    return {static_cast<uint8_t>(bits), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits >> 16),
            static_cast<uint8_t>(bits >> 24)};
}

std::vector<int16_t> DecodeComfortNoise(uint32_t gain) {
    SpeechDecoderState state = SpeechDecoderState::Reset();
    std::vector<int16_t> out;
    Frame frame;
    const auto sid = SidFrame(0x102030, gain);
    const std::array<uint8_t, 1> untransmitted = {3};
    for (int i = 0; i < 12; ++i) {
        // A description every fourth frame, untransmitted frames between.
        if (i % 4 == 0) {
            DecodeSpeechFrame(state, frame, sid, false);
        } else {
            DecodeSpeechFrame(state, frame, untransmitted, false);
        }
        out.insert(out.end(), frame.begin(), frame.end());
    }
    return out;
}

double Rms(std::span<const int16_t> samples) {
    double sum = 0;
    for (const int16_t s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

TEST(DecodeSpeechFrameTest, SilenceDescriptionsGiveBoundedDeterministicComfortNoise) {
    double previousRms = 0;
    for (const uint32_t gain : {8u, 24u, 40u}) {
        SCOPED_TRACE(gain);
        const std::vector<int16_t> first = DecodeComfortNoise(gain);
        EXPECT_EQ(first, DecodeComfortNoise(gain)) << "comfort noise must not depend on anything but the input";
        ASSERT_EQ(first.size(), 12 * kSpeechFrameSamples);
        // Noise in every frame, never clipping, louder with a larger gain.
        for (std::size_t f = 0; f < 12; ++f) {
            const std::span<const int16_t> frame(first.data() + f * kSpeechFrameSamples, kSpeechFrameSamples);
            EXPECT_GT(Rms(frame), 0.5) << "frame " << f;
        }
        const auto [low, high] = std::minmax_element(first.begin(), first.end());
        EXPECT_GT(*low, -20000);
        EXPECT_LT(*high, 20000);
        const double rms = Rms(first);
        EXPECT_GT(rms, previousRms);
        previousRms = rms;
    }
}

TEST(DecodeSpeechFrameTest, AllZeroFrameDecodesAsTheHighRateMode) {
    SpeechDecoderState state = SpeechDecoderState::Reset();
    state.noise.pastFrameType = 0;  // so that the frame's own type shows
    Frame frame;
    const std::array<uint8_t, 24> zeros{};
    DecodeSpeechFrame(state, frame, zeros, false);
    EXPECT_EQ(state.noise.pastFrameType, 1);
    EXPECT_EQ(state.frame.erasureCount, 0);
    EXPECT_EQ(state.noise.randomSeed, 12345) << "active frames restart the noise generator";
}

// The first frames of a fixture, to put the decoder into voiced speech.
SpeechDecoderState StateAfterSpeech(int frames) {
    const std::vector<uint8_t> stored = sound_test::ReadFixture("speech-male.ts");
    const auto speech = SpeechData::Read(stored);
    SpeechDecoderState state = SpeechDecoderState::Reset();
    if (speech) {
        DecodeAll(speech->frames.first(std::min<std::size_t>(speech->frames.size(), 24u * frames)), state);
    }
    return state;
}

TEST(DecodeSpeechFrameTest, ErasuresAreConcealedThenFadeToSilence) {
    SpeechDecoderState state = StateAfterSpeech(40);
    ASSERT_EQ(state.noise.pastFrameType, 1);
    Frame frame;
    const std::array<uint8_t, 24> ignored{};
    for (int erasure = 1; erasure <= 5; ++erasure) {
        SCOPED_TRACE(erasure);
        DecodeSpeechFrame(state, frame, ignored, true);
        EXPECT_EQ(state.frame.erasureCount, std::min(erasure, 3));
        const bool cleared = std::all_of(state.frame.previousExcitation.begin(),
                                         state.frame.previousExcitation.end(), [](int16_t v) { return v == 0; });
        // Until the third erasure the last period is repeated at falling level
        // (or noise replaces it); from then on the excitation is silence.
        if (erasure >= 3) {
            EXPECT_TRUE(cleared);
        }
    }
    // A good frame ends the concealment.
    const std::vector<uint8_t> stored = sound_test::ReadFixture("speech-male.ts");
    const auto speech = SpeechData::Read(stored);
    ASSERT_TRUE(speech.has_value());
    DecodeSpeechFrame(state, frame, speech->frames.subspan(24 * 41, 24), false);
    EXPECT_EQ(state.frame.erasureCount, 0);
}

TEST(DecodeSpeechFrameTest, ErasureDuringSilenceKeepsTheComfortNoiseGoing) {
    SpeechDecoderState state = SpeechDecoderState::Reset();
    Frame frame;
    const auto sid = SidFrame(0x102030, 30);
    DecodeSpeechFrame(state, frame, sid, false);
    ASSERT_EQ(state.noise.pastFrameType, 2);
    DecodeSpeechFrame(state, frame, sid, true);
    EXPECT_EQ(state.noise.pastFrameType, 0) << "an erased frame in silence counts as untransmitted";
    EXPECT_GT(Rms(frame), 0.5);
}

// Speech followed directly by untransmitted frames: the first silence
// description was lost, so the noise level is estimated from the last active
// frame's excitation energy and quantised like a transmitted one.
TEST(DecodeSpeechFrameTest, LostFirstDescriptionTakesTheNoiseLevelFromTheSpeech) {
    const std::array<uint8_t, 1> untransmitted = {3};
    std::vector<int16_t> runs[2];
    for (auto& run : runs) {
        SpeechDecoderState state = StateAfterSpeech(40);
        Frame frame;
        for (int i = 0; i < 6; ++i) {
            DecodeSpeechFrame(state, frame, untransmitted, false);
            EXPECT_GT(Rms(frame), 0.5) << i;
            run.insert(run.end(), frame.begin(), frame.end());
        }
        // A decoded silence gain: (level << segment width) + segment base, times 32.
        EXPECT_EQ(state.noise.sidGain % 32, 0);
        EXPECT_GT(state.noise.sidGain, 0);
        EXPECT_LE(state.noise.sidGain, (15 * 8 + 96) * 32);
        EXPECT_EQ(state.noise.pastFrameType, 0);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

TEST(DecodeSpeechFrameTest, ForbiddenPitchCodeCountsAsErasure) {
    SpeechDecoderState state = StateAfterSpeech(20);
    Frame frame;
    std::array<uint8_t, 24> bytes{};
    // Lag code 127 (bits 26..32): above the highest allowed, 123.
    bytes[3] = 0xfc;
    bytes[4] = 0x01;
    DecodeSpeechFrame(state, frame, bytes, false);
    EXPECT_EQ(state.frame.erasureCount, 1);
}

TEST(DecodeSpeechFrameTest, LowRateFrameGivesSilenceAndLeavesTheStateAlone) {
    const SpeechDecoderState before = StateAfterSpeech(20);
    SpeechDecoderState state = before;
    Frame frame;
    frame.fill(1234);
    std::array<uint8_t, 24> bytes;
    bytes.fill(0x5d);  // rate bits 01
    DecodeSpeechFrame(state, frame, bytes, false);
    EXPECT_TRUE(std::all_of(frame.begin(), frame.end(), [](int16_t v) { return v == 0; }));
    EXPECT_EQ(state, before);
}

TEST(DecodeSpeechFrameTest, ShortFramesReadAsZeroPadded) {
    const std::vector<uint8_t> stored = sound_test::ReadFixture("speech-male.ts");
    const auto speech = SpeechData::Read(stored);
    ASSERT_TRUE(speech.has_value());
    const std::span<const uint8_t> full = speech->frames.subspan(0, 24);
    for (const std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{7}, std::size_t{23}}) {
        SCOPED_TRACE(length);
        std::array<uint8_t, 24> padded{};
        std::copy_n(full.begin(), length, padded.begin());
        SpeechDecoderState a = SpeechDecoderState::Reset();
        SpeechDecoderState b = SpeechDecoderState::Reset();
        Frame fromShort;
        Frame fromPadded;
        DecodeSpeechFrame(a, fromShort, full.first(length), false);
        DecodeSpeechFrame(b, fromPadded, padded, false);
        EXPECT_EQ(fromShort, fromPadded);
        EXPECT_EQ(a, b);
    }
}

// Random bytes of random lengths, mixed with real frames: never a crash (the
// sanitizer build checks every access) and every sample inside the system's
// saturation range.
TEST(DecodeSpeechFrameTest, RandomInputStaysInRange) {
    std::mt19937 random(0x6723);
    const std::vector<uint8_t> stored = sound_test::ReadFixture("speech-female.ts");
    const auto speech = SpeechData::Read(stored);
    ASSERT_TRUE(speech.has_value());
    SpeechDecoderState state = SpeechDecoderState::Reset();
    Frame frame;
    std::vector<uint8_t> bytes;
    int lowest = 0;
    for (int i = 0; i < 3000; ++i) {
        bytes.resize(random() % 30);
        for (uint8_t& b : bytes) {
            b = static_cast<uint8_t>(random());
        }
        if (i % 5 == 0 && speech->frames.size() >= 24) {
            const std::size_t at = 24 * (random() % (speech->frames.size() / 24));
            bytes.assign(speech->frames.begin() + at, speech->frames.begin() + at + 24);
            bytes[random() % 24] ^= static_cast<uint8_t>(1u << (random() % 8));
        }
        DecodeSpeechFrame(state, frame, bytes, random() % 17 == 0);
        for (const int16_t v : frame) {
            ASSERT_GE(v, -32767);
            lowest = std::min<int>(lowest, v);
        }
        EXPECT_GE(state.frame.erasureCount, 0);
        EXPECT_LE(state.frame.erasureCount, 3);
    }
    EXPECT_EQ(lowest, -32767) << "loud random frames drive the output into saturation";
}

}  // namespace
