// Serial and parallel sequences of real sounds on the mixer's sound service,
// mixed into the capture output on the manual clock.
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"

#include "../framework/FakeRootCanvas.h"
#include "ScriptedProcess.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/AppTime.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "PassLog.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "framework/UIRoot.h"
#include "platform/CaptureAudioOut.h"
#include "platform/HostPath.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "resource/ResourceService.h"
#include "sound/Sound.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// 1000 ms, 22050 samples: longer than the mixer fills ahead, so the next
// sound can still be queued behind it once it is heard.
constexpr std::int32_t kTone = 1;
constexpr std::size_t kToneSamples = 22050;

class SequencerSoundTest : public testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xPendingExitCode = 0;
        xFileStartup(8);
        FileResourceFactory::Provide();
        SingletonDefaults::Register(FileResourceFactory::kName);
        ExecutionService::Register();
        DummyUIRoot::Register();
        registry_ = std::make_unique<FileRegistry>();
        resources_ = std::make_unique<ResourceService>();
        resources_->ReserveEntries();
        const std::string path = platform::ToWindowsPath(SOUND_SRF);
        const std::int32_t file = resources_->AddSrfFile("sounds.srf", path, nullptr);
        resources_->AddIdResource(kTone, "snd ", file);
        SetAppTickSource([this] { return now_; });
        xMixerSetAudioOut(&out_);
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        SoundService::Install();
        root_ = std::make_unique<UIRoot>("Vizuzor", 8, 640, 480, false);
        dynamic_cast<SoundService*>(root_->GetSoundService())->SetMasterVolume(1.0);
    }
    void TearDown() override {
        root_.reset();
        UIRoot::SetSoundServiceMaker(nullptr);
        UIRoot::SetCanvasMaker(nullptr);
        resources_.reset();
        registry_.reset();
        SingletonDefaults::Withdraw(FileResourceFactory::kName);
        ObjectRegistry::DestroyAll();
        xMixerSetAudioOut(nullptr);
        SetAppTickSource({});
        xFileCleanup();
        xErrorCode = 0;
        xPendingExitCode = 0;
    }

    // Main-loop passes, 46 ms apart.
    void Passes(int count) {
        for (int i = 0; i < count; ++i) {
            ++pass_;
            now_ += 46;
            out_.Advance(46);
            ExecutionService::GetInstance().RunExecutables();
        }
    }
    std::unique_ptr<Sound> Tone() {
        auto sound = std::make_unique<Sound>(root_.get(), kTone, "snd ");
        sound->AddReceiver(&log_);
        return sound;
    }
    // Samples from the first heard to the last heard, both included.
    std::size_t HeardSpan() {
        const std::vector<std::int16_t> samples = out_.RecordedSamples();
        std::size_t first = 0;
        while (first < samples.size() && samples[first] == 0) ++first;
        std::size_t last = samples.size();
        while (last > first && samples[last - 1] == 0) --last;
        return last - first;
    }

    int pass_ = 0;
    std::uint32_t now_ = 1000;
    PassLog log_{pass_};
    platform::CaptureAudioOut out_;
    std::unique_ptr<FileRegistry> registry_;
    std::unique_ptr<ResourceService> resources_;
    std::unique_ptr<UIRoot> root_;
};

TEST_F(SequencerSoundTest, TheSecondSoundTakesOverTheChannelWithoutAGap) {
    auto a = Tone();
    auto b = Tone();
    SerialSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(b.get());
    sequencer.Start();
    Passes(200);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log_.Count(b.get(), "StartingMsg"), 1);
    const int firstEnds = log_.PassOf(a.get(), "StoppedMsg");
    ASSERT_GT(firstEnds, 0);
    // The service reports the next start by the samples heard and the end
    // when the finished buffer comes back, so the start may come first.
    EXPECT_LE(log_.PassOf(b.get(), "StartedMsg"), firstEnds);
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    // The second's first sample follows the first's last directly.
    EXPECT_EQ(HeardSpan(), 2 * kToneSamples - 1);
    EXPECT_FALSE(SoundService::IsChannelAllocated(0));
    EXPECT_FALSE(a->HasReceiver(&sequencer));
    EXPECT_FALSE(b->HasReceiver(&sequencer));
}

