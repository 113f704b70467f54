#include "platform/SdlMessageQueue.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ostream>
#include <vector>

#include "platform/GameWindow.h"

namespace {

using platform::Num;
using platform::VirtualKey;
using platform::WinMessage;
using platform::WinMsg;

// Runs under SDL's dummy video driver: events are pushed with SDL_PushEvent and
// come out of the queue as the game's window messages.
class SdlMessageQueueTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(queue_.HasVideo()) << SDL_GetError();
        window_ = SDL_CreateWindow("test", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        queue_.RegisterWindow(window_, platform::WindowClass{{}, true});
        Drain();
    }
    void TearDown() override {
        queue_.UnregisterWindow(window_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
    }

    std::vector<WinMessage> Drain() {
        std::vector<WinMessage> got;
        WinMessage m;
        while (queue_.Peek(m, 0, 0, true)) {
            if (m.message == Num(WinMsg::Paint) || m.message == Num(WinMsg::Timer)) continue;
            got.push_back(m);
        }
        return got;
    }

    void PushKey(bool down, SDL_Keycode sym, Uint16 mod = KMOD_NONE, bool repeat = false) {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = SDL_GetWindowID(window_);
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushText(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = SDL_GetWindowID(window_);
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushMotion(int x, int y) {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SDL_GetWindowID(window_);
        e.motion.x = x;
        e.motion.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushButton(bool down, Uint8 button, int x, int y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = SDL_GetWindowID(window_);
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = 1;
        e.button.x = x;
        e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    platform::SdlMessageQueue queue_;
    SDL_Window* window_ = nullptr;
};

TEST_F(SdlMessageQueueTest, KeysBecomeVirtualKeys) {
    struct Case {
        SDL_Keycode sym;
        Uint16 mod;
        std::uint32_t vk;
    };
    const Case cases[] = {
        {SDLK_UP, KMOD_NONE, Num(VirtualKey::Up)},
        {SDLK_DOWN, KMOD_NONE, Num(VirtualKey::Down)},
        {SDLK_LEFT, KMOD_NONE, Num(VirtualKey::Left)},
        {SDLK_RIGHT, KMOD_NONE, Num(VirtualKey::Right)},
        {SDLK_PAGEUP, KMOD_NONE, Num(VirtualKey::Prior)},
        {SDLK_PAGEDOWN, KMOD_NONE, Num(VirtualKey::Next)},
        {SDLK_INSERT, KMOD_NONE, Num(VirtualKey::Insert)},
        {SDLK_DELETE, KMOD_NONE, Num(VirtualKey::Delete)},
        {SDLK_HOME, KMOD_NONE, Num(VirtualKey::Home)},
        {SDLK_END, KMOD_NONE, Num(VirtualKey::End)},
        {SDLK_KP_8, KMOD_NONE, Num(VirtualKey::Up)},
        {SDLK_KP_3, KMOD_NONE, Num(VirtualKey::Next)},
        {SDLK_KP_0, KMOD_NONE, Num(VirtualKey::Insert)},
        {SDLK_KP_PERIOD, KMOD_NONE, Num(VirtualKey::Delete)},
        {SDLK_KP_7, KMOD_NONE, Num(VirtualKey::Home)},
        {SDLK_KP_1, KMOD_NONE, Num(VirtualKey::End)},
        {SDLK_KP_8, KMOD_NUM, Num(VirtualKey::Numpad0) + 8},
        {SDLK_KP_PERIOD, KMOD_NUM, Num(VirtualKey::Decimal)},
        {SDLK_a, KMOD_NONE, 'A'},
        {SDLK_7, KMOD_NONE, '7'},
        {SDLK_F1, KMOD_NONE, Num(VirtualKey::F1)},
        {SDLK_ESCAPE, KMOD_NONE, Num(VirtualKey::Escape)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(SDL_GetKeyName(c.sym));
        PushKey(true, c.sym, c.mod);
        PushKey(false, c.sym, c.mod);
        const auto got = Drain();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].message, Num(WinMsg::KeyDown));
        EXPECT_EQ(got[0].wParam, c.vk);
        EXPECT_EQ(got[0].window, window_);
        EXPECT_EQ(got[0].lParam & (std::intptr_t{1} << 31), 0);
        EXPECT_EQ(got[1].message, Num(WinMsg::KeyUp));
        EXPECT_EQ(got[1].wParam, c.vk);
        EXPECT_NE(static_cast<std::uint32_t>(got[1].lParam) & (1u << 31), 0u);
    }
}

TEST_F(SdlMessageQueueTest, KeysWithAltAreSystemKeysButAltGrIsNot) {
    struct Case {
        const char* name;
        SDL_Keycode sym;
        Uint16 mod;
        WinMsg down, up;
    };
    const Case cases[] = {
        {"alt+f", SDLK_f, KMOD_LALT, WinMsg::SysKeyDown, WinMsg::SysKeyUp},
        {"alt itself", SDLK_LALT, KMOD_NONE, WinMsg::SysKeyDown, WinMsg::SysKeyUp},
        {"altgr+q", SDLK_q, KMOD_RALT | KMOD_LCTRL, WinMsg::KeyDown, WinMsg::KeyUp},
        {"ctrl+q", SDLK_q, KMOD_LCTRL, WinMsg::KeyDown, WinMsg::KeyUp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PushKey(true, c.sym, c.mod);
        PushKey(false, c.sym, c.mod);
        const auto got = Drain();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].message, Num(c.down));
        EXPECT_EQ(got[1].message, Num(c.up));
    }
}

TEST_F(SdlMessageQueueTest, CharactersComeFromTextInputAndFromTranslatedKeys) {
    PushText("a\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD");  // a, e acute, euro, a CJK character
    PushKey(true, SDLK_BACKSPACE);
    PushKey(true, SDLK_RETURN, KMOD_NONE, true);  // an auto-repeat
    PushKey(true, SDLK_TAB);
    PushKey(true, SDLK_ESCAPE);
    PushKey(true, SDLK_UP);

    std::vector<std::pair<std::uint32_t, std::uintptr_t>> got;
    WinMessage m;
    while (queue_.Peek(m, platform::kKeyFirst, platform::kKeyLast, true)) {
        got.emplace_back(m.message, m.wParam);
        queue_.Translate(m);
    }
    const std::uint32_t kd = Num(WinMsg::KeyDown), ch = Num(WinMsg::Char);
    const std::vector<std::pair<std::uint32_t, std::uintptr_t>> want = {
        {ch, 'a'}, {ch, 0xE9}, {ch, 0x80}, {kd, 8},  {ch, 8},  {kd, 13},
        {ch, 13},  {kd, 9},    {ch, 9},    {kd, 27}, {ch, 27}, {kd, 38},
    };
    EXPECT_EQ(got, want);
}

TEST_F(SdlMessageQueueTest, TextThatFillsTheWholeTextAreaEndsThere) {
    SDL_Event e;
    std::memset(&e, 'b', sizeof e);  // no NUL after the text area either
    e.type = SDL_TEXTINPUT;
    e.text.timestamp = 0;
    e.text.windowID = SDL_GetWindowID(window_);
    std::memset(e.text.text, 'a', sizeof e.text.text);
    ASSERT_EQ(SDL_PushEvent(&e), 1);

    const auto got = Drain();
    ASSERT_EQ(got.size(), sizeof e.text.text);
    for (const WinMessage& m : got) EXPECT_EQ(m.wParam, std::uintptr_t{'a'});
}

TEST_F(SdlMessageQueueTest, MouseEventsBecomeMouseMessagesWithDoubleClicks) {
    PushMotion(10, 20);
    PushMotion(30, 40);  // merged with the one before
    PushButton(true, SDL_BUTTON_LEFT, 30, 40);
    PushButton(false, SDL_BUTTON_LEFT, 30, 40);
    PushButton(true, SDL_BUTTON_LEFT, 31, 40);
    PushButton(false, SDL_BUTTON_LEFT, 31, 40);
    PushButton(true, SDL_BUTTON_RIGHT, 639, 479);
    PushMotion(5, 6);
    PushButton(false, SDL_BUTTON_RIGHT, 5, 6);

    struct Want {
        WinMsg message;
        std::uintptr_t keys;
        int x, y;
    };
    const Want want[] = {
        {WinMsg::MouseMove, 0, 30, 40},
        {WinMsg::LButtonDown, Num(platform::MouseKeys::LButton), 30, 40},
        {WinMsg::LButtonUp, 0, 30, 40},
        {WinMsg::LButtonDblClk, Num(platform::MouseKeys::LButton), 31, 40},
        {WinMsg::LButtonUp, 0, 31, 40},
        {WinMsg::RButtonDown, Num(platform::MouseKeys::RButton), 639, 479},
        {WinMsg::MouseMove, Num(platform::MouseKeys::RButton), 5, 6},
        {WinMsg::RButtonUp, 0, 5, 6},
    };
    const auto got = Drain();
    ASSERT_EQ(got.size(), std::size(want));
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].message, Num(want[i].message));
        EXPECT_EQ(got[i].wParam, want[i].keys);
        EXPECT_EQ(platform::LowWord(got[i].lParam), want[i].x);
        EXPECT_EQ(platform::HighWord(got[i].lParam), want[i].y);
        EXPECT_EQ(got[i].window, window_);
    }
}

