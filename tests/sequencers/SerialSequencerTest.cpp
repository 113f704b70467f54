#include "sequencers/SerialSequencer.h"

#include "ScriptedProcess.h"
#include "framework/MsgLog.h"
#include "framework/PausedMsg.h"
#include "framework/SchedulerFixture.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingMsg.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;
using SerialSequencerTest = SchedulerFixture;

TEST_F(SerialSequencerTest, WithoutChildrenItStartsAndThenStopsItself) {
    MsgLog log;
    SerialSequencer sequencer(&log);
    sequencer.Start();
    Run(3);
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(), (Names{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
    EXPECT_EQ(sequencer.GetCurrentChild(), nullptr);
    EXPECT_THROW(sequencer.Pause(), int);
}

TEST_F(SerialSequencerTest, RunsItsChildrenOneAfterAnotherInsideTheirSends) {
    ScriptedProcess a;
    ScriptedProcess b;
    ScriptedProcess c;
    MsgLog log;
    SerialSequencer sequencer(&log);
    sequencer.Add(&a);
    sequencer.Add(&b);
    sequencer.Add(&a);  // listed already
    sequencer.Add(nullptr);
    sequencer.Add(&c);
    ASSERT_EQ(sequencer.GetChildCount(), 3);

    sequencer.Start();
    EXPECT_TRUE(a.IsStopped());  // the start runs one pass later
    Run();
    EXPECT_TRUE(a.IsStarting());
    a.Started();
    EXPECT_TRUE(sequencer.IsStarted());  // inside a's send
    EXPECT_EQ(sequencer.GetCurrentChild(), &a);
    sequencer.Add(&b);  // not while running
    sequencer.Clear();
    EXPECT_EQ(sequencer.GetChildCount(), 3);

    a.Stop();
    a.Stopped();
    EXPECT_TRUE(b.IsStarting());
    EXPECT_FALSE(a.HasReceiver(&sequencer));
    EXPECT_EQ(sequencer.GetCurrentChild(), &b);
    b.Started();
    b.Stop();
    b.Stopped();
    EXPECT_TRUE(c.IsStarting());
    c.Started();
    c.Stop();
    c.Stopped();
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(), (Names{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
    for (ScriptedProcess* child : {&a, &b, &c}) {
        EXPECT_FALSE(child->HasReceiver(&sequencer));
    }

    // It runs again from the first child.
    sequencer.Start();
    Run();
    EXPECT_TRUE(a.IsStarting());
}

TEST_F(SerialSequencerTest, AdoptsAFirstChildAlreadyStartedWithoutRestartingIt) {
    ScriptedProcess a;
    ScriptedProcess b;
    SerialSequencer sequencer(nullptr);
    sequencer.Add(&a);
    sequencer.Add(&b);
    a.RunUp();
    MsgLog childLog;
    a.AddReceiver(&childLog);
    sequencer.Start();
    Run();
    EXPECT_TRUE(sequencer.IsStarted());
    EXPECT_TRUE(a.IsStarted());
    EXPECT_TRUE(childLog.Names().empty());  // not started again
}

TEST_F(SerialSequencerTest, AWatchedFirstChildStartedElsewhereStartsTheSequencer) {
    ScriptedProcess a;
    ScriptedProcess b;
    SerialSequencer sequencer(nullptr);
    sequencer.WatchFirstChild();
    sequencer.Add(&a);  // the only child: watched at once
    sequencer.Add(&b);
    EXPECT_TRUE(a.HasReceiver(&sequencer));
    a.Start();
    EXPECT_TRUE(sequencer.IsStarting());
    Run();
    EXPECT_TRUE(sequencer.IsStarting());  // waits for the child's report
    a.Started();
    EXPECT_TRUE(sequencer.IsStarted());
    a.Stop();
    a.Stopped();
    EXPECT_TRUE(b.IsStarting());
}

TEST_F(SerialSequencerTest, APauseEndsChildEndsWhenItPauses) {
    ScriptedProcess a;
    ScriptedProcess b;
    SerialSequencer sequencer(nullptr);
    sequencer.Add(&a, true);
    sequencer.Add(&b);
    sequencer.Start();
    Run();
    a.Started();
    a.Pause();
    a.Paused();
    EXPECT_TRUE(b.IsStarting());
    EXPECT_TRUE(a.IsPaused());  // left where it holds
    EXPECT_FALSE(a.HasReceiver(&sequencer));
}

TEST_F(SerialSequencerTest, StopsACurrentChildThatIsStillStartingOnceItReportsStarted) {
    ScriptedProcess a;
    ScriptedProcess b;
    MsgLog log;
    SerialSequencer sequencer(&log);
    sequencer.Add(&a);
    sequencer.Add(&b);
    sequencer.Start();
    Run();
    a.Started();
    a.Stop();
    a.Stopped();
    ASSERT_TRUE(b.IsStarting());
    sequencer.Stop();
    EXPECT_TRUE(b.IsStarting());
    b.Started();
    EXPECT_TRUE(b.IsStopping());
    b.Stopped();
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(log.Names(), (Names{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
}

// A stop that meets the current child paused (without the pause-ends flag),
// pausing or resuming stops it at once, or as soon as it reports.
TEST_F(SerialSequencerTest, StopsACurrentChildThatIsPausedPausingOrResuming) {
    struct Case {
        const char* name;
        std::function<void(ScriptedProcess&)> bring;    // from started
        std::function<void(ScriptedProcess&)> reports;  // completes its change
    };
    const Case cases[] = {
        {"paused", [](ScriptedProcess& c) { c.Pause(); c.Paused(); }, [](ScriptedProcess&) {}},
        {"pausing", [](ScriptedProcess& c) { c.Pause(); }, [](ScriptedProcess& c) { c.Paused(); }},
        {"resuming", [](ScriptedProcess& c) { c.Pause(); c.Paused(); c.Resume(); },
         [](ScriptedProcess& c) { c.Resumed(); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ScriptedProcess a;
        ScriptedProcess b;
        MsgLog log;
        SerialSequencer sequencer(&log);
        sequencer.Add(&a);
        sequencer.Add(&b);
        sequencer.Start();
        Run();
        a.Started();
        test.bring(a);
        sequencer.Stop();
        test.reports(a);
        EXPECT_TRUE(a.IsStopping());
        a.Stopped();
        EXPECT_TRUE(sequencer.IsStopped());
        EXPECT_TRUE(b.IsStopped());
        EXPECT_FALSE(b.HasBeenStarting());
        EXPECT_EQ(log.Names().back(), "StoppedMsg");
        Run(2);
    }
}

// Stopping itself after the last child, the sequence has no current child.
TEST_F(SerialSequencerTest, HasNoCurrentChildWhileStoppingPastTheLast) {
    struct Owner : MsgReceiver {
        SerialSequencer* sequencer = nullptr;
        std::vector<Process*> seen;
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            if (msg.Is<StoppingMsg>()) {
                seen.push_back(sequencer->GetCurrentChild());
            }
            return 0;
        }
    } owner;
    ScriptedProcess a;
    SerialSequencer sequencer(&owner);
    owner.sequencer = &sequencer;
    sequencer.Add(&a);
    sequencer.Start();
    Run();
    a.Started();
    a.Stop();
    a.Stopped();
    EXPECT_TRUE(sequencer.IsStopped());
    EXPECT_EQ(owner.seen, (std::vector<Process*>{nullptr}));
}

TEST_F(SerialSequencerTest, RefusesABrokenSequence) {
    struct Case {
        const char* name;
        std::function<void(SerialSequencer&, ScriptedProcess& first, ScriptedProcess& second,
                           ScriptedProcess& stranger)>
            act;
    };
    const Case cases[] = {
        {"index below 0", [](SerialSequencer& s, auto&, auto&, auto&) { s.GetChild(-1); }},
        {"index past the end", [](SerialSequencer& s, auto&, auto&, auto&) { s.GetChild(2); }},
        {"first child pausing at the start",
         [](SerialSequencer& s, ScriptedProcess& first, auto&, auto&) {
             first.RunUp();
             first.Pause();
             s.Start();
             ExecutionService::GetInstance().RunExecutables();
         }},
        {"first child paused at the start",
         [](SerialSequencer& s, ScriptedProcess& first, auto&, auto&) {
             first.RunUp();
             first.Pause();
             first.Paused();
             s.Start();
             ExecutionService::GetInstance().RunExecutables();
         }},
        {"StartingMsg while stopped from another child",
         [](SerialSequencer& s, auto&, ScriptedProcess& second, auto&) { s.Receive(StartingMsg(), &second); }},
        {"StartedMsg while starting from another child",
         [](SerialSequencer& s, auto&, ScriptedProcess& second, auto&) {
             s.Start();
             ExecutionService::GetInstance().RunExecutables();
             s.Receive(StartedMsg(), &second);
         }},
        {"PausedMsg from a child not current",
         [](SerialSequencer& s, ScriptedProcess& first, ScriptedProcess& second, auto&) {
             s.Start();
             ExecutionService::GetInstance().RunExecutables();
             first.Started();
             s.Receive(PausedMsg(), &second);
         }},
        {"StoppedMsg from a child not in the sequence",
         [](SerialSequencer& s, ScriptedProcess& first, auto&, ScriptedProcess& stranger) {
             s.Start();
             ExecutionService::GetInstance().RunExecutables();
             first.Started();
             s.Receive(StoppedMsg(), &stranger);
         }},
        {"StartedMsg while stopping from a child not current",
         [](SerialSequencer& s, ScriptedProcess& first, auto&, ScriptedProcess& stranger) {
             s.Start();
             ExecutionService::GetInstance().RunExecutables();
             first.Started();
             s.Stop();
             s.Receive(StartedMsg(), &stranger);
         }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ScriptedProcess first;
        ScriptedProcess second;
        ScriptedProcess stranger;
        SerialSequencer sequencer(nullptr);
        sequencer.Add(&first);
        sequencer.Add(&second);
        EXPECT_THROW(test.act(sequencer, first, second, stranger), int);
    }
}

TEST_F(SerialSequencerTest, LeavesEveryChildWhenDestroyed) {
    ScriptedProcess a;
    ScriptedProcess b;
    {
        SerialSequencer sequencer(nullptr);
        sequencer.WatchFirstChild();
        sequencer.Add(&a);
        sequencer.Add(&b);
        sequencer.Start();
        Run();
        a.Started();
    }
    EXPECT_EQ(a.GetReceiverCount(), 0);
    EXPECT_EQ(b.GetReceiverCount(), 0);
}

}  // namespace
