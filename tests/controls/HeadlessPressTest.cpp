// A push button on the real window under SDL's dummy video driver: presses
// pushed as SDL events come through the pump and the window procedure to the
// mouse service, and the platform makes the double click.

#include <SDL.h>
#include <gtest/gtest.h>

#include "ControlsFixture.h"
#include "controls/PushButtonControl.h"
#include "framework/ExecutionService.h"
#include "framework/MessagePump.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/View.h"
#include "media/ScreenRootCanvas.h"
#include "platform/SdlMessageQueue.h"
#include "support/AnimationStage.h"

namespace {

class HeadlessPressTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(queue_.HasVideo()) << SDL_GetError();
        platform::MessageQueue::Install(&queue_);
        ExecutionService::Register();
        MouseService::Register();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        // Animations 40 and 42 of strip 700 cover (100, 50) to (160, 70).
        stage_->AddStrips(std::string(CONTROLS_ART) + "/controls_art.srf", {700}, view_.get());
        ASSERT_NE(view_->GetWindow(), nullptr);
        journal_.shortNames = {{"ButtonDownMsg", "Down"},
                               {"ButtonUpMsg", "Up"},
                               {"ButtonClickedMsg", "Click"},
                               {"ButtonDoubleClickedMsg", "Double"}};
        journal_.withTimes = false;
    }
    void TearDown() override {
        view_.reset();
        stage_.reset();
        ObjectRegistry::DestroyAll();
        platform::MessageQueue::Install(nullptr);
    }

    void PushButton(bool down, int x, int y) {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(view_->GetWindow()));
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = x;
        e.button.y = y;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // One window message and one pass of the scheduler, as the main loop does.
    static void Passes(int n) {
        for (int i = 0; i < n; ++i) {
            PumpMessages();
            ExecutionService::GetInstance().RunExecutables();
        }
    }

    platform::SdlMessageQueue queue_;
    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
    Journal journal_;
};

TEST_F(HeadlessPressTest, TwoQuickPressesAreADoubleClickOnlyWhenTheButtonWantsOne) {
    struct Case {
        bool doubleClicks;
        const char* messages;
    };
    const Case cases[] = {
        {true, "Down Click Up Double"},
        {false, "Down Click Up Down Click Up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doubleClicks);
        PushButtonControl button(view_.get(), &journal_, 10, 700, 0, 0, 40, 42, 0);
        if (c.doubleClicks) {
            button.EnableDoubleClick();
        }
        button.Start();
        Passes(10);
        ASSERT_TRUE(button.IsStarted());
        journal_.Mark();
        PushButton(true, 110, 60);
        PushButton(false, 110, 60);
        PushButton(true, 111, 60);
        PushButton(false, 111, 60);
        Passes(10);
        EXPECT_EQ(journal_.text, c.messages);
        EXPECT_TRUE(button.IsUp());
        EXPECT_EQ(MouseService::GetInstance()->GetCapture(), nullptr);
    }
}

}  // namespace
