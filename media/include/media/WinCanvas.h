#pragma once

#include "media/xCanvas.h"

#include "platform/DrawContext.h"
#include "platform/FontFace.h"

#include <cstdint>
#include <memory>
#include <string>

// The canvas operations over the software drawing layer. Subclasses own the
// device context (the screen canvas's exists only inside a drawing section) and
// point dc_ at it.
class WinCanvas : public xCanvas {
  public:
    ~WinCanvas() override;

    void SetColor(const xRGB& colour) override;
    void SetPenWidth(std::int16_t width) override;
    void SetFont(const FontDesc& font) override;
    int GetFontMetrics(int* ascent, int* descent, int* leading) override;
    void FillRect(const xRect& r) override;
    void FrameRect(const xRect& r) override;
    void FillEllipse(const xRect& r) override;
    void FrameEllipse(const xRect& r) override;
    void MoveTo(const xPoint& p) override;
    void LineTo(const xPoint& p) override;
    void DrawText(const char* text) override;
    void DrawTextIn(const xRect& r, const char* text, int format, int extra) override;
    std::int32_t GetTextWidth(const char* text) override;
    platform::DrawContext* GetDC() override { return dc_; }

    virtual std::int16_t GetTextHeight(const char* text);

    // The stock system font that font number 0 selects: a 16-pixel cell (13
    // above the baseline, 3 below). Null when no font file can be loaded.
    static platform::FontFace* SystemFont();

    // The face of a built-in font number, from the program's font name list
    // (1-4 are listed); empty for any other number.
    static std::string BuiltInFace(std::uint16_t number);

  protected:
    WinCanvas() = default;

    // Puts the canvas's own pen and brush into the context (the font is only
    // selected by SetFont).
    void SelectPenAndBrush();
    // Text is measured with the font the context holds, as the old text metrics
    // calls did (a fresh screen context holds the system font until SetFont);
    // without a context, with the canvas's own font; the system font when there
    // is none.
    platform::FontFace* MeasuringFace() const;
    // Copies the source's rectangle onto this canvas's rectangle, scaling to fit,
    // with both canvases inside their drawing brackets (the source's opened first).
    void StretchFromCanvas(const xRect& mine, xCanvas& source, const xRect& theirs);

    platform::DrawContext* dc_ = nullptr;
    std::unique_ptr<platform::Pen> pen_;
    std::unique_ptr<platform::Brush> brush_;
    std::unique_ptr<platform::FontFace> fontFace_;
};
