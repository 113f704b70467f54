#include "platform/SdlMessageBoxSink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/SdlDesktopControl.h"

namespace {

using platform::BoxAnswer;
using platform::BoxStyle;
using platform::Num;

// Tests run with SDL's dummy video driver: no box may block them.
TEST(SdlMessageBoxSinkTest, WithoutADisplayBoxesGoToStandardErrorWithTheDefaultAnswer) {
    ::setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_FALSE(platform::SdlMessageBoxSink::DisplayAvailable());
    platform::SdlMessageBoxSink sink;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(sink.Show("Vizuzor - Error", "No sound card.", Num(BoxStyle::IconStop)), BoxAnswer::Ok);
    EXPECT_EQ(sink.Show("Login", "Retry?", Num(BoxStyle::OkCancel) | Num(BoxStyle::IconStop)), BoxAnswer::Ok);
    sink.Beep(Num(BoxStyle::IconStop));
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "Vizuzor - Error: No sound card.\nLogin: Retry?\n");
}

// A display named that video cannot start on is no display: SDL's own box is not tried
// (on a display server that has gone it can crash), the box is written on standard error
// once and answers with its default button.
TEST(SdlMessageBoxSinkTest, ADisplayNamedThatDoesNotAnswerGetsTheBoxOnStandardErrorOnly) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const std::string driverBefore = driver != nullptr ? driver : "";
    const char* display = std::getenv("DISPLAY");
    const std::string displayBefore = display != nullptr ? display : "";
    ::unsetenv("SDL_VIDEODRIVER");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("DISPLAY", ":59999", 1);  // nothing answers there
    ASSERT_TRUE(platform::SdlMessageBoxSink::DisplayAvailable());
    platform::SdlMessageBoxSink sink;
    ::testing::internal::CaptureStderr();
    const BoxAnswer answer =
        sink.Show("Vizuzor - Error", "We cannot contact the dispatch server.\nPlease check.", Num(BoxStyle::IconStop));
    const std::string written = ::testing::internal::GetCapturedStderr();
    driver != nullptr ? ::setenv("SDL_VIDEODRIVER", driverBefore.c_str(), 1) : ::unsetenv("SDL_VIDEODRIVER");
    display != nullptr ? ::setenv("DISPLAY", displayBefore.c_str(), 1) : ::unsetenv("DISPLAY");
    EXPECT_EQ(answer, BoxAnswer::Ok);
    // SDL's probe for a display may warn first; the box is the one line after it.
    const std::string box = "Vizuzor - Error: We cannot contact the dispatch server.\nPlease check.\n";
    ASSERT_GE(written.size(), box.size()) << written;
    EXPECT_EQ(written.substr(written.size() - box.size()), box) << written;
    EXPECT_EQ(written.find(box), written.size() - box.size()) << "written more than once: " << written;
}

TEST(SdlMessageBoxSinkTest, InstalledSinkIsTheCurrentOne) {
    platform::SdlMessageBoxSink sink;
    platform::MessageBoxSink* before = platform::MessageBoxSink::Install(&sink);
    EXPECT_EQ(&platform::MessageBoxSink::Current(), &sink);
    platform::MessageBoxSink::Install(before);
    EXPECT_NE(&platform::MessageBoxSink::Current(), &sink);
}

TEST(SdlDesktopControlTest, BeforeVideoStartsOnlyTheCursorCountMoves) {
    platform::SdlDesktopControl desktop;
    EXPECT_FALSE(desktop.IsScreenSaverEnabled());
    desktop.SetScreenSaverEnabled(false);
    EXPECT_EQ(desktop.ShowCursor(false), -1);
    EXPECT_EQ(desktop.ShowCursor(true), 0);
}

}  // namespace
