// Serial and parallel sequences of real animations on the animation service,
// on the screen canvas under the dummy video driver, paced by the manual clock.
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"

#include "media/Animation.h"
#include "media/AnimationService.h"

#include "PassLog.h"
#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"
#include "support/AnimationStage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kStrip = 1500;
// Animation 1 of the strip has three cels, 5 has two.
constexpr std::int32_t kThree = 1;
constexpr std::int32_t kTwo = 5;

class SequencerAnimationTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        service_ = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        ASSERT_NE(service_, nullptr);
        stage_->AddStrips(std::string(SRF_FIXTURES) + "/anim.srf", {kStrip}, view_.get(), false);
    }
    void TearDown() override {
        view_.reset();
        stage_.reset();
        SchedulerFixture::TearDown();
    }

    // Passes of one ms each.
    void RunFor(int ms) {
        for (int i = 0; i < ms; ++i) {
            ++pass_;
            clock_.Advance(1);
            Run();
        }
    }
    std::unique_ptr<Animation> Make(std::int32_t number) {
        auto animation = std::make_unique<Animation>(view_.get(), kStrip, number);
        animation->AddReceiver(&log_);
        return animation;
    }

    int pass_ = 0;
    PassLog log_{pass_};
    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
    AnimationService* service_ = nullptr;
};

TEST_F(SequencerAnimationTest, TheSecondAnimationContinuesFromTheFirstWithoutAGap) {
    auto a = Make(kThree);
    auto b = Make(kTwo);
    SerialSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(b.get());
    sequencer.Start();
    RunFor(3);
    ASSERT_TRUE(a->IsStarted());
    EXPECT_TRUE(b->HasReceiver(&sequencer)) << "prepared while the first plays";
    EXPECT_EQ(service_->GetSceneObject(b.get()), service_->GetSceneObject(a.get()));
    RunFor(1500);
    EXPECT_TRUE(sequencer.IsStopped());
    const int firstEnds = log_.PassOf(a.get(), "StoppedMsg");
    ASSERT_GT(firstEnds, 0);
    EXPECT_EQ(log_.PassOf(b.get(), "StartedMsg"), firstEnds) << "no pass between them";
    EXPECT_EQ(log_.Count(b.get(), "StartingMsg"), 1);
    EXPECT_GE(log_.PassOf(&sequencer, "StoppedMsg"), log_.PassOf(b.get(), "StoppedMsg"));
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    EXPECT_FALSE(a->HasReceiver(&sequencer));
    EXPECT_FALSE(b->HasReceiver(&sequencer));
}

// What the screen shows of the two animations, pass by pass, read back from the
// window: from the first cel of the first to the last cel of the second, no pass
// shows an empty sprite, and each cel is shown in one unbroken run, in order.
TEST_F(SequencerAnimationTest, EveryPassBetweenTwoAnimationsInSeriesShowsTheNextCel) {
    auto a = Make(kThree);
    auto b = Make(kTwo);
    SerialSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(b.get());
    const platform::Surface& back = *platform::GetBackBuffer(view_->GetWindow());
    const std::uint8_t background = back.Row(200)[200];
    // The top-left shown pixel of the corner where the strip draws, and its index;
    // "" when nothing is shown.
    const auto shown = [&] {
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (back.Row(y)[x] != background) {
                    return std::to_string(x) + "," + std::to_string(y) + ":" + std::to_string(back.Row(y)[x]);
                }
            }
        }
        return std::string();
    };
    sequencer.Start();
    std::vector<std::string> runs;
    std::vector<int> blanks;
    for (int pass = 0; pass < 1500; ++pass) {
        RunFor(1);
        const std::string now = shown();
        if (now.empty()) {
            if (!runs.empty() && !sequencer.IsStopped()) blanks.push_back(pass);
        } else if (runs.empty() || runs.back() != now) {
            runs.push_back(now);
        }
    }
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_TRUE(blanks.empty()) << "first blank pass " << (blanks.empty() ? -1 : blanks.front());
    // Animation 1 draws cels of indices 11, 12, 13 at the corner; animation 5 two
    // cels of 11 and 12 placed four pixels in.
    const std::vector<std::string> expected = {"0,0:11", "0,0:12", "0,0:13", "4,4:11", "4,4:12"};
    EXPECT_EQ(runs, expected);
}

