#pragma once

#include "media/WinCanvas.h"
#include "media/xGdi.h"
#include "media/xPalette.h"

#include "platform/DrawContext.h"
#include "platform/GameWindow.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>

// Where the window procedure sends mouse messages (client x and y, unsigned
// 16-bit). The framework's mouse service takes this role.
class ScreenMouseTarget {
  public:
    virtual ~ScreenMouseTarget() = default;
    virtual void OnMouseMove(std::uint16_t x, std::uint16_t y) = 0;
    virtual void OnLeftButtonDown(std::uint16_t x, std::uint16_t y) = 0;
    virtual void OnLeftButtonUp(std::uint16_t x, std::uint16_t y) = 0;
    virtual void OnLeftButtonDoubleClick(std::uint16_t x, std::uint16_t y) = 0;
    virtual void OnRightButtonDown(std::uint16_t x, std::uint16_t y) = 0;
    virtual void OnRightButtonUp(std::uint16_t x, std::uint16_t y) = 0;
    virtual void OnRightButtonDoubleClick(std::uint16_t x, std::uint16_t y) = 0;
};

// How a window of the given client size is placed on the display.
struct WindowGeometry {
    std::uint32_t style = 0;  // kFullScreenStyle or kWindowedStyle
    int x = 0;
    int y = 0;
    int width = 0;  // outer size as the old system made it
    int height = 0;
};

// The system's one window and the canvas that draws into its back buffer.
class WinScreenCanvas : public WinCanvas {
  public:
    static constexpr std::uint32_t kFullScreenStyle = 0x900A0000;  // popup, visible, system menu, minimise
    static constexpr std::uint32_t kWindowedStyle = 0x100A0001;  // overlapped, visible, system menu, minimise
    static constexpr int kFrameWidth = 6;
    static constexpr int kFrameHeight = 25;

    WinScreenCanvas();
    ~WinScreenCanvas() override;

    void BeginDraw(xCanvasState* save) override;
    void EndDraw(const xCanvasState* restore) override;
    void BlitFrom(const xRect& mine, xCanvas& target, const xRect& theirs) override;
    void BlitFromOther(const xRect& mine, xCanvas& source, const xRect& theirs) override;
    int GetDepth() const override { return depth_; }

    virtual void Create(const char* className, int depth, std::int16_t width, std::int16_t height,
                        bool fullScreen);
    virtual void SetPalette(const xPalette& palette);
    virtual void OnActivated(bool active);
    virtual void Repaint(const xRect& r);
    virtual std::intptr_t OnDefault(platform::WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam);
    virtual void OnSize(platform::WindowHandle window, std::uint32_t sizeType, std::int16_t width,
                        std::int16_t height);
    virtual void OnClose(platform::WindowHandle window);
    virtual void OnDestroy(platform::WindowHandle window);
    virtual std::intptr_t OnEraseBackground(platform::WindowHandle window, std::uintptr_t dc);
    virtual void OnActivate(platform::WindowHandle window, std::uint32_t state, std::intptr_t other,
                            std::uint32_t minimised);
    virtual void OnPaint(platform::WindowHandle window);
    virtual std::intptr_t OnQueryNewPalette(platform::WindowHandle window);
    virtual void OnPaletteChanged(platform::WindowHandle window, platform::WindowHandle changer);

    // The procedure of the window class: routes the window's messages to the
    // canvas stored in the window's data word and mouse messages to the mouse
    // target.
    static std::intptr_t WindowProc(platform::WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam);

    // The placement rules of the old window: windowed on a screen taller than 480
    // a framed window of the client size plus the frame (or the work area when
    // that is smaller), otherwise a popup over the whole screen; always at (0, 0).
    static WindowGeometry ChooseGeometry(bool fullScreen, int width, int height,
                                         const platform::ScreenMetrics& screen);

    // The mouse target is looked up on each mouse message (none: dropped).
    using MouseTargetLookup = ScreenMouseTarget* (*)();
    static void SetMouseTargetLookup(MouseTargetLookup lookup);
    // What closing the window does: posts the quit message through this hook (by
    // default to the thread's message queue; null restores that).
    using QuitPoster = void (*)(int exitCode);
    static void SetQuitPoster(QuitPoster poster);

    xPalette& GetScreenPalette() { return screenPalette_; }
    const xPalette& GetScreenPalette() const { return screenPalette_; }
    // The 256 realised colours (the static colours at 0-9 and 246-255), as the
    // logical palette holds them; null before the first SetPalette.
    const xLogPalette* GetLogicalPalette() const { return logicalPalette_.get(); }
    platform::WindowHandle GetWindow() const { return window_; }
    bool IsFullScreen() const { return fullScreen_; }

  private:
    void ReleaseDrawContext();

    xPalette screenPalette_;
    std::unique_ptr<xLogPalette> logicalPalette_;
    bool paletteRealised_ = false;
    int depth_ = 8;
    bool fullScreen_ = false;
    platform::WindowHandle window_ = nullptr;
    std::unique_ptr<platform::DrawContext> windowDc_;
    bool blitOnly_ = false;  // the open drawing section is one block copy into blitRect_
    xRect blitRect_;
};
