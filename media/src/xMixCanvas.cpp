#include "media/xMixCanvas.h"

#include "media/WinScreenCanvas.h"

#include <algorithm>
#include <array>

namespace {

// What a writer needs besides the two addresses. The steps and the accumulator
// come from the full extents; the counts from the clipped ones.
struct WriterArgs {
    std::uint8_t colour = 0;
    const std::uint8_t* table = nullptr;  // blend table or 768-byte blue, green, red palette
    std::int32_t count = 0;               // target pixels to write
    std::int32_t sourceCount = 0;         // source pixels readable from the start address
    std::int32_t fullTarget = 0;
    std::int32_t fullSource = 0;
    std::int32_t step = 0;
    std::int32_t remainder = 0;
    std::int32_t accumulator = 0;  // the walk's accumulator at the first pixel written
};

using Writer = void (*)(std::uint8_t* target, const std::uint8_t* source, const WriterArgs& a);

enum class Pixel { Mask, Blend, Copy, Copy24, Mask24 };

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
    } else if constexpr (P == Pixel::Mask24) {
        if (s != 0) {
            const std::uint8_t* c = a.table + static_cast<std::size_t>(a.colour) * 3;
            t[0] = c[0];
            t[1] = c[1];
            t[2] = c[2];
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
// sourceCount source pixels and writes at most count target pixels.
template <Pixel P, int Walk, bool Mirror>
void Write(std::uint8_t* t, const std::uint8_t* s, const WriterArgs& a) {
    constexpr std::ptrdiff_t kBytes = P == Pixel::Copy24 || P == Pixel::Mask24 ? 3 : 1;
    constexpr std::ptrdiff_t kStep = Mirror ? -kBytes : kBytes;
    if constexpr (Walk == 0) {
        // Equal extents: count and sourceCount are the same.
        for (std::int32_t i = 0; i < a.count; ++i, t += kStep) {
            Put<P>(t, s[i], a);
        }
    } else if constexpr (Walk == 1) {
        std::int32_t acc = a.accumulator;
        const std::uint8_t* end = s + a.sourceCount;
        for (std::int32_t i = 0; i < a.count && s < end; ++i, t += kStep) {
            Put<P>(t, *s, a);
            acc -= a.remainder;
            if (acc < 1) {
                acc += a.fullTarget;
                s += a.step + 1;
            } else {
                s += a.step;
            }
        }
    } else {
        std::int32_t acc = a.accumulator;
        std::int32_t left = a.count;
        for (std::int32_t i = 0; i < a.sourceCount && left > 0; ++i) {
            acc += a.fullTarget;
            const std::uint8_t v = s[i];
            while (acc > 0 && left > 0) {
                Put<P>(t, v, a);
                t += kStep;
                acc -= a.fullSource;
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
constexpr std::array<Writer, 6> kMaskWriters24 = WritersOf<Pixel::Mask24>();

// One axis of a scaled draw. Target offset j, counted from where the writing
// starts (the left or top edge, or the opposite one when mirrored or flipped),
// shows source offset j * source / target, rounded down: that is where the
// accumulator walks land when they start at offset 0. Clipping only narrows the
// range [first, end) of visible offsets, and a walk starts at `first` with its
// accumulator as the full walk has it there, so a clipped draw shows the
// pixels of the same draw unclipped.
struct Axis {
    std::int32_t target = 0;  // full extents
    std::int32_t source = 0;
    std::int32_t first = 0;
    std::int32_t end = 0;

    Axis(std::int32_t targetExtent, std::int32_t sourceExtent)
        : target(targetExtent), source(sourceExtent), first(0), end(targetExtent) {}

    bool Empty() const { return first >= end; }
    std::int32_t Count() const { return end - first; }
    std::int32_t SourceAt(std::int32_t j) const {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(j) * source / target);
    }
    // Source pixels from the first visible one to the last, both included.
    std::int32_t SourceCount() const { return SourceAt(end - 1) - SourceAt(first) + 1; }

    // Keeps the offsets whose source offset lies in [from, to).
    void KeepSource(std::int32_t from, std::int32_t to) {
        first = std::max(first, FirstReading(from));
        end = std::min(end, FirstReading(to));
    }
    // Keeps the offsets whose target coordinate lies in [from, to), for a
    // target edge pair [low, high) written from low up, or from high - 1 down
    // when reversed.
    void KeepTarget(std::int32_t low, std::int32_t high, std::int32_t from, std::int32_t to, bool reversed) {
        if (reversed) {
            first = std::max(first, high - to);
            end = std::min(end, high - from);
        } else {
            first = std::max(first, from - low);
            end = std::min(end, to - low);
        }
    }

    // The shrink walk's accumulator at `first` (the vertical walks use it for
    // every ratio): it starts at the target extent and loses the remainder per
    // pixel, gaining the extent back at each extra source step.
    std::int32_t ShrinkAccumulator() const {
        const std::int64_t spent = static_cast<std::int64_t>(first) * (source % target) % target;
        return target - static_cast<std::int32_t>(spent);
    }
    // The stretch walk's accumulator before it adds the target extent for the
    // source pixel under `first`: what the full walk has written beyond that
    // pixel's start, in units of 1 / (source x target).
    std::int32_t StretchAccumulator() const {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(SourceAt(first)) * target -
                                         static_cast<std::int64_t>(first) * source);
    }

  private:
    // The first offset whose source offset is at least s.
    std::int32_t FirstReading(std::int32_t s) const {
        if (s <= 0) {
            return 0;
        }
        if (s >= source) {
            return target;
        }
        const std::int64_t product = static_cast<std::int64_t>(s) * target;
        return static_cast<std::int32_t>((product + source - 1) / source);
    }
};

// 0 equal, 1 shrink, 2 stretch; + 3 mirrored.
std::int32_t CaseOf(std::int32_t targetW, std::int32_t sourceW, bool mirror) {
    const std::int32_t c = targetW == sourceW ? 0 : (targetW < sourceW ? 1 : 2);
    return c + (mirror ? 3 : 0);
}

// The row walk's arguments for the visible part of a horizontal axis.
WriterArgs RowArgs(const Axis& h) {
    WriterArgs args;
    args.count = h.Count();
    args.sourceCount = h.SourceCount();
    args.fullTarget = h.target;
    args.fullSource = h.source;
    args.step = h.source / h.target;
    args.remainder = h.source % h.target;
    args.accumulator = h.target < h.source ? h.ShrinkAccumulator() : h.StretchAccumulator();
    return args;
}

}  // namespace

void xMixCanvas::FillScreenColours() {
    const xPalette& palette = screen_ != nullptr ? screen_->GetScreenPalette() : xPalette::Default();
    for (int i = 0; i < 256; ++i) {
        xRGB c;
        palette.GetEntry(c, static_cast<std::uint8_t>(i));
        bgr_[static_cast<std::size_t>(i) * 3] = c.blue;
        bgr_[static_cast<std::size_t>(i) * 3 + 1] = c.green;
        bgr_[static_cast<std::size_t>(i) * 3 + 2] = c.red;
    }
}

int xMixCanvas::DrawPixels(const xRect& target, const xMixCanvas& source, const xRect& sourceRect,
                           const xRect& clip, std::uint8_t colour, std::uint16_t flags,
                           const std::uint8_t* table, int mode) {
    if (sourceRect.IsEmpty() || target.IsEmpty()) {
        return kNothingDrawn;
    }
    // The source holds 8-bit indices. A 24-bit target takes the mask mode only,
    // its colour index looked up in the screen palette; other modes refuse it
    // rather than write one byte per pixel.
    const bool deep = depth_ == 24 && mode == kModeMask;
    if ((depth_ != 8 && !deep) || source.GetDepth() != 8 || !surface_ || !source.surface_ ||
        (mode != kModeMask && mode != kModeBlend && mode != kModeCopy) ||
        (mode == kModeBlend && table == nullptr)) {
        return kRefused;
    }
    const bool mirror = (flags & kMirror) != 0;
    const bool flip = (flags & kFlip) != 0;
    xRect limitRect;
    if (!xRect::Intersect(source.GetBounds(), clip, limitRect)) {
        return kNothingDrawn;
    }
    Axis h(target.right - target.left, sourceRect.right - sourceRect.left);
    Axis v(target.bottom - target.top, sourceRect.bottom - sourceRect.top);
    h.KeepSource(limitRect.left - sourceRect.left, limitRect.right - sourceRect.left);
    v.KeepSource(limitRect.top - sourceRect.top, limitRect.bottom - sourceRect.top);
    if (h.Empty() || v.Empty()) {
        return kNothingDrawn;
    }
    h.KeepTarget(target.left, target.right, bounds_.left, bounds_.right, mirror);
    v.KeepTarget(target.top, target.bottom, bounds_.top, bounds_.bottom, flip);
    if (h.Empty() || v.Empty()) {
        return kNothingDrawn;
    }

    WriterArgs args = RowArgs(h);
    args.colour = colour;
    args.table = table;
    const std::size_t writerCase = static_cast<std::size_t>(CaseOf(h.target, h.source, mirror));
    const Writer writer =
        deep ? kMaskWriters24[writerCase] : kWriters8[static_cast<std::size_t>(mode) + writerCase];
    if (deep) {
        FillScreenColours();
        args.table = bgr_.data();
    }
    const std::ptrdiff_t bytes = deep ? 3 : 1;
    const std::int32_t firstX = mirror ? target.right - 1 - h.first : target.left + h.first;
    const std::int32_t sourceX = sourceRect.left + h.SourceAt(h.first);

    const std::int32_t vStep = v.source / v.target;
    const std::int32_t vRemainder = v.source % v.target;
    std::int32_t acc = v.ShrinkAccumulator();
    std::int32_t sourceRow = sourceRect.top + v.SourceAt(v.first);
    const std::int32_t sourceEnd = sourceRow + v.SourceCount();
    for (std::int32_t k = v.first; k < v.end && sourceRow < sourceEnd; ++k) {
        const std::int32_t row = flip ? target.bottom - 1 - k : target.top + k;
        writer(GetRow(row) + firstX * bytes, source.GetRow(sourceRow) + sourceX, args);
        acc -= vRemainder;
        if (acc < 1) {
            acc += v.target;
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
    Axis h(target.right - target.left, sourceWidth);
    Axis v(target.bottom - target.top, sourceHeight);
    h.KeepTarget(target.left, target.right, limitRect.left, limitRect.right, mirror);
    v.KeepTarget(target.top, target.bottom, limitRect.top, limitRect.bottom, flip);
    if (h.Empty() || v.Empty()) {
        return 0;
    }
    if (depth_ == 24) {
        FillScreenColours();
    }
    const WriterArgs row = RowArgs(h);
    span.fullWidth = h.target;
    span.fullHeight = v.target;
    span.writerCase = CaseOf(h.target, h.source, mirror);
    span.hStep = row.step;
    span.hRemainder = row.remainder;
    span.vStep = v.source / v.target;
    span.vRemainder = v.source % v.target;
    span.width = row.count;
    span.rowsLeft = v.Count();
    span.accumulator = v.ShrinkAccumulator();
    span.accumulatorBase = v.target;
    span.direction = flip ? -1 : 1;
    span.sourceWidth = row.sourceCount;
    span.firstX = mirror ? target.right - 1 - h.first : target.left + h.first;
    span.row = flip ? target.bottom - 1 - v.first : target.top + v.first;
    span.source = firstRow + h.SourceAt(h.first);
    span.sourceRowsLeft = v.SourceCount();
    span.fullSourceWidth = h.source;
    span.hAccumulator = row.accumulator;
    return v.SourceAt(v.first) + 1;
}

int xMixCanvas::NextSpan(Span& span) {
    if (depth_ != 8 && depth_ != 24) {
        throw 0;
    }
    WriterArgs args;
    args.count = span.width;
    args.sourceCount = span.sourceWidth;
    args.fullTarget = span.fullWidth;
    args.fullSource = span.fullSourceWidth;
    args.step = span.hStep;
    args.remainder = span.hRemainder;
    args.accumulator = span.hAccumulator;
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
