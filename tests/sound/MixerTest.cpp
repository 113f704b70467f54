#include "sound/xMixer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "MixerTestSupport.h"
#include "divir/xError.h"
#include "framework/xMixerPoll.h"
#include "platform/CaptureAudioOut.h"
#include "sound/SoundOutputStart.h"
#include "sound/SoundSlot.h"

namespace {

using platform::CaptureAudioOut;
using platform::kAudioFormatMono16;
using platform::kAudioFormatStereo8;
using sound::SoundSlot;
using namespace sound::mixer_test;

constexpr std::uint32_t kUnsetMark = 1;  // end == start - 1 marks an end not yet estimated

CaptureAudioOut::Device Dev(std::uint32_t formats, bool opens = true, bool volume = false, bool capsReadable = true,
                            bool synchronous = false) {
    CaptureAudioOut::Device device;
    device.caps.name = "device";
    device.caps.formats = formats;
    device.caps.synchronous = synchronous;
    device.opens = opens;
    device.volumeWorks = volume;
    device.capsReadable = capsReadable;
    return device;
}

constexpr std::uint32_t kBoth = kAudioFormatMono16 | kAudioFormatStereo8;

std::vector<std::int16_t> Ramp(std::size_t n, int step = 37) {
    std::vector<std::int16_t> samples(n);
    for (std::size_t i = 0; i < n; ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(i) * step);
    }
    return samples;
}

class MixerTest : public testing::Test {
  protected:
    void SetUp() override { xMixerSetAudioOut(&out_); }
    void TearDown() override {
        xMixerClose();
        xMixerSetAudioOut(nullptr);
        xPendingExitCode = 0;
        xErrorCode = 0;
    }

    void OpenAndRestart() {
        ASSERT_EQ(xMixerOpen(-1, kAudioFormatMono16), 0);
        xMixerRestart();
    }

    // One main-loop pass: the master service's fill, then 46 ms go by.
    void Pass() {
        xMixerFill(250);
        out_.Advance(46);
    }

    // A slot that outlives the test body, so the mixer's queues never point at a dead one.
    SoundSlot& Slot(const std::vector<std::uint8_t>& data, std::uint16_t plays, std::uint16_t scale = 100) {
        SoundSlot& slot = slots_.emplace_back();
        slot.data = data;
        slot.playsRemaining = plays;
        slot.progressScale = scale;
        return slot;
    }

    CaptureAudioOut out_;
    std::deque<SoundSlot> slots_;
};

struct ChoiceCase {
    const char* what;
    CaptureAudioOut::Device mapper;
    std::vector<CaptureAudioOut::Device> devices;
    bool countUnknown;
    std::int16_t result;
    int device;
    std::uint32_t format;
};

TEST_F(MixerTest, ChoosesTheDeviceByScore) {
    const ChoiceCase cases[] = {
        {"mapper 1010 beats a device's 1000", Dev(kBoth), {Dev(kBoth)}, false, 0, -1, kAudioFormatMono16},
        {"a device with volume control scores 1100", Dev(kBoth), {Dev(kBoth, true, true)}, false, 0, 0,
         kAudioFormatMono16},
        {"no device", Dev(kBoth), {}, false, 1, -1, 0},
        {"devices not countable: the mapper alone", Dev(kBoth), {Dev(kBoth, true, true)}, true, 0, -1,
         kAudioFormatMono16},
        {"a mapper lacking the format is chosen and fails to open", Dev(kAudioFormatStereo8),
         {Dev(kAudioFormatStereo8)}, false, 3, -1, 0},
        {"only 8-bit stereo", Dev(kBoth, true, false, false), {Dev(kAudioFormatStereo8)}, false, 0, 0,
         kAudioFormatStereo8},
        {"offered but cannot be opened", Dev(kBoth, true, false, false), {Dev(kBoth, false)}, false, 3, 0, 0},
        {"no device has either format", Dev(kBoth, true, false, false), {Dev(0)}, false, 2, 0, 0},
        {"a synchronous device is passed over", Dev(kBoth, true, false, false),
         {Dev(kBoth, true, true, true, true), Dev(kBoth)}, false, 0, 1, kAudioFormatMono16},
        {"the first of equal scores", Dev(kBoth, true, false, false), {Dev(kBoth), Dev(kBoth)}, false, 0, 0,
         kAudioFormatMono16},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        out_.SetDevices(c.mapper, c.devices, c.countUnknown);
        EXPECT_EQ(xMixerOpen(-1, kAudioFormatMono16), c.result);
        if (c.result == 0) {
            EXPECT_EQ(xMixerDeviceId(), c.device);
            EXPECT_EQ(out_.OpenId(), c.device);
        }
        EXPECT_EQ(xMixerOpenFormat(), c.format);
        EXPECT_EQ(out_.IsOpen(), c.result == 0) << "a failed open closes what it opened";
        xMixerClose();
    }
    EXPECT_EQ(xMixerOpen(-1, 16), 1) << "a format other than the two";
}