TEST_F(SdlMessageQueueTest, CloseQuitAndSignalsAllBecomeTheCloseCommand) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(window_);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    e = SDL_Event{};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    std::raise(SIGTERM);
    std::raise(SIGINT);  // arrives before the first is seen: one close

    const auto got = Drain();
    ASSERT_EQ(got.size(), 3u);
    for (const WinMessage& m : got) {
        EXPECT_EQ(m.message, Num(WinMsg::SysCommand));
        EXPECT_EQ(m.wParam & 0xFFF0u, Num(platform::SysCommand::Close));
    }
    EXPECT_EQ(got[1].window, window_);
}

TEST_F(SdlMessageQueueTest, TheThreadTimerWakesAWaitingGet) {
    queue_.StartThreadTimer(33);
    const std::uint32_t start = queue_.Now();
    WinMessage m;
    EXPECT_TRUE(queue_.Get(m));
    EXPECT_EQ(m.message, Num(WinMsg::Timer));
    EXPECT_GE(queue_.Now() - start, 33u);
}

TEST_F(SdlMessageQueueTest, AWatchedSocketWakesTheWait) {
    std::uint32_t longest = 0;
    queue_.SetWaitHook([&](std::uint32_t maxMs) {
        longest = std::max(longest, maxMs);
        // A socket became ready: its notification is posted.
        queue_.Post(nullptr, Num(WinMsg::User) + 1, 7, 0);
    });
    EXPECT_TRUE(queue_.Wait(10000));
    EXPECT_GT(longest, 0u);
    EXPECT_LE(longest, 10u);  // SDL's own events are still looked at often
    WinMessage m;
    ASSERT_TRUE(queue_.Peek(m, 0, 0, true));
    EXPECT_EQ(m.wParam, 7u);
    queue_.SetWaitHook({});
}

