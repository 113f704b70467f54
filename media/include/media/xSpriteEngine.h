#pragma once

#include "media/xSpriteRegion.h"

#include "framework/xPoint.h"
#include "framework/xRGB.h"
#include "framework/xRect.h"

#include "divir/xAppObject.h"

#include <array>
#include <cstdint>
#include <memory>

class xArtStrip;
class xCanvas;
class xMixCanvas;

// Composes up to 500 sprites (an art strip cel at a rectangle and depth) into
// an off-screen mix canvas and copies only what changed to the screen canvas.
// A second off-screen canvas, the background, takes sprites baked into it
// once. Each pass erases the changed areas from the background, redraws the
// sprites that meet them and copies those areas to the screen.
class xSpriteEngine : public xAppObject {
  public:
    static constexpr int kMaxSprites = 500;

    enum SlotState : std::uint8_t { kFree = 0, kAdded = 1, kLive = 2, kRemoved = 3, kAddedAndRemoved = 4 };
    enum DrawState : std::uint8_t {
        kHidden = 0,
        kDrawn = 1,
        kChangedInPlace = 2,
        kRedraw = 3,
        kRedrawAndBake = 4
    };

    struct Sprite {
        std::uint8_t slot = kFree;
        std::uint8_t draw = kHidden;
        std::int16_t cel = 0;
        std::int16_t depth = 0;
        std::uint16_t flags = 0;
        std::int32_t extra = 0;
        xArtStrip* strip = nullptr;
        xRect rect;
        xSpriteRegion own;  // what the sprite covered when last drawn
    };

    xSpriteEngine();
    xSpriteEngine(const xSpriteEngine&) = delete;
    xSpriteEngine& operator=(const xSpriteEngine&) = delete;
    ~xSpriteEngine() override;

    // The area is `area`, or the screen's whole area when that is empty; it
    // lands on the screen at its own top-left corner. Depth 0 picks 24 bits
    // over a screen deeper than 15 bits, else 8.
    virtual void Init(xCanvas* screen, const xRect& area, int depth);

    virtual void RedrawAll(const xRGB& colour);
    virtual void Reset();
    virtual void Update();
    virtual void AccumulateMask();
    virtual void CollectChanges();
    virtual void EraseDirty();
    virtual void PrepareSprites();
    virtual void MarkChanged();
    virtual void SortByDepth();
    virtual void Compose();
    virtual void ApplyMask();
    virtual void BlitToScreen();
    virtual void ClearRegion();
    virtual void SavePrevious();

    // Raises x-layer error 1 (and answers -1) with 500 sprites live.
    int AddSprite(xArtStrip* strip, std::int16_t cel, const xRect& rect, std::int16_t depth,
                  std::uint16_t flags, std::int32_t extra);
    void RemoveSprite(int index);
    void DeferRemoveSprite(int index);  // -1: all
    void SetSpriteStrip(int index, xArtStrip* strip);
    void SetSpriteCel(int index, std::int16_t cel);
    void SetSpriteRect(int index, const xRect& rect);
    void SetSpriteCelAndRect(int index, std::int16_t cel, const xRect& rect);
    void SetSpriteDepth(int index, std::int16_t depth);
    void SetSpriteExtra(int index, std::int32_t extra);
    void SetSpriteFlags(int index, std::uint16_t flags);
    void SetSpriteDirty(int index, bool on);
    void SetSpriteVisible(int index, bool on);
    void MarkSpriteMoved(int index);
    void MarkBake(int index);    // -1: all
    void BakeSprite(int index);  // -1: all, in depth order
    bool UsesStrip(const xArtStrip* strip) const;
    void InvalidateAll();
    // Off: updates compose as usual but leave the screen alone.
    void SetBlitting(bool on) { blitting_ = on; }
    bool IsBlitting() const { return blitting_; }
    void BeginMask();
    void EndMask();
    // Hands the background over for drawing; the pending fill is dropped.
    xMixCanvas* GetBackgroundCanvas();

    xBigSpriteRegion& GetWorkingRegion() { return working_; }
    const Sprite* GetSprite(int index) const;
    xMixCanvas* GetMixCanvas() const { return mix_.get(); }
    int GetLiveCount() const { return live_; }
    bool IsMasking() const { return mask_; }
    const xRect& GetArea() const { return area_; }

  protected:
    Sprite* Current(int index);

    xCanvas* screen_ = nullptr;
    bool blitting_ = true;
    std::unique_ptr<xMixCanvas> mix_;
    std::unique_ptr<xMixCanvas> background_;

  private:
    void FillBackground();
    void DrawIntoBackground(Sprite& s);

    std::unique_ptr<std::array<Sprite, kMaxSprites>> current_;
    std::unique_ptr<std::array<Sprite, kMaxSprites>> previous_;
    int mark_ = 0;
    int previousCount_ = 0;
    int live_ = 0;
    std::array<std::uint16_t, kMaxSprites> order_{};
    std::array<std::int32_t, kMaxSprites> keys_{};
    xBigSpriteRegion working_;
    xBigSpriteRegion maskRegion_;
    xBigSpriteRegion scratch_;
    xRect area_;
    xRect screenRect_;
    bool mask_ = false;
    bool fillPending_ = false;
    xRGB colour_{};
};