TEST_F(MixerTest, OpenFailuresBecomePendingExitCodes) {
    struct Case {
        const char* what;
        CaptureAudioOut::Device mapper;
        std::vector<CaptureAudioOut::Device> devices;
        std::int32_t exitCode;
    };
    const Case cases[] = {
        {"no driver", Dev(kBoth), {}, 17},
        {"no format", Dev(kBoth, true, false, false), {Dev(0)}, 18},
        {"busy", Dev(kBoth, true, false, false), {Dev(kBoth, false)}, 19},
        {"open", Dev(kBoth), {Dev(kBoth)}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        xPendingExitCode = 0;
        out_.SetDevices(c.mapper, c.devices);
        EXPECT_EQ(sound::StartSoundOutput(), c.exitCode == 0);
        EXPECT_EQ(xPendingExitCode, c.exitCode);
        xMixerClose();
    }
    const std::int16_t results[][2] = {{0, 0}, {1, 17}, {2, 18}, {3, 19}, {4, 1}, {5, 2}, {6, 27}, {-1, 27}};
    for (const auto& r : results) {
        EXPECT_EQ(sound::SoundOpenErrorCode(r[0]), r[1]) << "result " << r[0];
    }
}

TEST_F(MixerTest, ChannelLevelsFollowMasterVolumeAndMute) {
    EXPECT_EQ(sound::MixerChannelLevel(sound::kInitialMasterVolume, 1.0, false), 0);
    EXPECT_EQ(sound::MixerChannelLevel(1.0, 1.0, false), 256);
    EXPECT_EQ(sound::MixerChannelLevel(0.5, 0.999, false), 127);
    EXPECT_EQ(sound::MixerChannelLevel(1.0, 1.0, true), 0);
    EXPECT_EQ(sound::MixerChannelLevel(-1.0, 1.0, false), 0);
}

TEST_F(MixerTest, FillsSevenBuffersAheadAndPollsWhenDue) {
    ASSERT_EQ(xMixerOpen(-1, kAudioFormatMono16), 0);
    xMixerFill(250);
    EXPECT_EQ(out_.Writes(), 0u) << "nothing is filled before the restart";
    xMixerRestart();

    struct Step {
        const char* what;
        std::uint32_t advance;
        bool poll;
        std::uint32_t ms;
        std::size_t writes;
    };
    const Step steps[] = {
        {"first fill: 5 + 2 buffers", 0, false, 250, 7},
        {"still 7 ahead", 0, false, 250, 0},
        {"poll before the due time", 46, true, 250, 0},
        {"poll after the due time: one buffer played", 5, true, 250, 1},
        {"poll asking for more than the last lead", 0, true, 300, 1},
        {"a fill of 0 ms keeps at least one buffer", 0, false, 0, 0},
        {"at most 58 buffers", 0, false, 5000, 52},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        out_.Advance(step.advance);
        const std::size_t before = out_.Writes();
        if (step.poll) {
            xMixerPoll(step.ms);
        } else {
            xMixerFill(step.ms);
        }
        EXPECT_EQ(out_.Writes() - before, step.writes);
    }
    EXPECT_FALSE(out_.Paused());

    xMixerClose();
    const std::size_t before = out_.Writes();
    xMixerPoll(1000);
    EXPECT_EQ(out_.Writes(), before) << "a closed mixer removes its poll";
}

TEST_F(MixerTest, ResetStopsFillingAndFinishesEveryQueuedSlot) {
    OpenAndRestart();
    const auto wave = MakeWave(Ramp(5000));
    SoundSlot& slot = Slot(wave, 2);
    ASSERT_EQ(xMixerQueueSound(3, &slot), 0);
    Pass();
    EXPECT_FALSE(xMixerIsChannelEmpty(3));
    EXPECT_TRUE(xMixerIsChannelEmpty(2));
    EXPECT_FALSE(xMixerIsChannelEmpty(-1));

    xMixerReset();
    EXPECT_EQ(slot.done, 1);
    EXPECT_EQ(slot.progress, 100);
    EXPECT_EQ(slot.playsRemaining, 0);
    EXPECT_TRUE(xMixerIsChannelEmpty(99));
    const std::size_t before = out_.Writes();
    Pass();
    EXPECT_EQ(out_.Writes(), before);
    xMixerRestart();
    Pass();
    EXPECT_EQ(out_.Writes(), before + 7);
    EXPECT_FALSE(out_.Paused()) << "the first fill after a reset pauses, queues and restarts";
}

TEST_F(MixerTest, RefusesWhatItCannotQueue) {
    OpenAndRestart();
    const auto mono = MakeWave(Ramp(100));
    const auto stereo = MakeWave(Ramp(100), {1, 2, 22050, 4, 16});
    const auto fast = MakeWave(Ramp(100), {1, 1, 44100, 2, 16});
    struct Case {
        const char* what;
        int channel;
        const std::vector<std::uint8_t>* data;
        std::uint16_t plays;
        std::int16_t code;
    };
    const Case cases[] = {
        {"channel 8", 8, &mono, 1, 7},         {"channel -1 with a slot", -1, &mono, 1, 7},
        {"channel -2", -2, &mono, 1, 7},       {"stereo WAVE", 0, &stereo, 1, 9},
        {"44.1 kHz WAVE", 0, &fast, 1, 9},     {"no plays", 0, &mono, 0, 10},
        {"a good one", 0, &mono, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(xMixerQueueSound(c.channel, &Slot(*c.data, c.plays)), c.code);
    }
    for (int i = 1; i < 64; ++i) {
        ASSERT_EQ(xMixerQueueSound(0, &Slot(mono, 1)), 0) << i;
    }
    EXPECT_EQ(xMixerQueueSound(0, &Slot(mono, 1)), 8) << "the 65th slot";
    EXPECT_EQ(xMixerQueueSound(9, nullptr), 7);
    EXPECT_EQ(xMixerEndLoops(8), 7);
    EXPECT_EQ(xMixerEndLoops(-1), 0);
}

TEST_F(MixerTest, PlaysThreeTimesWithoutAGapAndEstimatesTheEndAtTheLastPlay) {
    OpenAndRestart();
    xMixerSetChannelVolume(512, 1);  // 512 >> 9: the samples come out as stored
    const std::vector<std::int16_t> samples = Ramp(22050, 3);
    const auto wave = MakeWave(samples);
    SoundSlot& slot = Slot(wave, 3);
    ASSERT_EQ(xMixerQueueSound(1, &slot), 0);
    EXPECT_EQ(slot.length, 22050u);

    // Pass k runs at 46k ms; by then k buffers have played and buffer k + 6 is written.
    // Play 2 starts in buffer 21, play 3 in buffer 43 (written in pass 37).
    struct Row {
        int pass;
        std::uint32_t start;
        bool endKnown;
        std::uint16_t progress;
        std::uint16_t done;
    };
    const Row rows[] = {
        {0, static_cast<std::uint32_t>(-100), false, 1, 0},
        {15, 21 * 46 - 100, false, 1, 0},
        {37, 43 * 46 - 100, true, 1, 0},
        {50, 1878, true, 100 * (2300 - 1878) / 1100, 0},
        {64, 1878, true, 100 * (2944 - 1878) / 1100, 0},
        {65, 1878, true, 100, 1},
    };
    int pass = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pass);
        for (; pass <= row.pass; ++pass) {
            out_.SetNow(static_cast<std::uint32_t>(pass * 46));
            xMixerFill(250);
        }
        EXPECT_EQ(slot.startTime, row.start);
        EXPECT_EQ(slot.endTime == slot.startTime - kUnsetMark, !row.endKnown);
        if (row.endKnown) {
            EXPECT_EQ(slot.endTime, slot.startTime + 101 + 999);
        }
        EXPECT_EQ(slot.progress, row.progress);
        EXPECT_EQ(slot.done, row.done);
    }
    EXPECT_TRUE(xMixerIsChannelEmpty(1));

    const std::vector<std::int16_t> recorded = out_.RecordedSamples();
    ASSERT_GE(recorded.size(), 3 * samples.size() + 1024);
    for (std::size_t i = 0; i < 3 * samples.size(); ++i) {
        ASSERT_EQ(recorded[i], samples[i % samples.size()]) << "sample " << i;
    }
    for (std::size_t i = 3 * samples.size(); i < recorded.size(); ++i) {
        ASSERT_EQ(recorded[i], 0) << "sample " << i;
    }
}

