#pragma once

#include "framework/RootCanvas.h"
#include "media/XAppScreenCanvas.h"

#include <cstdint>
#include <memory>

// The window's screen canvas as the UI root uses it: the root owns this object,
// which owns the canvas made from the five display arguments.
class ScreenRootCanvas : public RootCanvas {
  public:
    ScreenRootCanvas(const char* name, std::int32_t depth, std::int32_t width, std::int32_t height,
                     bool fullScreen);
    ~ScreenRootCanvas() override;

    // Makes every UI root draw on the screen canvas.
    static void Install();

    XAppScreenCanvas& GetScreenCanvas() { return *canvas_; }

    xRect GetFrameRect() override;
    xPalette* GetPaletteMember() override;
    void FillFrame(const xRGB& colour) override;
    void SetPalette(const xPalette& palette) override;
    platform::WindowHandle GetWindow() override;
    bool IsForeground() override;
    void SetClassCursor(platform::SystemCursor cursor) override;
    platform::SystemCursor GetClassCursor() override;

  private:
    std::unique_ptr<XAppScreenCanvas> canvas_;
};
