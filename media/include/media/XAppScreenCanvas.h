#pragma once

#include "media/xScreenCanvas.h"

#include "framework/MsgSenderForwarder.h"

#include <cstdint>
#include <string>

// The screen canvas of the application: it tells its receivers when the palette
// changed (PaletteChangedMsg) and when part of the window must be redrawn
// (WindowRepaintMsg). The UI root makes one and owns it for the whole run.
class XAppScreenCanvas : public xScreenCanvas, public MsgSenderForwarder {
  public:
    XAppScreenCanvas(const std::string& name, int depth, std::int16_t width, std::int16_t height,
                     bool fullScreen);
    ~XAppScreenCanvas() override;

    void SetPalette(const xPalette& palette) override;
    void Repaint(const xRect& r) override;
    std::intptr_t OnDefault(platform::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
};