TEST_F(MixerTest, ASlotQueuedBehindAnotherWaitsForItsTurn) {
    OpenAndRestart();
    xMixerSetChannelVolume(512, 4);
    const std::vector<std::int16_t> first = Ramp(3000, 5);
    const std::vector<std::int16_t> second = Ramp(2000, -7);
    const auto a = MakeWave(first);
    const auto b = MakeWave(second);
    SoundSlot& slotA = Slot(a, 1);
    SoundSlot& slotB = Slot(b, 1);
    ASSERT_EQ(xMixerQueueSound(4, &slotA), 0);
    ASSERT_EQ(xMixerQueueSound(4, &slotB), 0);
    xMixerFill(250);
    EXPECT_EQ(slotB.done, 0) << "waiting is not finishing";
    for (int pass = 1; pass < 20; ++pass) {
        out_.SetNow(static_cast<std::uint32_t>(pass * 46));
        xMixerFill(250);
    }
    EXPECT_EQ(slotA.done, 1);
    EXPECT_EQ(slotB.done, 1);
    // B started in buffer 2 (sample 3000), written in the first fill.
    EXPECT_EQ(slotB.startTime, static_cast<std::uint32_t>(2 * 46 - 100));
    const std::vector<std::int16_t> recorded = out_.RecordedSamples();
    for (std::size_t i = 0; i < first.size() + second.size(); ++i) {
        const std::int16_t expected = i < first.size() ? first[i] : second[i - first.size()];
        ASSERT_EQ(recorded[i], expected) << "sample " << i;
    }
}

