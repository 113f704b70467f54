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

TEST(WinTypesTest, DialogMessagesKeepTheirNumbers) {
    using platform::Num;
    using platform::WinMsg;
    EXPECT_EQ(Num(WinMsg::InitDialog), 0x0110u);
    EXPECT_EQ(Num(WinMsg::Command), 0x0111u);
    EXPECT_EQ(Num(WinMsg::DrawItem), 0x002Bu);
    EXPECT_EQ(platform::MakeCommandParam(1003, platform::ControlNotify::ComboEditChange), 0x000503EBu);
    EXPECT_EQ(platform::MakeCommandParam(2, platform::ControlNotify::Clicked), 2u);
}

}  // namespace
