#include "media/XAppScreenCanvas.h"

#include "media/PaletteChangedMsg.h"
#include "media/WindowRepaintMsg.h"

XAppScreenCanvas::XAppScreenCanvas(const std::string& name, int depth, std::int16_t width,
                                   std::int16_t height, bool fullScreen) {
    Create(name.c_str(), depth, width, height, fullScreen);
}

XAppScreenCanvas::~XAppScreenCanvas() = default;

void XAppScreenCanvas::SetPalette(const xPalette& palette) {
    xScreenCanvas::SetPalette(palette);
    Send(PaletteChangedMsg());
}

void XAppScreenCanvas::Repaint(const xRect& r) {
    Send(WindowRepaintMsg(r));
}

std::intptr_t XAppScreenCanvas::OnDefault(platform::WindowHandle window, std::uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) {
    return xScreenCanvas::OnDefault(window, message, wParam, lParam);
}
