#include "framework/MessagePump.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "divir/xError.h"
#include "divir/xKeyQueue.h"
#include "divir/xTryFrame.h"
#include "framework/ObjectRegistry.h"
#include "framework/TestApplication.h"
#include "platform/FakeMessageQueue.h"

namespace {

using platform::FakeMessageQueue;
using platform::Num;
using platform::VirtualKey;
using platform::WinMessage;
using platform::WinMsg;

int gWindow = 0;
int gDialog = 0;
const platform::WindowHandle kWindow = &gWindow;
const platform::WindowHandle kDialog = &gDialog;

std::vector<std::uint16_t> TakeKeys() {
    std::vector<std::uint16_t> keys;
    // Flags 1 and 4: neither pump nor wait.
    while (const std::uint16_t k = xGetKey(5)) keys.push_back(k);
    return keys;
}

class MessagePumpTest : public testing::Test {
  protected:
    void SetUp() override {
        TestApplication::Register();
        platform::MessageQueue::Install(&queue_);
        queue_.RegisterWindow(
            kWindow, platform::WindowClass{[this](platform::WindowHandle, std::uint32_t m, std::uintptr_t,
                                                  std::intptr_t) -> std::intptr_t {
                                               dispatched_.push_back(m);
                                               return 0;
                                           },
                                           false});
        xAppInBackground = 0;
        xEscapePending = 0;
        xEscapeHandling = 0;
        xClosePending = 0;
        xModelessDialog = nullptr;
        xErrorCode = 0;
        TakeKeys();
    }
    void TearDown() override {
        ObjectRegistry::DestroyAll();
        platform::MessageQueue::Install(nullptr);
        xModelessDialog = nullptr;
        xErrorCode = 0;
        TakeKeys();
    }

    TestApplication& App() { return dynamic_cast<TestApplication&>(*GetApplicationObject()); }
    TestApplication& StartedApp() {
        TestApplication& app = App();
        app.Start();
        app.RunExecutables();
        EXPECT_TRUE(app.IsStarted());
        return app;
    }
    void Pump(int times) {
        for (int i = 0; i < times; ++i) PumpMessages();
    }

