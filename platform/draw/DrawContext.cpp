#include "platform/DrawContext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform {

namespace {

// The nearest entry of a colour table, as Surface::NearestIndex answers it
// (the lowest index at the least distance), for many colours at once: the
// colour cube is cut into 32x32x32 cells, and each cell that is used keeps
// the entries that can be nearest to some colour in it.
class NearestColours {
  public:
    explicit NearestColours(const ColourTable& colours) : colours_(colours), cells_(kCells) {}

    const ColourTable& Colours() const { return colours_; }

    // The finder for this table: the last one made is kept while the table
    // stays the same (one thread draws).
    static NearestColours& For(const ColourTable& colours) {
        static std::unique_ptr<NearestColours> last;
        if (!last || last->colours_ != colours) {
            last = std::make_unique<NearestColours>(colours);
        }
        return *last;
    }

    std::uint8_t Find(Rgb c) {
        if (c == lastColour_ && haveLast_) {
            return lastIndex_;
        }
        const std::size_t cell = (static_cast<std::size_t>(c.r >> 3) << 10) |
                                 (static_cast<std::size_t>(c.g >> 3) << 5) |
                                 static_cast<std::size_t>(c.b >> 3);
        Cell& k = cells_[cell];
        if (!k.ready) {
            Fill(k, c);
        }
        int best = 0;
        int bestDistance = 0x7FFFFFFF;
        for (std::uint32_t i = k.first; i < k.first + k.count; ++i) {
            const std::uint8_t index = pool_[i];
            const Rgb& e = colours_[index];
            const int dr = e.r - c.r;
            const int dg = e.g - c.g;
            const int db = e.b - c.b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = index;
            }
        }
        lastColour_ = c;
        lastIndex_ = static_cast<std::uint8_t>(best);
        haveLast_ = true;
        return lastIndex_;
    }

  private:
    static constexpr std::size_t kCells = 32 * 32 * 32;
    struct Cell {
        std::uint32_t first = 0;
        std::uint16_t count = 0;
        bool ready = false;
    };

    // Squared distance from v to the span [lo, lo + 7], least and most.
    static int Near(int v, int lo) { return v < lo ? lo - v : (v > lo + 7 ? v - lo - 7 : 0); }
    static int Far(int v, int lo) { return std::max(std::abs(v - lo), std::abs(v - lo - 7)); }

    void Fill(Cell& k, Rgb c) {
        const int r0 = c.r & ~7;
        const int g0 = c.g & ~7;
        const int b0 = c.b & ~7;
        int bound = 0x7FFFFFFF;
        for (const Rgb& e : colours_) {
            const int fr = Far(e.r, r0);
            const int fg = Far(e.g, g0);
            const int fb = Far(e.b, b0);
            bound = std::min(bound, fr * fr + fg * fg + fb * fb);
        }
        k.first = static_cast<std::uint32_t>(pool_.size());
        for (int i = 0; i < 256; ++i) {
            const Rgb& e = colours_[static_cast<std::size_t>(i)];
            const int nr = Near(e.r, r0);
            const int ng = Near(e.g, g0);
            const int nb = Near(e.b, b0);
            if (nr * nr + ng * ng + nb * nb <= bound) {
                pool_.push_back(static_cast<std::uint8_t>(i));
            }
        }
        k.count = static_cast<std::uint16_t>(pool_.size() - k.first);
        k.ready = true;
    }

    ColourTable colours_;
    std::vector<Cell> cells_;
    std::vector<std::uint8_t> pool_;
    Rgb lastColour_{};
    std::uint8_t lastIndex_ = 0;
    bool haveLast_ = false;
};

// The built-in system font: no glyphs, the metrics of a 16-pixel cell.
constexpr FontMetrics kSystemMetrics{13, 3, 16, 3, 0};

struct Span {
    int x0;
    int x1;  // exclusive; empty when x1 <= x0
};

// Horizontal extent of row y of the ellipse inscribed in [l, r) x [t, b), by
// pixel centres.
Span EllipseSpan(double l, double t, double r, double b, int y) {
    const double a = (r - l) / 2.0;
    const double bb = (b - t) / 2.0;
    if (a <= 0.0 || bb <= 0.0) {
        return {0, 0};
    }
    const double cx = (l + r) / 2.0;
    const double cy = (t + b) / 2.0;
    const double dy = (y + 0.5 - cy) / bb;
    if (dy * dy > 1.0) {
        return {0, 0};
    }
    const double half = a * std::sqrt(1.0 - dy * dy);
    return {static_cast<int>(std::ceil(cx - half - 0.5)), static_cast<int>(std::floor(cx + half - 0.5)) + 1};
}

}  // namespace

