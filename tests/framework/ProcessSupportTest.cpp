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

// A log that also notes, for every message, the state the process is in and
// whether its handler is scheduled at the moment the message arrives.
class StateProbe : public MsgLog {
  public:
    explicit StateProbe(const TestProcess& process) : process_(process) {}
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        states.push_back(process_.RawState());
        scheduled.push_back(process_.IsScheduled());
        return MsgLog::Receive(msg, from);
    }
    std::vector<std::int32_t> states;
    std::vector<bool> scheduled;

  private:
    const TestProcess& process_;
};

using Flag = bool (Process::*)() const;

const Flag kHistoryFlags[] = {&Process::HasBeenStopped, &Process::HasBeenStarting, &Process::HasBeenStarted,
                              &Process::HasBeenPausing, &Process::HasBeenPaused,   &Process::HasBeenResuming,
                              &Process::HasBeenResumed, &Process::HasBeenStopping};

const Flag kErrorFlags[] = {&Process::ErredWhileStarting, &Process::ErredWhileStarted,
                            &Process::ErredWhilePausing,  &Process::ErredWhilePaused,
                            &Process::ErredWhileResuming, &Process::ErredWhileStopping};

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

            StateProbe log(p);
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
                EXPECT_EQ(log.states[0], accepted->second.first) << "receivers see the new state";
                EXPECT_TRUE(log.scheduled[0]) << "scheduled before the message goes out";
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

TEST_F(ProcessSupportTest, FailInEachLiveStateFlagsThatStateAndTheErredHandlerStopsIt) {
    struct Case {
        State state;
        const char* error;
        Flag flag;
    };
    const Case cases[] = {
        {ProcessSupport::kStarting, "StartingErrorMsg", &Process::ErredWhileStarting},
        {ProcessSupport::kStarted, "StartedErrorMsg", &Process::ErredWhileStarted},
        {ProcessSupport::kPausing, "PausingErrorMsg", &Process::ErredWhilePausing},
        {ProcessSupport::kPaused, "PausedErrorMsg", &Process::ErredWhilePaused},
        {ProcessSupport::kResuming, "ResumingErrorMsg", &Process::ErredWhileResuming},
        {ProcessSupport::kStopping, "StoppingErrorMsg", &Process::ErredWhileStopping},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kStateNames[c.state]);
        TestProcess p;
        Reach(p, c.state);
        Run();
        StateProbe log(p);
        p.AddReceiver(&log);

        p.Fail();
        EXPECT_TRUE(p.IsErred());
        EXPECT_EQ(p.GetStateName(), "erred");
        for (Flag flag : kErrorFlags) {
            EXPECT_EQ((p.*flag)(), flag == c.flag);
        }
        EXPECT_TRUE(p.HasErred());
        EXPECT_THROW(p.Start(), int) << "an erred process is stopped by its handler first";
        EXPECT_THROW(p.Stop(), int);

        p.autoComplete = true;
        Run();
        EXPECT_TRUE(p.IsStopped());
        EXPECT_TRUE(p.HasBeenStopped());
        EXPECT_TRUE(p.HasErred()) << "until the next start";
        EXPECT_TRUE((p.*c.flag)());
        EXPECT_EQ(log.Names(), (std::vector<std::string>{c.error, "StoppedMsg"}));
        EXPECT_EQ(log.states, (std::vector<std::int32_t>{ProcessSupport::kErred, ProcessSupport::kStopped}));
        p.handled.clear();
        Run();
        EXPECT_EQ(p.handled, (std::vector<std::string>{"OnStopped"}));
        EXPECT_FALSE(p.IsScheduled());
        p.RemoveReceiver(&log);
    }
}

TEST_F(ProcessSupportTest, SettersMoveTheStateAndSetTheirOwnFlagOnly) {
    struct Case {
        const char* setter;
        void (*call)(Process&);
        State state;
        Flag flag;
    };
    const Case cases[] = {
        {"SetStarting", [](Process& p) { p.SetStarting(); }, ProcessSupport::kStarting,
         &Process::HasBeenStarting},
        {"SetStarted", [](Process& p) { p.SetStarted(); }, ProcessSupport::kStarted,
         &Process::HasBeenStarted},
        {"SetPausing", [](Process& p) { p.SetPausing(); }, ProcessSupport::kPausing,
         &Process::HasBeenPausing},
        {"SetPaused", [](Process& p) { p.SetPaused(); }, ProcessSupport::kPaused, &Process::HasBeenPaused},
        {"SetResuming", [](Process& p) { p.SetResuming(); }, ProcessSupport::kResuming,
         &Process::HasBeenResuming},
        {"SetResumed", [](Process& p) { p.SetResumed(); }, ProcessSupport::kStarted,
         &Process::HasBeenResumed},
        {"SetStopping", [](Process& p) { p.SetStopping(); }, ProcessSupport::kStopping,
         &Process::HasBeenStopping},
        {"SetStopped", [](Process& p) { p.SetStopped(); }, ProcessSupport::kStopped,
         &Process::HasBeenStopped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setter);
        TestProcess p;
        MsgLog log;
        p.AddReceiver(&log);
        c.call(p);
        EXPECT_EQ(p.RawState(), c.state);
        for (Flag flag : kHistoryFlags) {
            EXPECT_EQ((p.*flag)(), flag == c.flag);
        }
        EXPECT_FALSE(p.HasErred());
        EXPECT_TRUE(log.entries.empty()) << "setters send nothing";
        EXPECT_FALSE(p.IsScheduled()) << "setters schedule nothing";
        p.RemoveReceiver(&log);
    }

    // ClearHistory keeps only HasBeenStopped, and forgets every failure.
    TestProcess p;
    for (const Case& c : cases) {
        c.call(p);
    }
    p.SetStarting();
    p.SetErred();
    ASSERT_TRUE(p.HasErred());
    p.ClearHistory();
    for (Flag flag : kHistoryFlags) {
        EXPECT_EQ((p.*flag)(), flag == &Process::HasBeenStopped);
    }
    EXPECT_FALSE(p.HasErred());
    EXPECT_TRUE(p.IsErred()) << "the state itself stays";
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
