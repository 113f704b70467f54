// The whole playback chain on the real screen canvas under SDL's dummy video
// driver: a UI root with the animation service, a writer-made .srf catalogued
// and its palette installed, an animation started through its process, and
// the window's back buffer read after each pass.

#include "media/Animation.h"
#include "media/AnimationService.h"
#include "media/PaletteResource.h"
#include "media/WindowRepaintMsg.h"

#include "framework/MsgLog.h"
#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"
#include "support/AnimationStage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class AnimationScreenTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
        ASSERT_NE(view_->GetWindow(), nullptr);
        stage_->AddStrips(std::string(SRF_FIXTURES) + "/anim.srf", {1500}, view_.get(), false);
        palette_ = std::make_unique<PaletteResource>(
            platform::ToWindowsPath(std::string(SRF_FIXTURES) + "/anim.srf"), 1);
        view_->ClearScreen(*palette_);
    }
    void TearDown() override {
        view_.reset();
        palette_.reset();
        stage_.reset();
        SchedulerFixture::TearDown();
    }

    void RunFor(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            Run();
        }
    }
    const platform::Surface& Back() { return *platform::GetBackBuffer(view_->GetWindow()); }

    // Pixels that differ from what belongs there: `index` inside the cel, the
    // background index everywhere else.
    int Wrong(const xRect& cel, std::uint8_t index, std::uint8_t background) {
        const platform::Surface& back = Back();
        int wrong = 0;
        for (int y = 0; y < 480; ++y) {
            const std::uint8_t* row = back.Row(y);
            for (int x = 0; x < 640; ++x) {
                const bool inside = x >= cel.left && x < cel.right && y >= cel.top && y < cel.bottom;
                wrong += row[x] != (inside ? index : background) ? 1 : 0;
            }
        }
        return wrong;
    }

    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
    std::unique_ptr<PaletteResource> palette_;
};

TEST_F(AnimationScreenTest, EachFrameLandsWhereItBelongs) {
    ASSERT_EQ(Back().Depth(), 8);
    const std::uint8_t background = Back().Row(0)[0];
    ASSERT_EQ(Wrong({}, 0, background), 0);
    MsgLog log;
    Animation animation(view_.get(), 1500, 1);
    animation.AddReceiver(&log);
    animation.SetHoldAtEnd();
    animation.MoveBy(xPoint{100, 60});
    animation.Start();
    // Three 8x8 cels of indices 11, 12, 13 at 15 frames per second.
    struct Step {
        std::uint32_t ms;
        xRect cel;
        std::uint8_t index;
    };
    const Step steps[] = {
        {10, {100, 60, 108, 68}, 11}, {70, {100, 60, 108, 68}, 12}, {70, {100, 60, 108, 68}, 13}};
    for (const Step& s : steps) {
        RunFor(s.ms);
        EXPECT_EQ(Wrong(s.cel, s.index, background), 0) << int{s.index};
    }
    EXPECT_EQ(Wrong({100, 60, 108, 68}, background, background), 64) << "the cel is there";
    EXPECT_TRUE(animation.IsPaused()) << "held at the last frame";

    // Moving the node moves the sprite; the old place shows the background again.
    animation.MoveBy(xPoint{40, 20});
    RunFor(2);
    EXPECT_EQ(Wrong({140, 80, 148, 88}, 13, background), 0);
    animation.Hide();
    RunFor(2);
    EXPECT_EQ(Wrong({}, 0, background), 0);
    animation.Show();
    RunFor(2);
    EXPECT_EQ(Wrong({140, 80, 148, 88}, 13, background), 0);

    animation.Stop();
    RunFor(2);
    EXPECT_EQ(Wrong({}, 0, background), 0);
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"StartingMsg", "StartedMsg", "PausingMsg", "PausedMsg",
                                                     "StoppingMsg", "StoppedMsg"}));
}

// A part of the window to be painted again is drawn again from the sprites
// at once, and the message goes on to the service's receivers.
TEST_F(AnimationScreenTest, ARepaintedAreaIsDrawnAgain) {
    const std::uint8_t background = Back().Row(0)[0];
    Animation animation(view_.get(), 1500, 1);
    animation.SetHoldAtEnd();
    animation.MoveBy(xPoint{100, 60});
    animation.Start();
    RunFor(300);
    ASSERT_EQ(Wrong({100, 60, 108, 68}, 13, background), 0);
    platform::Surface& back = *platform::GetBackBuffer(view_->GetWindow());
    for (int y = 50; y < 80; ++y) {
        for (int x = 90; x < 120; ++x) back.Row(y)[x] = 77;
    }
    MsgLog log;
    AnimationService& service = *animation.GetService();
    service.AddReceiver(&log);
    service.Receive(WindowRepaintMsg(xRect{90, 50, 120, 80}), nullptr);
    EXPECT_EQ(Wrong({100, 60, 108, 68}, 13, background), 0);
    EXPECT_EQ(log.Names(), std::vector<std::string>{"WindowRepaintMsg"});
    service.RemoveReceiver(&log);
    animation.Stop();
}

}  // namespace
