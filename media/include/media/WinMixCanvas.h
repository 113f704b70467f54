#pragma once

#include "media/WinCanvas.h"

#include "platform/DrawContext.h"
#include "platform/Surface.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class WinScreenCanvas;

// An off-screen canvas over a bottom-up bitmap of 8 bits per pixel (its colour
// table is the screen palette) or 24 bits (blue, green, red). A row table gives
// the address of row y directly.
class WinMixCanvas : public WinCanvas {
  public:
    WinMixCanvas();
    ~WinMixCanvas() override;

    void BeginDraw(xCanvasState* save) override;
    void EndDraw(const xCanvasState* restore) override;
    void BlitFrom(const xRect& mine, xCanvas& target, const xRect& theirs) override;
    void BlitFromOther(const xRect& mine, xCanvas& source, const xRect& theirs) override;
    int GetDepth() const override { return depth_; }

    // Builds the surface. A depth other than 8 or 24 throws the integer 0; a
    // surface that cannot be made raises x-layer error 2. The screen canvas
    // supplies the colours; without one the default palette does.
    virtual void Create(WinScreenCanvas* screen, std::int16_t width, std::int16_t height, int depth);
    virtual void OnCreated() {}
    // Re-reads the screen palette into the colour table (8-bit only).
    virtual void SyncPalette();

    std::uint8_t* GetRow(int y) const { return rows_[static_cast<std::size_t>(y)]; }
    std::span<std::uint8_t* const> GetRows() const { return rows_; }
    int GetStride() const { return stride_; }
    platform::Surface* GetSurface() const { return surface_.get(); }
    WinScreenCanvas* GetScreen() const { return screen_; }

  protected:
    void LoadColourTable();

    std::unique_ptr<platform::Surface> surface_;
    platform::DrawContext memoryDc_;
    std::vector<std::uint8_t*> rows_;
    WinScreenCanvas* screen_ = nullptr;
    int depth_ = 0;
    int stride_ = 0;
};
