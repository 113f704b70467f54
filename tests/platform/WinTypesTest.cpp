#include "platform/WinTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(WinTypesTest, PackedCoordinatesRoundTripIncludingNegatives) {
    struct Case {
        int x, y;
    };
    for (const Case c : {Case{0, 0}, Case{639, 479}, Case{-1, 5}, Case{12, -300}, Case{-32768, 32767}}) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const auto l = platform::MakeLParam(c.x, c.y);
        EXPECT_EQ(platform::LowWord(l), c.x);
        EXPECT_EQ(platform::HighWord(l), c.y);
    }
}

TEST(WinTypesTest, MessageRangesCoverTheirMessages) {
    using platform::Num;
    using platform::WinMsg;
    EXPECT_GE(Num(WinMsg::KeyDown), platform::kKeyFirst);
    EXPECT_LE(Num(WinMsg::SysChar), platform::kKeyLast);
    EXPECT_GE(Num(WinMsg::MouseMove), platform::kMouseFirst);
    EXPECT_LE(Num(WinMsg::MButtonDblClk), platform::kMouseLast);
    EXPECT_LT(Num(WinMsg::Timer), platform::kMouseFirst);
}

}  // namespace