TEST_F(SequencerAnimationTest, AHeldFirstAnimationWithPauseEndsIsNotHandedOver) {
    auto a = Make(kThree);
    auto b = Make(kTwo);
    a->SetHoldAtEnd();
    SerialSequencer sequencer(&log_);
    sequencer.Add(a.get(), true);
    sequencer.Add(b.get());
    sequencer.Start();
    RunFor(3);
    EXPECT_FALSE(b->HasReceiver(&sequencer));
    RunFor(1500);
    const int held = log_.PassOf(a.get(), "PausedMsg");
    ASSERT_GT(held, 0);
    EXPECT_GE(log_.PassOf(b.get(), "StartingMsg"), held);
    EXPECT_TRUE(a->IsPaused()) << "it holds at its end";
    EXPECT_TRUE(sequencer.IsStopped());
}

// The nested sequence is followed itself: the outer one moves on when it stops.
TEST_F(SequencerAnimationTest, AHandOverIntoANestedSequenceMovesOnWhenItStops) {
    auto a = Make(kThree);
    auto b = Make(kTwo);
    auto c = Make(kTwo);
    auto d = Make(kThree);
    SerialSequencer nested(&log_);
    nested.Add(b.get());
    nested.Add(c.get());
    SerialSequencer outer(&log_);
    outer.Add(a.get());
    outer.Add(&nested);
    outer.Add(d.get());
    outer.Start();
    RunFor(3);
    EXPECT_TRUE(outer.IsStarted());
    EXPECT_TRUE(nested.HasReceiver(&outer));
    EXPECT_FALSE(b->HasReceiver(&outer)) << "the nested sequence hears its own child";
    EXPECT_TRUE(b->HasReceiver(&nested));
    EXPECT_EQ(service_->GetSceneObject(b.get()), service_->GetSceneObject(a.get()));
    ASSERT_NO_THROW(RunFor(4000));
    const int firstEnds = log_.PassOf(a.get(), "StoppedMsg");
    EXPECT_EQ(log_.PassOf(b.get(), "StartedMsg"), firstEnds);
    EXPECT_EQ(log_.PassOf(&nested, "StartedMsg"), firstEnds) << "starts with its first child";
    EXPECT_GT(log_.PassOf(c.get(), "StartedMsg"), firstEnds);
    EXPECT_GE(log_.PassOf(d.get(), "StartingMsg"), log_.PassOf(&nested, "StoppedMsg"));
    EXPECT_EQ(log_.Count(d.get(), "StoppedMsg"), 1);
    EXPECT_TRUE(outer.IsStopped());
    EXPECT_EQ(log_.Count(&outer, "StoppedMsg"), 1);
    for (Process* child : {static_cast<Process*>(a.get()), static_cast<Process*>(b.get()),
                           static_cast<Process*>(c.get()), static_cast<Process*>(d.get()),
                           static_cast<Process*>(&nested)}) {
        EXPECT_FALSE(child->HasReceiver(&outer));
        EXPECT_FALSE(child->HasReceiver(&nested));
    }
}

TEST_F(SequencerAnimationTest, StoppingDuringAPreparedHandOverStopsEverything) {
    auto a = Make(kThree);
    auto b = Make(kTwo);
    SerialSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(b.get());
    sequencer.Start();
    RunFor(3);
    ASSERT_TRUE(b->HasReceiver(&sequencer));
    sequencer.Stop();
    ASSERT_NO_THROW(RunFor(1500));
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    EXPECT_TRUE(a->IsStopped());
    EXPECT_TRUE(b->IsStopped());
    EXPECT_EQ(service_->GetSegmentEntryCount(), 0u);
    EXPECT_FALSE(a->HasReceiver(&sequencer));
    EXPECT_FALSE(b->HasReceiver(&sequencer));
}

TEST_F(SequencerAnimationTest, AParallelSequenceEndsWhenItsAnimationsHaveEnded) {
    auto a = Make(kThree);
    auto held = Make(kTwo);
    held->SetHoldAtEnd();
    ParallelSequencer sequencer(&log_);
    sequencer.Add(a.get());
    sequencer.Add(held.get(), true);
    sequencer.Start();
    RunFor(1500);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log_.Count(&sequencer, "StoppedMsg"), 1);
    // Counted as ended once it holds; the sequencer's own stop then stops it.
    const int heldAt = log_.PassOf(held.get(), "PausedMsg");
    ASSERT_GT(heldAt, 0);
    EXPECT_GE(log_.PassOf(&sequencer, "StoppingMsg"), std::max(heldAt, log_.PassOf(a.get(), "StoppedMsg")));
    EXPECT_TRUE(held->IsStopped());
    EXPECT_FALSE(held->HasReceiver(&sequencer));
}

}  // namespace
