#include "framework/View.h"

#include "FakeRootCanvas.h"
#include "SchedulerFixture.h"
#include "framework/AppTime.h"
#include "framework/KeyboardService.h"
#include "framework/ReadyToPlayNextScreenMsg.h"
#include "framework/Screen.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// A screen that finishes its start after its first phase and its stop after its
// last, timed by a Timer of its own.
class TimedScreen : public Screen {
  public:
    TimedScreen(UI* parent, std::string name) : Screen(parent, 100), name_(std::move(name)), timer_(this) {
        timer_.Start();
    }

    void OnStarting() override { Wait(GetFirstTime()); }
    void OnStopping() override { Wait(GetLastTime()); }

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (!fromQueue && msg.Is<TimerMsg>() && from == static_cast<MsgSender*>(&timer_)) {
            Finish();
        }
        return Screen::HandleMsg(msg, from, fromQueue, queued);
    }

    const std::string& Name() const { return name_; }

  private:
    void Wait(std::uint32_t ms) {
        if (ms == 0) {
            Finish();
        } else {
            timer_.StartOnce(ms);
        }
    }
    void Finish() {
        if (IsStarting()) {
            Started();
        } else if (IsStopping()) {
            Stopped();
        }
    }

    std::string name_;
    Timer timer_;
};

// Writes down, with the application time, each screen's state messages and the
// view's readiness messages.
class Journal : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        std::string what;
        if (msg.Is<ReadyToPlayNextScreenMsg>()) {
            what = "ready";
        } else if (auto* screen = dynamic_cast<TimedScreen*>(from)) {
            if (msg.Is<StartedMsg>()) {
                what = screen->Name() + " started";
            } else if (msg.Is<StoppedMsg>()) {
                what = screen->Name() + " stopped";
            }
        }
        if (!what.empty()) {
            events.push_back({what, GetAppTime()});
        }
        return 0;
    }

    struct Event {
        std::string what;
        std::uint32_t at;
    };
    std::vector<Event> events;
};

class ViewTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        view_->AddReceiver(&journal_);
        for (const char* name : {"A", "B", "C"}) {
            screens_.push_back(std::make_unique<TimedScreen>(view_.get(), name));
            screens_.back()->AddReceiver(view_.get());
            screens_.back()->AddReceiver(&journal_);
        }
        view_->Start();
        Run();  // the view and the screens' timers start
        ASSERT_TRUE(view_->IsStarted());
    }
    void TearDown() override {
        screens_.clear();
        view_.reset();
        UIRoot::SetCanvasMaker(nullptr);
        SchedulerFixture::TearDown();
    }

    TimedScreen& Screen(int i) { return *screens_[static_cast<std::size_t>(i)]; }

    // Runs one pass per millisecond up to the given application time.
    void RunUntil(std::uint32_t time) {
        while (GetAppTime() < time) {
            clock_.Advance(1);
            Run();
        }
    }

    Journal journal_;
    std::unique_ptr<View> view_;
    std::vector<std::unique_ptr<TimedScreen>> screens_;
};

TEST_F(ViewTest, HoldsTheKeyboardFocusFromTheStart) {
    EXPECT_TRUE(view_->GetKeyboardService()->HasFocus(view_.get()));
    EXPECT_TRUE(view_->IsReadyForScreen());
    EXPECT_EQ(view_->GetCurrentScreen(), nullptr);
    EXPECT_EQ(view_->GetNextScreen(), nullptr);
}

// The segment time each screen is given: delay + last, less the current
// screen's last phase, held within 32 bits.
TEST_F(ViewTest, SegmentTimeOfTheShownScreen) {
    struct Case {
        const char* what;
        bool current;  // a current screen with the last phase below
        std::uint32_t currentLast;
        std::uint32_t delay, first, middle, last;
        std::uint32_t segment;
    };
    const Case cases[] = {
        {"empty view", false, 0, 5000, 1000, 2000, 700, 5700},
        {"after a last phase of 700", true, 700, 5000, 1000, 2000, 800, 5100},
        {"a last phase longer than what is left", true, 9000, 5000, 1000, 2000, 800, 0},
        {"a last phase exactly what is left", true, 5800, 5000, 1000, 2000, 800, 0},
        {"a sum past 32 bits", false, 0, 0xFFFFFF00u, 1, 1, 0x200, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.current) {
            view_->ShowScreen(&Screen(0), 10000, 10, 10, c.currentLast);
        }
        TimedScreen& shown = Screen(1);
        view_->ShowScreen(&shown, c.delay, c.first, c.middle, c.last);
        EXPECT_EQ(shown.GetSegmentTime(), c.segment);
        EXPECT_EQ(shown.GetBaseFirstTime(), c.first);
        EXPECT_EQ(shown.GetBaseMiddleTime(), c.middle);
        EXPECT_EQ(shown.GetBaseLastTime(), c.last);
        EXPECT_EQ(view_->GetCurrentScreen(), c.current ? &Screen(0) : &shown);
        EXPECT_EQ(view_->GetNextScreen(), c.current ? &shown : nullptr);
        // The first screen starts at once; the next one waits.
        EXPECT_EQ(shown.IsStarting(), !c.current);
        EXPECT_TRUE(shown.IsStopped() == c.current);
    }
}