TEST_F(MixerTest, EndsLoopsAfterTheCurrentPlay) {
    OpenAndRestart();
    xMixerSetChannelVolume(512, 0);
    const std::vector<std::int16_t> samples = Ramp(1500, 9);
    const auto wave = MakeWave(samples);
    SoundSlot& looping = Slot(wave, 1000);
    SoundSlot& waiting = Slot(wave, 5);
    ASSERT_EQ(xMixerQueueSound(0, &looping), 0);
    ASSERT_EQ(xMixerQueueSound(0, &waiting), 0);
    Pass();  // 7168 samples: the fifth play is under way
    EXPECT_EQ(looping.playsRemaining, 995);
    EXPECT_EQ(xMixerEndLoops(0), 0);
    EXPECT_EQ(looping.playsRemaining, 0) << "the play under way is the last";
    EXPECT_EQ(waiting.playsRemaining, 1) << "a waiting slot plays once";
    for (int pass = 0; pass < 20; ++pass) {
        Pass();
    }
    EXPECT_EQ(looping.done, 1);
    EXPECT_EQ(waiting.done, 1);
    EXPECT_TRUE(xMixerIsChannelEmpty(0));
    // Five plays of the loop, then one of the waiting slot, then silence.
    const std::vector<std::int16_t> recorded = out_.RecordedSamples();
    for (std::size_t i = 0; i < 10000; ++i) {
        ASSERT_EQ(recorded[i], i < 9000 ? samples[i % 1500] : 0) << "sample " << i;
    }
}

