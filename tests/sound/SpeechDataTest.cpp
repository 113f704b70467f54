#include "sound/SpeechData.h"

#include "sound/SpeechResampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace {

using sound::SpeechData;
using sound::SpeechFrame;

std::vector<uint8_t> Stored(uint32_t samples, uint32_t claimedBytes, std::vector<uint8_t> frames) {
    std::vector<uint8_t> data = {'T', 'S'};
    for (const uint32_t v : {samples, claimedBytes}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            data.push_back(static_cast<uint8_t>(v >> shift));
        }
    }
    data.insert(data.end(), frames.begin(), frames.end());
    return data;
}

TEST(SpeechDataTest, HeaderCountsAreCheckedAgainstTheData) {
    struct Case {
        const char* what;
        uint32_t claimed;
        std::size_t present;
        std::size_t expected;
    };
    for (const Case c : {Case{"exact", 48, 48, 48}, Case{"claims less", 24, 48, 24},
                         Case{"claims more than there is", 480, 30, 30},
                         Case{"claims the largest count", 0xffffffffu, 5, 5}, Case{"no frames", 0, 0, 0}}) {
        SCOPED_TRACE(c.what);
        const auto data = Stored(12345, c.claimed, std::vector<uint8_t>(c.present, 0));
        const auto speech = SpeechData::Read(data);
        ASSERT_TRUE(speech.has_value());
        EXPECT_EQ(speech->totalSamples, 12345u);
        EXPECT_EQ(speech->frames.size(), c.expected);
        EXPECT_EQ(speech->frames.data(), data.data() + SpeechData::kHeaderSize);
    }
}

// Mixed frames: active, silence description, untransmitted, active cut after 5 bytes.
std::vector<uint8_t> MixedFrames() {
    std::vector<uint8_t> frames(24, 0x10);
    frames.insert(frames.end(), {0x02, 0xaa, 0xbb, 0xcc});
    frames.push_back(0x03);
    frames.insert(frames.end(), {0x04, 1, 2, 3, 4});
    return frames;
}

TEST(SpeechDataTest, SampleCountIsLimitedToWhatTheFramesYield) {
    struct Case {
        const char* what;
        uint32_t samples;
        uint32_t claimedBytes;
        std::vector<uint8_t> frames;
        std::size_t expected;
    };
    const std::vector<uint8_t> three(72, 0);
    const Case cases[] = {
        {"header below the frames' yield", 1000, 72, three, 1000},
        {"header equal to the yield", 1985, 72, three, 1985},
        {"header above the yield", 5000, 72, three, 1985},
        {"nothing declared", 0, 72, three, 0},
        {"absurd header, mixed and cut frames", 0xffffffffu, 34, MixedFrames(), 2646},
        {"frame bytes claimed but missing", 0xffffffffu, 72, std::vector<uint8_t>(24, 0), 662},
        {"frame bytes present but not claimed", 0xffffffffu, 24, three, 662},
        {"no frames", 5000, 0, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto speech = SpeechData::Read(Stored(c.samples, c.claimedBytes, c.frames));
        ASSERT_TRUE(speech.has_value());
        EXPECT_EQ(speech->totalSamples, c.samples);
        EXPECT_EQ(speech->sampleCount, c.expected);
    }
}

// The count of a given number of frames is what the resampler really delivers for them.
TEST(SpeechDataTest, ResampledCountMatchesTheResampler) {
    sound::SpeechResampler resampler;
    const std::array<int16_t, sound::kSpeechFrameSamples> input{};
    std::array<int16_t, sound::SpeechResampler::kMaxFrameOutput> output;
    std::size_t delivered = 0;
    for (std::size_t frames = 0; frames <= 9; ++frames) {
        EXPECT_EQ(SpeechData::ResampledCount(frames), delivered) << frames;
        delivered += resampler.Process(input, output);
    }
}

TEST(SpeechDataTest, RefusesDataThatIsNotStoredSpeech) {
    const std::vector<std::vector<uint8_t>> refused = {
        {},
        {'T', 'S', 0, 0, 0, 1, 0, 0, 0},              // one byte short of a header
        {'X', 'M', 'P', 0, 0, 0, 0, 1, 0, 0, 0, 0},   // music
        {'t', 's', 0, 0, 0, 1, 0, 0, 0, 0},
    };
    for (const auto& data : refused) {
        EXPECT_FALSE(SpeechData::Read(data).has_value()) << data.size();
    }
}

TEST(SpeechDataTest, FrameSizeFollowsTheRateAndTypeBits) {
    struct Case {
        uint8_t firstByte;
        std::size_t size;
    };
    for (const Case c : {Case{0x00, 24}, Case{0xfc, 24}, Case{0x01, 24}, Case{0x02, 4}, Case{0xfe, 4},
                         Case{0x03, 1}, Case{0xff, 1}}) {
        EXPECT_EQ(SpeechData::FrameSize(c.firstByte), c.size) << int{c.firstByte};
    }
}

TEST(SpeechFrameTest, WalksMixedFramesAndPadsTheCutLastOne) {
    const std::vector<uint8_t> frames = MixedFrames();

    std::vector<std::size_t> advances;
    std::size_t position = 0;
    SpeechFrame last;
    while (true) {
        const SpeechFrame frame = SpeechFrame::Take(frames, position);
        if (frame.advance == 0) {
            break;
        }
        advances.push_back(frame.advance);
        position += frame.advance;
        last = frame;
    }
    EXPECT_EQ(advances, (std::vector<std::size_t>{24, 4, 1, 5}));
    EXPECT_EQ(position, frames.size());
    const std::array<uint8_t, 24> expected = {0x04, 1, 2, 3, 4};
    EXPECT_EQ(last.bytes, expected);
}

TEST(SpeechFrameTest, RandomDataIsWalkedWithinBounds) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> data(random() % 200);
        for (uint8_t& b : data) {
            b = static_cast<uint8_t>(random());
        }
        if (data.size() >= 2 && round % 2 == 0) {
            data[0] = 'T';
            data[1] = 'S';
        }
        const auto speech = SpeechData::Read(data);
        if (!speech) {
            continue;
        }
        EXPECT_LE(speech->frames.size() + SpeechData::kHeaderSize, data.size());
        std::size_t position = 0;
        std::size_t steps = 0;
        for (SpeechFrame f = SpeechFrame::Take(speech->frames, 0); f.advance != 0;
             f = SpeechFrame::Take(speech->frames, position)) {
            position += f.advance;
            ++steps;
        }
        EXPECT_EQ(position, speech->frames.size());
        EXPECT_LE(steps, speech->frames.size());
        EXPECT_EQ(speech->sampleCount,
                  std::min<std::size_t>(speech->totalSamples, SpeechData::ResampledCount(steps)));
    }
}

}  // namespace
