#include "media/ScreenRootCanvas.h"

#include "framework/MouseService.h"
#include "framework/UIRoot.h"
#include "media/xCanvasState.h"
#include "platform/Cursor.h"
#include "platform/MessageQueue.h"

namespace {

// The window procedure's mouse target: the mouse service, looked up by name on
// every message (a name nobody registered: the message is dropped). Client coordinates
// arrive as unsigned 16-bit words and go on as the service's signed ones.
class MouseServiceTarget : public ScreenMouseTarget {
  public:
    void OnMouseMove(std::uint16_t x, std::uint16_t y) override { Forward(&MouseService::OnMouseMove, x, y); }
    void OnLeftButtonDown(std::uint16_t x, std::uint16_t y) override {
        Forward(&MouseService::OnLeftButtonDown, x, y);
    }
    void OnLeftButtonUp(std::uint16_t x, std::uint16_t y) override {
        Forward(&MouseService::OnLeftButtonUp, x, y);
    }
    void OnLeftButtonDoubleClick(std::uint16_t x, std::uint16_t y) override {
        Forward(&MouseService::OnLeftButtonDoubleClick, x, y);
    }
    void OnRightButtonDown(std::uint16_t x, std::uint16_t y) override {
        Forward(&MouseService::OnRightButtonDown, x, y);
    }
    void OnRightButtonUp(std::uint16_t x, std::uint16_t y) override {
        Forward(&MouseService::OnRightButtonUp, x, y);
    }
    void OnRightButtonDoubleClick(std::uint16_t x, std::uint16_t y) override {
        Forward(&MouseService::OnRightButtonDoubleClick, x, y);
    }

  private:
    static void Forward(void (MouseService::*op)(std::int16_t, std::int16_t), std::uint16_t x,
                        std::uint16_t y) {
        MouseService* service = nullptr;
        try {
            service = MouseService::GetInstance();
        } catch (int) {
            return;
        }
        (service->*op)(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
    }
};

ScreenMouseTarget* MouseServiceLookup() {
    static MouseServiceTarget target;
    return &target;
}

}  // namespace

ScreenRootCanvas::ScreenRootCanvas(const char* name, std::int32_t depth, std::int32_t width,
                                   std::int32_t height, bool fullScreen)
    : canvas_(std::make_unique<XAppScreenCanvas>(name != nullptr ? name : "", depth,
                                                 static_cast<std::int16_t>(width),
                                                 static_cast<std::int16_t>(height), fullScreen)) {}

ScreenRootCanvas::~ScreenRootCanvas() = default;

void ScreenRootCanvas::Install() {
    UIRoot::SetCanvasMaker([](const char* name, std::int32_t depth, std::int32_t width, std::int32_t height,
                              bool fullScreen) -> std::unique_ptr<RootCanvas> {
        return std::make_unique<ScreenRootCanvas>(name, depth, width, height, fullScreen);
    });
    WinScreenCanvas::SetMouseTargetLookup(&MouseServiceLookup);
}

xRect ScreenRootCanvas::GetFrameRect() {
    return canvas_->GetBounds();
}

xPalette* ScreenRootCanvas::GetPaletteMember() {
    return &canvas_->GetScreenPalette();
}

void ScreenRootCanvas::FillFrame(const xRGB& colour) {
    xCanvasState saved;
    canvas_->BeginDraw(&saved);
    canvas_->ResetState();
    canvas_->SetColor(colour);
    canvas_->FillRect(canvas_->GetBounds());
    canvas_->EndDraw(&saved);
}

void ScreenRootCanvas::SetPalette(const xPalette& palette) {
    canvas_->BeginDraw(nullptr);
    canvas_->SetPalette(palette);
    canvas_->EndDraw(nullptr);
}

platform::WindowHandle ScreenRootCanvas::GetWindow() {
    return canvas_->GetWindow();
}

// The program has this one window, so it is the foreground window exactly when
// the program is in the foreground.
bool ScreenRootCanvas::IsForeground() {
    platform::MessageQueue* queue = platform::MessageQueue::Current();
    return canvas_->GetWindow() != nullptr && queue != nullptr && queue->IsForeground();
}

void ScreenRootCanvas::SetClassCursor(platform::SystemCursor cursor) {
    platform::SetGameCursor(cursor);
}

platform::SystemCursor ScreenRootCanvas::GetClassCursor() {
    return platform::GetGameCursor();
}
