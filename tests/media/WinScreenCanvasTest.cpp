#include "media/XAppScreenCanvas.h"

#include "media/PaletteChangedMsg.h"
#include "media/WindowRepaintMsg.h"
#include "media/xMixCanvas.h"

#include "divir/xTryFrame.h"
#include "framework/MsgReceiver.h"
#include "platform/FakeMessageQueue.h"
#include "platform/GameWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using platform::MakeLParam;
using platform::WinMsg;

TEST(WinScreenCanvasTest, WindowGeometryFollowsTheScreen) {
    struct Case {
        const char* name;
        bool fullScreen;
        platform::ScreenMetrics screen;
        WindowGeometry expected;
    } cases[] = {
        {"windowed on a large screen",
         false,
         {1024, 768, 1024, 740, 32},
         {WinScreenCanvas::kWindowedStyle, 0, 0, 646, 505}},
        {"windowed on a 640x480 screen",
         false,
         {640, 480, 640, 480, 8},
         {WinScreenCanvas::kFullScreenStyle, 0, 0, 640, 480}},
        {"work area too small",
         false,
         {800, 600, 645, 560, 32},
         {WinScreenCanvas::kWindowedStyle, 0, 0, 645, 560}},
        {"work area too short",
         false,
         {800, 600, 800, 504, 32},
         {WinScreenCanvas::kWindowedStyle, 0, 0, 800, 504}},
        {"work area exactly enough",
         false,
         {800, 600, 646, 505, 32},
         {WinScreenCanvas::kWindowedStyle, 0, 0, 646, 505}},
        {"full screen",
         true,
         {1024, 768, 1024, 740, 32},
         {WinScreenCanvas::kFullScreenStyle, 0, 0, 1024, 768}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const WindowGeometry g = WinScreenCanvas::ChooseGeometry(c.fullScreen, 640, 480, c.screen);
        EXPECT_EQ(g.style, c.expected.style);
        EXPECT_EQ(g.x, 0);
        EXPECT_EQ(g.y, 0);
        EXPECT_EQ(g.width, c.expected.width);
        EXPECT_EQ(g.height, c.expected.height);
    }
}

// Records what the window procedure hands to the canvas and the mouse target.
class RecordingCanvas : public WinScreenCanvas, public ScreenMouseTarget {
  public:
    std::vector<std::string> calls;
    void Note(const std::string& s) { calls.push_back(s); }
    static std::string N(long long v) { return std::to_string(v); }

    std::intptr_t OnDefault(platform::WindowHandle, std::uint32_t m, std::uintptr_t w,
                            std::intptr_t l) override {
        Note("default " + N(m) + " " + N(static_cast<long long>(w)) + " " + N(l));
        return 99;
    }
    void OnSize(platform::WindowHandle, std::uint32_t t, std::int16_t w, std::int16_t h) override {
        Note("size " + N(t) + " " + N(w) + " " + N(h));
    }
    void OnClose(platform::WindowHandle) override { Note("close"); }
    void OnDestroy(platform::WindowHandle) override { Note("destroy"); }
    std::intptr_t OnEraseBackground(platform::WindowHandle, std::uintptr_t dc) override {
        Note("erase " + N(static_cast<long long>(dc)));
        return WinScreenCanvas::OnEraseBackground(nullptr, dc);
    }
    void OnActivate(platform::WindowHandle, std::uint32_t s, std::intptr_t o, std::uint32_t m) override {
        Note("activate " + N(s) + " " + N(o) + " " + N(m));
    }
    void OnPaint(platform::WindowHandle) override { Note("paint"); }
    std::intptr_t OnQueryNewPalette(platform::WindowHandle) override {
        Note("query palette");
        return 0x12345;
    }
    void OnPaletteChanged(platform::WindowHandle, platform::WindowHandle changer) override {
        Note("palette changed " + N(reinterpret_cast<std::intptr_t>(changer)));
    }
    void OnMouseMove(std::uint16_t x, std::uint16_t y) override { Note("move " + N(x) + " " + N(y)); }
    void OnLeftButtonDown(std::uint16_t x, std::uint16_t y) override {
        Note("left down " + N(x) + " " + N(y));
    }
    void OnLeftButtonUp(std::uint16_t x, std::uint16_t y) override { Note("left up " + N(x) + " " + N(y)); }
    void OnLeftButtonDoubleClick(std::uint16_t x, std::uint16_t y) override {
        Note("left double " + N(x) + " " + N(y));
    }
    void OnRightButtonDown(std::uint16_t x, std::uint16_t y) override {
        Note("right down " + N(x) + " " + N(y));
    }
    void OnRightButtonUp(std::uint16_t x, std::uint16_t y) override { Note("right up " + N(x) + " " + N(y)); }
    void OnRightButtonDoubleClick(std::uint16_t x, std::uint16_t y) override {
        Note("right double " + N(x) + " " + N(y));
    }
};

RecordingCanvas* recorder = nullptr;
ScreenMouseTarget* RecorderLookup() {
    return recorder;
}

class WindowProcTest : public testing::Test {
  protected:
    void SetUp() override {
        canvas_.Create("Routing", 8, 640, 480, false);
        ASSERT_NE(canvas_.GetWindow(), nullptr);
        recorder = &canvas_;
        WinScreenCanvas::SetMouseTargetLookup(&RecorderLookup);
        canvas_.calls.clear();
    }
    void TearDown() override {
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        recorder = nullptr;
    }
    RecordingCanvas canvas_;
};

TEST_F(WindowProcTest, RoutesEachMessageToItsHandler) {
    struct Case {
        WinMsg message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        std::intptr_t result;
        const char* call;  // empty: nothing is called
    } cases[] = {
        // clang-format off
        {WinMsg::Size, 2, MakeLParam(640, -2), 0, "size 2 640 -2"},
        {WinMsg::Destroy, 0, 0, 0, "destroy"},
        {WinMsg::Activate, 0x00010002, 4660, 0, "activate 2 4660 1"},
        {WinMsg::Paint, 0, 0, 0, "paint"},
        {WinMsg::Close, 0, 0, 0, "close"},
        {WinMsg::EraseBkgnd, 77, 0, 1, "erase 77"},
        {WinMsg::QueryNewPalette, 0, 0, 0x2345, "query palette"},
        {WinMsg::PaletteChanged, 1234, 0, 0, "palette changed 1234"},
        {WinMsg::MouseMove, 0, MakeLParam(-1, 2), 0, "move 65535 2"},
        {WinMsg::LButtonDown, 1, MakeLParam(3, 4), 0, "left down 3 4"},
        {WinMsg::LButtonUp, 0, MakeLParam(5, 6), 0, "left up 5 6"},
        {WinMsg::LButtonDblClk, 1, MakeLParam(7, 8), 0, "left double 7 8"},
        {WinMsg::RButtonDown, 2, MakeLParam(9, 10), 0, "right down 9 10"},
        {WinMsg::RButtonUp, 0, MakeLParam(11, 12), 0, "right up 11 12"},
        {WinMsg::RButtonDblClk, 2, MakeLParam(639, 479), 0, "right double 639 479"},
        {WinMsg::MButtonDown, 16, MakeLParam(1, 1), 0, ""},
        {WinMsg::MButtonUp, 0, MakeLParam(1, 1), 0, ""},
        {WinMsg::MButtonDblClk, 16, MakeLParam(1, 1), 0, ""},
        {WinMsg::KeyDown, 0x41, 7, 99, "default 256 65 7"},
        {WinMsg::SetCursor, 1, 2, 99, "default 32 1 2"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.message));
        canvas_.calls.clear();
        const std::intptr_t result =
            WinScreenCanvas::WindowProc(canvas_.GetWindow(), platform::Num(c.message), c.wParam, c.lParam);
        EXPECT_EQ(result, c.result);
        if (*c.call == '\0') {
            EXPECT_TRUE(canvas_.calls.empty());
        } else {
            EXPECT_EQ(canvas_.calls, std::vector<std::string>{c.call});
        }
    }
}

