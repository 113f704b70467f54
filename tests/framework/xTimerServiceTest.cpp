#include "framework/xTimerService.h"

#include "SchedulerFixture.h"
#include "framework/DummyUIRoot.h"
#include "framework/xMsgTimer.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A parent element that counts the timer messages of its timer service.
struct Owner : UIElement {
    Owner() : UIElement(nullptr) {}
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (msg.Is<xMsgTimer>()) {
            if (onTimer) {
                onTimer();
            }
            if (throwNext) {
                throwNext = false;
                throw 0;
            }
            ++fired;
            lastFrom = from;
            times.push_back(GetAppTime());
        }
        return UIElement::HandleMsg(msg, from, fromQueue, queued);
    }
    int fired = 0;
    MsgSender* lastFrom = nullptr;
    bool throwNext = false;
    std::function<void()> onTimer;
    std::vector<std::uint32_t> times;  // application clock at each firing
};

class xTimerServiceTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        DummyUIRoot::Register();
        owner = std::make_unique<Owner>();
        timer = std::make_unique<xTimerService>(owner.get());
    }
    void TearDown() override {
        timer.reset();
        owner.reset();
        SchedulerFixture::TearDown();
    }
    // Advances the clock by ms and runs one pass.
    void Pass(std::uint32_t ms) {
        clock_.Advance(ms);
        Run();
    }

    std::unique_ptr<Owner> owner;
    std::unique_ptr<xTimerService> timer;
};

TEST_F(xTimerServiceTest, RunsFromConstructionWithItsParentAsOnlyReceiver) {
    EXPECT_EQ(timer->IsRunning(), 1);
    EXPECT_EQ(timer->GetMsgReceiverCount(), 1);
    EXPECT_TRUE(timer->HasReceiver(owner.get()));
    EXPECT_TRUE(timer->IsStopped());
    EXPECT_EQ(timer->StartTimer(100, 0), 0);
    EXPECT_TRUE(timer->IsStarting());  // started on the first StartTimer
}

TEST_F(xTimerServiceTest, RepeatCountsFireOneMoreTime) {
    struct Case {
        std::uint32_t repeat;
        int firings;
    };
    // Counts that read as negative (all ones aside) end the countdown like 0.
    for (const Case& c : {Case{0, 1}, Case{2, 3}, Case{0x80000000u, 1}, Case{0xFFFFFFFEu, 1}}) {
        SCOPED_TRACE(c.repeat);
        owner->fired = 0;
        owner->times.clear();
        const std::uint32_t start = GetAppTime();
        ASSERT_EQ(timer->StartTimer(100, c.repeat), 0);
        Pass(100);  // due exactly: not yet
        EXPECT_EQ(owner->fired, 0);
        for (int i = 0; i < 10; ++i) {
            Pass(100);
        }
        EXPECT_EQ(owner->fired, c.firings);
        EXPECT_EQ(owner->lastFrom, timer.get());
        EXPECT_FALSE(timer->IsArmed());
        // One firing on the first pass past each due time: an interval apart.
        for (std::size_t i = 0; i < owner->times.size(); ++i) {
            EXPECT_EQ(owner->times[i], start + 200 + 100 * i);
        }
    }
}

TEST_F(xTimerServiceTest, ForeverCatchesUpAfterAStallOncePerPass) {
    timer->StartTimer(100, 0xFFFFFFFFu);
    Pass(450);
    EXPECT_EQ(owner->fired, 1);
    Pass(0);
    Pass(0);
    Pass(0);
    EXPECT_EQ(owner->fired, 4);
    Pass(0);  // caught up: due is 500
    EXPECT_EQ(owner->fired, 4);
    Pass(51);
    EXPECT_EQ(owner->fired, 5);
    timer->CancelTimer();
    Pass(1000);
    EXPECT_EQ(owner->fired, 5);
}

TEST_F(xTimerServiceTest, AThrowingReceiverLeavesCountAndDueAsTheyWere) {
    timer->StartTimer(100, 1);
    owner->throwNext = true;
    clock_.Advance(101);
    EXPECT_THROW(Run(), int);
    EXPECT_TRUE(timer->IsArmed());
    Pass(0);  // the same due time fires again, and the count is still 1
    Pass(100);
    Pass(100);
    EXPECT_EQ(owner->fired, 2);
    EXPECT_FALSE(timer->IsArmed());
}

TEST_F(xTimerServiceTest, FiresAcrossTheWrapOfTheClock) {
    clock_.Advance(0xFFFFFFC0u - GetAppTime());
    timer->StartTimer(100, 1);  // due 0x24, after the clock wraps
    Pass(0x40);                 // the clock reads 0: not yet
    EXPECT_EQ(owner->fired, 0);
    Pass(0x24);  // due exactly
    EXPECT_EQ(owner->fired, 0);
    Pass(1);
    EXPECT_EQ(owner->fired, 1);
    Pass(100);
    EXPECT_EQ(owner->fired, 2);
    EXPECT_EQ(owner->times, (std::vector<std::uint32_t>{0x25, 0x89}));
}

TEST_F(xTimerServiceTest, RestartReplacesAndStartRefusesWhileArmed) {
    timer->StartTimer(1000, 0);
    EXPECT_EQ(timer->StartTimer(10, 0), -1);
    Pass(20);
    EXPECT_EQ(owner->fired, 0);
    EXPECT_EQ(timer->RestartTimer(10), 0);
    Pass(11);
    EXPECT_EQ(owner->fired, 1);
    Pass(2000);
    EXPECT_EQ(owner->fired, 1);
}

TEST_F(xTimerServiceTest, DestroyingUnschedules) {
    Executable* raw = timer.get();  // converted while the object lives
    EXPECT_TRUE(ExecutionService::GetInstance().Contains(raw));
    timer.reset();
    EXPECT_FALSE(ExecutionService::GetInstance().Contains(raw));
}

// The parent ends the service from inside the service's own send.
TEST_F(xTimerServiceTest, AReceiverMayDestroyTheServiceFromItsOwnTimerMessage) {
    timer->StartTimer(100, 3);
    owner->onTimer = [this] { timer.reset(); };
    Pass(100);
    Pass(100);
    EXPECT_EQ(owner->fired, 1);
    EXPECT_EQ(timer, nullptr);
    owner->onTimer = nullptr;
    Pass(100);
    EXPECT_EQ(owner->fired, 1);
}

}  // namespace