const Pen& StockBlackPen() {
    static const Pen pen{false, 1, 0};
    return pen;
}
const Pen& StockNullPen() {
    static const Pen pen{true, 1, 0};
    return pen;
}
const Brush& StockBlackBrush() {
    static const Brush brush{false, 0};
    return brush;
}
const Brush& StockNullBrush() {
    static const Brush brush{true, 0};
    return brush;
}

DrawContext::DrawContext(Surface* surface)
    : surface_(surface), pen_(&StockBlackPen()), brush_(&StockBlackBrush()) {}

const Pen* DrawContext::SelectPen(const Pen& pen) {
    const Pen* old = pen_;
    pen_ = &pen;
    return old;
}

const Brush* DrawContext::SelectBrush(const Brush& brush) {
    const Brush* old = brush_;
    brush_ = &brush;
    return old;
}

FontFace* DrawContext::SelectFont(FontFace* font) {
    FontFace* old = font_;
    font_ = font;
    return old;
}

Point DrawContext::MoveTo(Point p) {
    const Point old = position_;
    position_ = p;
    return old;
}

std::uint32_t DrawContext::PixelFor(ColourRef colour) const {
    const Rgb c = RgbOf(colour);
    if (surface_ != nullptr && surface_->Depth() == 8) {
        return surface_->NearestIndex(c);
    }
    return static_cast<std::uint32_t>(c.b) | (static_cast<std::uint32_t>(c.g) << 8) |
           (static_cast<std::uint32_t>(c.r) << 16);
}

void DrawContext::PutPixel(int x, int y, std::uint32_t pixel) {
    if (surface_ == nullptr || !surface_->Valid() || x < 0 || y < 0 || x >= surface_->Width() ||
        y >= surface_->Height()) {
        return;
    }
    FillSpan(y, x, x + 1, pixel);
}

void DrawContext::FillSpan(int y, int x0, int x1, std::uint32_t pixel) {
    if (surface_ == nullptr || !surface_->Valid() || y < 0 || y >= surface_->Height()) {
        return;
    }
    x0 = std::max(x0, 0);
    x1 = std::min(x1, surface_->Width());
    if (x1 <= x0) {
        return;
    }
    std::uint8_t* row = surface_->Row(y);
    switch (surface_->Depth()) {
        case 8:
            std::memset(row + x0, static_cast<int>(pixel & 0xFF), static_cast<std::size_t>(x1 - x0));
            break;
        case 24:
            for (std::uint8_t* p = row + x0 * 3; p < row + x1 * 3; p += 3) {
                p[0] = static_cast<std::uint8_t>(pixel);
                p[1] = static_cast<std::uint8_t>(pixel >> 8);
                p[2] = static_cast<std::uint8_t>(pixel >> 16);
            }
            break;
        default:
            for (std::uint8_t* p = row + x0 * 4; p < row + x1 * 4; p += 4) {
                p[0] = static_cast<std::uint8_t>(pixel);
                p[1] = static_cast<std::uint8_t>(pixel >> 8);
                p[2] = static_cast<std::uint8_t>(pixel >> 16);
                p[3] = 0;
            }
            break;
    }
}

void DrawContext::Stamp(int x, int y, int width, std::uint32_t pixel) {
    if (width <= 1) {
        PutPixel(x, y, pixel);
        return;
    }
    if (surface_ == nullptr || !surface_->Valid()) {
        return;
    }
    const int x0 = x - width / 2;
    const int y0 = y - width / 2;
    // Only the rows on the surface: a wide pen costs no more than its visible part.
    const int top = std::max(y0, 0);
    const int bottom = std::min(y0 + width, surface_->Height());
    for (int yy = top; yy < bottom; ++yy) {
        FillSpan(yy, x0, x0 + width, pixel);
    }
}