TEST(WinScreenCanvasTest, CreationTellsTheCanvasItsClientSize) {
    RecordingCanvas canvas;
    canvas.Create("Sized", 8, 640, 480, false);
    // The create message itself goes on to the default handling.
    ASSERT_EQ(canvas.calls.size(), 2u);
    EXPECT_EQ(canvas.calls[0].rfind("default 1 0 ", 0), 0u);
    EXPECT_EQ(canvas.calls[1], "size 0 640 480");
}

TEST_F(WindowProcTest, MouseMessagesWithoutATargetAreDropped) {
    WinScreenCanvas::SetMouseTargetLookup(nullptr);
    EXPECT_EQ(WinScreenCanvas::WindowProc(canvas_.GetWindow(), platform::Num(WinMsg::LButtonDown), 0, 0), 0);
    EXPECT_TRUE(canvas_.calls.empty());
}

TEST_F(WindowProcTest, AWindowWithoutCanvasGetsTheDefaultAnswer) {
    platform::GameWindowDesc desc;
    desc.title = "Bare";
    platform::WindowHandle bare = platform::CreateGameWindow(desc);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(WinScreenCanvas::WindowProc(bare, platform::Num(WinMsg::EraseBkgnd), 0, 0), 0);
    EXPECT_TRUE(canvas_.calls.empty());
    // The create message stores the canvas for every later message.
    WinScreenCanvas::WindowProc(bare, platform::Num(WinMsg::Create), 0,
                                reinterpret_cast<std::intptr_t>(static_cast<WinScreenCanvas*>(&canvas_)));
    EXPECT_EQ(WinScreenCanvas::WindowProc(bare, platform::Num(WinMsg::EraseBkgnd), 5, 0), 1);
    EXPECT_EQ(canvas_.calls,
              (std::vector<std::string>{"default 1 0 " + std::to_string(reinterpret_cast<std::intptr_t>(
                                                             static_cast<WinScreenCanvas*>(&canvas_))),
                                        "erase 5"}));
    platform::DestroyGameWindow(bare);
}

