#include "divir/xDesktop.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/DesktopControl.h"
#include "platform/PosixUrlLauncher.h"
#include "platform/RecordingMessageBoxSink.h"
#include "support/TempFolder.h"

namespace {

using platform::BoxAnswer;
using platform::BoxStyle;
using platform::Num;

TEST(xDesktopTest, GripesShowStopBoxes) {
    platform::RecordingMessageBoxSink boxes;
    xGripe(nullptr, "Cannot connect.", "Login");
    boxes.answer = BoxAnswer::Cancel;
    EXPECT_EQ(xGripeOkCancel(nullptr, "Save the password?", "Registration"), 0);
    boxes.answer = BoxAnswer::Ok;
    EXPECT_EQ(xGripeOkCancel(nullptr, "Again?", "Change"), 1);
    ASSERT_EQ(boxes.boxes.size(), 3u);
    EXPECT_EQ(boxes.boxes[0].title, "Login");
    EXPECT_EQ(boxes.boxes[0].text, "Cannot connect.");
    EXPECT_EQ(boxes.boxes[0].style, Num(BoxStyle::Ok) | Num(BoxStyle::IconStop));
    EXPECT_EQ(boxes.boxes[1].style, Num(BoxStyle::OkCancel) | Num(BoxStyle::IconStop));

    xGripe(nullptr, nullptr, "t");
    xGripe(nullptr, "t", nullptr);
    EXPECT_EQ(xGripeOkCancel(nullptr, "t", nullptr), 1);
    EXPECT_EQ(xGripeOkCancel(nullptr, nullptr, "t"), 1);
    EXPECT_EQ(boxes.boxes.size(), 3u) << "null texts show nothing";
}

class FakeDesktop : public platform::DesktopControl {
  public:
    FakeDesktop() : before_(Install(this)) {}
    ~FakeDesktop() override { Install(before_); }
    bool IsScreenSaverEnabled() override { return saver; }
    void SetScreenSaverEnabled(bool enabled) override {
        saver = enabled;
        ++switches;
    }
    int ShowCursor(bool show) override {
        ++cursorCalls;
        return show ? ++count : --count;
    }
    bool saver = false;
    int switches = 0;
    int count = 0;
    int cursorCalls = 0;

  private:
    DesktopControl* before_;
};

TEST(xDesktopTest, BusyPhaseRestoresOnlyWhatItSwitchedOff) {
    FakeDesktop desktop;
    desktop.saver = true;
    xBeginBusyPhase();
    EXPECT_FALSE(desktop.saver);
    xEndBusyPhase();
    EXPECT_TRUE(desktop.saver);
    EXPECT_EQ(desktop.switches, 2);

    desktop.saver = false;
    xBeginBusyPhase();
    xEndBusyPhase();
    EXPECT_EQ(desktop.switches, 2) << "a screen saver that was off is left alone";
}

TEST(xDesktopTest, CursorCountIsDrivenAcrossZero) {
    FakeDesktop desktop;
    desktop.count = 2;
    EXPECT_EQ(xShowCursor(0), 1);
    EXPECT_EQ(desktop.count, -1);
    EXPECT_EQ(xShowCursor(0), 0);
    EXPECT_EQ(desktop.count, -2) << "each call steps at least once";
    EXPECT_EQ(xShowCursor(1), 0);
    EXPECT_EQ(desktop.count, 0);
}

class RecordingLauncher : public platform::UrlLauncher {
  public:
    RecordingLauncher() : before_(Install(this)) {}
    ~RecordingLauncher() override { Install(before_); }
    void Launch(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;

  private:
    UrlLauncher* before_;
};

TEST(xDesktopTest, OnlyWebAddressesAreLaunched) {
    RecordingLauncher launcher;
    const char* accepted[] = {"http://example.com/sponsor?id=1&x=2", "HTTPS://Example.com/a;b$(c)"};
    const char* refused[] = {"file:///etc/passwd",
                             "javascript:alert(1)",
                             "--help",
                             "http://",
                             "http://a b",
                             "http://a\nb",
                             "ftp://x",
                             "http:/x",
                             ""};
    for (const char* url : accepted) LaunchURL(url);
    for (const char* url : refused) LaunchURL(url);
    LaunchURL(nullptr);
    EXPECT_EQ(launcher.urls, (std::vector<std::string>{accepted[0], accepted[1]}));
}

TEST(PosixUrlLauncherTest, TheAddressIsOneArgumentAndNoShellSeesIt) {
    TempFolder dir;
    const std::string out = dir.Host("argv.txt");
    dir.Write("browser", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out + "'\n");
    std::filesystem::permissions(dir.Host("browser"), std::filesystem::perms::owner_all);
    const std::string url = "http://x.example/a?b=1&c=$(echo>" + dir.Host("pwned") + ");d`e`|x";
    {
        platform::PosixUrlLauncher launcher(dir.Host("browser"));
        launcher.Launch(url);
        launcher.Launch("file:///etc/passwd");
        launcher.WaitForChildren();
        EXPECT_EQ(launcher.ReapFinished(), 0);
    }
    EXPECT_EQ(dir.Read("argv.txt"), "1|" + url);
    EXPECT_FALSE(std::filesystem::exists(dir.Host("pwned")));
}

// A browser program that cannot be started (xdg-open missing, say) is the
// launcher's one failure: nothing is reported, and the program goes on with no
// child left behind.
TEST(PosixUrlLauncherTest, AMissingBrowserProgramReportsNothing) {
    TempFolder dir;
    platform::PosixUrlLauncher missing(dir.Host("no-such-browser"));
    platform::UrlLauncher* before = platform::UrlLauncher::Install(&missing);
    EXPECT_NO_THROW(LaunchURL("http://x.example/page"));
    platform::UrlLauncher::Install(before);
    EXPECT_EQ(missing.ReapFinished(), 0);
}

}  // namespace
