#include "sound/SoundPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"
#include "framework/AppTime.h"
#include "platform/CaptureAudioOut.h"
#include "resource/xSimpleResFile.h"
#include "sound/xMixer.h"

namespace {

using sound::SoundSlot;

constexpr std::uint32_t kSnd = MakeFourCC("snd ");
constexpr std::uint32_t kMusi = MakeFourCC("Musi");
constexpr std::uint32_t kVoic = MakeFourCC("Voic");
constexpr std::uint32_t kSfx = MakeFourCC("Sfx ");

class SoundPoolTest : public testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
        SetAppTickSource([this] { return now_; });
        xMixerSetAudioOut(&out_);
        ASSERT_EQ(xMixerOpen(-1, platform::kAudioFormatMono16), 0);
        xMixerRestart();
        ASSERT_EQ(xTry([&] { file_.OpenAt(1, xFileSpec(SOUND_SRF), 0); }), 0);
        ASSERT_EQ(xTry([] { sound::SoundPoolCreate(); }), 0);
    }
    void TearDown() override {
        sound::SoundPoolDestroy();
        xMixerClose();
        xMixerSetAudioOut(nullptr);
        file_.Close(xSimpleResFile::kAnyFile);
        xFileCleanup();
        SetAppTickSource({});
        xErrorCode = 0;
        xErrorSetDetail(nullptr);
    }

    // Loads inside an error frame; the code the load ended with.
    std::int16_t Load(std::uint32_t kind, std::int32_t id, SoundSlot*& slot) {
        slot = nullptr;
        return xTry([&] { slot = sound::SoundPoolLoad(file_, kind, id); });
    }
    std::int16_t Start(SoundSlot* slot, int channel, std::uint16_t plays) {
        return xTry([&] { sound::SoundPoolStart(slot, channel, 100, plays, 0); });
    }
    void Pass() {
        now_ += 46;
        out_.Advance(46);
        xMixerFill(250);
    }

    std::uint32_t now_ = 0;
    platform::CaptureAudioOut out_;
    xSimpleResFile file_{"sound pool test"};
};

TEST_F(SoundPoolTest, LoadsEachKindAndMeasuresIt) {
    struct Case {
        std::uint32_t kind;
        std::int32_t id;
        std::uint32_t ms;
    };
    const Case cases[] = {
        {kSnd, 1, 1000},           // 22050 samples
        {kSnd, 2, 35 * 64 * 20 / 441},  // 100 ms in whole IMA blocks
        {kMusi, 3, 13230 * 20 / 441},
        {kSfx, 5, 0},              // not a sound
        {kSfx, 6, 882 * 20 / 441},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        SoundSlot* slot = nullptr;
        ASSERT_EQ(Load(c.kind, c.id, slot), 0);
        ASSERT_NE(slot, nullptr);
        EXPECT_TRUE(slot->inUse);
        EXPECT_TRUE(slot->loaded);
        EXPECT_EQ(sound::SoundPoolDuration(slot), c.ms);
        sound::SoundPoolRelease(&slot);
        EXPECT_EQ(slot, nullptr);
    }
    SoundSlot* voice = nullptr;
    ASSERT_EQ(Load(kVoic, 4, voice), 0);
    EXPECT_GT(sound::SoundPoolDuration(voice), 3000u);
}

TEST_F(SoundPoolTest, AMissingResourceLeavesTheSlotFree) {
    SoundSlot* slot = nullptr;
    EXPECT_EQ(Load(kSnd, 99, slot), kErrResourceMissing);
    EXPECT_EQ(slot, nullptr);
    SoundSlot* first = nullptr;
    ASSERT_EQ(Load(kSnd, 1, first), 0);
    SoundSlot* second = nullptr;
    ASSERT_EQ(Load(kSnd, 1, second), 0);
    EXPECT_EQ(second, first + 1) << "slots are taken in table order; the failed load took none";
    sound::SoundPoolFreeSlot(first);
    SoundSlot* again = nullptr;
    ASSERT_EQ(Load(kSfx, 6, again), 0);
    EXPECT_EQ(again, first) << "the first free slot is reused";
}

TEST_F(SoundPoolTest, The257thLoadFindsThePoolFull) {
    std::vector<SoundSlot*> slots;
    for (int i = 0; i < sound::kSoundPoolSlots; ++i) {
        SoundSlot* slot = nullptr;
        ASSERT_EQ(Load(kSfx, 6, slot), 0) << i;
        slots.push_back(slot);
    }
    SoundSlot* extra = nullptr;
    EXPECT_EQ(Load(kSfx, 6, extra), kErrChannelPoolFull);
    EXPECT_EQ(extra, nullptr);
}

