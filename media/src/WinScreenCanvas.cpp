#include "media/WinScreenCanvas.h"

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "platform/MessageQueue.h"

#include <cstdio>
#include <string>

namespace {

using platform::WinMsg;

// Lower-layer code: full screen impossible.
constexpr std::int16_t kErrFullScreen = 11;

// The twenty static colours of the display's default palette: its first ten go
// to entries 0-9, its last ten to 246-255.
constexpr std::uint32_t kStaticColours[20] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0, 0xc0dcc0, 0xa6caf0,
    0xfffbf0, 0xa0a0a4, 0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};

constexpr const char* kDisplayErrorText =
    "This application requires that you have either DirectDraw installed\nor your system colors set to at "
    "least "
    "High Color (16 bit).";

ScreenMouseTarget* NoMouseTarget() {
    return nullptr;
}
// Closing the window ends the main loop through the thread's queue.
void PostQuitToQueue(int exitCode) {
    if (platform::MessageQueue* queue = platform::MessageQueue::Current()) {
        queue->PostQuit(exitCode);
    }
}

WinScreenCanvas::MouseTargetLookup mouseLookup = NoMouseTarget;
WinScreenCanvas::QuitPoster quitPoster = PostQuitToQueue;

xLogPaletteEntry StaticEntry(int k) {
    const std::uint32_t c = kStaticColours[k];
    return xLogPaletteEntry{static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                            static_cast<std::uint8_t>(c), 0};
}

}  // namespace

WinScreenCanvas::WinScreenCanvas() {
    kind_ = kScreen;
}

WinScreenCanvas::~WinScreenCanvas() {
    if (drawDepth_ > 0) {
        drawDepth_ = 1;
        EndDraw(nullptr);
    }
    if (window_ != nullptr) {
        platform::DestroyGameWindow(window_);
        window_ = nullptr;
    }
    xDeleteGdiObject(logicalPalette_);
}

void WinScreenCanvas::SetMouseTargetLookup(MouseTargetLookup lookup) {
    mouseLookup = lookup != nullptr ? lookup : NoMouseTarget;
}

void WinScreenCanvas::SetQuitPoster(QuitPoster poster) {
    quitPoster = poster != nullptr ? poster : PostQuitToQueue;
}

WindowGeometry WinScreenCanvas::ChooseGeometry(bool fullScreen, int width, int height,
                                               const platform::ScreenMetrics& screen) {
    WindowGeometry g;
    if (!fullScreen && screen.screenHeight > 480) {
        g.style = kWindowedStyle;
        if (screen.workWidth >= width + kFrameWidth && screen.workHeight >= height + kFrameHeight) {
            g.width = width + kFrameWidth;
            g.height = height + kFrameHeight;
        } else {
            g.width = screen.workWidth;
            g.height = screen.workHeight;
        }
    } else {
        g.style = kFullScreenStyle;
        g.width = screen.screenWidth;
        g.height = screen.screenHeight;
    }
    return g;
}

void WinScreenCanvas::Create(const char* className, int depth, std::int16_t width, std::int16_t height,
                             bool fullScreen) {
    kind_ = kScreen;
    std::string name;
    if (className == nullptr) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "dIvir Generic %d", 0);
        name = buffer;
    } else {
        name = className;
    }
    const platform::ScreenMetrics screen = platform::GetScreenMetrics();
    const WindowGeometry geometry = ChooseGeometry(fullScreen, width, height, screen);

    platform::GameWindowDesc desc;
    desc.title = name;
    desc.clientWidth = width;
    desc.clientHeight = height;
    desc.framed = geometry.style == kWindowedStyle;
    desc.depth = depth == 8 ? 8 : 32;
    desc.procedure = &WinScreenCanvas::WindowProc;
    desc.createParam = this;
    window_ = platform::CreateGameWindow(desc);
    if (window_ == nullptr) {
        xThrow(kErrSystemResources);
        return;
    }
    bounds_ = xRect(0, 0, platform::ClientWidth(window_), platform::ClientHeight(window_));
    fullScreen_ = fullScreen && platform::IsCoveringDisplay(window_);
    if (fullScreen && !fullScreen_ && depth >= 16 && screen.bitsPerPixel < 16) {
        platform::ShowWarningBox(kDisplayErrorText, "Application Error");
        xThrow(kErrFullScreen);
        return;
    }
    depth_ = depth;
    BeginDraw(nullptr);
    SetPalette(xPalette::Default());
    EndDraw(nullptr);
}

