#pragma once

#include "media/xCanvasState.h"

#include "framework/xPoint.h"
#include "framework/xRect.h"

#include <cstdint>

namespace platform {
class DrawContext;
}

// A drawing surface with a drawing state and a fixed set of operations on 16-bit
// coordinates. The screen canvas and the off-screen mix canvas are the two kinds.
class xCanvas : public xCanvasState {
  public:
    // Bits of the kind word; blits test them on the partner canvas.
    static constexpr std::uint16_t kScreen = 1;
    static constexpr std::uint16_t kMix = 2;

    // Drawing happens between BeginDraw and EndDraw, which nest by a counter; a
    // state given to BeginDraw receives the current state, one given to EndDraw
    // is restored.
    virtual void BeginDraw(xCanvasState* save) = 0;
    virtual void EndDraw(const xCanvasState* restore) = 0;
    virtual void ResetState();
    virtual void SetState(const xCanvasState& state);
    virtual void GetState(xCanvasState& out) const;
    virtual void SetColor(const xRGB& colour) = 0;
    virtual void SetPenWidth(std::int16_t width) = 0;
    virtual void SetFont(const FontDesc& font) = 0;
    // Fills what is asked for and answers height + external leading.
    virtual int GetFontMetrics(int* ascent, int* descent, int* leading) = 0;
    virtual void FillRect(const xRect& r) = 0;
    virtual void FrameRect(const xRect& r) = 0;
    virtual void FillEllipse(const xRect& r) = 0;
    virtual void FrameEllipse(const xRect& r) = 0;
    virtual void MoveTo(const xPoint& p) = 0;
    virtual void LineTo(const xPoint& p) = 0;
    virtual void DrawText(const char* text) = 0;
    virtual void DrawTextIn(const xRect& r, const char* text, int format, int extra) = 0;
    virtual std::int32_t GetTextWidth(const char* text) = 0;
    virtual xRect& GetTextBounds(xRect& out, int x, int y, const char* text);
    virtual void BlitFrom(const xRect& mine, xCanvas& target, const xRect& theirs) = 0;
    virtual void BlitFromOther(const xRect& mine, xCanvas& source, const xRect& theirs) = 0;
    virtual int GetDepth() const { return 8; }
    virtual platform::DrawContext* GetDC() = 0;

    const xRect& GetBounds() const { return bounds_; }
    std::uint16_t GetKind() const { return kind_; }
    std::uint16_t GetDrawDepth() const { return drawDepth_; }

  protected:
    std::uint16_t drawDepth_ = 0;
    xRect bounds_{};
    std::uint16_t kind_ = 0;
};
