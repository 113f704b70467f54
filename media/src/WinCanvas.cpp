#include "media/WinCanvas.h"

#include "media/xGdi.h"

#include "divir/xStringList.h"

#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace {

// A face name read from the font name list is cut to this many characters.
constexpr std::int16_t kMaxListedFace = 80;

// Every canvas font is asked for at this weight; bold faces are chosen by name.
constexpr int kCanvasFontWeight = 200;

// The stock system font: a bold sans serif in a 16-pixel cell, 13 above the
// baseline and 3 below, with 3 of internal leading, so its characters are 13
// pixels high. The metrics are the cell's whatever face draws the glyphs.
class SystemFontFace : public platform::FontFace {
  public:
    explicit SystemFontFace(std::unique_ptr<platform::FontFace> glyphs) : glyphs_(std::move(glyphs)) {}

    const platform::FontMetrics& Metrics() const override { return kMetrics; }
    std::string FamilyName() const override { return glyphs_->FamilyName(); }
    const platform::Glyph& GetGlyph(std::uint8_t code) override { return glyphs_->GetGlyph(code); }

  private:
    static constexpr platform::FontMetrics kMetrics{13, 3, 16, 3, 0};
    std::unique_ptr<platform::FontFace> glyphs_;
};

}  // namespace

platform::FontFace* WinCanvas::SystemFont() {
    // Opened once for the program, on first use.
    static const std::unique_ptr<platform::FontFace> face = []() -> std::unique_ptr<platform::FontFace> {
        platform::FontRequest request;
        request.faceName = "Arial Bold";
        request.emPixels = 13;
        request.weight = kCanvasFontWeight;
        std::unique_ptr<platform::FontFace> glyphs = platform::OpenFontFace(request);
        if (!glyphs) {
            return nullptr;
        }
        return std::make_unique<SystemFontFace>(std::move(glyphs));
    }();
    return face.get();
}

WinCanvas::~WinCanvas() {
    if (dc_ != nullptr) {
        dc_->SelectPen(platform::StockNullPen());
        dc_->SelectBrush(platform::StockNullBrush());
        dc_->SelectFont(nullptr);
    }
    xDeleteGdiObject(pen_);
    xDeleteGdiObject(brush_);
    xDeleteGdiObject(fontFace_);
}

std::string WinCanvas::BuiltInFace(std::uint16_t number) {
    if (number > 0x7FFF) {
        return {};
    }
    char buffer[kMaxListedFace + 1];
    xGetStringListEntry(kFontNameList, static_cast<std::int16_t>(number), buffer, sizeof buffer);
    return buffer;
}

platform::FontFace* WinCanvas::MeasuringFace() const {
    platform::FontFace* face = dc_ != nullptr ? dc_->CurrentFont() : fontFace_.get();
    return face != nullptr ? face : SystemFont();
}

void WinCanvas::SelectPenAndBrush() {
    if (dc_ == nullptr) {
        return;
    }
    if (pen_) {
        dc_->SelectPen(*pen_);
    }
    if (brush_) {
        dc_->SelectBrush(*brush_);
    }
}

void WinCanvas::SetColor(const xRGB& colour) {
    if (colour == colour_) {
        return;
    }
    colour_ = colour;
    const platform::ColourRef ref = xPaletteRef(colour);
    if (dc_ != nullptr) {
        dc_->SetTextColour(ref);
        dc_->SelectPen(platform::StockNullPen());
        dc_->SelectBrush(platform::StockNullBrush());
    }
    xDeleteGdiObject(pen_);
    xDeleteGdiObject(brush_);
    pen_ = xCreatePen(0, penWidth_, ref);
    brush_ = xCreateSolidBrush(ref);
    SelectPenAndBrush();
}

void WinCanvas::SetPenWidth(std::int16_t width) {
    if (width == penWidth_) {
        return;
    }
    penWidth_ = width;
    if (dc_ != nullptr) {
        dc_->SelectPen(platform::StockNullPen());
    }
    xDeleteGdiObject(pen_);
    pen_ = xCreatePen(0, penWidth_, xPaletteRef(colour_));
    if (dc_ != nullptr && pen_) {
        dc_->SelectPen(*pen_);
    }
}