TEST(WinScreenCanvasTest, CreateMakesTheWindowAndRealisesTheDefaultPalette) {
    WinScreenCanvas canvas;
    canvas.Create("Window", 8, 640, 480, false);
    ASSERT_NE(canvas.GetWindow(), nullptr);
    EXPECT_EQ(canvas.GetKind(), xCanvas::kScreen);
    EXPECT_EQ(canvas.GetDepth(), 8);
    EXPECT_EQ(canvas.GetBounds(), xRect(0, 0, 640, 480));
    EXPECT_EQ(canvas.GetDrawDepth(), 0);
    EXPECT_EQ(canvas.GetDC(), nullptr);  // only inside a drawing section
    ASSERT_NE(canvas.GetLogicalPalette(), nullptr);
    platform::Surface* back = platform::GetBackBuffer(canvas.GetWindow());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Depth(), 8);
    EXPECT_EQ(back->Width(), 640);
    const xLogPalette& logical = *canvas.GetLogicalPalette();
    for (std::size_t i = 0; i < 256; ++i) {
        ASSERT_EQ(back->Colours()[i], (platform::Rgb{logical[i].red, logical[i].green, logical[i].blue}))
            << i;
    }
    xRGB c;
    canvas.GetScreenPalette().GetEntry(c, 0);
    EXPECT_EQ(c, (xRGB{0, 0, 0}));  // the static black of the display
    canvas.GetScreenPalette().GetEntry(c, 255);
    EXPECT_EQ(c, (xRGB{255, 255, 255}));
    canvas.GetScreenPalette().GetEntry(c, 100);
    xRGB d;
    xPalette::Default().GetEntry(d, 100);
    EXPECT_EQ(c, d);
}

