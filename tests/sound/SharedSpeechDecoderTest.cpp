#include "sound/SharedSpeechDecoder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "SpeechFixtures.h"
#include "sound/SpeechData.h"

namespace {

using sound::SharedSpeechDecoder;
using sound::SpeechChannel;
using sound::SpeechData;
using sound::SpeechFrame;
using sound::SpeechResampler;

struct Voice {
    std::vector<uint8_t> stored;
    std::span<const uint8_t> frames;
    std::size_t position = 0;
    std::vector<int16_t> output;

    explicit Voice(const char* name) : stored(sound_test::ReadFixture(name)) {
        if (const auto speech = SpeechData::Read(stored)) {
            frames = speech->frames;
        }
    }

    // Decodes the next frame on `channel`; false once the frames are used up.
    bool Step(SharedSpeechDecoder& decoder, SpeechChannel& channel) {
        const SpeechFrame frame = SpeechFrame::Take(frames, position);
        if (frame.advance == 0) {
            return false;
        }
        position += frame.advance;
        std::array<int16_t, SpeechResampler::kMaxFrameOutput> block;
        const std::size_t n = decoder.DecodeFrame(channel, frame.bytes, block);
        output.insert(output.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
        return true;
    }
};

std::vector<int16_t> DecodeAlone(const char* name) {
    SharedSpeechDecoder decoder;
    SpeechChannel channel;
    decoder.StartSound(channel);
    Voice voice(name);
    while (voice.Step(decoder, channel)) {
    }
    return voice.output;
}

// The reset clears everything but the previous LSP vector (the long-term LSP mean), the
// post-filter gain and the comfort-noise decoder's start; a new decoder and a new channel
// both begin from that state.
TEST(SharedSpeechDecoderTest, ResetStateIsKeptAsThePristineState) {
    const std::array<int16_t, 10> lspMean = {3131, 4721, 7690, 10806, 13872, 16495, 19752, 22260, 25484, 27718};
    sound::SpeechDecoderState expected{};
    expected.frame.previousLsp = lspMean;
    expected.frame.gain = 0x1000;
    expected.noise.pastFrameType = 1;  // active
    expected.noise.sidLsp = lspMean;
    expected.noise.randomSeed = 12345;

    EXPECT_EQ(sound::SpeechDecoderState::Reset(), expected);
    const SharedSpeechDecoder decoder;
    EXPECT_EQ(decoder.Pristine(), expected);
    EXPECT_EQ(decoder.Working(), expected);
    EXPECT_EQ(decoder.Owner(), nullptr);
    const SpeechChannel channel;
    EXPECT_EQ(channel.decoder, expected);
    EXPECT_EQ(channel.resampler.Phase(), 0);
}

TEST(SharedSpeechDecoderTest, TwoChannelsInterleavingFramesEqualTwoSeparateDecodes) {
    const std::vector<int16_t> male = DecodeAlone("speech-male.ts");
    const std::vector<int16_t> female = DecodeAlone("speech-female.ts");
    ASSERT_GT(male.size(), 60000u);
    ASSERT_GT(female.size(), 60000u);

    SharedSpeechDecoder decoder;
    std::array<SpeechChannel, 3> channels;
    Voice a("speech-male.ts");
    Voice b("speech-female.ts");
    decoder.StartSound(channels[0]);
    decoder.StartSound(channels[2]);
    // Alternate frame by frame, then two frames of one for each of the other,
    // so that ownership changes and also stays put.
    bool more = true;
    for (int round = 0; more; ++round) {
        more = a.Step(decoder, channels[0]);
        if (round % 3 == 0) {
            more = a.Step(decoder, channels[0]) || more;
        }
        more = b.Step(decoder, channels[2]) || more;
    }
    EXPECT_EQ(a.output, male);
    EXPECT_EQ(b.output, female);
}

TEST(SharedSpeechDecoderTest, StartingASoundRestoresThePristineState) {
    SharedSpeechDecoder decoder;
    SpeechChannel first;
    SpeechChannel second;
    decoder.StartSound(first);
    Voice voice("speech-male.ts");
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(voice.Step(decoder, first));
    }
    ASSERT_EQ(decoder.Owner(), &first);
    ASSERT_NE(decoder.Working(), decoder.Pristine());

    // The owner restarts: the working copy goes back to pristine.
    decoder.StartSound(first);
    EXPECT_EQ(decoder.Working(), decoder.Pristine());
    EXPECT_EQ(first.resampler.Phase(), 0);

    // Another channel restarts: only its private copy changes.
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(voice.Step(decoder, first));
    }
    const sound::SpeechDecoderState working = decoder.Working();
    second.decoder.frame.gain = 77;
    decoder.StartSound(second);
    EXPECT_EQ(second.decoder, decoder.Pristine());
    EXPECT_EQ(decoder.Working(), working);
    EXPECT_EQ(decoder.Owner(), &first);
}

TEST(SharedSpeechDecoderTest, RestartedSoundDecodesLikeTheFirstTime) {
    const std::vector<int16_t> alone = DecodeAlone("speech-female.ts");
    SharedSpeechDecoder decoder;
    SpeechChannel channel;
    decoder.StartSound(channel);
    Voice interrupted("speech-female.ts");
    for (int i = 0; i < 25; ++i) {
        interrupted.Step(decoder, channel);
    }
    decoder.StartSound(channel);
    Voice again("speech-female.ts");
    while (again.Step(decoder, channel)) {
    }
    EXPECT_EQ(again.output, alone);
}

TEST(SharedSpeechDecoderTest, ReleaseHandsTheWorkingStateBack) {
    SharedSpeechDecoder decoder;
    SpeechChannel channel;
    decoder.StartSound(channel);
    Voice voice("speech-male.ts");
    ASSERT_TRUE(voice.Step(decoder, channel));
    const sound::SpeechDecoderState working = decoder.Working();
    decoder.Release(channel);
    EXPECT_EQ(decoder.Owner(), nullptr);
    EXPECT_EQ(channel.decoder, working);
}

}  // namespace
