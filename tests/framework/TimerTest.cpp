#include "framework/Timer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MsgLog.h"
#include "SchedulerFixture.h"
#include "framework/ExecutionService.h"
#include "framework/TimerMsg.h"

namespace {

// Counts TimerMsg and runs an optional action inside the send.
class Listener : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        if (msg.Is<TimerMsg>()) {
            ++fired;
            lastFrom = from;
            if (action) {
                action();
            }
        }
        return 0;
    }
    int fired = 0;
    MsgSender* lastFrom = nullptr;
    std::function<void()> action;
};

class TimerTest : public SchedulerFixture {
  protected:
    // Start and let the start handler arm it.
    void StartAndSettle(Timer& timer) {
        timer.Start();
        Run();
        ASSERT_TRUE(timer.IsStarted());
    }

    Listener listener_;
};

TEST_F(TimerTest, OneShotFiresWhenDueEqualsNowThenGoesIdleButStaysStarted) {
    Timer timer(&listener_);
    EXPECT_TRUE(timer.HasReceiver(&listener_));
    timer.StartOnce(100);
    EXPECT_TRUE(timer.IsOnce());
    EXPECT_FALSE(timer.IsScheduled()) << "not armed before the start";
    StartAndSettle(timer);
    EXPECT_TRUE(timer.IsScheduled());

    clock_.Advance(99);
    Run();
    EXPECT_EQ(listener_.fired, 0);
    clock_.Advance(1);
    Run();
    EXPECT_EQ(listener_.fired, 1);
    EXPECT_EQ(listener_.lastFrom, static_cast<MsgSender*>(&timer));
    EXPECT_TRUE(timer.IsIdle());
    EXPECT_TRUE(timer.IsStarted());
    EXPECT_FALSE(timer.IsScheduled());
    clock_.Advance(1000);
    Run();
    EXPECT_EQ(listener_.fired, 1);
}

TEST_F(TimerTest, ZeroIntervalsAndNoModeNeverArm) {
    Timer timer(&listener_);
    timer.StartOnce(0);
    timer.StartRepeating(0);
    EXPECT_TRUE(timer.IsIdle());
    EXPECT_EQ(timer.GetInterval(), 0u);
    StartAndSettle(timer);
    EXPECT_FALSE(timer.IsScheduled());
    clock_.Advance(100000);
    Run();
    EXPECT_EQ(listener_.fired, 0);

    timer.StartRepeating(50);
    timer.StartOnce(0);
    EXPECT_TRUE(timer.IsRepeating()) << "0 leaves the armed timer alone";
    EXPECT_EQ(timer.GetInterval(), 50u);
}

TEST_F(TimerTest, StartOnceOnAnArmedTimerMovesTheDueTime) {
    Timer timer(&listener_);
    timer.StartOnce(100);
    StartAndSettle(timer);
    clock_.Advance(80);
    timer.StartOnce(50);
    clock_.Advance(40);  // 120 after the start: past the first due time
    Run();
    EXPECT_EQ(listener_.fired, 0);
    clock_.Advance(10);
    Run();
    EXPECT_EQ(listener_.fired, 1);
}

TEST_F(TimerTest, RepeatingFiresAtMostOncePerRunAndCountsFromAfterTheSend) {
    Timer timer(&listener_);
    timer.StartRepeating(100);
    StartAndSettle(timer);
    listener_.action = [this] { clock_.Advance(30); };  // a slow receiver

    clock_.Advance(1000);  // ten periods late
    Run();
    EXPECT_EQ(listener_.fired, 1);
    Run();
    EXPECT_EQ(listener_.fired, 1) << "missed periods are not made up";
    clock_.Advance(99);
    Run();
    EXPECT_EQ(listener_.fired, 1);
    clock_.Advance(1);  // 100 after the end of the send
    Run();
    EXPECT_EQ(listener_.fired, 2);
    EXPECT_TRUE(timer.IsRepeating());
    EXPECT_TRUE(timer.IsScheduled());
}