TEST_F(SdlMessageQueueTest, AutoRepeatMarksThePreviousKeyState) {
    PushKey(true, SDLK_DOWN);
    PushKey(true, SDLK_DOWN, KMOD_NONE, true);
    const auto got = Drain();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].lParam & (1 << 30), 0);
    EXPECT_NE(got[1].lParam & (1 << 30), 0);
    EXPECT_EQ(got[1].wParam, Num(VirtualKey::Down));
}

TEST_F(SdlMessageQueueTest, AHiddenWindowIsNotTheForeground) {
    EXPECT_FALSE(queue_.IsForeground());
}

std::vector<std::uint32_t> gGameWindowMessages;

std::intptr_t RecordGameWindow(platform::WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) {
    gGameWindowMessages.push_back(message);
    return 0;
}

TEST(SdlGameWindowQueueTest, GameWindowsAreRegisteredWithDoubleClicksWhileTheyLive) {
    platform::SdlMessageQueue queue;
    platform::GameWindowDesc desc;
    desc.title = "game";
    desc.procedure = &RecordGameWindow;
    const platform::WindowHandle window = platform::CreateGameWindow(desc);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(queue.IsRegistered(window));

    gGameWindowMessages.clear();
    for (int i = 0; i < 2; ++i) {
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window));
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = 320;
        e.button.y = 240;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    WinMessage m;
    while (queue.Peek(m, platform::kMouseFirst, platform::kMouseLast, true)) queue.Dispatch(m);
    EXPECT_EQ(gGameWindowMessages,
              (std::vector<std::uint32_t>{Num(WinMsg::LButtonDown), Num(WinMsg::LButtonDblClk)}));

    platform::DestroyGameWindow(window);
    EXPECT_FALSE(queue.IsRegistered(window));
}

struct WindowCall {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const WindowCall&) const = default;
    friend void PrintTo(const WindowCall& c, std::ostream* os) {
        *os << "{" << c.message << ", " << c.wParam << ", " << c.lParam << "}";
    }
};
std::vector<WindowCall> gWindowCalls;

std::intptr_t RecordWindowCall(platform::WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    gWindowCalls.push_back(WindowCall{message, wParam, lParam});
    return 0;
}

