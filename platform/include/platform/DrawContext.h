#pragma once

// The software drawing layer that stands where the graphics device interface stood:
// a context bound to a surface, with a selected pen, brush and font, a text colour,
// a background mode, a text alignment and a current position. Coordinates are
// surface pixels; everything is clipped to the surface.

#include "platform/FontFace.h"
#include "platform/Surface.h"

#include <cstdint>
#include <string_view>

namespace platform {

// A colour as the drawing calls take it: 0x00BBGGRR, optionally with 0x02000000
// (palette-relative: on an 8-bit surface the nearest entry of its colour table).
// Both forms are matched to the nearest entry on 8-bit surfaces.
using ColourRef = std::uint32_t;

constexpr ColourRef PaletteRgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return 0x02000000u | (static_cast<std::uint32_t>(b) << 16) | (static_cast<std::uint32_t>(g) << 8) | r;
}
constexpr Rgb RgbOf(ColourRef c) {
    return Rgb{static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>((c >> 8) & 0xFF),
               static_cast<std::uint8_t>((c >> 16) & 0xFF)};
}

// A solid pen; a null pen draws nothing. Width 0 and 1 both draw one pixel.
struct Pen {
    bool null = false;
    int width = 1;
    ColourRef colour = 0;
};

// A solid brush; a null brush fills nothing.
struct Brush {
    bool null = false;
    ColourRef colour = 0;
};

// The shared objects every context starts with.
const Pen& StockBlackPen();
const Pen& StockNullPen();
const Brush& StockBlackBrush();
const Brush& StockNullBrush();

enum class BackgroundMode { Transparent = 1, Opaque = 2 };

// Text alignment bits with their old values: update the current position (1) and
// align on the baseline (24); without the baseline bit the point is the cell top.
inline constexpr std::uint32_t kAlignUpdatePosition = 0x01;
inline constexpr std::uint32_t kAlignBaseline = 0x18;

struct Point {
    int x = 0;
    int y = 0;
    friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Extent {
    int cx = 0;
    int cy = 0;
};

class DrawContext {
  public:
    explicit DrawContext(Surface* surface = nullptr);

    void Bind(Surface* surface) { surface_ = surface; }
    Surface* GetSurface() const { return surface_; }

    // Each select answers the object it replaces; pens and brushes are borrowed
    // and must outlive their selection. A null font selects the built-in system
    // font, which has no glyphs and only fixed metrics.
    const Pen* SelectPen(const Pen& pen);
    const Brush* SelectBrush(const Brush& brush);
    FontFace* SelectFont(FontFace* font);
    const Pen& CurrentPen() const { return *pen_; }
    const Brush& CurrentBrush() const { return *brush_; }
    FontFace* CurrentFont() const { return font_; }

    void SetTextColour(ColourRef colour) { textColour_ = colour; }
    ColourRef TextColour() const { return textColour_; }
    void SetBackgroundColour(ColourRef colour) { backColour_ = colour; }
    void SetBackgroundMode(BackgroundMode mode) { backMode_ = mode; }
    BackgroundMode GetBackgroundMode() const { return backMode_; }
    void SetTextAlign(std::uint32_t align) { align_ = align; }
    std::uint32_t TextAlign() const { return align_; }

    Point MoveTo(Point p);  // answers the previous position
    Point CurrentPosition() const { return position_; }

    // A line from the current position to p, the final pixel left out; the
    // position becomes p.
    void LineTo(Point p);

    // The rectangle [left, right) x [top, bottom): outlined with the pen and
    // filled with the brush. With the null pen only [left, right - 1) x
    // [top, bottom - 1) is filled, as the old interface did.
    void Rectangle(int left, int top, int right, int bottom);
    // The ellipse inscribed in the same box, with the same pen and brush rules.
    void Ellipse(int left, int top, int right, int bottom);

    // Draws Windows-1252 bytes in the text colour with the selected font. With
    // kAlignUpdatePosition the text starts at the current position (x, y are
    // ignored) and the position moves to the text's end. Two codes are not the
    // font's: kRuleCode is a horizontal rule one em wide, kNothingCode draws
    // nothing and takes no room; the extent measures them so.
    void TextOut(int x, int y, std::string_view text);
    Extent GetTextExtent(std::string_view text) const;
    FontMetrics GetTextMetrics() const;

    // Nearest-neighbour copy of src's rectangle onto this one's, scaling when the
    // sizes differ. 8-bit to 8-bit copies indices; other pairs convert colours.
    void StretchBlit(int x, int y, int w, int h, const DrawContext& src, int sx, int sy, int sw, int sh);

    // The pixel value this surface stores for a colour (index, or packed bytes).
    std::uint32_t PixelFor(ColourRef colour) const;

    static constexpr std::uint8_t kRuleCode = 0xFE;
    static constexpr std::uint8_t kNothingCode = 0x06;

  private:
    // The font's em: the cell height less the internal leading.
    static int EmOf(const FontMetrics& m);
    int AdvanceOf(std::uint8_t code, const FontMetrics& m) const;
    void FillSpan(int y, int x0, int x1, std::uint32_t pixel);
    void PutPixel(int x, int y, std::uint32_t pixel);
    void Stamp(int x, int y, int width, std::uint32_t pixel);

    Surface* surface_ = nullptr;
    const Pen* pen_;
    const Brush* brush_;
    FontFace* font_ = nullptr;
    ColourRef textColour_ = 0;
    ColourRef backColour_ = 0x00FFFFFF;
    BackgroundMode backMode_ = BackgroundMode::Opaque;
    std::uint32_t align_ = 0;
    Point position_{};
};

}  // namespace platform