void WinCanvas::SetFont(const FontDesc& font) {
    if (font.SameFont(font_)) {
        return;
    }
    if (dc_ != nullptr) {
        dc_->SelectFont(SystemFont());
    }
    xDeleteGdiObject(fontFace_);
    font_ = font;
    font_.faceName.back() = '\0';
    if (font_.number == 0) {
        return;
    }
    std::string face(font_.faceName.data());
    if (face.empty()) {
        face = BuiltInFace(font_.number);
    }
    if (face.empty()) {
        font_.number = 0;
        return;
    }
    platform::FontRequest request;
    request.faceName = face;
    // The size is a character height in pixels; a negative one is taken by its
    // magnitude and 0 as 12.
    request.emPixels = font_.size > 0 ? font_.size : (font_.size < 0 ? -font_.size : 12);
    request.weight = kCanvasFontWeight;
    request.italic = (font_.style & 2) != 0;
    fontFace_ = xCreateFont(request);
    if (dc_ != nullptr) {
        dc_->SelectFont(fontFace_.get());
    }
}

int WinCanvas::GetFontMetrics(int* ascent, int* descent, int* leading) {
    platform::DrawContext measure;
    measure.SelectFont(MeasuringFace());
    const platform::FontMetrics own = measure.GetTextMetrics();
    if (ascent != nullptr) {
        *ascent = own.ascent;
    }
    if (descent != nullptr) {
        *descent = own.descent;
    }
    if (leading != nullptr) {
        *leading = own.externalLeading;
    }
    return own.height + own.externalLeading;
}

void WinCanvas::FillRect(const xRect& r) {
    if (dc_ == nullptr) {
        return;
    }
    const platform::Pen* old = dc_->SelectPen(platform::StockNullPen());
    dc_->Rectangle(r.left, r.top, r.right + 1, r.bottom + 1);
    dc_->SelectPen(*old);
}

void WinCanvas::FrameRect(const xRect& r) {
    if (dc_ == nullptr) {
        return;
    }
    const platform::Brush* old = dc_->SelectBrush(platform::StockNullBrush());
    dc_->Rectangle(r.left, r.top, r.right, r.bottom);
    dc_->SelectBrush(*old);
}

void WinCanvas::FillEllipse(const xRect& r) {
    if (dc_ != nullptr) {
        dc_->Ellipse(r.left, r.top, r.right, r.bottom);
    }
}

void WinCanvas::FrameEllipse(const xRect& r) {
    if (dc_ == nullptr) {
        return;
    }
    const platform::Brush* old = dc_->SelectBrush(platform::StockNullBrush());
    dc_->Ellipse(r.left, r.top, r.right, r.bottom);
    dc_->SelectBrush(*old);
}

void WinCanvas::MoveTo(const xPoint& p) {
    if (dc_ != nullptr) {
        dc_->MoveTo({p.x, p.y});
    }
}

void WinCanvas::LineTo(const xPoint& p) {
    if (dc_ != nullptr) {
        dc_->LineTo({p.x, p.y});
    }
}

void WinCanvas::DrawText(const char* text) {
    if (dc_ != nullptr && text != nullptr) {
        // A context that has no font of the canvas's holds the system font.
        if (dc_->CurrentFont() == nullptr) {
            dc_->SelectFont(SystemFont());
        }
        dc_->TextOut(0, 0, text);
    }
}

void WinCanvas::DrawTextIn(const xRect&, const char*, int, int) {}

std::int32_t WinCanvas::GetTextWidth(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    platform::DrawContext measure;
    measure.SelectFont(MeasuringFace());
    std::int32_t width = measure.GetTextExtent(text).cx;
    if (font_.style == 2 || font_.style == 3) {
        // Room for the slant of the last character.
        int ascent = 0;
        GetFontMetrics(&ascent, nullptr, nullptr);
        width += ascent / 4 + ascent / 8;
    }
    return width;
}

std::int16_t WinCanvas::GetTextHeight(const char* text) {
    platform::DrawContext measure;
    measure.SelectFont(MeasuringFace());
    return static_cast<std::int16_t>(measure.GetTextExtent(text != nullptr ? text : "").cy);
}

void WinCanvas::StretchFromCanvas(const xRect& mine, xCanvas& source, const xRect& theirs) {
    source.BeginDraw(nullptr);
    BeginDraw(nullptr);
    if (platform::DrawContext* from = source.GetDC(); from != nullptr && dc_ != nullptr) {
        dc_->StretchBlit(mine.left, mine.top, mine.Width(), mine.Height(), *from, theirs.left, theirs.top,
                         theirs.Width(), theirs.Height());
    }
    EndDraw(nullptr);
    source.EndDraw(nullptr);
}
