#include "framework/Countdown.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Steps the countdown once per pass at the given clock readings and returns
// the readings at which it fired.
std::vector<std::uint32_t> RunPasses(Countdown& c, const std::vector<std::uint32_t>& passes) {
    std::vector<std::uint32_t> fired;
    for (std::uint32_t now : passes) {
        if (c.IsDue(now)) {
            fired.push_back(now);
            c.Fired();
        }
    }
    return fired;
}

TEST(CountdownTest, RepeatCountsGiveOneMoreFiring) {
    struct Case {
        std::uint32_t repeat;
        std::size_t firings;
    };
    for (const Case& c : {Case{0, 1}, Case{2, 3}, Case{5, 6}}) {
        SCOPED_TRACE(c.repeat);
        Countdown countdown;
        ASSERT_TRUE(countdown.Start(1000, 100, c.repeat));
        std::vector<std::uint32_t> passes;
        for (std::uint32_t t = 1000; t <= 2000; t += 10) {
            passes.push_back(t);
        }
        const auto fired = RunPasses(countdown, passes);
        ASSERT_EQ(fired.size(), c.firings);
        for (std::size_t i = 0; i < fired.size(); ++i) {
            EXPECT_EQ(fired[i], 1000 + 100 * (i + 1) + 10);  // strictly past due
        }
        EXPECT_FALSE(countdown.IsArmed());
    }
}

TEST(CountdownTest, DueExactlyDoesNotFire) {
    Countdown c;
    c.Start(0, 50, 0);
    EXPECT_FALSE(c.IsDue(50));
    EXPECT_TRUE(c.IsDue(51));
}

TEST(CountdownTest, ForeverCatchesUpOncePerPassAfterAStall) {
    Countdown c;
    c.Start(0, 100, Countdown::kForever);
    // A stall until 450: the firings due at 100..400 come on four passes,
    // then the cadence is the original one again.
    const auto fired = RunPasses(c, {450, 451, 452, 453, 454, 455, 499, 501});
    EXPECT_EQ(fired, (std::vector<std::uint32_t>{450, 451, 452, 453, 501}));
    EXPECT_TRUE(c.IsArmed());
    EXPECT_EQ(c.Repeat(), Countdown::kForever);
    c.Cancel();
    EXPECT_FALSE(c.IsDue(10000));
}

TEST(CountdownTest, StartWhileArmedChangesNothingAndWrapIsSafe) {
    Countdown c;
    ASSERT_TRUE(c.Start(0xFFFFFFF0u, 0x20, 0));
    EXPECT_FALSE(c.Start(0, 5, 3));
    EXPECT_EQ(c.Due(), 0x10u);
    EXPECT_FALSE(c.IsDue(0xFFFFFFFFu));  // before due across the wrap
    EXPECT_TRUE(c.IsDue(0x11));
}

}  // namespace
