#include "platform/CaptureAudioOut.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using platform::AudioBuffer;
using platform::CaptureAudioOut;

TEST(CaptureAudioOutTest, PlaysOneBufferPer46MsOfItsClockAndRecordsWhatIsWritten) {
    CaptureAudioOut out;
    ASSERT_TRUE(out.Open(CaptureAudioOut::kMapper, platform::kAudioFormatMono16));
    std::array<AudioBuffer, 3> buffers;
    for (std::size_t i = 0; i < buffers.size(); ++i) {
        buffers[i].bytes.fill(static_cast<std::uint8_t>(i + 1));
        ASSERT_TRUE(out.Write(buffers[i]));
    }
    EXPECT_EQ(out.Recording().size(), 3 * platform::kAudioBufferBytes);
    EXPECT_EQ(out.Recording()[platform::kAudioBufferBytes], 2);

    out.Advance(45);
    out.Update();
    EXPECT_FALSE(buffers[0].done);
    out.Advance(1);
    out.Update();
    EXPECT_TRUE(buffers[0].done);
    EXPECT_FALSE(buffers[1].done);

    out.Pause();
    out.Advance(500);
    out.Update();
    EXPECT_FALSE(buffers[1].done) << "a paused device plays nothing";
    out.Restart();
    out.Advance(92);
    out.Update();
    EXPECT_TRUE(buffers[1].done);
    EXPECT_TRUE(buffers[2].done);
}

TEST(CaptureAudioOutTest, ResetMarksEveryQueuedBufferDone) {
    CaptureAudioOut out;
    ASSERT_TRUE(out.Open(0, platform::kAudioFormatStereo8));
    std::array<AudioBuffer, 2> buffers;
    for (AudioBuffer& buffer : buffers) {
        ASSERT_TRUE(out.Write(buffer));
    }
    out.Reset();
    EXPECT_TRUE(buffers[0].done);
    EXPECT_TRUE(buffers[1].done);
    EXPECT_EQ(out.Queued(), 0u);
}

TEST(CaptureAudioOutTest, OffersTheDevicesItIsGiven) {
    CaptureAudioOut out;
    CaptureAudioOut::Device mapper;
    mapper.caps.formats = platform::kAudioFormatStereo8;
    CaptureAudioOut::Device refusing;
    refusing.caps.formats = platform::kAudioFormatMono16;
    refusing.opens = false;
    out.SetDevices(mapper, {refusing});

    EXPECT_EQ(out.DeviceCount(), 1);
    platform::AudioDeviceCaps caps;
    EXPECT_TRUE(out.GetCaps(0, caps));
    EXPECT_FALSE(out.GetCaps(1, caps));
    EXPECT_FALSE(out.Open(CaptureAudioOut::kMapper, platform::kAudioFormatMono16)) << "lacks the format";
    EXPECT_FALSE(out.Open(0, platform::kAudioFormatMono16)) << "refuses to open";
    EXPECT_TRUE(out.Open(CaptureAudioOut::kMapper, platform::kAudioFormatStereo8));
    EXPECT_FALSE(out.RoundTripVolume());

    out.SetDevices(mapper, {}, true);
    EXPECT_EQ(out.DeviceCount(), -1);
}

}  // namespace
