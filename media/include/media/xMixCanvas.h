#pragma once

#include "media/WinMixCanvas.h"

#include <array>
#include <cstdint>

// The mix canvas's pixel-block operations: clipped, scaled, mirrorable copies of
// 8-bit blocks, whole (DrawPixels) or one source row at a time (the span walk).
class xMixCanvas : public WinMixCanvas {
  public:
    // Flags of DrawPixels and BeginSpan.
    static constexpr std::uint16_t kMirror = 1;
    static constexpr std::uint16_t kFlip = 2;
    // Drawing modes; index 0 of the source is transparent in all three.
    static constexpr int kModeMask = 0;   // source pixels not 0 become the colour index
    static constexpr int kModeBlend = 6;  // t = table[s * 256 + t] (65,536 entries)
    static constexpr int kModeCopy = 12;  // source pixels not 0 are copied

    static constexpr int kNothingDrawn = 0;
    static constexpr int kDrawn = 1;
    // Not an 8-bit source, a 24-bit target outside the mask mode, an unknown
    // mode, or no table.
    static constexpr int kRefused = -1;

    // State of a span transfer: BeginSpan fills it, NextSpan advances it. Steps
    // and accumulators come from the full extents, so a clipped transfer draws
    // the pixels of the unclipped one.
    struct Span {
        std::int32_t fullWidth = 0;  // unclipped target
        std::int32_t fullHeight = 0;
        std::int32_t writerCase = 0;  // 0 equal, 1 shrink, 2 stretch; + 3 mirrored
        std::int32_t hStep = 0;       // full source width / full target width
        std::int32_t hRemainder = 0;
        std::int32_t vStep = 0;  // full source height / full target height
        std::int32_t vRemainder = 0;
        std::int32_t width = 0;     // clipped target pixels per row
        std::int32_t rowsLeft = 0;  // target rows still to draw
        std::int32_t accumulator = 0;
        std::int32_t direction = 1;    // +1 down, -1 up (flipped)
        std::int32_t sourceWidth = 0;  // source pixels a row reads, from `source` on
        std::int32_t firstX = 0;
        std::int32_t row = 0;                  // current target row
        const std::uint8_t* source = nullptr;  // current source row, past the clipped columns
        std::int32_t accumulatorBase = 0;      // full target height
        std::int32_t sourceRowsLeft = 0;       // source rows from the current one to the clipped bottom
        std::int32_t fullSourceWidth = 0;
        std::int32_t hAccumulator = 0;  // the row walk's accumulator at the first visible pixel
    };

    // Copies source's sourceRect into target (scaling, mirroring and clipping to
    // clip, in the source's coordinates, and to this canvas). Answers kDrawn,
    // kNothingDrawn, or kRefused without touching a pixel.
    int DrawPixels(const xRect& target, const xMixCanvas& source, const xRect& sourceRect, const xRect& clip,
                   std::uint8_t colour, std::uint16_t flags, const std::uint8_t* table, int mode);
    int DrawPixelsSimple(const xRect& target, const xMixCanvas& source, const xRect& sourceRect,
                         const xRect& clip, std::uint16_t flags);

    // 0 when nothing is visible, else 1 + the source rows clipped away at the top.
    int BeginSpan(const xRect& target, const xRect& clip, std::int16_t sourceWidth, std::int16_t sourceHeight,
                  std::uint16_t flags, const std::uint8_t* firstRow, Span& span);
    // Draws the record's source row (index 0 transparent) into one or more target
    // rows; answers the source rows to advance before the next call, or 0xFFFF
    // when the transfer is complete.
    int NextSpan(Span& span);

  private:
    // Fills bgr_ from the screen palette (the default one off screen).
    void FillScreenColours();

    std::array<std::uint8_t, 768> bgr_{};  // the screen palette as blue, green, red for 24-bit writes
};
