#include "media/xCanvas.h"

void xCanvas::ResetState() {
    const xRGB black{};
    if (!(colour_ == black)) {
        SetColor(black);
    }
    if (penWidth_ != 0) {
        SetPenWidth(0);
    }
    const FontDesc none{};
    if (!font_.SameFont(none)) {
        SetFont(none);
    }
}

void xCanvas::SetState(const xCanvasState& state) {
    if (!(colour_ == state.colour_)) {
        SetColor(state.colour_);
    }
    if (penWidth_ != state.penWidth_) {
        SetPenWidth(state.penWidth_);
    }
    if (!font_.SameFont(state.font_)) {
        SetFont(state.font_);
    }
}

void xCanvas::GetState(xCanvasState& out) const {
    out.colour_ = colour_;
    out.penWidth_ = penWidth_;
    out.font_ = font_;
}

xRect& xCanvas::GetTextBounds(xRect& out, int x, int y, const char* text) {
    int ascent = 0;
    int descent = 0;
    GetFontMetrics(&ascent, &descent, nullptr);
    out = xRect(x, y - ascent, x + GetTextWidth(text), y + descent);
    return out;
}