TEST_F(ViewTest, TheNextScreenStartsOnlyAfterTheCurrentOneHasStopped) {
    TimedScreen& a = Screen(0);
    TimedScreen& b = Screen(1);
    view_->ShowScreen(&a, 5000, 1000, 2000, 700);
    EXPECT_FALSE(view_->IsReadyForScreen());  // starting
    RunUntil(2500);
    ASSERT_TRUE(a.IsStarted());
    EXPECT_TRUE(view_->IsReadyForScreen());
    view_->ShowScreen(&b, 5000, 1000, 2000, 800);
    EXPECT_EQ(b.GetSegmentTime(), 5100u);
    EXPECT_TRUE(a.IsStopping());              // asked at once, as it had started
    EXPECT_FALSE(view_->IsReadyForScreen());  // one is pending
    RunUntil(3199);
    EXPECT_TRUE(a.IsStopping());
    EXPECT_TRUE(b.IsStopped());
    RunUntil(3205);
    EXPECT_TRUE(a.IsStopped());
    EXPECT_TRUE(b.IsStarting());
    EXPECT_EQ(view_->GetCurrentScreen(), &b);
    EXPECT_EQ(view_->GetNextScreen(), nullptr);
}

// A screen still starting when the next one is shown is stopped once it
// reports started.
TEST_F(ViewTest, AScreenStillStartingIsStoppedWhenItHasStarted) {
    TimedScreen& a = Screen(0);
    TimedScreen& b = Screen(1);
    view_->ShowScreen(&a, 5000, 1000, 2000, 700);
    RunUntil(1500);
    view_->ShowScreen(&b, 5000, 1000, 2000, 800);
    EXPECT_TRUE(a.IsStarting());
    EXPECT_FALSE(view_->IsReadyForScreen());
    RunUntil(2010);
    EXPECT_TRUE(a.IsStopping());
    RunUntil(2800);
    EXPECT_EQ(view_->GetCurrentScreen(), &b);
    for (const Journal::Event& e : journal_.events) {
        EXPECT_NE(e.what, "ready");  // it never got ready while B waited
    }
}

TEST_F(ViewTest, MessagesFromAScreenThatIsNotCurrentAreIgnored) {
    TimedScreen& a = Screen(0);
    TimedScreen& c = Screen(2);
    view_->ShowScreen(&a, 5000, 1000, 2000, 700);
    // C runs on its own: its start and stop reach the view and change nothing.
    c.Start();
    RunUntil(2100);
    ASSERT_TRUE(c.IsStarted());
    c.Stop();
    RunUntil(3000);
    ASSERT_TRUE(c.IsStopped());
    EXPECT_EQ(view_->GetCurrentScreen(), &a);
    EXPECT_TRUE(a.IsStarted());
    int ready = 0;
    for (const Journal::Event& e : journal_.events) {
        ready += e.what == "ready" ? 1 : 0;
    }
    EXPECT_EQ(ready, 1);  // for A alone
}