TEST_F(MixerTest, EstimatesTheEndOfLongSoundsWithoutOverflow) {
    OpenAndRestart();
    // 2,000,000 samples (about 91 s): 2,000,000 * 2972 does not fit 32 bits.
    const auto data = MakeXima(31250, std::vector<std::uint8_t>(31250 * 34, 0));
    SoundSlot& slot = Slot(data, 1);
    ASSERT_EQ(xMixerQueueSound(2, &slot), 0);
    EXPECT_EQ(slot.length, 2000000u);
    xMixerFill(250);
    EXPECT_EQ(slot.startTime, static_cast<std::uint32_t>(-100));
    EXPECT_EQ(slot.endTime, static_cast<std::uint32_t>(-100 + 101 + 90698));
    EXPECT_EQ(slot.progress, 1);
}

TEST_F(MixerTest, EightBitStereoRepeatsEachSampleInBothBytes) {
    out_.SetDevices(Dev(kBoth, true, false, false), {Dev(kAudioFormatStereo8)});
    ASSERT_EQ(xMixerOpen(-1, kAudioFormatMono16), 0);
    ASSERT_EQ(xMixerOpenFormat(), kAudioFormatStereo8);
    xMixerRestart();
    xMixerSetChannelVolume(512, 0);
    const std::vector<std::int16_t> samples = Ramp(1024, 31);
    const auto wave = MakeWave(samples);
    SoundSlot& slot = Slot(wave, 1);
    ASSERT_EQ(xMixerQueueSound(0, &slot), 0);
    xMixerFill(250);
    const std::vector<std::uint8_t>& bytes = out_.Recording();
    ASSERT_GE(bytes.size(), 2048u);
    for (std::size_t i = 0; i < 1024; ++i) {
        const auto expected = static_cast<std::uint8_t>((samples[i] >> 8) + 128);
        ASSERT_EQ(bytes[2 * i], expected) << i;
        ASSERT_EQ(bytes[2 * i + 1], expected) << i;
    }
}

TEST_F(MixerTest, AWriteTheDeviceRefusesDoesNotStallTheRing) {
    OpenAndRestart();
    out_.FailWrites(true);
    const auto wave = MakeWave(Ramp(3000));
    SoundSlot& slot = Slot(wave, 1);
    ASSERT_EQ(xMixerQueueSound(0, &slot), 0);
    for (int pass = 0; pass < 12; ++pass) {
        Pass();
    }
    EXPECT_EQ(slot.done, 1) << "the slot timing still advances";
    out_.FailWrites(false);
    Pass();
    EXPECT_GT(out_.Writes(), 0u) << "the ring moved on";
}

TEST_F(MixerTest, VolumesAreHeldInSixteenBits) {
    OpenAndRestart();
    const std::vector<std::int16_t> samples = {1000, -1000, 20000, -20000};
    const auto wave = MakeWave(samples);
    struct Case {
        int volume;
        std::int16_t expected[4];
    };
    const Case cases[] = {
        {256, {500, -500, 10000, -10000}},
        {-5, {0, 0, 0, 0}},
        {1 << 20, {32767, -32767, 32767, -32767}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.volume);
        xMixerReset();
        xMixerRestart();
        out_.ClearRecording();
        xMixerSetChannelVolume(c.volume, 99);  // every channel
        SoundSlot& slot = Slot(wave, 1);
        ASSERT_EQ(xMixerQueueSound(5, &slot), 0);
        xMixerFill(250);
        const std::vector<std::int16_t> recorded = out_.RecordedSamples();
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(recorded[i], c.expected[i]) << i;
        }
        xMixerQueueSound(-1, nullptr);
    }
}

}  // namespace