TEST(WinScreenCanvasTest, SetPaletteKeepsStaticColoursAndSeparatesEqualOnes) {
    WinScreenCanvas canvas;  // no window: the palette is still built
    xPalette p;
    for (int i = 0; i < 256; ++i) {
        p.SetEntry(static_cast<std::uint8_t>(i), static_cast<std::uint32_t>(i * 0x010101));
    }
    p.SetEntry(100, 0x00FFFFFF);  // equal to the given palette's entry 255
    p.SetEntry(101, 0x00F60000);  // blue 0xF6, equal to entries 250 and 251 set below
    p.SetEntry(250, 0x00F60000);
    p.SetEntry(251, 0x00F60000);
    canvas.SetPalette(p);
    const xLogPalette& l = *canvas.GetLogicalPalette();
    EXPECT_EQ(l[0].red, 0);
    EXPECT_EQ(l[0].flags, 0);
    EXPECT_EQ(l[7].red, 0xc0);
    EXPECT_EQ(l[255].red, 0xff);
    EXPECT_EQ(l[246].red, 0xff);
    EXPECT_EQ(l[246].blue, 0xf0);
    EXPECT_EQ(l[50].red, 50);
    EXPECT_EQ(l[50].blue, 50);
    EXPECT_EQ(l[50].flags, 4);
    EXPECT_EQ(l[100].blue, 0xFE);  // flipped once
    EXPECT_EQ(l[101].blue, 0xF6);  // flipped twice
    xRGB c;
    canvas.GetScreenPalette().GetEntry(c, 100);
    EXPECT_EQ(c, (xRGB{255, 255, 255}));  // the screen palette keeps the given colour
    canvas.GetScreenPalette().GetEntry(c, 250);
    EXPECT_EQ(c, (xRGB{0, 0xff, 0}));  // the static green replaces it
}

TEST(WinScreenCanvasTest, BeginDrawStartsFromBlackAndNests) {
    WinScreenCanvas canvas;
    canvas.Create("Draw", 8, 640, 480, false);
    canvas.BeginDraw(nullptr);
    ASSERT_NE(canvas.GetDC(), nullptr);
    EXPECT_EQ(platform::WindowFromSurface(canvas.GetDC()->GetSurface()), canvas.GetWindow());
    EXPECT_EQ(canvas.GetDC()->TextAlign(), 0x19u);
    EXPECT_EQ(canvas.GetDC()->GetBackgroundMode(), platform::BackgroundMode::Transparent);
    canvas.SetColor(xRGB{255, 0, 0});
    canvas.FillRect({0, 0, 10, 10});
    canvas.BeginDraw(nullptr);
    canvas.EndDraw(nullptr);
    EXPECT_NE(canvas.GetDC(), nullptr);
    canvas.EndDraw(nullptr);
    EXPECT_EQ(canvas.GetDC(), nullptr);
    canvas.BeginDraw(nullptr);
    EXPECT_EQ(canvas.Colour(), xRGB{});  // recorded state is reset with the fresh context
    EXPECT_EQ(&canvas.GetDC()->CurrentPen(), &platform::StockBlackPen());
    canvas.EndDraw(nullptr);
    const platform::Surface* back = platform::GetBackBuffer(canvas.GetWindow());
    EXPECT_EQ(back->PixelColour(5, 5), (platform::Rgb{255, 0, 0}));
    EXPECT_EQ(back->PixelColour(10, 10), (platform::Rgb{0, 0, 0}));
    platform::PresentWindow(canvas.GetWindow());
}

