#include "framework/UIRoot.h"

#include "FakeRootCanvas.h"
#include "SchedulerFixture.h"
#include "framework/KeyboardService.h"
#include "framework/MouseReceiverThing.h"
#include "framework/MouseService.h"
#include "framework/NullAnimationService.h"
#include "framework/ObjectRegistry.h"
#include "framework/SilentSoundService.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using platform::SystemCursor;

// Makes roots on a recording canvas; the canvas outlives nothing, so the test
// reads it through the root while the root lives.
class UIRootTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        UseFrame({0, 0, 640, 480});
    }
    void TearDown() override {
        UIRoot::SetCanvasMaker(nullptr);
        UIRoot::SetAnimationServiceMaker(nullptr);
        UIRoot::SetSoundServiceMaker(nullptr);
        SchedulerFixture::TearDown();
    }

    void UseFrame(xRect frame) {
        UIRoot::SetCanvasMaker([this, frame](const char* name, std::int32_t depth, std::int32_t width,
                                             std::int32_t height, bool fullScreen) {
            args = std::string(name) + "," + std::to_string(depth) + "," + std::to_string(width) + "," +
                   std::to_string(height) + "," + (fullScreen ? "1" : "0");
            return std::make_unique<FakeRootCanvas>(frame);
        });
    }
    static FakeRootCanvas& CanvasOf(UIRoot& root) { return static_cast<FakeRootCanvas&>(*root.GetCanvas()); }

    std::string args;
};

TEST_F(UIRootTest, BuildsItsServicesFromTheDisplayArguments) {
    UIRoot root("Vizuzor", 8, 640, 480, false);
    EXPECT_EQ(args, "Vizuzor,8,640,480,0");
    ASSERT_NE(root.GetAnimationService(), nullptr);
    ASSERT_NE(root.GetSoundService(), nullptr);
    ASSERT_NE(root.GetKeyboardService(), nullptr);
    EXPECT_TRUE(root.GetKeyboardService()->IsScheduled());
    EXPECT_EQ(static_cast<void*>(root.GetCanvasMember()), &CanvasOf(root).palette);
    EXPECT_EQ(root.GetWindow(), &CanvasOf(root).window);
    EXPECT_TRUE(root.IsForeground());
    EXPECT_EQ(root.GetBounds(), (xRect{0, 0, 640, 480}));
    auto* animation = dynamic_cast<NullAnimationService*>(root.GetAnimationService());
    ASSERT_NE(animation, nullptr);
    EXPECT_EQ(animation->GetBackground(), (xRGB{0, 0, 0}));
    root.SetBackgroundColour({1, 2, 3});
    EXPECT_EQ(animation->GetBackground(), (xRGB{1, 2, 3}));
}

TEST_F(UIRootTest, InstalledServicesAreUsedAndTheSoundIsReadiedOnce) {
    struct Sound : RootSoundService {
        void Tick() override { ++ticks; }
        int ticks = 0;
    };
    struct Animation : RootAnimationService {
        void RedrawAll(xRGB colour) override { colours.push_back(colour); }
        std::vector<xRGB> colours;
    };
    UIRoot* seen = nullptr;
    UIRoot::SetSoundServiceMaker([&](UIRoot& root) {
        seen = &root;
        return std::make_unique<Sound>();
    });
    UIRoot::SetAnimationServiceMaker([](UIRoot&) { return std::make_unique<Animation>(); });
    {
        UIRoot root("v", 8, 640, 480, false);
        EXPECT_EQ(seen, &root);
        EXPECT_EQ(dynamic_cast<Sound&>(*root.GetSoundService()).ticks, 1);
        EXPECT_EQ(dynamic_cast<Animation&>(*root.GetAnimationService()).colours,
                  (std::vector<xRGB>{{0, 0, 0}}));
    }
    UIRoot::SetSoundServiceMaker(nullptr);
    UIRoot::SetAnimationServiceMaker(nullptr);
    UIRoot root("v", 8, 640, 480, false);
    EXPECT_NE(dynamic_cast<SilentSoundService*>(root.GetSoundService()), nullptr);
}

