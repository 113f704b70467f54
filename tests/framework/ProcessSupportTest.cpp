#include "framework/ProcessSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "MsgLog.h"
#include "SchedulerFixture.h"
#include "framework/ProcessForwarder.h"

namespace {

using State = ProcessSupport::State;

// A process that can pause and whose handlers can be switched off, so that a
// test can hold it in any state.
class TestProcess : public ProcessForwarder {
  public:
    bool IsPausable() const override { return pausable; }
    void OnStarting() override {
        if (autoComplete) {
            ProcessForwarder::OnStarting();
        }
    }
    void OnPausing() override {
        if (autoComplete) {
            ProcessForwarder::OnPausing();
        }
    }
    void OnResuming() override {
        if (autoComplete) {
            ProcessForwarder::OnResuming();
        }
    }
    void OnStopping() override {
        if (autoComplete) {
            ProcessForwarder::OnStopping();
        }
    }
    void OnErred() override {
        if (autoComplete) {
            ProcessForwarder::OnErred();
        }
    }
    void OnStarted() override { handled.push_back("OnStarted"); }
    void OnPaused() override { handled.push_back("OnPaused"); }
    void OnStopped() override { handled.push_back("OnStopped"); }

    bool IsScheduled() const { return GetProcessSupport().IsScheduled(); }
    std::int32_t RawState() const { return GetProcessSupport().GetState(); }
    void ForceState(std::int32_t state) { GetProcessSupport().SetStateForTest(state); }
    void ScheduleHandler() { GetProcessSupport().Schedule(); }