TEST_F(SoundPoolTest, ARefusedStartRaises25WithTheMixerCode) {
    SoundSlot* noise = nullptr;
    ASSERT_EQ(Load(kSfx, 5, noise), 0);
    EXPECT_EQ(Start(noise, 0, 1), kErrSoundStart);
    EXPECT_EQ(xErrorGetDetail(), " (9)");
    EXPECT_TRUE(noise->locked) << "locked and unqueued until freed";

    std::vector<SoundSlot*> slots;
    for (int i = 0; i < 64; ++i) {
        SoundSlot* slot = nullptr;
        ASSERT_EQ(Load(kSfx, 6, slot), 0);
        ASSERT_EQ(Start(slot, 3, 1), 0) << i;
    }
    SoundSlot* one = nullptr;
    ASSERT_EQ(Load(kSfx, 6, one), 0);
    EXPECT_EQ(Start(one, 3, 1), kErrSoundStart);
    EXPECT_EQ(xErrorGetDetail(), " (8)");
    EXPECT_EQ(Start(one, 8, 1), kErrSoundStart);
    EXPECT_EQ(xErrorGetDetail(), " (7)");
}

TEST_F(SoundPoolTest, PlaysThenSweepsOncePerSecondThenStartsAgain) {
    SoundSlot* slot = nullptr;
    ASSERT_EQ(Load(kSfx, 6, slot), 0);
    ASSERT_EQ(Start(slot, 2, 3), 0);
    EXPECT_TRUE(slot->locked);
    for (int pass = 0; pass < 200 && slot->done == 0; ++pass) {
        Pass();
    }
    ASSERT_EQ(slot->done, 1) << "three plays of 40 ms";
    EXPECT_EQ(slot->progress, 100);

    sound::SoundPoolSweep(true);
    EXPECT_FALSE(slot->locked) << "forced";
    ASSERT_EQ(Start(slot, 2, 1), 0);
    EXPECT_TRUE(slot->locked) << "locked again";
    const std::uint32_t swept = now_;
    for (int pass = 0; pass < 200 && slot->done == 0; ++pass) {
        Pass();
    }
    ASSERT_EQ(slot->done, 1);
    now_ = swept + 999;
    sound::SoundPoolSweep(false);
    EXPECT_TRUE(slot->locked) << "less than a second since the last sweep";
    now_ = swept + 1000;
    sound::SoundPoolSweep(false);
    EXPECT_FALSE(slot->locked);
}

TEST_F(SoundPoolTest, StopChannelAndEndLoopsReachTheMixer) {
    SoundSlot* looping = nullptr;
    ASSERT_EQ(Load(kSnd, 2, looping), 0);
    ASSERT_EQ(Start(looping, 4, 1000), 0);
    // The reader's polls during the loads filled well ahead: play until the loop is under way.
    for (int pass = 0; pass < 200 && looping->playsRemaining == 1000; ++pass) {
        Pass();
    }
    sound::SoundPoolEndLoops(4);
    EXPECT_EQ(looping->playsRemaining, 0);
    SoundSlot* other = nullptr;
    ASSERT_EQ(Load(kSnd, 1, other), 0);
    ASSERT_EQ(Start(other, 5, 1), 0);
    sound::SoundPoolStopChannel(5);
    EXPECT_EQ(other->done, 1);
    EXPECT_TRUE(xMixerIsChannelEmpty(5));
}

TEST_F(SoundPoolTest, FreeingAPlayingSlotTakesItOutOfTheMixerFirst) {
    SoundSlot* music = nullptr;
    ASSERT_EQ(Load(kMusi, 3, music), 0);
    ASSERT_EQ(Start(music, 1, 5), 0);
    Pass();
    sound::SoundPoolFreeSlot(music);
    EXPECT_FALSE(music->inUse);
    EXPECT_EQ(music->resource, nullptr);
    EXPECT_TRUE(xMixerIsChannelEmpty(1));
    for (int pass = 0; pass < 5; ++pass) {
        Pass();  // under ASan: nothing reads the freed data
    }
}

TEST_F(SoundPoolTest, DestroyClearsTheChannelsAndFreesEverything) {
    SoundSlot* voice = nullptr;
    ASSERT_EQ(Load(kVoic, 4, voice), 0);
    ASSERT_EQ(Start(voice, 0, 1), 0);
    Pass();
    sound::SoundPoolDestroy();
    EXPECT_FALSE(sound::SoundPoolExists());
    EXPECT_TRUE(xMixerIsChannelEmpty(-1));
    Pass();
    SoundSlot* none = nullptr;
    EXPECT_EQ(Load(kSnd, 1, none), kErrChannelPoolFull) << "no table, no slot";
}

}  // namespace