void WinScreenCanvas::SetPalette(const xPalette& palette) {
    for (int i = 0; i < 256; ++i) {
        xRGB c;
        palette.GetEntry(c, static_cast<std::uint8_t>(i));
        screenPalette_.SetEntry(static_cast<std::uint8_t>(i), xPalette::Pack(c));
    }
    screenPalette_.SetCount(palette.GetCount());
    xDeleteGdiObject(logicalPalette_);

    xLogPalette entries{};
    for (int i = 0; i < 10; ++i) {
        entries[static_cast<std::size_t>(i)] = StaticEntry(i);
        entries[static_cast<std::size_t>(246 + i)] = StaticEntry(10 + i);
    }
    for (int i = 10; i < 246; ++i) {
        xRGB c;
        palette.GetEntry(c, static_cast<std::uint8_t>(i));
        xLogPaletteEntry e{c.red, c.green, c.blue, 4};
        // A drawing colour equal to a static one is nudged so that the two
        // entries stay apart.
        for (int j = 246; j < 256; ++j) {
            xRGB s;
            palette.GetEntry(s, static_cast<std::uint8_t>(j));
            if (s == c) {
                e.blue ^= 1;
            }
        }
        entries[static_cast<std::size_t>(i)] = e;
    }
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 246, 247, 248, 249, 250, 251, 252, 253, 254, 255}) {
        const xLogPaletteEntry& e = entries[static_cast<std::size_t>(i)];
        screenPalette_.SetEntry(static_cast<std::uint8_t>(i), xPalette::Pack(xRGB{e.red, e.green, e.blue}));
    }
    const std::int16_t code = xTry([&] {
        logicalPalette_ = xCreatePalette(entries);
        if (!logicalPalette_) {
            return;
        }
        // The old display needed one forced realisation before the first; the back
        // buffer takes its colours directly, so marking it is all that remains.
        paletteRealised_ = true;
        if (window_ != nullptr) {
            platform::ColourTable colours{};
            for (std::size_t i = 0; i < 256; ++i) {
                colours[i] = platform::Rgb{entries[i].red, entries[i].green, entries[i].blue};
            }
            platform::SetBackBufferColours(window_, colours);
        }
    });
    if (code != 0) {
        xThrow(code);
    }
}

void WinScreenCanvas::BeginDraw(xCanvasState* save) {
    if (drawDepth_++ == 0) {
        windowDc_ = std::make_unique<platform::DrawContext>(
            window_ != nullptr ? platform::GetBackBuffer(window_) : nullptr);
        windowDc_->SetBackgroundMode(platform::BackgroundMode::Transparent);
        windowDc_->SetTextAlign(platform::kAlignUpdatePosition | platform::kAlignBaseline);
        windowDc_->SelectBrush(platform::StockBlackBrush());
        windowDc_->SelectPen(platform::StockBlackPen());
        dc_ = windowDc_.get();
        // The fresh context holds none of the canvas's own objects.
        colour_ = xRGB{};
        penWidth_ = 0;
        font_.number = 0;
        font_.size = 0;
        font_.style = 0;
    }
    if (save != nullptr) {
        GetState(*save);
    }
}

void WinScreenCanvas::EndDraw(const xCanvasState* restore) {
    if (drawDepth_ > 0) {
        --drawDepth_;
    }
    if (drawDepth_ == 0) {
        ReleaseDrawContext();
    } else if (restore != nullptr) {
        SetState(*restore);
    }
}

void WinScreenCanvas::ReleaseDrawContext() {
    dc_ = nullptr;
    windowDc_.reset();
    if (window_ != nullptr) {
        if (blitOnly_) {
            platform::MarkBackBufferChanged(window_, blitRect_.left, blitRect_.top, blitRect_.Width(),
                                            blitRect_.Height());
        } else {
            platform::MarkBackBufferChanged(window_);
        }
    }
}

void WinScreenCanvas::BlitFrom(const xRect& mine, xCanvas& target, const xRect& theirs) {
    target.BlitFromOther(theirs, *this, mine);
}

void WinScreenCanvas::BlitFromOther(const xRect& mine, xCanvas& source, const xRect& theirs) {
    if ((source.GetKind() & kScreen) != 0) {
        StretchFromCanvas(mine, source, theirs);
        return;
    }
    // A copy that opens the drawing section itself changes only its rectangle,
    // so only that is presented.
    struct Alone {
        bool& flag;
        ~Alone() { flag = false; }
    } alone{blitOnly_};
    blitOnly_ = drawDepth_ == 0;
    blitRect_ = mine;
    source.BlitFrom(theirs, *this, mine);
}

void WinScreenCanvas::OnActivated(bool) {}

void WinScreenCanvas::Repaint(const xRect&) {}