    bool pausable = true;
    bool autoComplete = true;
    std::vector<std::string> handled;
};

// Drives a held process (handlers off) into `state` by allowed steps only.
void Reach(TestProcess& p, State state) {
    p.autoComplete = false;
    switch (state) {
        case ProcessSupport::kStopped:
            return;
        case ProcessSupport::kStarting:
            p.Start();
            return;
        case ProcessSupport::kStarted:
            Reach(p, ProcessSupport::kStarting);
            p.Started();
            return;
        case ProcessSupport::kPausing:
            Reach(p, ProcessSupport::kStarted);
            p.Pause();
            return;
        case ProcessSupport::kPaused:
            Reach(p, ProcessSupport::kPausing);
            p.Paused();
            return;
        case ProcessSupport::kResuming:
            Reach(p, ProcessSupport::kPaused);
            p.Resume();
            return;
        case ProcessSupport::kStopping:
            Reach(p, ProcessSupport::kStarted);
            p.Stop();
            return;
        case ProcessSupport::kErred:
            Reach(p, ProcessSupport::kStarted);
            p.Fail();
            return;
    }
}

struct Operation {
    const char* name;
    void (*call)(Process&);
};

const Operation kOperations[] = {
    {"Start", [](Process& p) { p.Start(); }},     {"Pause", [](Process& p) { p.Pause(); }},
    {"Resume", [](Process& p) { p.Resume(); }},   {"Stop", [](Process& p) { p.Stop(); }},
    {"Started", [](Process& p) { p.Started(); }}, {"Paused", [](Process& p) { p.Paused(); }},
    {"Resumed", [](Process& p) { p.Resumed(); }}, {"Stopped", [](Process& p) { p.Stopped(); }},
    {"Fail", [](Process& p) { p.Fail(); }},
};

const char* const kStateNames[] = {"stopped", "starting", "started",  "pausing",
                                   "paused",  "resuming", "stopping", "erred"};

// Every accepted (operation, state) pair with the state it leads to and the
// message it sends; every other pair is refused.
const std::map<std::pair<std::string, int>, std::pair<int, std::string>> kAccepted = {
    {{"Start", ProcessSupport::kStopped}, {ProcessSupport::kStarting, "StartingMsg"}},
    {{"Pause", ProcessSupport::kStarted}, {ProcessSupport::kPausing, "PausingMsg"}},
    {{"Resume", ProcessSupport::kPaused}, {ProcessSupport::kResuming, "ResumingMsg"}},
    {{"Stop", ProcessSupport::kStarted}, {ProcessSupport::kStopping, "StoppingMsg"}},
    {{"Stop", ProcessSupport::kPaused}, {ProcessSupport::kStopping, "StoppingMsg"}},
    {{"Started", ProcessSupport::kStarting}, {ProcessSupport::kStarted, "StartedMsg"}},
    {{"Paused", ProcessSupport::kPausing}, {ProcessSupport::kPaused, "PausedMsg"}},
    {{"Resumed", ProcessSupport::kResuming}, {ProcessSupport::kStarted, "ResumedMsg"}},
    {{"Stopped", ProcessSupport::kStopping}, {ProcessSupport::kStopped, "StoppedMsg"}},
    {{"Stopped", ProcessSupport::kErred}, {ProcessSupport::kStopped, "StoppedMsg"}},
    {{"Fail", ProcessSupport::kStarting}, {ProcessSupport::kErred, "StartingErrorMsg"}},
    {{"Fail", ProcessSupport::kStarted}, {ProcessSupport::kErred, "StartedErrorMsg"}},
    {{"Fail", ProcessSupport::kPausing}, {ProcessSupport::kErred, "PausingErrorMsg"}},
    {{"Fail", ProcessSupport::kPaused}, {ProcessSupport::kErred, "PausedErrorMsg"}},
    {{"Fail", ProcessSupport::kResuming}, {ProcessSupport::kErred, "ResumingErrorMsg"}},
    {{"Fail", ProcessSupport::kStopping}, {ProcessSupport::kErred, "StoppingErrorMsg"}},
};

class ProcessSupportTest : public SchedulerFixture {};

TEST_F(ProcessSupportTest, TransitionTable) {
    for (const Operation& op : kOperations) {
        for (int s = ProcessSupport::kStopped; s <= ProcessSupport::kErred; ++s) {
            SCOPED_TRACE(std::string(op.name) + " in " + kStateNames[s]);
            TestProcess p;
            Reach(p, static_cast<State>(s));
            ASSERT_EQ(p.RawState(), s);
            ASSERT_EQ(p.GetStateName(), kStateNames[s]);
            Run();  // let the pending handler of the reached state pass
            ASSERT_FALSE(p.IsScheduled());

            MsgLog log;
            p.AddReceiver(&log);
            auto accepted = kAccepted.find({op.name, s});
            if (accepted == kAccepted.end()) {
                int code = -1;
                try {
                    op.call(p);
                } catch (int thrown) {
                    code = thrown;
                }
                EXPECT_EQ(code, 0) << "refused with the integer 0";
                EXPECT_EQ(p.RawState(), s);
                EXPECT_TRUE(log.entries.empty());
                // Only Fail in erred keeps the erred handler coming.
                EXPECT_EQ(p.IsScheduled(), std::string(op.name) == "Fail" && s == ProcessSupport::kErred);
            } else {
                op.call(p);
                EXPECT_EQ(p.RawState(), accepted->second.first);
                ASSERT_EQ(log.entries.size(), 1u);
                EXPECT_EQ(log.entries[0].name, accepted->second.second);
                EXPECT_EQ(log.entries[0].from, static_cast<MsgSender*>(&p)) << "sent as the owner";
                EXPECT_TRUE(p.IsScheduled());
            }
            p.RemoveReceiver(&log);
        }
    }
}

TEST_F(ProcessSupportTest, DefaultHandlersWalkTheLifeCycleOneRunAtATime) {
    TestProcess p;
    MsgLog log;
    p.AddReceiver(&log);

    p.Start();
    EXPECT_TRUE(p.IsStarting());
    Run();
    EXPECT_TRUE(p.IsStarted());
    Run();
    EXPECT_EQ(p.handled, (std::vector<std::string>{"OnStarted"}));
    EXPECT_FALSE(p.IsScheduled());

    p.Pause();
    Run();
    EXPECT_TRUE(p.IsPaused());
    p.Resume();
    Run();
    EXPECT_TRUE(p.IsStarted());
    EXPECT_TRUE(p.HasBeenResumed());
    p.Stop();
    Run();
    EXPECT_TRUE(p.IsStopped());
    Run();
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "PausingMsg", "PausedMsg", "ResumingMsg",
                                        "ResumedMsg", "StoppingMsg", "StoppedMsg"}));
    // Paused and resumed started again before a run reached their handlers.
    EXPECT_EQ(p.handled, (std::vector<std::string>{"OnStarted", "OnStopped"}));
    for (bool flag : {p.HasBeenStopped(), p.HasBeenStarting(), p.HasBeenStarted(), p.HasBeenPausing(),
                      p.HasBeenPaused(), p.HasBeenResuming(), p.HasBeenResumed(), p.HasBeenStopping()}) {
        EXPECT_TRUE(flag);
    }
}

