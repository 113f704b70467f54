// The pump over the real SDL queue, headless under the dummy video driver:
// events pushed with SDL_PushEvent come out as key codes, dispatched messages,
// control-panel toggles and the close command.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "divir/xKeyQueue.h"
#include "framework/MessagePump.h"
#include "framework/ObjectRegistry.h"
#include "framework/TestApplication.h"
#include "platform/SdlMessageQueue.h"

namespace {

using platform::Num;
using platform::WinMsg;

class SdlPumpTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(queue_.HasVideo()) << SDL_GetError();
        window_ = SDL_CreateWindow("pump", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        queue_.RegisterWindow(
            window_, platform::WindowClass{[this](platform::WindowHandle, std::uint32_t m, std::uintptr_t,
                                                  std::intptr_t) -> std::intptr_t {
                                               if (m != Num(WinMsg::Paint)) dispatched_.push_back(m);
                                               return 0;
                                           },
                                           true});
        platform::MessageQueue::Install(&queue_);
        TestApplication::Register();
        app_ = &dynamic_cast<TestApplication&>(*GetApplicationObject());
        app_->Start();
        app_->RunExecutables();
        ASSERT_TRUE(app_->IsStarted());
        xGetKeyQueue().Clear();
    }
    void TearDown() override {
        ObjectRegistry::DestroyAll();
        platform::MessageQueue::Install(nullptr);
        queue_.UnregisterWindow(window_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        xGetKeyQueue().Clear();
    }

    void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    SDL_Event Key(SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(window_);
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        return e;
    }
    SDL_Event Text(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = SDL_GetWindowID(window_);
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        return e;
    }
    SDL_Event Button(Uint32 type, int x, int y) {
        SDL_Event e{};
        e.type = type;
        e.button.windowID = SDL_GetWindowID(window_);
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = x;
        e.button.y = y;
        return e;
    }
    std::vector<std::uint16_t> Keys() {
        std::vector<std::uint16_t> keys;
        while (const std::uint16_t k = xGetKey(kKeyNoWait | kKeyNoPump)) keys.push_back(k);
        return keys;
    }
    void Pump(int times) {
        for (int i = 0; i < times; ++i) PumpMessages();
    }

    platform::SdlMessageQueue queue_;
    SDL_Window* window_ = nullptr;
    TestApplication* app_ = nullptr;
    std::vector<std::uint32_t> dispatched_;
};

TEST_F(SdlPumpTest, KeysAndTextBecomeKeyCodesAheadOfTheMouse) {
    Push(Button(SDL_MOUSEBUTTONDOWN, 100, 50));
    Push(Button(SDL_MOUSEBUTTONUP, 100, 50));
    Push(Key(SDLK_PAGEUP));
    Push(Key(SDLK_KP_2));            // Down on the keypad with Num Lock off
    Push(Key(SDLK_KP_2, KMOD_NUM));  // a digit key with Num Lock on: no navigation code
    Push(Text("a\xC3\xA9"));
    Push(Key(SDLK_BACKSPACE));
    Push(Key(SDLK_RETURN));
    Pump(12);

    EXPECT_EQ(Keys(), (std::vector<std::uint16_t>{20, 17, 'a', 0xE9, 8, 13}));
    const std::uint32_t kd = Num(WinMsg::KeyDown), ch = Num(WinMsg::Char);
    EXPECT_EQ(dispatched_, (std::vector<std::uint32_t>{kd, kd, kd, ch, ch, kd, ch, kd, ch,
                                                       Num(WinMsg::LButtonDown), Num(WinMsg::LButtonUp)}));
}

TEST_F(SdlPumpTest, EscapeTogglesThePanelAndCtrlCharactersStayOutOfTheKeyQueue) {
    Push(Key(SDLK_ESCAPE));
    Pump(2);
    EXPECT_TRUE(app_->IsControlPanelUp());
    Push(Key(SDLK_ESCAPE));
    Pump(2);
    EXPECT_FALSE(app_->IsControlPanelUp());
    EXPECT_EQ(app_->shows, 1);
    EXPECT_EQ(app_->hides, 1);
    // Text input cannot hold Ctrl+Q; a posted character 17 stands for it.
    queue_.Post(window_, Num(WinMsg::Char), 17, 1);
    Pump(1);
    EXPECT_TRUE(Keys().empty());
}

TEST_F(SdlPumpTest, TheWindowsCloseStopsTheApplicationWithoutReachingTheWindow) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(window_);
    Push(e);
    Pump(1);
    app_->RunExecutables();
    EXPECT_TRUE(app_->IsStopped());
    EXPECT_TRUE(dispatched_.empty());
}

TEST_F(SdlPumpTest, FocusAndMinimiseReachTheWindowDuringOnePumpAndServeNoKeys) {
    for (const SDL_WindowEventID id : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_MINIMIZED}) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = static_cast<Uint8>(id);
        e.window.windowID = SDL_GetWindowID(window_);
        Push(e);
    }
    Pump(1);
    EXPECT_EQ(dispatched_, (std::vector<std::uint32_t>{Num(WinMsg::Activate), Num(WinMsg::Size)}));
    EXPECT_TRUE(Keys().empty());
    EXPECT_TRUE(app_->IsStarted());
}

}  // namespace
