#include "sequencers/ParallelSequencer.h"

#include "framework/MsgLog.h"
#include "framework/SchedulerFixture.h"
#include "framework/StoppedMsg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A process whose start and stop the test completes by hand.
class HandDriven : public ProcessForwarder {
  public:
    void OnStarting() override {}
    void OnStopping() override {}
    bool IsPausable() const override { return true; }
    void OnPausing() override {}
};

using ParallelSequencerTest = SchedulerFixture;

TEST_F(ParallelSequencerTest, StartsWhenAllChildrenHaveStartedAndStopsThemWhenAsked) {
    // Children outlive the sequencer, as their owner arranges.
    HandDriven a;
    HandDriven b;
    HandDriven late;
    MsgLog log;
    ParallelSequencer sequencer(&log);
    sequencer.Add(&a);
    sequencer.Add(&b);
    sequencer.Add(&a);  // listed already
    sequencer.Add(nullptr);
    EXPECT_EQ(sequencer.GetChildCount(), 2);
    sequencer.Start();
    Run();
    EXPECT_TRUE(a.IsStarting());
    EXPECT_TRUE(b.IsStarting());
    a.Started();
    Run(2);
    EXPECT_TRUE(sequencer.IsStarting());
    b.Started();
    Run(2);
    EXPECT_TRUE(sequencer.IsStarted());
    sequencer.Add(&late);  // not while running
    EXPECT_EQ(sequencer.GetChildCount(), 2);

    sequencer.Stop();
    Run();
    EXPECT_TRUE(a.IsStopping());
    EXPECT_TRUE(b.IsStopping());
    a.Stopped();
    b.Stopped();
    Run(2);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_FALSE(a.HasReceiver(&sequencer));
    EXPECT_FALSE(b.HasReceiver(&sequencer));
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
}

TEST_F(ParallelSequencerTest, StopsItselfWhenEveryChildHasEnded) {
    HandDriven stops;
    HandDriven pauses;
    ParallelSequencer sequencer(nullptr);
    sequencer.Add(&stops);
    sequencer.Add(&pauses, true);
    sequencer.Start();
    Run();
    stops.Started();
    pauses.Started();
    Run(2);
    ASSERT_TRUE(sequencer.IsStarted());
    stops.Stop();
    stops.Stopped();
    Run(2);
    EXPECT_TRUE(sequencer.IsStarted());  // the other still runs
    pauses.Pause();
    pauses.Paused();
    Run(3);
    EXPECT_TRUE(sequencer.IsStopping());
    EXPECT_TRUE(pauses.IsStopping());  // a paused child is stopped on the way
    pauses.Stopped();
    Run(2);
    EXPECT_TRUE(sequencer.IsStopped());
}

// Started again from its own stopped message, while its children's last
// reports still wait in its queue: those belong to the run before and must not
// start this one, whose children are all started anew.
TEST_F(ParallelSequencerTest, ARestartFromItsStoppedMessageStartsEveryChildAnew) {
    struct Restarter : MsgReceiver {
        ParallelSequencer* sequencer = nullptr;
        int restarts = 0;
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            if (msg.Is<StoppedMsg>() && restarts++ == 0) sequencer->Start();
            return 0;
        }
    } restarter;
    HandDriven a;
    HandDriven b;
    ParallelSequencer sequencer(&restarter);
    restarter.sequencer = &sequencer;
    sequencer.Add(&a);
    sequencer.Add(&b);
    sequencer.Start();
    Run();
    a.Started();
    b.Started();
    Run(2);
    ASSERT_TRUE(sequencer.IsStarted());
    sequencer.Stop();
    Run();
    a.Stopped();
    b.Stopped();  // two reports queued: the first ends the run, and the restart follows
    Run(3);
    EXPECT_EQ(restarter.restarts, 1);
    EXPECT_TRUE(sequencer.IsStarting());
    EXPECT_TRUE(a.IsStarting());
    EXPECT_TRUE(b.IsStarting());
    a.Started();
    b.Started();
    Run(2);
    EXPECT_TRUE(sequencer.IsStarted());
}

TEST_F(ParallelSequencerTest, WithoutChildrenItStartsAtOnceAndThenEnds) {
    MsgLog log;
    ParallelSequencer sequencer(&log);
    sequencer.Start();
    Run(3);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
    EXPECT_THROW(sequencer.Pause(), int);
}

TEST_F(ParallelSequencerTest, LeavesItsChildrenWhenDestroyedAndThrowsForABadIndex) {
    HandDriven a;
    {
        ParallelSequencer sequencer(nullptr);
        sequencer.Add(&a);
        EXPECT_EQ(sequencer.GetChild(0), &a);
        EXPECT_THROW(sequencer.GetChild(1), int);
        EXPECT_THROW(sequencer.GetChild(-1), int);
        sequencer.Start();
        Run();
        EXPECT_TRUE(a.HasReceiver(&sequencer));
    }
    EXPECT_EQ(a.GetReceiverCount(), 0);
    EXPECT_TRUE(a.IsStarting());  // not stopped: its owner decides
}

}  // namespace

namespace {

TEST_F(ParallelSequencerTest, ReactsOnePassAfterAChildNeverInsideItsSend) {
    HandDriven a;
    ParallelSequencer sequencer(nullptr);
    sequencer.Add(&a);
    sequencer.Start();
    Run();
    a.Started();
    EXPECT_TRUE(sequencer.IsStarting());
    Run();
    EXPECT_TRUE(sequencer.IsStarted());
    a.Stop();
    a.Stopped();
    EXPECT_TRUE(sequencer.IsStarted());
    Run();
    EXPECT_TRUE(sequencer.HasBeenStopping());
    Run();
    EXPECT_TRUE(sequencer.IsStopped());
}

TEST_F(ParallelSequencerTest, ScriptedChildrenDoNotLeadWithASound) {
    HandDriven a;
    ParallelSequencer nested(nullptr);
    nested.Add(&a);
    EXPECT_FALSE(ParallelSequencer::LeadsWithStoppedSound(&a));
    EXPECT_FALSE(ParallelSequencer::LeadsWithStoppedSound(&nested));
}

}  // namespace