namespace {

std::vector<std::uint8_t> Fixture(const char* name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST_F(MixerTest, PlaysAnEncodersImaBlocksExactly) {
    OpenAndRestart();
    xMixerSetChannelVolume(512, 6);
    const std::vector<std::uint8_t> stored = Fixture("ima-qt.xima");
    const std::vector<std::uint8_t> referenceBytes = Fixture("ima-qt.ref.s16");
    SoundSlot& slot = Slot(stored, 1);
    ASSERT_EQ(xMixerQueueSound(6, &slot), 0);
    ASSERT_EQ(slot.length * 2, referenceBytes.size());
    for (int pass = 0; pass < 20; ++pass) {
        Pass();
    }
    const std::vector<std::uint8_t>& recorded = out_.Recording();
    ASSERT_GE(recorded.size(), referenceBytes.size());
    EXPECT_TRUE(std::equal(referenceBytes.begin(), referenceBytes.end(), recorded.begin()));
}

TEST_F(MixerTest, PlaysTruncatedAndRandomDataOfEveryFormatSafely) {
    OpenAndRestart();
    const std::vector<std::vector<std::uint8_t>> sources = {
        MakeWave(Ramp(4000)), MakeXima(40, ImaBlocks(40)), Fixture("music_64k.xmp"), Fixture("speech-female.ts")};
    std::mt19937 random(1818);
    std::size_t played = 0;
    for (int round = 0; round < 400; ++round) {
        // Each slot owns an exact-size copy, so ASan sees any read past the data.
        std::vector<std::vector<std::uint8_t>> datas;
        for (int channel = 0; channel < 8; ++channel) {
            std::vector<std::uint8_t> data = sources[static_cast<std::size_t>(round + channel) % sources.size()];
            data.resize(random() % (data.size() + 1));
            for (int flips = round % 3 == 0 ? 0 : static_cast<int>(random() % 16); flips > 0 && data.size() > 12; --flips) {
                data[4 + random() % (data.size() - 4)] = static_cast<std::uint8_t>(random());
            }
            datas.push_back(std::move(data));
        }
        for (int channel = 0; channel < 8; ++channel) {
            const std::int16_t code = xMixerQueueSound(channel, &Slot(datas[static_cast<std::size_t>(channel)], 2));
            ASSERT_TRUE(code == 0 || code == 9) << code;
            played += code == 0;
        }
        for (int pass = 0; pass < 6; ++pass) {
            Pass();
        }
        xMixerQueueSound(-1, nullptr);
    }
    EXPECT_GT(played, 1000u);
}

// Main loops that stall, polls of every size and sounds queued, stopped, forgotten and
// looped at random: every fill leaves sound queued in the device, and once the loops are
// ended every sound plays out and every channel empties.
TEST_F(MixerTest, KeepsPlayingThroughStallsAndEveryKindOfQueueChange) {
    const std::vector<std::vector<std::uint8_t>> waves = {MakeWave(Ramp(300)), MakeWave(Ramp(2500)),
                                                          MakeWave(Ramp(11000)), MakeWave(Ramp(40000))};
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        OpenAndRestart();
        std::mt19937 random(seed);
        std::vector<SoundSlot*> queued;
        auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
        for (int step = 0; step < 1500; ++step) {
            out_.Advance(chance(3) ? 300 + random() % 3000 : random() % 70);
            if (chance(12)) {
                const std::uint16_t plays = chance(10) ? 65535 : static_cast<std::uint16_t>(1 + random() % 3);
                SoundSlot& slot = Slot(waves[random() % waves.size()], plays);
                if (xMixerQueueSound(static_cast<int>(random() % 8), &slot) == 0) {
                    queued.push_back(&slot);
                }
            }
            if (chance(2)) xMixerQueueSound(static_cast<int>(random() % 8), nullptr);
            if (chance(3)) xMixerEndLoops(static_cast<int>(random() % 8));
            if (chance(2) && !queued.empty()) xMixerForgetSlot(queued[random() % queued.size()]);
            if (chance(75)) {
                xMixerFill(250);
                ASSERT_GT(out_.Queued(), 0u) << "step " << step << ": a fill left the device nothing to play";
            } else {
                xMixerPoll(chance(10) ? 2000 + random() % 4000 : random() % 400);
            }
        }
        xMixerEndLoops(-1);
        for (int pass = 0; pass < 2000 && !xMixerIsChannelEmpty(-1); ++pass) {
            Pass();
        }
        EXPECT_TRUE(xMixerIsChannelEmpty(-1)) << "a channel never emptied";
        for (const SoundSlot* slot : queued) {
            EXPECT_EQ(slot->done, 1);
            EXPECT_EQ(slot->progress, slot->progressScale);
        }
        xMixerClose();
        slots_.clear();
    }
}

}  // namespace
