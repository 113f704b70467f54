#include "framework/Screen.h"

#include "SchedulerFixture.h"
#include "TestNode.h"
#include "framework/DummyUIRoot.h"

#include <gtest/gtest.h>

namespace {

class ScreenTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        DummyUIRoot::Register();
    }
};

TEST_F(ScreenTest, BaseTimesAreAsGivenAndTheTotalIsTheirSum) {
    Screen screen(DummyUIRoot::GetInstance(), 100);
    EXPECT_EQ(screen.GetLayer(), 100);
    screen.SetSegmentTimes(10000, 1000, 2000, 3000);
    EXPECT_EQ(screen.GetSegmentTime(), 10000u);
    EXPECT_EQ(screen.GetBaseTotalTime(), 6000u);
    EXPECT_EQ(screen.GetTotalTime(), 6000u);
    EXPECT_EQ(screen.GetBaseFirstTime(), 1000u);
    EXPECT_EQ(screen.GetBaseMiddleTime(), 2000u);
    EXPECT_EQ(screen.GetBaseLastTime(), 3000u);
    EXPECT_EQ(screen.GetFirstTime(), 1000u);
    EXPECT_EQ(screen.GetMiddleTime(), 2000u);
    EXPECT_EQ(screen.GetLastTime(), 3000u);
}

TEST_F(ScreenTest, StartAndStopRequestsNoteTheTime) {
    Screen screen(DummyUIRoot::GetInstance(), 0);
    clock_.Set(5000);
    screen.Start();
    EXPECT_EQ(screen.GetRequestTime(), 5000u);
    clock_.Set(5100);
    Run();
    EXPECT_TRUE(screen.IsStarted());
    EXPECT_EQ(screen.GetRequestTime(), 5000u);
    clock_.Set(6000);
    screen.Stop();
    EXPECT_EQ(screen.GetRequestTime(), 6000u);
    Run();
    EXPECT_TRUE(screen.IsStopped());
    // A refused request still notes its time, then throws.
    clock_.Set(7000);
    EXPECT_THROW(screen.Stop(), int);
    EXPECT_EQ(screen.GetRequestTime(), 7000u);
}

TEST_F(ScreenTest, IdleStopsAtTheScreen) {
    Screen screen(DummyUIRoot::GetInstance(), 0);
    TestNode child(&screen);
    screen.Idle();
    EXPECT_EQ(child.idles, 0);
}

TEST_F(ScreenTest, ANullParentThrowsZero) {
    EXPECT_THROW(Screen(nullptr, 0), int);
}

}  // namespace