// A window that covers a larger display shows the presentation scaled up; the
// mouse comes back in the presentation's client pixels.
TEST(SdlGameWindowQueueTest, MouseOverAScaledWindowIsInClientPixels) {
    platform::SdlMessageQueue queue;
    ASSERT_TRUE(queue.HasVideo()) << SDL_GetError();
    platform::GameWindowDesc desc;
    desc.title = "game";
    desc.framed = false;
    const platform::WindowHandle window = platform::CreateGameWindow(desc);
    ASSERT_NE(window, nullptr);
    auto* sdlWindow = static_cast<SDL_Window*>(window);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    // The dummy driver's display is 1024x768: the picture is scaled by 1.6 without bars.
    ASSERT_EQ(w * 480, h * 640);
    ASSERT_GT(w, 640);
    WinMessage m;
    while (queue.Peek(m, 0, 0, true)) {
    }

    struct Case {
        Uint32 type;
        int x, y;  // in window pixels
        WinMsg message;
        int clientX, clientY;
    };
    const Case cases[] = {
        {SDL_MOUSEMOTION, 0, 0, WinMsg::MouseMove, 0, 0},
        {SDL_MOUSEMOTION, w / 2, h / 2, WinMsg::MouseMove, 320, 240},
        {SDL_MOUSEBUTTONDOWN, w - 1, h - 1, WinMsg::LButtonDown, 639, 479},
        {SDL_MOUSEBUTTONUP, w / 4, h / 4, WinMsg::LButtonUp, 160, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        SDL_Event e{};
        e.type = c.type;
        if (c.type == SDL_MOUSEMOTION) {
            e.motion.windowID = SDL_GetWindowID(sdlWindow);
            e.motion.x = c.x;
            e.motion.y = c.y;
        } else {
            e.button.windowID = SDL_GetWindowID(sdlWindow);
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = c.x;
            e.button.y = c.y;
        }
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        ASSERT_TRUE(queue.Peek(m, platform::kMouseFirst, platform::kMouseLast, true));
        EXPECT_EQ(m.message, Num(c.message));
        EXPECT_EQ(platform::LowWord(m.lParam), c.clientX);
        EXPECT_EQ(platform::HighWord(m.lParam), c.clientY);
    }
    platform::DestroyGameWindow(window);
}

// The window manager's focus, minimise, restore and expose reach the game
// window's procedure as the messages the platform gives it.
TEST(SdlGameWindowQueueTest, WindowEventsReachTheProcedureAsActivateSizeAndPaint) {
    constexpr std::uint32_t kMinimisedFlag = 1u << 16;
    const std::uint32_t activate = Num(WinMsg::Activate), size = Num(WinMsg::Size),
                        paint = Num(WinMsg::Paint);
    const std::uintptr_t active = Num(platform::ActivateState::Active);
    const std::uintptr_t inactive = Num(platform::ActivateState::Inactive);
    const std::intptr_t client = platform::MakeLParam(640, 480);
    struct Case {
        const char* name;
        std::vector<SDL_WindowEventID> events;
        std::vector<WindowCall> want;
    };
    const Case cases[] = {
        {"focus gained", {SDL_WINDOWEVENT_FOCUS_GAINED}, {{activate, active, 0}}},
        {"focus lost", {SDL_WINDOWEVENT_FOCUS_LOST}, {{activate, inactive, 0}}},
        {"minimise, then restore",
         {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_LOST, SDL_WINDOWEVENT_RESTORED,
          SDL_WINDOWEVENT_FOCUS_GAINED},
         {{size, Num(platform::SizeKind::Minimized), 0},
          {activate, inactive | kMinimisedFlag, 0},
          {size, Num(platform::SizeKind::Restored), client},
          {activate, active, 0},
          {paint, 0, 0}}},
        {"activated while minimised",
         {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_FOCUS_GAINED},
         {{size, Num(platform::SizeKind::Minimized), 0}, {activate, active | kMinimisedFlag, 0}}},
        {"maximised from minimised",
         {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_MAXIMIZED, SDL_WINDOWEVENT_FOCUS_GAINED},
         {{size, Num(platform::SizeKind::Minimized), 0},
          {size, Num(platform::SizeKind::Maximized), client},
          {activate, active, 0},
          {paint, 0, 0}}},
        {"exposed twice: one paint", {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_EXPOSED}, {{paint, 0, 0}}},
    };

    platform::SdlMessageQueue queue;
    ASSERT_TRUE(queue.HasVideo()) << SDL_GetError();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::GameWindowDesc desc;
        desc.title = "game";
        desc.procedure = &RecordWindowCall;
        const platform::WindowHandle window = platform::CreateGameWindow(desc);
        ASSERT_NE(window, nullptr);
        WinMessage m;
        // Whatever the driver says about the new window is not part of the case.
        while (queue.Peek(m, 0, 0, true)) queue.Dispatch(m);
        gWindowCalls.clear();

        for (const SDL_WindowEventID id : c.events) {
            SDL_Event e{};
            e.type = SDL_WINDOWEVENT;
            e.window.event = static_cast<Uint8>(id);
            e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window));
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }
        // As the pump serves them: the platform's sent messages arrive while it
        // looks for input; paint is taken out of the queue and dispatched.
        while (queue.Peek(m, 0, 0, true))
            if (m.message != Num(WinMsg::Timer)) queue.Dispatch(m);
        EXPECT_EQ(gWindowCalls, c.want);
        platform::DestroyGameWindow(window);
    }
}

}  // namespace