    FakeMessageQueue queue_;
    std::vector<std::uint32_t> dispatched_;
};

TEST_F(MessagePumpTest, KeyboardBeforeMouseBeforeEverythingElseOnePerCall) {
    queue_.Post(kWindow, Num(WinMsg::User), 0, 0);
    queue_.PushInput(FakeMessageQueue::Mouse(kWindow, WinMsg::MouseMove, 1, 1));
    queue_.PushInput(FakeMessageQueue::Mouse(kWindow, WinMsg::LButtonDown, 1, 1));
    queue_.PushInput(FakeMessageQueue::Key(kWindow, WinMsg::KeyDown, VirtualKey::LetterA));
    queue_.PushInput(FakeMessageQueue::Char(kWindow, 'a'));

    PumpMessages();
    EXPECT_EQ(dispatched_, std::vector<std::uint32_t>{Num(WinMsg::KeyDown)});
    Pump(5);
    EXPECT_EQ(dispatched_,
              (std::vector<std::uint32_t>{Num(WinMsg::KeyDown), Num(WinMsg::Char), Num(WinMsg::MouseMove),
                                          Num(WinMsg::LButtonDown), Num(WinMsg::User)}));
}

TEST_F(MessagePumpTest, WaitsOnlyInTheBackgroundAndTheTimerWakesIt) {
    queue_.StartThreadTimer(33);
    PumpMessages();
    EXPECT_TRUE(queue_.waits().empty());
    EXPECT_TRUE(dispatched_.empty());

    xAppInBackground = 1;
    PumpMessages();
    xAppInBackground = 0;
    ASSERT_FALSE(queue_.waits().empty());
    std::uint32_t waited = 0;
    for (const auto w : queue_.waits()) waited += w;
    EXPECT_EQ(waited, 33u);
}

TEST_F(MessagePumpTest, KeyDownsAndCharactersFeedTheKeyQueue) {
    struct Case {
        const char* name;
        WinMessage message;
        std::vector<std::uint16_t> keys;
    };
    const auto key = [](VirtualKey vk) { return FakeMessageQueue::Key(kWindow, WinMsg::KeyDown, vk); };
    const auto chr = [](std::uint8_t c) { return FakeMessageQueue::Char(kWindow, c); };
    WinMessage released = chr('r');
    released.lParam = static_cast<std::intptr_t>(static_cast<std::int32_t>(0xC0000001u));
    const std::vector<Case> cases = {
        {"up", key(VirtualKey::Up), {16}},
        {"down", key(VirtualKey::Down), {17}},
        {"left", key(VirtualKey::Left), {18}},
        {"right", key(VirtualKey::Right), {19}},
        {"page up", key(VirtualKey::Prior), {20}},
        {"page down", key(VirtualKey::Next), {21}},
        {"insert", key(VirtualKey::Insert), {22}},
        {"delete", key(VirtualKey::Delete), {23}},
        {"home", key(VirtualKey::Home), {24}},
        {"end", key(VirtualKey::End), {25}},
        {"letter key", key(VirtualKey::LetterA), {}},
        {"key up", FakeMessageQueue::Key(kWindow, WinMsg::KeyUp, VirtualKey::Up), {}},
        {"a", chr('a'), {97}},
        {"e acute", chr(0xE9), {0xE9}},
        {"backspace key", key(VirtualKey::Back), {8}},  // its character, made by translation
        {"ctrl+p", chr(16), {}},
        {"ctrl+q", chr(17), {}},
        {"ctrl+y", chr(25), {}},
        {"ctrl+o", chr(15), {15}},
        {"ctrl+z", chr(26), {26}},
        {"released", released, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        queue_.PushInput(c.message);
        Pump(2);
        EXPECT_EQ(TakeKeys(), c.keys);
    }
}

TEST_F(MessagePumpTest, AFullKeyQueueDropsTheSeventeenthKey) {
    for (int i = 0; i < 17; ++i)
        queue_.PushInput(FakeMessageQueue::Char(kWindow, static_cast<std::uint8_t>('a' + i)));
    Pump(17);
    const auto keys = TakeKeys();
    ASSERT_EQ(keys.size(), 16u);
    EXPECT_EQ(keys.back(), 'a' + 15);
}

TEST_F(MessagePumpTest, EscapeTogglesThePanelOnlyWhileStarted) {
    struct Case {
        const char* name;
        int stage;  // 0: no application yet, 1: created but stopped, 2: started
        int shows, hides;
        std::vector<std::uint16_t> keys;
    };
    const std::vector<Case> cases = {
        {"before the application exists", 0, 0, 0, {27, 27}},
        {"created, not started", 1, 0, 0, {}},
        {"started", 2, 1, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        if (c.stage == 1) App();
        if (c.stage == 2) StartedApp();
        for (int i = 0; i < 2; ++i) {
            queue_.PushInput(FakeMessageQueue::Key(kWindow, WinMsg::KeyDown, VirtualKey::Escape));
            Pump(2);
            EXPECT_EQ(xEscapePending, 0);
            EXPECT_EQ(xEscapeHandling, 0);
        }
        EXPECT_EQ(TakeKeys(), c.keys);
        if (c.stage > 0) {
            EXPECT_EQ(App().shows, c.shows);
            EXPECT_EQ(App().hides, c.hides);
        }
        EXPECT_EQ(xErrorCode, 0);
    }
}

TEST_F(MessagePumpTest, EscapeTypedDuringTheHandlingIsQueuedAsACharacter) {
    TestApplication& app = StartedApp();
    TestApplication::script().onShowPanel = [this] {
        queue_.PushInput(FakeMessageQueue::Char(kWindow, 27));
        PumpMessages();
    };
    queue_.PushInput(FakeMessageQueue::Char(kWindow, 27));
    PumpMessages();
    EXPECT_EQ(app.shows, 1);
    EXPECT_EQ(TakeKeys(), std::vector<std::uint16_t>{27});
}

TEST_F(MessagePumpTest, EscapeFlagsAreClearedWhenTheHandlingFails) {
    StartedApp();
    TestApplication::script().onShowPanel = [] { throw std::runtime_error("panel"); };
    queue_.PushInput(FakeMessageQueue::Char(kWindow, 27));
    EXPECT_THROW(PumpMessages(), std::runtime_error);
    EXPECT_EQ(xEscapePending, 0);
    EXPECT_EQ(xEscapeHandling, 0);

    // A lower-layer error stays in the code without a frame and reaches an enclosing one.
    TestApplication::script().onShowPanel = [] { xThrow(7); };
    queue_.PushInput(FakeMessageQueue::Char(kWindow, 27));
    PumpMessages();
    EXPECT_EQ(xErrorCode, 7);
    queue_.PushInput(FakeMessageQueue::Char(kWindow, 27));
    EXPECT_EQ(xTry([] { PumpMessages(); }), 7);
    EXPECT_EQ(xEscapePending, 0);
    EXPECT_EQ(xEscapeHandling, 0);
}

TEST_F(MessagePumpTest, QuitAndCloseAskTheApplicationToQuitAndAreNeverDispatched) {
    struct Case {
        const char* name;
        std::uint32_t message;
        std::uintptr_t wParam;
        bool quits;
    };
    const std::vector<Case> cases = {
        {"WM_QUIT", Num(WinMsg::Quit), 0, true},
        {"SC_CLOSE", Num(WinMsg::SysCommand), Num(platform::SysCommand::Close), true},
        {"SC_CLOSE with low bits", Num(WinMsg::SysCommand), Num(platform::SysCommand::Close) | 3, true},
        {"SC_MINIMIZE", Num(WinMsg::SysCommand), Num(platform::SysCommand::Minimize), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        TestApplication& app = StartedApp();
        queue_.Post(kWindow, c.message, c.wParam, 0);
        PumpMessages();
        app.RunExecutables();
        EXPECT_EQ(app.IsStopped(), c.quits);
        EXPECT_EQ(dispatched_.empty(), c.quits);
    }
}

// A close (the window's, or a signal's) that arrives before the application has
// started is served once it has; several are one request.
TEST_F(MessagePumpTest, ACloseBeforeTheApplicationHasStartedIsServedOnceItHas) {
    enum class When { BeingMade, MadeNotStarted, Starting };
    struct Case {
        const char* name;
        When when;
        int closes;
    };
    const Case cases[] = {
        {"while the object is being made", When::BeingMade, 1},
        {"made, before its start", When::MadeNotStarted, 1},
        {"while starting", When::Starting, 1},
        {"two while starting", When::Starting, 2},
        {"two while being made", When::BeingMade, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        const auto close = [this, &c] {
            for (int i = 0; i < c.closes; ++i) queue_.PushClose(kWindow);
            Pump(c.closes);
        };
        if (c.when == When::BeingMade) TestApplication::script().onConstruct = close;
        TestApplication& app = App();
        if (c.when == When::MadeNotStarted) close();
        app.Start();
        if (c.when == When::Starting) close();
        EXPECT_TRUE(app.IsStarting());
        EXPECT_EQ(xClosePending, 1);

        app.RunExecutables();
        ASSERT_TRUE(app.IsStarted());
        PumpMessages();
        app.RunExecutables();
        EXPECT_TRUE(app.IsStopped());
        EXPECT_EQ(xClosePending, 0);

        // One request: nothing is left to close the next start.
        app.Start();
        app.RunExecutables();
        Pump(3);
        app.RunExecutables();
        EXPECT_TRUE(app.IsStarted());
    }
}

TEST_F(MessagePumpTest, ACloseWhileTheApplicationIsClosingIsNotKept) {
    TestApplication& app = StartedApp();
    queue_.PushClose(kWindow);
    PumpMessages();
    EXPECT_TRUE(app.IsStopping());
    queue_.PushClose(kWindow);
    PumpMessages();
    EXPECT_EQ(xClosePending, 0);
    app.RunExecutables();
    EXPECT_TRUE(app.IsStopped());
    app.Start();
    app.RunExecutables();
    Pump(2);
    EXPECT_TRUE(app.IsStarted());
}

TEST_F(MessagePumpTest, TheModelessDialogSeesMessagesFirstAndKeysAreQueuedAnyway) {
    std::vector<std::uint32_t> offered;
    queue_.SetDialogFilter([&](platform::WindowHandle dialog, const WinMessage& m) {
        EXPECT_EQ(dialog, kDialog);
        offered.push_back(m.message);
        return m.message == Num(WinMsg::Char);
    });
    xSetModelessDialog(kDialog);
    int other = 0;
    xSetModelessDialog(&other);
    EXPECT_EQ(xModelessDialog, kDialog);

    queue_.PushInput(FakeMessageQueue::Char(kWindow, 'x'));
    queue_.PushInput(FakeMessageQueue::Key(kWindow, WinMsg::KeyDown, VirtualKey::Home));
    Pump(2);
    EXPECT_EQ(offered, (std::vector<std::uint32_t>{Num(WinMsg::Char), Num(WinMsg::KeyDown)}));
    EXPECT_EQ(dispatched_, std::vector<std::uint32_t>{Num(WinMsg::KeyDown)});
    EXPECT_EQ(TakeKeys(), (std::vector<std::uint16_t>{'x', 24}));

    xClearModelessDialog(&other);
    EXPECT_EQ(xModelessDialog, kDialog);
    xClearModelessDialog(kDialog);
    EXPECT_EQ(xModelessDialog, nullptr);
    queue_.PushInput(FakeMessageQueue::Char(kWindow, 'y'));
    PumpMessages();
    EXPECT_EQ(offered.size(), 2u);
    EXPECT_EQ(dispatched_.back(), Num(WinMsg::Char));
}

}  // namespace
