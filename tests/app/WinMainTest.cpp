#include "app/WinMain.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "framework/ErrorMsg.h"
#include "framework/MessagePump.h"
#include "framework/ObjectRegistry.h"
#include "framework/TestApplication.h"
#include "platform/FakeMessageQueue.h"
#include "platform/RecordingMessageBoxSink.h"

namespace {

using platform::FakeMessageQueue;
using platform::Num;
using platform::WinMsg;

const std::string kInternal =
    "An unusual internal error occurred.\nPlease check your connection to the Internet\nor try to play again "
    "later.";

class WinMainTest : public testing::Test {
  protected:
    void SetUp() override {
        TestApplication::Register();
        xErrorCode = 0;
        xPendingExitCode = 0;
        entry_.instance = this;
        entry_.programPath = "/games/vizuzor/RovodevIdozEzozuz";
        entry_.productName = [](const std::string&) { return std::optional<std::string>("Vizuzor"); };
        entry_.displayMode = [this] { return display_; };
        entry_.setCurrentFolder = [this](const std::string& folder) { folders_.push_back(folder); };
        entry_.claimSingleInstance = [this](const std::string& path) {
            claimed_.push_back(path);
            return !secondInstance_;
        };
        entry_.queue = &queue_;
    }
    void TearDown() override {
        ObjectRegistry::DestroyAll();
        xErrorCode = 0;
        xPendingExitCode = 0;
    }

    // Runs the entry; the test application quits on pass `quitAt` unless the pass
    // action ends the loop first.
    int Run(std::function<void(TestApplication&)> onPass = {}, int quitAt = 3) {
        TestApplication::script().onPass = [onPass, quitAt](TestApplication& app) {
            if (onPass) onPass(app);
            if (app.passes == quitAt) app.Quit();
        };
        return WinMain(entry_);
    }