// A fresh context of the screen holds the system font, whatever font the canvas
// made in an earlier section: measuring and drawing use that font until SetFont
// (which sees font number 0 recorded) selects the canvas's own again.
TEST(WinScreenCanvasTest, AFreshContextMeasuresWithTheSystemFontUntilSetFont) {
    WinScreenCanvas canvas;
    canvas.Create("Fonts", 8, 64, 32, false);
    xCanvasState::FontDesc arial;
    arial.number = 2;
    arial.size = 16;
    struct Step {
        const char* name;
        bool setFont;
        bool setColour;
        bool ownFont;
    } steps[] = {
        {"first section, font set", true, false, true},
        {"new section, colour only", false, true, false},
        {"new section, font set again", true, true, true},
    };
    const platform::FontMetrics system = platform::DrawContext().GetTextMetrics();
    platform::DrawContext systemMeasure;
    systemMeasure.SelectFont(WinCanvas::SystemFont());
    const int systemWidth = systemMeasure.GetTextExtent("Hello").cx;
    ASSERT_GT(systemWidth, 0);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        canvas.BeginDraw(nullptr);
        if (s.setColour) {
            canvas.SetColor(xRGB{255, 0, 0});
        }
        if (s.setFont) {
            canvas.SetFont(arial);
        }
        EXPECT_EQ(canvas.GetDC()->CurrentFont() != nullptr, s.ownFont);
        int ascent = 0;
        const int height = canvas.GetFontMetrics(&ascent, nullptr, nullptr);
        if (s.ownFont) {
            EXPECT_GT(canvas.GetTextWidth("Hello"), 0);
            EXPECT_NE(ascent, system.ascent);
        } else {
            EXPECT_EQ(canvas.GetTextWidth("Hello"), systemWidth);
            EXPECT_EQ(ascent, system.ascent);
            EXPECT_EQ(height, system.height + system.externalLeading);
        }
        canvas.EndDraw(nullptr);
    }
}

TEST(WinScreenCanvasTest, MixCanvasBlitsReachTheBackBuffer) {
    WinScreenCanvas screen;
    screen.Create("Blit", 8, 640, 480, false);
    xMixCanvas mix;
    mix.Create(&screen, 4, 2, 8);
    for (int x = 0; x < 4; ++x) {
        mix.GetRow(0)[x] = static_cast<std::uint8_t>(20 + x);
        mix.GetRow(1)[x] = static_cast<std::uint8_t>(30 + x);
    }
    mix.BlitFrom({0, 0, 4, 2}, screen, {100, 50, 104, 52});
    const platform::Surface* back = platform::GetBackBuffer(screen.GetWindow());
    EXPECT_EQ(back->Row(50)[100], 20);
    EXPECT_EQ(back->Row(51)[103], 33);
    // The screen as target of BlitFromOther reaches the same path; scaled by two.
    screen.BlitFromOther({200, 0, 208, 4}, mix, {0, 0, 4, 2});
    EXPECT_EQ(back->Row(0)[200], 20);
    EXPECT_EQ(back->Row(0)[201], 20);
    EXPECT_EQ(back->Row(3)[207], 33);
    // A screen canvas as the source of a mix canvas: nothing happens.
    xMixCanvas other;
    other.Create(&screen, 4, 2, 8);
    other.BlitFromOther({0, 0, 4, 2}, screen, {100, 50, 104, 52});
    EXPECT_EQ(other.GetRow(0)[0], 0);
    // Mix to mix copies.
    other.BlitFromOther({0, 0, 4, 2}, mix, {0, 0, 4, 2});
    EXPECT_EQ(other.GetRow(1)[2], 32);
}

TEST(WinScreenCanvasTest, MixCanvasColoursFollowTheScreenPalette) {
    WinScreenCanvas screen;
    screen.Create("Sync", 8, 640, 480, false);
    xMixCanvas mix;
    mix.Create(&screen, 2, 2, 8);
    xPalette p(xPalette::Default());
    p.SetEntry(40, 0x00123456);
    screen.SetPalette(p);
    EXPECT_NE(mix.GetSurface()->Colours()[40], (platform::Rgb{0x56, 0x34, 0x12}));
    mix.SyncPalette();
    EXPECT_EQ(mix.GetSurface()->Colours()[40], (platform::Rgb{0x56, 0x34, 0x12}));
    EXPECT_EQ(platform::GetBackBuffer(screen.GetWindow())->Colours()[40], (platform::Rgb{0x56, 0x34, 0x12}));
}

