#include "media/xMixCanvas.h"

#include "media/WinScreenCanvas.h"

#include <algorithm>
#include <array>

namespace {

// What a writer needs besides the two addresses. Widths are the clipped extents.
struct WriterArgs {
    std::uint8_t colour = 0;
    const std::uint8_t* table = nullptr;  // blend table or 768-byte blue, green, red palette
    std::int32_t targetWidth = 0;
    std::int32_t sourceWidth = 0;
    std::int32_t step = 0;
    std::int32_t remainder = 0;
};

using Writer = void (*)(std::uint8_t* target, const std::uint8_t* source, const WriterArgs& a);

enum class Pixel { Mask, Blend, Copy, Copy24 };

template <Pixel P>
inline void Put(std::uint8_t* t, std::uint8_t s, const WriterArgs& a) {
    if constexpr (P == Pixel::Mask) {
        if (s != 0) {
            *t = a.colour;
        }
    } else if constexpr (P == Pixel::Blend) {
        *t = a.table[static_cast<std::size_t>(s) * 256 + *t];
    } else if constexpr (P == Pixel::Copy) {
        if (s != 0) {
            *t = s;
        }
    } else {
        if (s != 0) {
            const std::uint8_t* c = a.table + static_cast<std::size_t>(s) * 3;
            t[0] = c[0];
            t[1] = c[1];
            t[2] = c[2];
        }
    }
}

// One loop per pixel rule, walk and direction. Each walk reads at most
// sourceWidth source pixels and writes exactly targetWidth target pixels.
template <Pixel P, int Walk, bool Mirror>
void Write(std::uint8_t* t, const std::uint8_t* s, const WriterArgs& a) {
    constexpr std::ptrdiff_t kBytes = P == Pixel::Copy24 ? 3 : 1;
    constexpr std::ptrdiff_t kStep = Mirror ? -kBytes : kBytes;
    if constexpr (Walk == 0) {
        for (std::int32_t i = 0; i < a.targetWidth; ++i, t += kStep) {
            Put<P>(t, s[i], a);
        }
    } else if constexpr (Walk == 1) {
        std::int32_t acc = a.targetWidth;
        const std::uint8_t* end = s + a.sourceWidth;
        for (std::int32_t i = 0; i < a.targetWidth && s < end; ++i, t += kStep) {
            Put<P>(t, *s, a);
            acc -= a.remainder;
            if (acc < 1) {
                acc += a.targetWidth;
                s += a.step + 1;
            } else {
                s += a.step;
            }
        }
    } else {
        std::int32_t acc = 0;
        std::int32_t left = a.targetWidth;
        for (std::int32_t i = 0; i < a.sourceWidth && left > 0; ++i) {
            acc += a.targetWidth;
            const std::uint8_t v = s[i];
            while (acc > 0 && left > 0) {
                Put<P>(t, v, a);
                t += kStep;
                acc -= a.sourceWidth;
                --left;
            }
        }
    }
}

template <Pixel P>
constexpr std::array<Writer, 6> WritersOf() {
    return {Write<P, 0, false>, Write<P, 1, false>, Write<P, 2, false>,
            Write<P, 0, true>,  Write<P, 1, true>,  Write<P, 2, true>};
}

// Writers 0-17: mode (0, 6, 12) + case (0-5).
constexpr std::array<Writer, 18> kWriters8 = [] {
    std::array<Writer, 18> w{};
    const auto mask = WritersOf<Pixel::Mask>();
    const auto blend = WritersOf<Pixel::Blend>();
    const auto copy = WritersOf<Pixel::Copy>();
    for (std::size_t i = 0; i < 6; ++i) {
        w[i] = mask[i];
        w[6 + i] = blend[i];
        w[12 + i] = copy[i];
    }
    return w;
}();
constexpr std::array<Writer, 6> kWriters24 = WritersOf<Pixel::Copy24>();

// Moves an edge by amount * a / b in 32 bits; the old code multiplied by a / b
// and so lost the whole move when shrinking.
std::int32_t Scaled(std::int32_t amount, std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(amount) * a) / b);
}

struct Box {
    std::int32_t l, t, r, b;
    std::int32_t W() const { return r - l; }
    std::int32_t H() const { return b - t; }
    bool Empty() const { return r <= l || b <= t; }
};

Box BoxOf(const xRect& r) {
    return Box{r.left, r.top, r.right, r.bottom};
}