// The sender is tested again when the queued message is handled: a StartedMsg
// queued while its screen was current, and handled after a StoppedMsg queued
// before it has made the next screen current, does nothing.
TEST_F(ViewTest, TheSenderIsTestedAgainWhenTheMessageIsHandled) {
    TimedScreen& a = Screen(0);
    TimedScreen& b = Screen(1);
    view_->ShowScreen(&a, 5000, 1000, 2000, 3000);
    RunUntil(2100);
    view_->ShowScreen(&b, 5000, 1000, 2000, 800);
    journal_.events.clear();
    view_->Receive(StoppedMsg(), &a);
    view_->Receive(StartedMsg(), &a);
    Run();
    EXPECT_EQ(view_->GetCurrentScreen(), &b);
    EXPECT_TRUE(b.IsStarting());
    EXPECT_TRUE(journal_.events.empty()) << journal_.events.front().what;
    // A's own StoppedMsg comes later from a screen that is no longer current.
    RunUntil(5200);
    EXPECT_TRUE(a.IsStopped());
    EXPECT_EQ(view_->GetCurrentScreen(), &b);
    EXPECT_TRUE(b.IsStarted());
}

TEST_F(ViewTest, ASecondPendingScreenThrowsAndChangesNothing) {
    view_->ShowScreen(&Screen(0), 5000, 1000, 2000, 700);
    view_->ShowScreen(&Screen(1), 5000, 1000, 2000, 800);
    const std::uint32_t before = Screen(2).GetSegmentTime();
    try {
        view_->ShowScreen(&Screen(2), 1, 2, 3, 4);
        FAIL() << "a second screen was allowed to wait";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
    EXPECT_EQ(view_->GetNextScreen(), &Screen(1));
    EXPECT_EQ(Screen(2).GetSegmentTime(), before);
}

TEST_F(ViewTest, TheCurrentScreenStoppingWithNothingPendingThrows) {
    TimedScreen& a = Screen(0);
    view_->ShowScreen(&a, 5000, 1000, 2000, 700);
    RunUntil(2100);
    a.Stop();
    bool thrown = false;
    while (!thrown && GetAppTime() < 4000) {
        clock_.Advance(1);
        try {
            Run();
        } catch (int code) {
            EXPECT_EQ(code, 0);
            thrown = true;
        }
    }
    EXPECT_TRUE(thrown);
}

// While the view is not started, its screens' messages change nothing.
TEST_F(ViewTest, AStoppedViewOnlyWatches) {
    view_->Stop();
    Run();
    ASSERT_TRUE(view_->IsStopped());
    TimedScreen& a = Screen(0);
    view_->ShowScreen(&a, 5000, 1000, 2000, 700);
    RunUntil(2100);
    ASSERT_TRUE(a.IsStarted());
    a.Stop();
    RunUntil(3000);  // no throw, although nothing waits
    EXPECT_TRUE(a.IsStopped());
    for (const Journal::Event& e : journal_.events) {
        EXPECT_NE(e.what, "ready");
    }
}

// Three screens in turn, each shown by the application when the segment
// comes, with its phase times on the manual clock.
TEST_F(ViewTest, PlaysThreeScreensInTurn) {
    struct Segment {
        std::uint32_t shownAt;
        std::uint32_t delay, first, middle, last;
        std::uint32_t segmentTime;
    };
    const Segment segments[] = {
        {1000, 5000, 1000, 2000, 700, 5700},
        {4000, 5000, 1000, 2000, 800, 5100},
        {8000, 3000, 500, 1000, 400, 2600},
    };
    for (int i = 0; i < 3; ++i) {
        const Segment& s = segments[i];
        RunUntil(s.shownAt);
        view_->ShowScreen(&Screen(i), s.delay, s.first, s.middle, s.last);
        EXPECT_EQ(Screen(i).GetSegmentTime(), s.segmentTime);
    }
    RunUntil(10000);
    // Each hand-over takes a pass of the view's queue and one of the next
    // screen's state handler, so events land within a few ms of their phase.
    const struct {
        const char* what;
        std::uint32_t at;
    } expected[] = {
        {"A started", 2000}, {"ready", 2000},     {"A stopped", 4700}, {"B started", 5700},
        {"ready", 5700},     {"B stopped", 8800}, {"C started", 9300}, {"ready", 9300},
    };
    ASSERT_EQ(journal_.events.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].what);
        EXPECT_EQ(journal_.events[i].what, expected[i].what);
        EXPECT_GE(journal_.events[i].at, expected[i].at);
        EXPECT_LE(journal_.events[i].at, expected[i].at + 4);
    }
    EXPECT_EQ(view_->GetCurrentScreen(), &Screen(2));
    EXPECT_TRUE(Screen(0).IsStopped());
    EXPECT_TRUE(Screen(1).IsStopped());
    EXPECT_TRUE(Screen(2).IsStarted());
    EXPECT_TRUE(view_->IsReadyForScreen());
}

}  // namespace
