#include "net/LogonDialogTemplates.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/DialogTemplate.h"

namespace {

std::uint32_t PixelAt(const platform::Surface& s, int x, int y) {
    const std::uint8_t* p = s.Row(y) + x * 4;
    return static_cast<std::uint32_t>(p[2]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[0]) << 16);
}

TEST(LogonDialogPaintTest, EveryDialogHasItsControls) {
    const struct {
        int dialog;
        std::set<int> ids;
    } cases[] = {
        {101, {1003, 1002, 1001, 1, 1000, 2, 1075}},
        {106, {1065, 1000, 2}},
        {109, {1003, 1002, 1006, 1004, 1005, 1069, 1009, 1010, 1011, 1012, 1016, 1015, 1, 2}},
        {110, {1047, 1068, 1049, 1050, 1051, 1052, 1053, 1043, 1044, 1045, 1, 2}},
        {111, {1072, 1073, 1074, 1075, 1, 2}},
    };
    for (const auto& c : cases) {
        const platform::DialogTemplate& t = LogonDialogTemplate(c.dialog);
        std::set<int> ids;
        for (const auto& control : t.controls) {
            if (control.id > 0) ids.insert(control.id);
            EXPECT_LE(control.x + control.width, t.width) << c.dialog << " " << control.id;
            EXPECT_LE(control.y + control.height, t.height) << c.dialog << " " << control.id;
        }
        EXPECT_EQ(ids, c.ids) << c.dialog;
    }
    EXPECT_TRUE(LogonDialogTemplate(5).controls.empty());
}

// The logon dialog over a black game picture reads back where it was placed.
TEST(LogonDialogPaintTest, TheLogonDialogLiesWherePlacedOverTheGame) {
    LogonDialogState state;
    state.id = 101;
    state.texts[1003] = "Bob";
    state.texts[1002] = "secret";
    state.checks[1001] = true;
    state.focus = 1003;
    const platform::DialogTemplate& t = LogonDialogTemplate(101);
    platform::Surface dialog(t.width, platform::DialogSurfaceHeight(t), 32, false);
    platform::PaintDialog(dialog, t, nullptr, [&](const platform::DialogControl& c) { return LogonControlView(state, c); });
    platform::Surface picture(640, 480, 32, false);
    const int x = platform::CentredDialogOffset(640, t.width);
    const int y = platform::CentredDialogOffset(480, dialog.Height());
    platform::LayDialogOver(picture, dialog, x, y);
    EXPECT_EQ(PixelAt(picture, x - 1, y + 5), 0u) << "the game stays black around it";
    EXPECT_EQ(PixelAt(picture, x + t.width, y + 5), 0u);
    EXPECT_EQ(PixelAt(picture, x + 10, y + 10), platform::kDialogTitle);
    EXPECT_EQ(PixelAt(picture, x + 5, y + dialog.Height() - 5), platform::kDialogFace);
    // The user-name field is white inside its frame, the save box is checked (black centre).
    EXPECT_EQ(PixelAt(picture, x + 100 + 30, y + 20 + 12 + 2), platform::kDialogField);
    EXPECT_EQ(PixelAt(picture, x + 100 + 6, y + 20 + 70 + 3 + 6), 0u);
    // A dialog laid partly outside is clipped, not written past the picture.
    platform::LayDialogOver(picture, dialog, 600, 460);
    platform::LayDialogOver(picture, dialog, -100, -50);
    EXPECT_EQ(PixelAt(picture, 639, 479), platform::kDialogTitle);
}

}  // namespace