class MsgRecorder : public MsgReceiver {
  public:
    std::vector<std::string> got;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* r = dynamic_cast<const WindowRepaintMsg*>(&msg)) {
            got.push_back("repaint " + std::to_string(r->GetRect().right) + "x" +
                          std::to_string(r->GetRect().bottom));
        } else if (msg.Is<PaletteChangedMsg>()) {
            got.push_back("palette");
        }
        return 0;
    }
};

TEST(XAppScreenCanvasTest, TellsItsReceiversOfPaletteAndRepaints) {
    XAppScreenCanvas canvas("Vizuzor", 8, 640, 480, false);
    ASSERT_NE(canvas.GetWindow(), nullptr);
    MsgRecorder r;
    canvas.AddReceiver(&r);
    canvas.SetPalette(xPalette::Default());
    const platform::WindowHandle w = canvas.GetWindow();
    WinScreenCanvas::WindowProc(w, platform::Num(WinMsg::Paint), 0, 0);
    WinScreenCanvas::WindowProc(w, platform::Num(WinMsg::PaletteChanged), reinterpret_cast<std::uintptr_t>(w),
                                0);
    WinScreenCanvas::WindowProc(w, platform::Num(WinMsg::PaletteChanged), 0x4242, 0);
    EXPECT_EQ(WinScreenCanvas::WindowProc(w, platform::Num(WinMsg::QueryNewPalette), 0, 0), 0);
    EXPECT_EQ(r.got,
              (std::vector<std::string>{"palette", "repaint 640x480", "repaint 640x480", "repaint 640x480"}));
    canvas.RemoveReceiver(&r);
}

TEST(XAppScreenCanvasTest, ClosingPostsQuitAndDestroyForgetsTheWindow) {
    static int posted = -1;
    WinScreenCanvas::SetQuitPoster([](int code) { posted = code; });
    {
        XAppScreenCanvas canvas("Closing", 8, 640, 480, false);
        WinScreenCanvas::WindowProc(canvas.GetWindow(), platform::Num(WinMsg::Close), 0, 0);
        EXPECT_EQ(posted, 0);
        const platform::WindowHandle w = canvas.GetWindow();
        platform::DestroyGameWindow(w);
        EXPECT_EQ(canvas.GetWindow(), nullptr);
        EXPECT_FALSE(platform::IsGameWindow(w));
    }
    WinScreenCanvas::SetQuitPoster(nullptr);
}

TEST(XAppScreenCanvasTest, TwentyFourBitCompositionUsesAThirtyTwoBitBackBuffer) {
    XAppScreenCanvas canvas("Deep", 24, 640, 480, false);
    EXPECT_EQ(canvas.GetDepth(), 24);
    EXPECT_EQ(platform::GetBackBuffer(canvas.GetWindow())->Depth(), 32);
    xMixCanvas mix;
    mix.Create(&canvas, 2, 1, 24);
    mix.GetRow(0)[0] = 0x10;  // blue, green, red
    mix.GetRow(0)[1] = 0x20;
    mix.GetRow(0)[2] = 0x30;
    mix.BlitFrom({0, 0, 1, 1}, canvas, {7, 7, 8, 8});
    EXPECT_EQ(platform::GetBackBuffer(canvas.GetWindow())->PixelColour(7, 7),
              (platform::Rgb{0x30, 0x20, 0x10}));
    platform::PresentAllWindows();
}