TEST_F(ProcessSupportTest, HandlerRunsOnceForTheStateThatHoldsWhenReached) {
    TestProcess p;
    MsgLog log;
    p.AddReceiver(&log);
    p.autoComplete = false;
    p.Start();
    p.Started();
    p.Stop();
    p.autoComplete = true;
    Run();
    EXPECT_TRUE(p.IsStopped()) << "only the stopping handler ran";
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
}

TEST_F(ProcessSupportTest, FailureStopsTheProcessAndKeepsErrorFlagsUntilTheNextStart) {
    TestProcess p;
    MsgLog log;
    p.AddReceiver(&log);
    p.Start();
    Run();
    p.Fail();
    EXPECT_TRUE(p.IsErred());
    EXPECT_TRUE(p.ErredWhileStarted());
    Run();
    EXPECT_TRUE(p.IsStopped());
    EXPECT_TRUE(p.HasErred());
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "StartedErrorMsg", "StoppedMsg"}));

    p.Start();
    EXPECT_FALSE(p.HasErred());
    EXPECT_TRUE(p.HasBeenStopped()) << "stays set for the object's life";
    EXPECT_FALSE(p.HasBeenStarted());
    EXPECT_TRUE(p.HasBeenStarting());
}

TEST_F(ProcessSupportTest, ErredProcessRefusesFailButRunsItsErredHandlerAgain) {
    TestProcess p;
    Reach(p, ProcessSupport::kErred);
    Run();
    EXPECT_THROW(p.Fail(), int);
    EXPECT_TRUE(p.IsScheduled());
    p.autoComplete = true;
    Run();
    EXPECT_TRUE(p.IsStopped());
}

TEST_F(ProcessSupportTest, OwnersStateTestsGuardTheRequests) {
    // A process that claims to be stopped whatever holds may start again.
    class AlwaysStoppable : public TestProcess {
      public:
        bool IsStopped() const override { return true; }
    };
    AlwaysStoppable p;
    p.autoComplete = false;
    p.Start();
    p.Start();
    EXPECT_TRUE(p.IsStarting());

    TestProcess plain;
    plain.pausable = false;
    Reach(plain, ProcessSupport::kStarted);
    EXPECT_THROW(plain.Pause(), int);
    EXPECT_TRUE(plain.IsStarted());
}

TEST_F(ProcessSupportTest, StateMessagesGoThroughTheOwnersSend) {
    class Observed : public TestProcess {
      public:
        void Send(const Msg& msg) override {
            seen.push_back(MsgLog::NameOf(msg));
            TestProcess::Send(msg);
        }
        std::vector<std::string> seen;
    };
    Observed p;
    MsgLog log;
    p.AddReceiver(&log);
    p.Start();
    Run();
    p.Fail();
    EXPECT_EQ(p.seen, (std::vector<std::string>{"StartingMsg", "StartedMsg", "StartedErrorMsg"}));
    EXPECT_EQ(log.Names(), p.seen);
    p.RemoveReceiver(&log);
}

TEST_F(ProcessSupportTest, InvalidStateIsNamedUnknownAndRefusedByTheHandler) {
    TestProcess p;
    p.ForceState(3);
    EXPECT_EQ(p.GetStateName(), "pausing");
    p.ForceState(9);
    EXPECT_EQ(p.GetStateName(), "unknown");
    EXPECT_THROW(p.SetErred(), int);
    EXPECT_EQ(p.RawState(), 9);
    p.ScheduleHandler();
    EXPECT_THROW(Run(), int);
    EXPECT_FALSE(p.IsScheduled());
}

TEST_F(ProcessSupportTest, SetErredFromStoppedIsRefusedAndNullOwnerToo) {
    TestProcess p;
    EXPECT_THROW(p.SetErred(), int);
    EXPECT_TRUE(p.IsStopped());
    EXPECT_FALSE(p.HasErred());
    try {
        ProcessSupport refused(nullptr);
        FAIL() << "constructed";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
}

}  // namespace
