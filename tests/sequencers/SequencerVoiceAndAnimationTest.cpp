// A voice and an animation played together by a parallel sequencer: the real
// voice on the mixer's sound service (captured on the manual clock) and the real
// animation on the animation service and the screen canvas (dummy video driver).
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"

#include "framework/DummyUIRoot.h"
#include "PassLog.h"
#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "media/Animation.h"
#include "platform/CaptureAudioOut.h"
#include "platform/HostPath.h"
#include "sound/SoundService.h"
#include "sound/Voice.h"
#include "sound/xMixer.h"
#include "support/AnimationStage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kStrip = 1500;
constexpr std::int32_t kThreeCels = 1;  // about 200 ms at 15 frames a second
constexpr std::int32_t kVoice = 4;

class SequencerVoiceAndAnimationTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        DummyUIRoot::Register();
        stage_ = std::make_unique<AnimationStage>();
        const std::string sounds = platform::ToWindowsPath(SOUND_SRF);
        const std::int32_t file = stage_->Resources().AddSrfFile("sounds.srf", sounds, nullptr);
        stage_->Resources().AddIdResource(kVoice, "Voic", file);
        xMixerSetAudioOut(&out_);
        SoundService::Install();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        dynamic_cast<SoundService*>(view_->GetSoundService())->SetMasterVolume(1.0);
        stage_->AddStrips(std::string(SRF_FIXTURES) + "/anim.srf", {kStrip}, view_.get(), false);
    }
    void TearDown() override {
        view_.reset();
        UIRoot::SetSoundServiceMaker(nullptr);
        stage_.reset();
        xMixerSetAudioOut(nullptr);
        xPendingExitCode = 0;
        SchedulerFixture::TearDown();
    }

    // Main-loop passes, 46 ms apart, the output playing in step.
    void Passes(int count) {
        for (int i = 0; i < count; ++i) {
            ++pass_;
            clock_.Advance(46);
            out_.Advance(46);
            Run();
        }
    }

    int pass_ = 0;
    PassLog log_{pass_};
    platform::CaptureAudioOut out_;
    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
};

// The voice leads: it is started first and the animation one pass later at the
// earliest; the sequence reports started once both have, and ends, once, when
// both have ended, the voice heard in full.
TEST_F(SequencerVoiceAndAnimationTest, TheVoiceStartsFirstAndTheSequenceEndsWithTheLaterOfThem) {
    Voice voice(view_.get(), kVoice);
    Animation animation(view_.get(), kStrip, kThreeCels);
    voice.AddReceiver(&log_);
    animation.AddReceiver(&log_);
    ParallelSequencer sequencer(&log_);
    sequencer.Add(&voice);
    sequencer.Add(&animation);
    sequencer.Start();
    for (int i = 0; i < 400 && !sequencer.IsStopped(); ++i) Passes(1);
    ASSERT_TRUE(sequencer.IsStopped());

    const int animationStarting = log_.PassOf(&animation, "StartingMsg");
    ASSERT_GT(animationStarting, 0);
    const int voiceStarting = log_.PassOf(&voice, "StartingMsg");
    ASSERT_GT(voiceStarting, 0);
    EXPECT_LT(voiceStarting, animationStarting) << "the animation waits for the next update";
    EXPECT_GE(log_.PassOf(&sequencer, "StartedMsg"), log_.PassOf(&voice, "StartedMsg"));
    EXPECT_GE(log_.PassOf(&sequencer, "StartedMsg"), log_.PassOf(&animation, "StartedMsg"));
    const int lastEnd = std::max(log_.PassOf(&voice, "StoppedMsg"), log_.PassOf(&animation, "StoppedMsg"));
    EXPECT_GE(log_.PassOf(&sequencer, "StoppedMsg"), lastEnd);
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    EXPECT_EQ(log_.Count(&voice, "StoppedMsg"), 1);
    EXPECT_EQ(log_.Count(&animation, "StoppedMsg"), 1);
    EXPECT_FALSE(voice.HasReceiver(&sequencer));
    EXPECT_FALSE(animation.HasReceiver(&sequencer));

    std::size_t heard = 0;
    for (std::int16_t sample : out_.RecordedSamples()) heard += sample != 0 ? 1 : 0;
    EXPECT_GT(heard, 0u);
    EXPECT_EQ(voice.GetChannel(), -1);
}

// A serial sequence of one short animation held at its end, an empty serial
// sequence and, leading, a serial sequence of a voice, run together. The others
// are started once, after the voice: the empty one ends at once and the
// animation's one reaches its end while the voice plays, and neither is started
// again (a second start of the animation's sequence would find its child held
// at its end and break the sequence). The whole reports started once all have
// been, and ends with the voice.
TEST_F(SequencerVoiceAndAnimationTest, SequencesThatEndBeforeTheStartCompletesAreNotRestarted) {
    Voice voice(view_.get(), kVoice);
    Animation animation(view_.get(), kStrip, kThreeCels);
    animation.SetHoldAtEnd();
    animation.AddReceiver(&log_);
    voice.AddReceiver(&log_);
    SerialSequencer pictures(&log_);
    pictures.Add(&animation, true);
    SerialSequencer voices(&log_);
    voices.Add(&voice);
    SerialSequencer effects(&log_);
    ParallelSequencer sequencer(&log_);
    sequencer.Add(&pictures);
    sequencer.Add(&voices);
    sequencer.Add(&effects);
    sequencer.Start();
    for (int i = 0; i < 400 && !sequencer.IsStopped(); ++i) Passes(1);
    ASSERT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log_.Count(&pictures, "StartingMsg"), 1);
    EXPECT_EQ(log_.Count(&effects, "StartingMsg"), 1);
    EXPECT_EQ(log_.Count(&voices, "StartingMsg"), 1);
    EXPECT_EQ(log_.Count(&sequencer, "StartedMsg"), 1);
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    EXPECT_LE(log_.PassOf(&pictures, "StoppedMsg"), log_.PassOf(&voice, "StoppedMsg"));
    EXPECT_GE(log_.PassOf(&sequencer, "StoppedMsg"), log_.PassOf(&voice, "StoppedMsg"));
    EXPECT_TRUE(animation.IsPaused()) << "held at its end";
    EXPECT_FALSE(animation.HasReceiver(&pictures));
}

}  // namespace