TEST_F(SequencerSoundTest, AHandOverIntoANestedSequenceMovesOnToTheThirdStep) {
    auto a = Tone();
    auto b = Tone();
    auto c = Tone();
    SerialSequencer nested(&log_);
    nested.Add(b.get());
    SerialSequencer outer(&log_);
    outer.Add(a.get());
    outer.Add(&nested);
    outer.Add(c.get());
    outer.Start();
    ASSERT_NO_THROW(Passes(300));
    EXPECT_TRUE(outer.IsStopped());
    EXPECT_EQ(log_.Count(b.get(), "StartingMsg"), 1);
    EXPECT_LE(log_.PassOf(b.get(), "StartedMsg"), log_.PassOf(a.get(), "StoppedMsg"));
    EXPECT_EQ(log_.PassOf(&nested, "StartedMsg"), log_.PassOf(b.get(), "StartedMsg"));
    EXPECT_GE(log_.PassOf(c.get(), "StartingMsg"), log_.PassOf(&nested, "StoppedMsg"));
    EXPECT_EQ(log_.Count(c.get(), "StoppedMsg"), 1);
    EXPECT_EQ(log_.Count(&outer, "StoppedMsg"), 1);
    EXPECT_FALSE(SoundService::IsChannelAllocated(0));
}

TEST_F(SequencerSoundTest, StoppingDuringAPreparedHandOverLeavesNothingQueued) {
    auto a = Tone();
    auto b = Tone();
    a->SetLoops(2);
    SerialSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(b.get());
    sequencer.Start();
    for (int i = 0; i < 100 && !a->IsStarted(); ++i) Passes(1);
    ASSERT_TRUE(b->HasReceiver(&sequencer)) << "the hand-over is prepared";
    sequencer.Stop();
    ASSERT_NO_THROW(Passes(200));
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    EXPECT_TRUE(a->IsStopped());
    EXPECT_TRUE(b->IsStopped());
    EXPECT_TRUE(log_.Count(b.get(), "StoppedMsg") == 1 || log_.Count(b.get(), "SoundQueueAbortedMsg") == 1);
    EXPECT_EQ(b->GetChannel(), -1);
    EXPECT_FALSE(SoundService::IsChannelAllocated(0));
    EXPECT_FALSE(a->HasReceiver(&sequencer));
    EXPECT_FALSE(b->HasReceiver(&sequencer));
}

// The sound starts ahead; the rest one pass after it reports started.
TEST_F(SequencerSoundTest, AParallelSequenceStartsItsLeadingSoundFirst) {
    auto a = Tone();
    ScriptedProcess other;
    auto b = Tone();
    SerialSequencer leading(nullptr);
    leading.Add(b.get());
    EXPECT_TRUE(ParallelSequencer::LeadsWithStoppedSound(a.get()));
    EXPECT_TRUE(ParallelSequencer::LeadsWithStoppedSound(&leading));
    ParallelSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(&other);
    sequencer.Start();
    Passes(1);
    EXPECT_TRUE(a->IsStarting());
    EXPECT_TRUE(other.IsStopped());
    for (int i = 0; i < 100 && !a->IsStarted(); ++i) Passes(1);
    Passes(1);
    ASSERT_TRUE(other.IsStarting()) << "by the end of the pass after the sound's start";
    EXPECT_GT(log_.PassOf(a.get(), "StartedMsg"), 1);
    other.Started();
    Passes(1);
    EXPECT_TRUE(sequencer.IsStarted());
    other.Stop();
    other.Stopped();
    Passes(200);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
}

}  // namespace
