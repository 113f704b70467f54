// The start, serial-start and stop sequencers on scripted children.
#include "sequencers/SerialStartSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"

#include "ScriptedProcess.h"
#include "framework/MsgLog.h"
#include "framework/SchedulerFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using OneShotSequencerTest = SchedulerFixture;
const Names kWholeRun{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"};

TEST_F(OneShotSequencerTest, WithoutChildrenEachKindRunsThroughAndEnds) {
    MsgLog startLog;
    MsgLog serialStartLog;
    MsgLog stopLog;
    StartSequencer start(&startLog);
    SerialStartSequencer serialStart(&serialStartLog);
    StopSequencer stop(&stopLog);
    Sequencer* all[] = {&start, &serialStart, &stop};
    for (Sequencer* sequencer : all) {
        sequencer->Start();
        EXPECT_THROW(sequencer->Pause(), int);
    }
    Run(4);
    EXPECT_EQ(startLog.Names(), kWholeRun);
    EXPECT_EQ(serialStartLog.Names(), kWholeRun);
    EXPECT_EQ(stopLog.Names(), kWholeRun);
}

TEST_F(OneShotSequencerTest, StartSequencerStartsEveryChildAndLeavesThemRunning) {
    ScriptedProcess a;
    ScriptedProcess b;
    ScriptedProcess running;
    running.RunUp();
    MsgLog log;
    StartSequencer sequencer(&log);
    sequencer.Add(&a);
    sequencer.Add(&running);  // not stopped: ignored
    sequencer.Add(&b);
    ASSERT_EQ(sequencer.GetChildCount(), 2);
    EXPECT_THROW(sequencer.GetChild(2), int);
    sequencer.Start();
    Run();
    EXPECT_TRUE(a.IsStarting());
    EXPECT_TRUE(b.IsStarting());
    a.Started();
    b.Started();
    EXPECT_TRUE(sequencer.IsStarting());  // never inside the child's send
    Run();
    EXPECT_TRUE(sequencer.HasBeenStarted());
    Run(2);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(), kWholeRun);
    EXPECT_TRUE(a.IsStarted());
    EXPECT_TRUE(b.IsStarted());
    EXPECT_FALSE(a.HasReceiver(&sequencer));
    EXPECT_FALSE(b.HasReceiver(&sequencer));
}

TEST_F(OneShotSequencerTest, SerialStartSequencerStartsOneChildPerReportedStart) {
    ScriptedProcess children[3];
    MsgLog log;
    SerialStartSequencer sequencer(&log);
    for (ScriptedProcess& child : children) {
        sequencer.Add(&child);
    }
    sequencer.Start();
    Run();
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        for (int j = 0; j < 3; ++j) {
            EXPECT_EQ(children[j].IsStarting(), j == i);
        }
        children[i].Started();
        EXPECT_TRUE(i == 2 || children[i + 1].IsStopped());  // one pass later
        Run();
    }
    Run(2);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(), kWholeRun);
    for (ScriptedProcess& child : children) {
        EXPECT_TRUE(child.IsStarted());
        EXPECT_EQ(child.GetReceiverCount(), 0);
    }
}

TEST_F(OneShotSequencerTest, StopSequencerStopsRunningAndPausedChildren) {
    ScriptedProcess running;
    ScriptedProcess paused;
    ScriptedProcess stopped;
    running.RunUp();
    paused.RunUp();
    paused.Pause();
    paused.Paused();
    MsgLog log;
    StopSequencer sequencer(&log);
    sequencer.Add(&running);
    sequencer.Add(&paused);
    sequencer.Add(&stopped);
    sequencer.Start();
    Run(2);
    EXPECT_TRUE(sequencer.IsStarted());
    EXPECT_TRUE(running.IsStopping());
    EXPECT_TRUE(paused.IsStopping());
    running.Stopped();
    Run();
    EXPECT_TRUE(sequencer.IsStarted());
    paused.Stopped();
    EXPECT_TRUE(sequencer.IsStarted());  // never inside the child's send
    Run(3);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(), kWholeRun);
    EXPECT_EQ(running.GetReceiverCount(), 0);
    EXPECT_EQ(paused.GetReceiverCount(), 0);
}

TEST_F(OneShotSequencerTest, StopSequencerOverStoppedChildrenLeavesThemAlone) {
    ScriptedProcess a;
    ScriptedProcess b;
    MsgLog childLog;
    a.AddReceiver(&childLog);
    b.AddReceiver(&childLog);
    MsgLog log;
    StopSequencer sequencer(&log);
    sequencer.Add(&a);
    sequencer.Add(&b);
    sequencer.Start();
    Run(3);
    EXPECT_EQ(log.Names(), kWholeRun);
    EXPECT_TRUE(childLog.Names().empty());
}

}  // namespace