void DrawContext::LineTo(Point p) {
    const Point from = position_;
    position_ = p;
    if (pen_->null) {
        return;
    }
    const std::uint32_t pixel = PixelFor(pen_->colour);
    const int dx = std::abs(p.x - from.x);
    const int dy = -std::abs(p.y - from.y);
    const int sx = from.x < p.x ? 1 : -1;
    const int sy = from.y < p.y ? 1 : -1;
    int err = dx + dy;
    int x = from.x;
    int y = from.y;
    while (x != p.x || y != p.y) {
        Stamp(x, y, pen_->width, pixel);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void DrawContext::Rectangle(int left, int top, int right, int bottom) {
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    if (pen_->null) {
        if (!brush_->null) {
            const std::uint32_t pixel = PixelFor(brush_->colour);
            for (int y = top; y < bottom - 1; ++y) {
                FillSpan(y, left, right - 1, pixel);
            }
        }
        return;
    }
    if (!brush_->null) {
        const std::uint32_t pixel = PixelFor(brush_->colour);
        for (int y = top + 1; y < bottom - 1; ++y) {
            FillSpan(y, left + 1, right - 1, pixel);
        }
    }
    // The pen is centred on the outline; a width of 1 covers the outermost pixels.
    const int w = std::max(pen_->width, 1);
    const int o = w / 2;
    const int ol = left - o;
    const int ot = top - o;
    const int orr = right - 1 - o + w;
    const int ob = bottom - 1 - o + w;
    const int il = ol + w;
    const int it = ot + w;
    const int ir = orr - w;
    const int ib = ob - w;
    const std::uint32_t pixel = PixelFor(pen_->colour);
    for (int y = ot; y < ob; ++y) {
        if (y >= it && y < ib && il < ir) {
            FillSpan(y, ol, il, pixel);
            FillSpan(y, ir, orr, pixel);
        } else {
            FillSpan(y, ol, orr, pixel);
        }
    }
}

void DrawContext::Ellipse(int left, int top, int right, int bottom) {
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    if (pen_->null) {
        --right;
        --bottom;
    }
    const int w = pen_->null ? 0 : std::max(pen_->width, 1);
    const bool fill = !brush_->null;
    const std::uint32_t brushPixel = fill ? PixelFor(brush_->colour) : 0;
    const std::uint32_t penPixel = w > 0 ? PixelFor(pen_->colour) : 0;
    for (int y = top; y < bottom; ++y) {
        const Span outer = EllipseSpan(left, top, right, bottom, y);
        if (outer.x1 <= outer.x0) {
            continue;
        }
        const Span inner = w > 0 ? EllipseSpan(left + w, top + w, right - w, bottom - w, y) : outer;
        if (inner.x1 <= inner.x0) {
            if (w > 0) {
                FillSpan(y, outer.x0, outer.x1, penPixel);
            }
            continue;
        }
        if (fill) {
            FillSpan(y, inner.x0, inner.x1, brushPixel);
        }
        if (w > 0) {
            FillSpan(y, outer.x0, inner.x0, penPixel);
            FillSpan(y, inner.x1, outer.x1, penPixel);
        }
    }
}

FontMetrics DrawContext::GetTextMetrics() const {
    return font_ != nullptr ? font_->Metrics() : kSystemMetrics;
}

Extent DrawContext::GetTextExtent(std::string_view text) const {
    const FontMetrics m = GetTextMetrics();
    Extent e{0, m.height};
    if (font_ == nullptr) {
        return e;
    }
    for (const char c : text) {
        e.cx += AdvanceOf(static_cast<std::uint8_t>(c), m);
    }
    return e;
}

int DrawContext::EmOf(const FontMetrics& m) {
    const int em = m.height - m.internalLeading;
    return em > 0 ? em : m.height;
}

int DrawContext::AdvanceOf(std::uint8_t code, const FontMetrics& m) const {
    if (code == kRuleCode) return EmOf(m);
    if (code == kNothingCode) return 0;
    return font_->GetGlyph(code).advance;
}

void DrawContext::TextOut(int x, int y, std::string_view text) {
    const bool update = (align_ & kAlignUpdatePosition) != 0;
    if (update) {
        x = position_.x;
        y = position_.y;
    }
    const FontMetrics m = GetTextMetrics();
    int baseline = y + m.ascent;
    if ((align_ & kAlignBaseline) == kAlignBaseline) {
        baseline = y;
    } else if ((align_ & kAlignBaseline) == 0x08) {  // bottom of the cell
        baseline = y - m.descent;
    }
    const Extent extent = GetTextExtent(text);
    if (backMode_ == BackgroundMode::Opaque) {
        const std::uint32_t back = PixelFor(backColour_);
        for (int yy = baseline - m.ascent; yy < baseline + m.descent; ++yy) {
            FillSpan(yy, x, x + extent.cx, back);
        }
    }
    if (font_ != nullptr && surface_ != nullptr && surface_->Valid()) {
        const std::uint32_t pixel = PixelFor(textColour_);
        int pen = x;
        for (const char c : text) {
            const auto code = static_cast<std::uint8_t>(c);
            if (code == kRuleCode) {
                // A one-em rule, a twelfth of an em thick, at the height of a dash.
                const int em = EmOf(m);
                const int thickness = em >= 12 ? em / 12 : 1;
                const int top = baseline - (em * 3) / 10;
                for (int yy = top; yy < top + thickness; ++yy) FillSpan(yy, pen, pen + em, pixel);
                pen += em;
                continue;
            }
            if (code == kNothingCode) continue;
            const Glyph& g = font_->GetGlyph(code);
            for (int row = 0; row < g.rows; ++row) {
                const int yy = baseline - g.top + row;
                const std::uint8_t* bits =
                    g.bits.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(g.width);
                for (int col = 0; col < g.width; ++col) {
                    if (bits[col] != 0) {
                        PutPixel(pen + g.left + col, yy, pixel);
                    }
                }
            }
            pen += g.advance;
        }
    }
    if (update) {
        position_.x = x + extent.cx;
    }
}

void DrawContext::StretchBlit(int x, int y, int w, int h, const DrawContext& src, int sx, int sy, int sw,
                              int sh) {
    const Surface* from = src.surface_;
    Surface* to = surface_;
    if (from == nullptr || to == nullptr || !from->Valid() || !to->Valid() || w <= 0 || h <= 0 || sw <= 0 ||
        sh <= 0) {
        return;
    }
    const int dx0 = std::max(x, 0);
    const int dx1 = std::min(x + w, to->Width());
    const int dy0 = std::max(y, 0);
    const int dy1 = std::min(y + h, to->Height());
    if (dx1 <= dx0 || dy1 <= dy0) {
        return;
    }
    const int fromBpp = from->BytesPerPixel();
    const int toBpp = to->BytesPerPixel();
    const bool sameScaleX = sw == w;
    // Colours to 8 bits through a table of the target's colours, not a scan
    // of all 256 entries per pixel.
    NearestColours* nearest = toBpp == 1 && fromBpp != 1 ? &NearestColours::For(to->Colours()) : nullptr;
    for (int ty = dy0; ty < dy1; ++ty) {
        // Sample at the centre of each target pixel.
        const int syy = sy + static_cast<int>((2LL * (ty - y) + 1) * sh / (2LL * h));
        if (syy < 0 || syy >= from->Height()) {
            continue;
        }
        const std::uint8_t* srow = from->Row(syy);
        std::uint8_t* drow = to->Row(ty);
        if (sameScaleX && fromBpp == toBpp && fromBpp == 1) {
            int a = dx0;
            int b = dx1;
            a = std::max(a, x - sx);
            b = std::min(b, x - sx + from->Width());
            if (b > a) {
                std::memcpy(drow + a, srow + (a - x + sx), static_cast<std::size_t>(b - a));
            }
            continue;
        }
        for (int tx = dx0; tx < dx1; ++tx) {
            const int sxx =
                sameScaleX ? sx + (tx - x) : sx + static_cast<int>((2LL * (tx - x) + 1) * sw / (2LL * w));
            if (sxx < 0 || sxx >= from->Width()) {
                continue;
            }
            const std::uint8_t* sp = srow + static_cast<std::size_t>(sxx) * static_cast<std::size_t>(fromBpp);
            std::uint8_t* dp = drow + static_cast<std::size_t>(tx) * static_cast<std::size_t>(toBpp);
            if (fromBpp == 1 && toBpp == 1) {
                *dp = *sp;
                continue;
            }
            const Rgb c = fromBpp == 1 ? from->Colours()[*sp] : Rgb{sp[2], sp[1], sp[0]};
            if (toBpp == 1) {
                *dp = nearest != nullptr ? nearest->Find(c) : to->NearestIndex(c);
            } else {
                dp[0] = c.b;
                dp[1] = c.g;
                dp[2] = c.r;
                if (toBpp == 4) {
                    dp[3] = 0;
                }
            }
        }
    }
}

}  // namespace platform