    FakeMessageQueue queue_;
    EntryPlatform entry_;
    std::optional<DisplayMode> display_ = DisplayMode{32, 1024, 768};
    std::vector<std::string> folders_;
    std::vector<std::string> claimed_;
    bool secondInstance_ = false;
    platform::RecordingMessageBoxSink boxes_;
};

struct ExitCase {
    const char* name;
    std::function<void(WinMainTest&, EntryPlatform&, std::optional<DisplayMode>&, bool&)> machine;
    std::function<void(TestApplication&)> onPass;
    bool startsApplication;
    std::string text;  // empty: no box
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.name;
}

class WinMainExitTest : public WinMainTest, public testing::WithParamInterface<ExitCase> {};

TEST_P(WinMainExitTest, ShowsTheOneExitMessageThatApplies) {
    const ExitCase& c = GetParam();
    if (c.machine) c.machine(*this, entry_, display_, secondInstance_);
    EXPECT_EQ(Run(c.onPass), 0);

    EXPECT_EQ(TestApplication::script().constructed, c.startsApplication ? 1 : 0);
    EXPECT_EQ(TestApplication::script().destroyed, TestApplication::script().constructed);
    if (c.text.empty()) {
        EXPECT_TRUE(boxes_.boxes.empty());
    } else {
        ASSERT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(boxes_.boxes[0].title, "Vizuzor - Error");
        EXPECT_EQ(boxes_.boxes[0].text, c.text);
        EXPECT_EQ(boxes_.beeps.size(), 1u);
    }
}

using Machine = std::function<void(WinMainTest&, EntryPlatform&, std::optional<DisplayMode>&, bool&)>;
const Machine k386 = [](WinMainTest&, EntryPlatform& e, auto&, bool&) { e.processorIs386 = true; };
const Machine kWin32s = [](WinMainTest&, EntryPlatform& e, auto&, bool&) { e.systemIsWin32s = true; };
const Machine kSixteenColours = [](WinMainTest&, EntryPlatform&, auto& d, bool&) { d->bitsPerPixel = 4; };
const Machine kNoDisplay = [](WinMainTest&, EntryPlatform&, auto& d, bool&) { d.reset(); };
const Machine kSmallScreen = [](WinMainTest&, EntryPlatform&, auto& d, bool&) { d->height = 400; };
const Machine kEverythingWrong = [](WinMainTest&, EntryPlatform& e, auto& d, bool& second) {
    e.processorIs386 = e.systemIsWin32s = true;
    d->width = 320;
    second = true;
};
const Machine kSecond = [](WinMainTest&, EntryPlatform&, auto&, bool& second) { second = true; };
const Machine kNoTimer = [](WinMainTest& t, EntryPlatform& e, auto&, bool&) {
    static_cast<FakeMessageQueue*>(e.queue)->RefuseTimers(true);
    (void)t;
};

std::function<void(TestApplication&)> OnPass(int pass, std::function<void(TestApplication&)> action) {
    return [pass, action](TestApplication& app) {
        if (app.passes == pass) action(app);
    };
}
std::function<void(TestApplication&)> RaiseAndQuit(std::int16_t code) {
    return OnPass(2, [code](TestApplication& app) {
        xThrow(code);
        app.Quit();
    });
}

const std::string kDepthText =
    "You need to set your video display to at least 256 colors to run Vizuzor.\nOpen the Control Panel, "
    "double-click Display, and click on the Settings tab\nto change the color palette.";

INSTANTIATE_TEST_SUITE_P(
    Exits, WinMainExitTest,
    testing::Values(
        ExitCase{"quit", {}, {}, true, ""},
        ExitCase{"processor", k386, {}, false, "You need a 486/66 processor or better to run Vizuzor."},
        ExitCase{"everything wrong reports the processor",
                 kEverythingWrong,
                 {},
                 false,
                 "You need a 486/66 processor or better to run Vizuzor."},
        ExitCase{"windows version", kWin32s, {}, false, "You need Windows95 or later to run Vizuzor."},
        ExitCase{"colour depth", kSixteenColours, {}, false, kDepthText},
        ExitCase{"no display", kNoDisplay, {}, false, kDepthText},
        ExitCase{
            "screen size",
            kSmallScreen,
            {},
            false,
            "You need to set your video display to at least 640x480 to run Vizuzor.\nOpen the Control Panel, "
            "double-click Display, and click on the Settings tab\nto change the desktop area."},
        ExitCase{"second instance",
                 kSecond,
                 {},
                 false,
                 "Vizuzor is already running.\nYou cannot run more than one client."},
        ExitCase{"error message text",
                 {},
                 OnPass(2, [](TestApplication&) { throw ErrorMsg("The room closed."); }),
                 true,
                 "The room closed."},
        ExitCase{"error message text over a code",
                 {},
                 OnPass(2,
                        [](TestApplication&) {
                            xPendingExitCode = 17;
                            throw ErrorMsg("Lost.");
                        }),
                 true,
                 "Lost."},
        ExitCase{
            "pending code over the error code",
            {},
            OnPass(2,
                   [](TestApplication&) {
                       xThrow(1);
                       xPendingExitCode = 19;
                   }),
            true,
            "Your sound card is in use by another program (such as Media Player or some Web browsers).  Try "
            "quitting your Web browser and launching Vizuzor from the Start menu or try restarting Windows."},
        ExitCase{"empty error text falls through to the code",
                 {},
                 OnPass(2,
                        [](TestApplication&) {
                            xThrow(27);
                            throw ErrorMsg("");
                        }),
                 true,
                 "Vizuzorcan't use the sound support in you system.  Vizuzor can't play without sound "
                 "support.  If "
                 "you have a sound card, make sure you have the appropriate drivers installed."},
        ExitCase{"empty error text without a code",
                 {},
                 OnPass(2, [](TestApplication&) { throw ErrorMsg(""); }),
                 true,
                 ""},
        ExitCase{"user break", {}, RaiseAndQuit(8), true, "User break.  (This is not an error.)"},
        ExitCase{
            "memory",
            {},
            RaiseAndQuit(1),
            true,
            "There is not enough memory available to run Vizuzor (10MB required). Try closing other programs "
            "or "
            "restarting Windows, and make sure there is at least 10MB of free space on your hard drive for "
            "virtual memory."},
        ExitCase{
            "system resources",
            {},
            RaiseAndQuit(2),
            true,
            "There are not enough system resources available. Try closing other applications or restarting "
            "Windows."},
        ExitCase{"no sound driver",
                 {},
                 RaiseAndQuit(17),
                 true,
                 "Vizuzor can't find any sound card drivers. You MUST have a properly-installed sound card "
                 "to play "
                 "Vizuzor.  If you have a sound card, make sure you have the appropriate drivers installed."},
        ExitCase{"no 16-bit sound",
                 {},
                 RaiseAndQuit(18),
                 true,
                 "Your sound card does not appear to support 16-bit sound.  If you have the right sound "
                 "card, make "
                 "sure you are using the most recent drivers, which you may be able to download from the "
                 "sound card "
                 "manufacturer's Web pages."},
        ExitCase{"other code", {}, RaiseAndQuit(12003), true, kInternal},
        ExitCase{"negative code shows nothing", {}, RaiseAndQuit(-3), true, ""},
        ExitCase{"anything else thrown", {}, OnPass(1, [](TestApplication&) { throw 5; }), true, kInternal},
        ExitCase{"timer refused", kNoTimer, {}, false, kInternal}),
    [](const testing::TestParamInfo<ExitCase>& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST_F(WinMainTest, TheProductIsTheRecordsNameEvenEmptyAndXApplicationWithoutARecord) {
    struct Case {
        const char* name;
        std::optional<std::string> record;  // the record's product name; none: no record
        std::string product;
    };
    const Case cases[] = {
        {"no record", std::nullopt, "XApplication"},
        {"record without a product name", std::string(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        boxes_.boxes.clear();
        entry_.productName = [&c](const std::string&) { return c.record; };
        secondInstance_ = true;
        Run();
        ASSERT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(boxes_.boxes[0].title, c.product + " - Error");
        EXPECT_EQ(boxes_.boxes[0].text,
                  c.product + " is already running.\nYou cannot run more than one client.");
    }
}

TEST_F(WinMainTest, TheProgramFolderBecomesCurrentAfterTheProcessorCheck) {
    Run();
    EXPECT_EQ(folders_, std::vector<std::string>{"/games/vizuzor"});
    EXPECT_EQ(claimed_, std::vector<std::string>{entry_.programPath});
    EXPECT_EQ(xIsWindowsNT, 1);
    EXPECT_EQ(xInstance, this);

    TearDown();
    SetUp();
    folders_.clear();
    entry_.processorIs386 = true;
    Run();
    EXPECT_TRUE(folders_.empty());
}

TEST_F(WinMainTest, TheLoopWaitsAtMost33MsPerPassOnlyInTheBackground) {
    Run({}, 3);
    EXPECT_TRUE(queue_.waits().empty());

    TearDown();
    SetUp();
    queue_.SetForeground(false);
    Run({}, 4);
    ASSERT_FALSE(queue_.waits().empty());
    for (const auto w : queue_.waits()) EXPECT_LE(w, 33u);
    EXPECT_EQ(xAppInBackground, 0);
}

TEST_F(WinMainTest, CloseAndQuitEndTheLoopThroughTheApplicationAndAreNeverDispatched) {
    for (const bool viaQuit : {false, true}) {
        SCOPED_TRACE(viaQuit ? "WM_QUIT" : "close");
        TearDown();
        SetUp();
        int window = 0;
        std::vector<std::uint32_t> dispatched;
        queue_.RegisterWindow(
            &window, platform::WindowClass{[&](platform::WindowHandle, std::uint32_t m, std::uintptr_t,
                                               std::intptr_t) -> std::intptr_t {
                                               dispatched.push_back(m);
                                               return 0;
                                           },
                                           false});
        int lastPass = 0;
        Run(
            [&](TestApplication& app) {
                lastPass = app.passes;
                if (app.passes == 2) {
                    if (viaQuit)
                        queue_.PostQuit(0);
                    else
                        queue_.PushClose(&window);
                    queue_.Post(&window, Num(WinMsg::User), 0, 0);
                }
            },
            1000);
        EXPECT_LT(lastPass, 10);
        EXPECT_TRUE(boxes_.boxes.empty());
        for (const auto m : dispatched) {
            EXPECT_NE(m, Num(WinMsg::Quit));
            EXPECT_NE(m, Num(WinMsg::SysCommand));
        }
    }
}

TEST_F(WinMainTest, APendingExitCodeEndsTheLoop) {
    int lastPass = 0;
    Run(
        [&](TestApplication& app) {
            lastPass = app.passes;
            if (app.passes == 2) xPendingExitCode = 18;
        },
        1000);
    EXPECT_EQ(lastPass, 2);
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find("16-bit sound"), std::string::npos);
}

TEST_F(WinMainTest, TheFrameIsPresentedOnceAtTheEndOfEveryPass) {
    std::vector<int> presentedAfterPass;
    int passes = 0;
    entry_.presentFrame = [&] { presentedAfterPass.push_back(passes); };
    Run([&](TestApplication& app) { passes = app.passes; }, 3);
    ASSERT_GE(passes, 3);
    std::vector<int> everyPass;
    for (int i = 1; i <= passes; ++i) everyPass.push_back(i);
    EXPECT_EQ(presentedAfterPass, everyPass);
}

}  // namespace