TEST(XAppScreenCanvasTest, TheQueueLearnsOfTheWindowAndItsProcedure) {
    static std::vector<std::string> told;
    platform::SetWindowLifeHook([](platform::WindowHandle, platform::WindowProcedure proc, bool created) {
        told.push_back(std::string(created ? "made" : "gone") +
                       (proc == &WinScreenCanvas::WindowProc ? " canvas" : " other"));
    });
    { XAppScreenCanvas canvas("Hooked", 8, 640, 480, false); }
    platform::SetWindowLifeHook(nullptr);
    EXPECT_EQ(told, (std::vector<std::string>{"made canvas", "gone canvas"}));
}

TEST(WinMixCanvasTest, AnImpossibleSurfaceRaisesSystemResources) {
    xMixCanvas mix;
    const std::int16_t code = xTry([&] { mix.Create(nullptr, 0, 10, 8); });
    EXPECT_EQ(code, 2);
    EXPECT_EQ(mix.GetSurface(), nullptr);
}

}  // namespace

namespace {

TEST(WinScreenCanvasTest, FullScreenCoversTheDisplayWithAFixedClientArea) {
    const platform::ScreenMetrics screen = platform::GetScreenMetrics();
    EXPECT_GT(screen.screenWidth, 0);
    EXPECT_GT(screen.bitsPerPixel, 0);
    XAppScreenCanvas canvas("Full", 8, 640, 480, true);
    ASSERT_NE(canvas.GetWindow(), nullptr);
    EXPECT_TRUE(canvas.IsFullScreen());
    // The presentation keeps its size; the platform scales it to the display.
    EXPECT_EQ(canvas.GetBounds(), xRect(0, 0, 640, 480));
    EXPECT_EQ(platform::ClientWidth(canvas.GetWindow()), 640);
}

}  // namespace

namespace {

// The window in the program's queue: its messages reach the canvas, a double
// click is made from two presses, and closing the window posts the quit message.
TEST(XAppScreenCanvasTest, TheThreadQueueDispatchesToTheCanvas) {
    static platform::FakeMessageQueue queue;
    platform::MessageQueue* before = platform::MessageQueue::Install(&queue);
    // As the SDL queue does: windows join the queue as they are made.
    platform::SetWindowLifeHook([](platform::WindowHandle w, platform::WindowProcedure proc, bool created) {
        if (created) {
            queue.RegisterWindow(w, platform::WindowClass{proc, true});
        } else {
            queue.UnregisterWindow(w);
        }
    });
    {
        XAppScreenCanvas canvas("Queued", 8, 640, 480, false);
        const platform::WindowHandle w = canvas.GetWindow();
        ASSERT_TRUE(queue.IsRegistered(w));
        RecordingCanvas mouse;
        recorder = &mouse;
        WinScreenCanvas::SetMouseTargetLookup(&RecorderLookup);
        MsgRecorder r;
        canvas.AddReceiver(&r);

        queue.Invalidate(w);
        queue.PushInput(platform::FakeMessageQueue::Mouse(w, WinMsg::LButtonDown, 10, 20));
        queue.PushInput(platform::FakeMessageQueue::Mouse(w, WinMsg::LButtonUp, 10, 20));
        queue.PushInput(platform::FakeMessageQueue::Mouse(w, WinMsg::LButtonDown, 11, 20));
        platform::WinMessage m;
        while (queue.Peek(m, 0, 0, true)) {
            queue.Dispatch(m);
        }
        EXPECT_EQ(r.got, std::vector<std::string>{"repaint 640x480"});
        EXPECT_EQ(mouse.calls,
                  (std::vector<std::string>{"left down 10 20", "left up 10 20", "left double 11 20"}));

        WinScreenCanvas::WindowProc(w, platform::Num(WinMsg::Close), 0, 0);
        ASSERT_TRUE(queue.Peek(m, 0, 0, true));
        EXPECT_EQ(m.message, platform::Num(WinMsg::Quit));
        canvas.RemoveReceiver(&r);
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        recorder = nullptr;
        platform::DestroyGameWindow(w);
        EXPECT_FALSE(queue.IsRegistered(w));
    }
    platform::SetWindowLifeHook(nullptr);
    platform::MessageQueue::Install(before);
}

}  // namespace