TEST_F(UIRootTest, CentresTheGameAreaInTheFrame) {
    struct Case {
        xRect frame, bounds;
    };
    for (const Case& c :
         {Case{{0, 0, 800, 600}, {80, 60, 720, 540}}, Case{{0, 0, 640, 480}, {0, 0, 640, 480}},
          Case{{0, 0, 1024, 768}, {192, 144, 832, 624}}}) {
        UseFrame(c.frame);
        UIRoot root("v", 8, c.frame.right, c.frame.bottom, true);
        EXPECT_EQ(root.GetBounds(), c.bounds);
    }
}

TEST_F(UIRootTest, NoCanvasMakerRefusesTheRoot) {
    UIRoot::SetCanvasMaker(nullptr);
    EXPECT_THROW(UIRoot("v", 8, 640, 480, false), int);
}

TEST_F(UIRootTest, CursorCallsDoNotCount) {
    UIRoot root("v", 8, 640, 480, false);
    FakeRootCanvas& canvas = CanvasOf(root);
    root.SetArrowCursor();
    root.HideCursor();
    root.HideCursor();
    EXPECT_FALSE(root.IsCursorShown());
    root.ShowCursor();
    EXPECT_TRUE(root.IsCursorShown());
    EXPECT_EQ(canvas.cursor, SystemCursor::Arrow);
    EXPECT_TRUE(root.IsArrowCursor());
    EXPECT_FALSE(root.IsWaitCursor());
}

TEST_F(UIRootTest, WaitCursorSurvivesHideAndShow) {
    UIRoot root("v", 8, 640, 480, false);
    FakeRootCanvas& canvas = CanvasOf(root);
    root.SetWaitCursor();
    EXPECT_TRUE(root.IsWaitCursor());
    EXPECT_FALSE(root.IsArrowCursor());
    EXPECT_EQ(canvas.cursor, SystemCursor::Wait);
    root.HideCursor();
    EXPECT_EQ(canvas.cursor, SystemCursor::None);
    EXPECT_TRUE(root.IsWaitCursor());
    root.ShowCursor();
    EXPECT_EQ(canvas.cursor, SystemCursor::Wait);
    EXPECT_TRUE(root.IsCursorShown());
}

TEST_F(UIRootTest, ClearScreenFillsBlackThenInstallsThePalette) {
    UIRoot root("v", 8, 640, 480, false);
    FakeRootCanvas& canvas = CanvasOf(root);
    root.FillScreen({9, 9, 9});
    const xPalette& palette = *root.GetCanvasMember();
    root.ClearScreen(palette);
    ASSERT_EQ(canvas.fills.size(), 2u);
    EXPECT_EQ(canvas.fills[0], (xRGB{9, 9, 9}));
    EXPECT_EQ(canvas.fills[1], (xRGB{0, 0, 0}));
    EXPECT_EQ(canvas.installed, (std::vector<const xPalette*>{&palette}));
}

TEST_F(UIRootTest, RootUiOperations) {
    UIRoot root("v", 8, 640, 480, false);
    root.Hide();
    EXPECT_FALSE(root.IsVisible());
    root.Disable();
    EXPECT_FALSE(root.IsEnabled());
    root.MoveBy({10, 20});
    EXPECT_EQ(root.GetBounds(), (xRect{10, 20, 650, 500}));
    EXPECT_EQ(root.GetRoot(), &root);
    EXPECT_EQ(root.GetParent(), nullptr);
}

// A node may outlive the view it was made under: it is parentless from then on
// and its own destruction touches nothing of the root.
TEST_F(UIRootTest, NodesOutlivingTheRootAreParentless) {
    MouseService::Register();
    auto root = std::make_unique<UIRoot>("Vizuzor", 8, 640, 480, false);
    auto node = std::make_unique<MouseReceiverThing>(root.get());
    node->SetBounds({10, 20, 30, 40});
    MouseReceiverThing child(node.get());
    root.reset();
    EXPECT_EQ(node->GetParent(), nullptr);
    EXPECT_EQ(node->GetRoot(), nullptr);
    EXPECT_TRUE(UIIsVisibleInTree(node.get()));
    EXPECT_EQ(UIGetBoundsOnScreen(&child), (xRect{10, 20, 30, 40}));
    node.reset();
    EXPECT_EQ(child.GetParent(), nullptr);
}

}  // namespace