// Clips `moving` to `limit` and moves the partner's edges by the clipped amount
// scaled from moving's extents to the partner's. Mirroring pairs a left clip with
// the partner's right edge; flipping does the same for top and bottom.
void ClipPair(Box& moving, Box& partner, const Box& limit, std::int32_t movingW, std::int32_t movingH,
              std::int32_t partnerW, std::int32_t partnerH, bool mirror, bool flip) {
    if (moving.l < limit.l) {
        const std::int32_t d = Scaled(limit.l - moving.l, partnerW, movingW);
        moving.l = limit.l;
        (mirror ? partner.r : partner.l) += mirror ? -d : d;
    }
    if (moving.r > limit.r) {
        const std::int32_t d = Scaled(moving.r - limit.r, partnerW, movingW);
        moving.r = limit.r;
        (mirror ? partner.l : partner.r) += mirror ? d : -d;
    }
    if (moving.t < limit.t) {
        const std::int32_t d = Scaled(limit.t - moving.t, partnerH, movingH);
        moving.t = limit.t;
        (flip ? partner.b : partner.t) += flip ? -d : d;
    }
    if (moving.b > limit.b) {
        const std::int32_t d = Scaled(moving.b - limit.b, partnerH, movingH);
        moving.b = limit.b;
        (flip ? partner.t : partner.b) += flip ? d : -d;
    }
}

// 0 equal, 1 shrink, 2 stretch; + 3 mirrored.
std::int32_t CaseOf(std::int32_t targetW, std::int32_t sourceW, bool mirror) {
    const std::int32_t c = targetW == sourceW ? 0 : (targetW < sourceW ? 1 : 2);
    return c + (mirror ? 3 : 0);
}

}  // namespace

int xMixCanvas::DrawPixels(const xRect& target, const xMixCanvas& source, const xRect& sourceRect,
                           const xRect& clip, std::uint8_t colour, std::uint16_t flags,
                           const std::uint8_t* table, int mode) {
    if (sourceRect.IsEmpty() || target.IsEmpty()) {
        return kNothingDrawn;
    }
    // Both canvases must hold 8-bit indices; a 24-bit target is refused rather
    // than written one byte per pixel.
    if (depth_ != 8 || source.GetDepth() != 8 || !surface_ || !source.surface_ ||
        (mode != kModeMask && mode != kModeBlend && mode != kModeCopy) ||
        (mode == kModeBlend && table == nullptr)) {
        return kRefused;
    }
    const bool mirror = (flags & kMirror) != 0;
    const bool flip = (flags & kFlip) != 0;
    Box s = BoxOf(sourceRect);
    Box t = BoxOf(target);
    const std::int32_t sw0 = s.W();
    const std::int32_t sh0 = s.H();
    const std::int32_t tw0 = t.W();
    const std::int32_t th0 = t.H();

    xRect limitRect;
    if (!xRect::Intersect(source.GetBounds(), clip, limitRect)) {
        return kNothingDrawn;
    }
    ClipPair(s, t, BoxOf(limitRect), sw0, sh0, tw0, th0, mirror, flip);
    if (s.Empty()) {
        return kNothingDrawn;
    }
    ClipPair(t, s, BoxOf(bounds_), tw0, th0, sw0, sh0, mirror, flip);
    if (t.Empty() || s.Empty()) {
        return kNothingDrawn;
    }
    // The walks step over the clipped extents, so they stay inside the clipped
    // source whatever the rounding of the edge moves.
    s.l = std::max(s.l, static_cast<std::int32_t>(limitRect.left));
    s.t = std::max(s.t, static_cast<std::int32_t>(limitRect.top));
    s.r = std::min(s.r, static_cast<std::int32_t>(limitRect.right));
    s.b = std::min(s.b, static_cast<std::int32_t>(limitRect.bottom));
    if (s.Empty()) {
        return kNothingDrawn;
    }
    const std::int32_t sw = s.W();
    const std::int32_t sh = s.H();
    const std::int32_t tw = t.W();
    const std::int32_t th = t.H();

    WriterArgs args;
    args.colour = colour;
    args.table = table;
    args.targetWidth = tw;
    args.sourceWidth = sw;
    args.step = sw / tw;
    args.remainder = sw % tw;
    const Writer writer = kWriters8[static_cast<std::size_t>(mode + CaseOf(tw, sw, mirror))];
    const std::int32_t firstX = mirror ? t.r - 1 : t.l;

    const std::int32_t vStep = sh / th;
    const std::int32_t vRemainder = sh % th;
    std::int32_t acc = th;
    std::int32_t sourceRow = s.t;
    for (std::int32_t k = 0; k < th && sourceRow < s.b; ++k) {
        const std::int32_t row = flip ? t.b - 1 - k : t.t + k;
        writer(GetRow(row) + firstX, source.GetRow(sourceRow) + s.l, args);
        acc -= vRemainder;
        if (acc < 1) {
            acc += th;
            sourceRow += vStep + 1;
        } else {
            sourceRow += vStep;
        }
    }
    return kDrawn;
}