TEST_F(TimerTest, StopAndRestart) {
    struct Case {
        const char* what;
        bool stopWhenFired;
        int firedAfterRestart;
    };
    const Case cases[] = {
        {"plain one-shot forgets its interval", false, 0},
        {"stop-when-fired delay fires again", true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Listener listener;
        Timer timer(&listener);
        if (c.stopWhenFired) {
            timer.SetStopWhenFired();
        }
        timer.StartOnce(100);
        StartAndSettle(timer);
        timer.Stop();
        Run();
        ASSERT_TRUE(timer.IsStopped());
        EXPECT_FALSE(timer.IsScheduled());
        EXPECT_EQ(timer.GetInterval(), c.stopWhenFired ? 100u : 0u);

        StartAndSettle(timer);
        clock_.Advance(100);
        Run();
        EXPECT_EQ(listener.fired, c.firedAfterRestart);
        if (c.stopWhenFired) {
            EXPECT_TRUE(timer.IsStopping()) << "stops its own process after firing";
            Run();
            EXPECT_TRUE(timer.IsStopped());
            EXPECT_TRUE(timer.GetStopWhenFired());
        }
    }
}

TEST_F(TimerTest, WhatFollowsAFiring) {
    struct Case {
        const char* what;
        bool repeating;
        bool stopWhenFired;
        // Messages of the run that fires, then of the run after it.
        std::vector<std::string> firing;
        std::vector<std::string> after;
        bool startedAfter;
        bool scheduledAfter;
        bool idleAfter;
        std::uint32_t intervalAfter;
    };
    const Case cases[] = {
        {"plain one-shot", false, false, {"TimerMsg"}, {}, true, false, true, 100},
        {"plain repeating", true, false, {"TimerMsg"}, {}, true, true, false, 100},
        {"stop-when-fired one-shot",
         false,
         true,
         {"TimerMsg", "StoppingMsg"},
         {"StoppedMsg"},
         false,
         false,
         false,
         100},
        {"stop-when-fired repeating",
         true,
         true,
         {"TimerMsg", "StoppingMsg"},
         {"StoppedMsg"},
         false,
         false,
         false,
         100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MsgLog log;
        Timer timer(&log);
        if (c.stopWhenFired) {
            timer.SetStopWhenFired();
        }
        if (c.repeating) {
            timer.StartRepeating(100);
        } else {
            timer.StartOnce(100);
        }
        StartAndSettle(timer);
        log.Clear();

        clock_.Advance(100);
        Run();
        EXPECT_EQ(log.Names(), c.firing);
        log.Clear();
        Run();
        EXPECT_EQ(log.Names(), c.after);
        EXPECT_EQ(timer.IsStarted(), c.startedAfter);
        EXPECT_EQ(timer.IsStopped(), !c.startedAfter);
        EXPECT_EQ(timer.IsScheduled(), c.scheduledAfter);
        EXPECT_EQ(timer.IsIdle(), c.idleAfter);
        EXPECT_EQ(timer.IsRepeating(), c.repeating && !c.idleAfter);
        EXPECT_EQ(timer.GetInterval(), c.intervalAfter);
    }
}

TEST_F(TimerTest, ReArmingFromInsideTheTimersOwnMessageStands) {
    struct Case {
        const char* what;
        bool repeating;
        bool stopWhenFired;
        std::function<void(Timer&)> rearm;
        std::uint32_t nextAfter;
    };
    const Case cases[] = {
        {"one-shot re-armed once", false, false, [](Timer& t) { t.StartOnce(40); }, 40},
        {"one-shot turned repeating", false, false, [](Timer& t) { t.StartRepeating(60); }, 60},
        {"repeating turned one-shot", true, false, [](Timer& t) { t.StartOnce(25); }, 25},
        {"stop-when-fired delay re-armed", false, true, [](Timer& t) { t.StartOnce(70); }, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Listener listener;
        Timer timer(&listener);
        if (c.stopWhenFired) {
            timer.SetStopWhenFired();
        }
        if (c.repeating) {
            timer.StartRepeating(100);
        } else {
            timer.StartOnce(100);
        }
        StartAndSettle(timer);
        listener.action = [&] {
            if (listener.fired == 1) {
                c.rearm(timer);
            }
        };
        clock_.Advance(100);
        Run();
        ASSERT_EQ(listener.fired, 1);
        EXPECT_TRUE(timer.IsStarted());
        EXPECT_TRUE(timer.IsScheduled());
        EXPECT_FALSE(timer.IsIdle());
        clock_.Advance(c.nextAfter - 1);
        Run();
        EXPECT_EQ(listener.fired, 1);
        clock_.Advance(1);
        Run();
        EXPECT_EQ(listener.fired, 2);
    }
}

TEST_F(TimerTest, CancelKeepsTheDelayOnlyWithStopWhenFired) {
    Timer timer(&listener_);
    timer.StartRepeating(100);
    StartAndSettle(timer);
    timer.Cancel();
    EXPECT_TRUE(timer.IsIdle());
    EXPECT_EQ(timer.GetInterval(), 0u);
    EXPECT_FALSE(timer.IsScheduled());
    EXPECT_TRUE(timer.IsStarted());

    timer.SetStopWhenFired();
    timer.StartRepeating(30);
    timer.Cancel();
    EXPECT_TRUE(timer.IsRepeating());
    EXPECT_EQ(timer.GetInterval(), 30u);
    EXPECT_FALSE(timer.IsScheduled());
    timer.ClearStopWhenFired();
    EXPECT_FALSE(timer.GetStopWhenFired());
}

TEST_F(TimerTest, CannotPause) {
    Timer timer;
    StartAndSettle(timer);
    EXPECT_FALSE(timer.IsPausable());
    EXPECT_THROW(timer.Pause(), int);
    EXPECT_TRUE(timer.IsStarted());
}

TEST_F(TimerTest, DestroyingATimerUnschedulesItEvenFromInsideItsOwnMessage) {
    auto timer = std::make_unique<Timer>(&listener_);
    timer->StartRepeating(10);
    StartAndSettle(*timer);
    timer.reset();
    clock_.Advance(10);
    Run();
    EXPECT_EQ(listener_.fired, 0);

    timer = std::make_unique<Timer>(&listener_);
    timer->StartRepeating(10);
    StartAndSettle(*timer);
    listener_.action = [&timer] { timer.reset(); };
    clock_.Advance(10);
    Run();
    EXPECT_EQ(listener_.fired, 1);
    EXPECT_EQ(timer, nullptr);
    clock_.Advance(10);
    Run();
    EXPECT_EQ(listener_.fired, 1);
}

TEST_F(TimerTest, FiresAcrossTheWrapOfTheClock) {
    clock_.Set(0xFFFFFFF0u);
    Timer timer(&listener_);
    timer.StartOnce(0x20);
    StartAndSettle(timer);
    clock_.Advance(0x1F);
    Run();
    EXPECT_EQ(listener_.fired, 0) << "due lies past the wrap";
    clock_.Advance(1);
    Run();
    EXPECT_EQ(listener_.fired, 1);
}

}  // namespace
