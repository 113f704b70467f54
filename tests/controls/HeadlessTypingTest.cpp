// An edit control typed into through the real window under SDL's dummy video
// driver: text and key events pushed as SDL events come through the pump, the
// key queue and the keyboard service to the focus, which passes them on.

#include <SDL.h>
#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "KeyOwner.h"
#include "controls/EditControl.h"
#include "controls/TextInput.h"
#include "divir/xKeyQueue.h"
#include "framework/ExecutionService.h"
#include "framework/KeyboardService.h"
#include "framework/MessagePump.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/View.h"
#include "platform/SdlMessageQueue.h"
#include "support/AnimationStage.h"

#include <cstring>

namespace {

class HeadlessTypingTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(queue_.HasVideo()) << SDL_GetError();
        platform::MessageQueue::Install(&queue_);
        ExecutionService::Register();
        MouseService::Register();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        stage_->AddStrips(std::string(CONTROLS_ART) + "/controls_art.srf", {900}, view_.get());
        ASSERT_NE(view_->GetWindow(), nullptr);
        xGetKeyQueue().Clear();
    }
    void TearDown() override {
        view_->GetKeyboardService()->SetFocus(nullptr);
        owner_.reset();
        edit_.reset();
        view_.reset();
        stage_.reset();
        ObjectRegistry::DestroyAll();
        platform::MessageQueue::Install(nullptr);
        xGetKeyQueue().Clear();
    }

    std::uint32_t WindowId() { return SDL_GetWindowID(static_cast<SDL_Window*>(view_->GetWindow())); }
    void PushText(const char* utf8) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        e.text.windowID = WindowId();
        std::strncpy(e.text.text, utf8, sizeof e.text.text - 1);
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void PushKey(SDL_Keycode sym) {
        for (const bool down : {true, false}) {
            SDL_Event e{};
            e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
            e.key.windowID = WindowId();
            e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.sym = sym;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }
    }
    // One window message pump and one scheduler pass, as the main loop does.
    static void Passes(int n) {
        for (int i = 0; i < n; ++i) {
            PumpMessages();
            ExecutionService::GetInstance().RunExecutables();
        }
    }

    platform::SdlMessageQueue queue_;
    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
    std::unique_ptr<EditControl> edit_;
    std::unique_ptr<KeyOwner> owner_;
};

TEST_F(HeadlessTypingTest, TypedTextReachesTheField) {
    edit_ = std::make_unique<EditControl>(view_.get(), nullptr, 10, 12, 13, 900, 0, 0, 50, 0);
    EditControl* edit = edit_.get();
    owner_ = std::make_unique<KeyOwner>(view_.get(), [edit](const KeyboardCharMsg& k) { edit->OnKeyboardChar(k); });
    // The root's own keyboard service, which the view hands the focus.
    view_->GetKeyboardService()->SetFocus(owner_.get());

    PushText("abc");
    Passes(3);
    EXPECT_EQ(edit->GetText(), "abc");
    // In Windows-1252 both are codes above 127, which the field refuses; "Ł"
    // is not in it at all and is dropped before it could be cut to a letter.
    PushText("\xc3\xa9");      // é
    PushText("\xe2\x82\xac");  // €
    PushText("\xc5\x81");      // Ł, U+0141
    Passes(3);
    EXPECT_EQ(edit->GetText(), "abc");
    PushKey(SDLK_HOME);
    PushText("X");
    PushKey(SDLK_END);
    PushText("Y");
    Passes(4);
    EXPECT_EQ(edit->GetText(), "XabcY");
    EXPECT_EQ(edit->GetInput().GetCaret(), 5);
    // A key wider than a byte is no character of the field's.
    edit->OnKeyboardChar(KeyboardCharMsg(0x141));
    EXPECT_EQ(edit->GetText(), "XabcY");
}

}  // namespace