std::intptr_t WinScreenCanvas::OnDefault(platform::WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
    return platform::DefaultWindowProcedure(window, message, wParam, lParam);
}

void WinScreenCanvas::OnSize(platform::WindowHandle window, std::uint32_t, std::int16_t, std::int16_t) {
    bounds_ = xRect(0, 0, platform::ClientWidth(window), platform::ClientHeight(window));
}

void WinScreenCanvas::OnClose(platform::WindowHandle) {
    quitPoster(0);
}

void WinScreenCanvas::OnDestroy(platform::WindowHandle) {
    window_ = nullptr;
}

std::intptr_t WinScreenCanvas::OnEraseBackground(platform::WindowHandle, std::uintptr_t) {
    return 1;
}

void WinScreenCanvas::OnActivate(platform::WindowHandle, std::uint32_t state, std::intptr_t, std::uint32_t) {
    OnActivated(state != 0);
}

void WinScreenCanvas::OnPaint(platform::WindowHandle window) {
    // The whole client area is invalid whenever the platform asks for paint.
    const xRect r(0, 0, platform::ClientWidth(window), platform::ClientHeight(window));
    platform::MarkBackBufferChanged(window);
    Repaint(r);
}

std::intptr_t WinScreenCanvas::OnQueryNewPalette(platform::WindowHandle) {
    Repaint(bounds_);
    return 0;
}

void WinScreenCanvas::OnPaletteChanged(platform::WindowHandle, platform::WindowHandle changer) {
    if (changer != window_) {
        Repaint(bounds_);
    }
}

std::intptr_t WinScreenCanvas::WindowProc(platform::WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) {
    if (message == static_cast<std::uint32_t>(WinMsg::Create)) {
        platform::SetWindowData(window, reinterpret_cast<void*>(lParam));
    }
    auto* canvas = static_cast<WinScreenCanvas*>(platform::GetWindowData(window));
    if (canvas == nullptr) {
        return platform::DefaultWindowProcedure(window, message, wParam, lParam);
    }
    const auto x = static_cast<std::uint16_t>(lParam & 0xFFFF);
    const auto y = static_cast<std::uint16_t>((lParam >> 16) & 0xFFFF);
    switch (static_cast<WinMsg>(message)) {
        case WinMsg::Size:
            canvas->OnSize(window, static_cast<std::uint32_t>(wParam), platform::LowWord(lParam),
                           platform::HighWord(lParam));
            return 0;
        case WinMsg::Destroy:
            canvas->OnDestroy(window);
            return 0;
        case WinMsg::Activate:
            canvas->OnActivate(window, static_cast<std::uint32_t>(wParam & 0xFFFF), lParam,
                               static_cast<std::uint32_t>((wParam >> 16) & 0xFFFF));
            return 0;
        case WinMsg::Paint:
            canvas->OnPaint(window);
            return 0;
        case WinMsg::Close:
            canvas->OnClose(window);
            return 0;
        case WinMsg::EraseBkgnd:
            return canvas->OnEraseBackground(window, wParam);
        case WinMsg::QueryNewPalette:
            return canvas->OnQueryNewPalette(window) & 0xFFFF;
        case WinMsg::PaletteChanged:
            canvas->OnPaletteChanged(window, reinterpret_cast<platform::WindowHandle>(wParam));
            return 0;
        case WinMsg::MouseMove:
        case WinMsg::LButtonDown:
        case WinMsg::LButtonUp:
        case WinMsg::LButtonDblClk:
        case WinMsg::RButtonDown:
        case WinMsg::RButtonUp:
        case WinMsg::RButtonDblClk: {
            ScreenMouseTarget* target = mouseLookup();
            if (target == nullptr) {
                return 0;
            }
            switch (static_cast<WinMsg>(message)) {
                case WinMsg::MouseMove:
                    target->OnMouseMove(x, y);
                    break;
                case WinMsg::LButtonDown:
                    target->OnLeftButtonDown(x, y);
                    break;
                case WinMsg::LButtonUp:
                    target->OnLeftButtonUp(x, y);
                    break;
                case WinMsg::LButtonDblClk:
                    target->OnLeftButtonDoubleClick(x, y);
                    break;
                case WinMsg::RButtonDown:
                    target->OnRightButtonDown(x, y);
                    break;
                case WinMsg::RButtonUp:
                    target->OnRightButtonUp(x, y);
                    break;
                default:
                    target->OnRightButtonDoubleClick(x, y);
                    break;
            }
            return 0;
        }
        case WinMsg::MButtonDown:
        case WinMsg::MButtonUp:
        case WinMsg::MButtonDblClk:
            return 0;
        default:
            return canvas->OnDefault(window, message, wParam, lParam);
    }
}
