#include "framework/AppTime.h"

#include <gtest/gtest.h>

#include "ManualClock.h"

namespace {

TEST(AppTimeTest, ReadsTheTickSourceLessTheBase) {
    ManualClock clock(5000);
    EXPECT_EQ(GetAppTime(), 5000u) << "the base is 0 until rebased";
    EXPECT_EQ(RebaseAppTime(), 5000u);
    EXPECT_EQ(GetAppTime(), 0u);
    clock.Advance(33);
    EXPECT_EQ(GetAppTime(), 33u);
    EXPECT_EQ(RebaseAppTime(), 33u);
    EXPECT_EQ(GetAppTime(), 0u);
}

TEST(AppTimeTest, DifferenceWrapsLikeTheTickCount) {
    ManualClock clock(0xFFFFFFFFu);
    RebaseAppTime();
    clock.Advance(2);  // the tick count wraps to 1
    EXPECT_EQ(GetAppTime(), 2u);
}

TEST(AppTimeTest, SystemSourceMovesForward) {
    SetAppTickSource(nullptr);
    const std::uint32_t first = GetAppTime();
    EXPECT_LE(static_cast<std::int32_t>(first - GetAppTime()), 0);
}

}  // namespace
