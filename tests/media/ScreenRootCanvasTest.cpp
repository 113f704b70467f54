#include "media/ScreenRootCanvas.h"

#include "framework/ExecutionService.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/MouseReceiverThing.h"
#include "framework/MouseService.h"
#include "framework/Msg.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/UIRoot.h"
#include "media/PaletteChangedMsg.h"
#include "platform/Cursor.h"
#include "platform/FakeMessageQueue.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The UI root on the real screen canvas and window, under SDL's dummy driver.
class ScreenRootCanvasTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ExecutionService::Register();
        ScreenRootCanvas::Install();
    }
    void TearDown() override {
        UIRoot::SetCanvasMaker(nullptr);
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        ObjectRegistry::DestroyAll();
    }

    // Pixels of the game area that differ from the colour.
    static int CountOther(platform::WindowHandle window, const xRect& area, platform::Rgb colour) {
        const platform::Surface* back = platform::GetBackBuffer(window);
        int other = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                other += back->PixelColour(x, y) == colour ? 0 : 1;
            }
        }
        return other;
    }
};

TEST_F(ScreenRootCanvasTest, ClearingTheScreenLeavesTheGameAreaBlack) {
    UIRoot root("Vizuzor", 8, 640, 480, false);
    platform::WindowHandle window = root.GetWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(root.GetBounds(), (xRect{0, 0, 640, 480}));
    const platform::Surface* back = platform::GetBackBuffer(window);
    ASSERT_NE(back, nullptr);
    ASSERT_GE(back->Width(), 640);
    ASSERT_GE(back->Height(), 480);

    root.FillScreen({255, 255, 255});
    EXPECT_EQ(CountOther(window, root.GetBounds(), {255, 255, 255}), 0);
    struct PaletteWatcher : MsgReceiver {
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            changes += msg.Is<PaletteChangedMsg>() ? 1 : 0;
            return 0;
        }
        int changes = 0;
    } watcher;
    XAppScreenCanvas& canvas = static_cast<ScreenRootCanvas*>(root.GetCanvas())->GetScreenCanvas();
    canvas.AddReceiver(&watcher);
    root.ClearScreen(*root.GetCanvasMember());
    EXPECT_EQ(CountOther(window, root.GetBounds(), {0, 0, 0}), 0);
    EXPECT_EQ(watcher.changes, 1);  // the palette is installed, and its receivers told
    canvas.RemoveReceiver(&watcher);
}

TEST_F(ScreenRootCanvasTest, FillingTheScreenKeepsTheDrawingState) {
    UIRoot root("Vizuzor", 8, 640, 480, false);
    XAppScreenCanvas& canvas = static_cast<ScreenRootCanvas*>(root.GetCanvas())->GetScreenCanvas();
    // A drawing caller's state, inside its own bracket (opening the outermost
    // bracket starts from a fresh context).
    canvas.BeginDraw(nullptr);
    canvas.SetColor({3, 4, 5});
    canvas.SetPenWidth(3);
    xCanvasState before;
    canvas.GetState(before);
    root.FillScreen({255, 255, 255});
    EXPECT_EQ(canvas.Colour(), (xRGB{3, 4, 5}));
    EXPECT_EQ(canvas.PenWidth(), 3);
    EXPECT_TRUE(canvas.SameFont(before));
    canvas.EndDraw(nullptr);
    EXPECT_EQ(CountOther(root.GetWindow(), root.GetBounds(), {255, 255, 255}), 0);
}

TEST_F(ScreenRootCanvasTest, CursorChangesGoStraightToTheWindow) {
    UIRoot root("Vizuzor", 8, 640, 480, false);
    root.SetWaitCursor();
    EXPECT_EQ(platform::GetGameCursor(), platform::SystemCursor::Wait);
    root.HideCursor();
    EXPECT_FALSE(root.IsCursorShown());
    root.ShowCursor();
    EXPECT_EQ(platform::GetGameCursor(), platform::SystemCursor::Wait);
    root.SetArrowCursor();
}

}  // namespace

namespace {

// Mouse messages of the window reach the UI node under the pointer through the
// mouse service.
TEST_F(ScreenRootCanvasTest, WindowMouseMessagesReachTheMouseService) {
    struct Sink : MsgReceiver {
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            if (const auto* down = dynamic_cast<const LeftButtonDownMouseMsg*>(&msg)) {
                points.push_back(down->GetPoint());
            }
            return 0;
        }
        std::vector<xPoint> points;
    };
    MouseService::Register();
    UIRoot root("Vizuzor", 8, 640, 480, false);
    Sink sink;
    {
        MouseReceiverThing area(&root, 1, true, {100, 100, 200, 200}, true);
        area.AddReceiver(&sink);
        WinScreenCanvas::WindowProc(root.GetWindow(), platform::Num(platform::WinMsg::LButtonDown), 1,
                                    platform::MakeLParam(150, 120));
        WinScreenCanvas::WindowProc(root.GetWindow(), platform::Num(platform::WinMsg::LButtonDown), 1,
                                    platform::MakeLParam(10, 10));
    }
    EXPECT_EQ(sink.points, (std::vector<xPoint>{{50, 20}}));
}

}  // namespace

namespace {

TEST_F(ScreenRootCanvasTest, ForegroundFollowsTheProgramsMessageQueue) {
    UIRoot root("Vizuzor", 8, 640, 480, false);
    platform::FakeMessageQueue queue;
    platform::MessageQueue* before = platform::MessageQueue::Install(&queue);
    EXPECT_TRUE(root.IsForeground());
    queue.SetForeground(false);
    EXPECT_FALSE(root.IsForeground());
    platform::MessageQueue::Install(nullptr);
    EXPECT_FALSE(root.IsForeground());  // no queue: nothing says it is
    platform::MessageQueue::Install(before);
}

}  // namespace