int xMixCanvas::DrawPixelsSimple(const xRect& target, const xMixCanvas& source, const xRect& sourceRect,
                                 const xRect& clip, std::uint16_t flags) {
    return DrawPixels(target, source, sourceRect, clip, 0, flags, nullptr, kModeCopy);
}

int xMixCanvas::BeginSpan(const xRect& target, const xRect& clip, std::int16_t sourceWidth,
                          std::int16_t sourceHeight, std::uint16_t flags, const std::uint8_t* firstRow,
                          Span& span) {
    span = Span{};
    if (target.IsEmpty() || sourceWidth <= 0 || sourceHeight <= 0 || firstRow == nullptr) {
        return 0;
    }
    xRect limitRect;
    if (!xRect::Intersect(bounds_, clip, limitRect)) {
        return 0;
    }
    const bool mirror = (flags & kMirror) != 0;
    const bool flip = (flags & kFlip) != 0;
    Box s{0, 0, sourceWidth, sourceHeight};
    Box t = BoxOf(target);
    const std::int32_t tw0 = t.W();
    const std::int32_t th0 = t.H();
    ClipPair(t, s, BoxOf(limitRect), tw0, th0, sourceWidth, sourceHeight, mirror, flip);
    s.l = std::max(s.l, 0);
    s.t = std::max(s.t, 0);
    s.r = std::min(s.r, static_cast<std::int32_t>(sourceWidth));
    s.b = std::min(s.b, static_cast<std::int32_t>(sourceHeight));
    if (t.Empty() || s.Empty()) {
        return 0;
    }
    if (depth_ == 24) {
        const xPalette& palette = screen_ != nullptr ? screen_->GetScreenPalette() : xPalette::Default();
        for (int i = 0; i < 256; ++i) {
            xRGB c;
            palette.GetEntry(c, static_cast<std::uint8_t>(i));
            bgr_[static_cast<std::size_t>(i) * 3] = c.blue;
            bgr_[static_cast<std::size_t>(i) * 3 + 1] = c.green;
            bgr_[static_cast<std::size_t>(i) * 3 + 2] = c.red;
        }
    }
    span.fullWidth = tw0;
    span.fullHeight = th0;
    span.writerCase = CaseOf(t.W(), s.W(), mirror);
    span.hStep = s.W() / t.W();
    span.hRemainder = s.W() % t.W();
    span.vStep = s.H() / t.H();
    span.vRemainder = s.H() % t.H();
    span.width = t.W();
    span.rowsLeft = t.H();
    span.accumulator = t.H();
    span.accumulatorBase = t.H();
    span.direction = flip ? -1 : 1;
    span.sourceWidth = s.W();
    span.firstX = mirror ? t.r - 1 : t.l;
    span.row = flip ? t.b - 1 : t.t;
    span.source = firstRow + s.l;
    span.sourceRowsLeft = s.H();
    return s.t + 1;
}

int xMixCanvas::NextSpan(Span& span) {
    if (depth_ != 8 && depth_ != 24) {
        throw 0;
    }
    WriterArgs args;
    args.targetWidth = span.width;
    args.sourceWidth = span.sourceWidth;
    args.step = span.hStep;
    args.remainder = span.hRemainder;
    args.table = bgr_.data();
    const std::size_t c = static_cast<std::size_t>(std::clamp(span.writerCase, 0, 5));
    const Writer writer = depth_ == 8 ? kWriters8[static_cast<std::size_t>(kModeCopy) + c] : kWriters24[c];
    const std::ptrdiff_t bytes = depth_ / 8;
    for (;;) {
        if (span.rowsLeft <= 0 || span.source == nullptr || span.row < bounds_.top ||
            span.row >= bounds_.bottom) {
            return 0xFFFF;
        }
        writer(GetRow(span.row) + span.firstX * bytes, span.source, args);
        span.row += span.direction;
        --span.rowsLeft;
        span.accumulator -= span.vRemainder;
        std::int32_t advance = span.vStep;
        if (span.accumulator < 1) {
            span.accumulator += span.accumulatorBase;
            advance = span.vStep + 1;
        }
        if (advance == 0) {
            continue;
        }
        // Never ask for a row past the clipped source.
        span.sourceRowsLeft -= advance;
        if (span.sourceRowsLeft <= 0) {
            span.rowsLeft = 0;
            return 0xFFFF;
        }
        return advance;
    }
}
