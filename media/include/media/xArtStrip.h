#pragma once

#include "framework/xRect.h"

#include <cstdint>

class xCanvas;
class xPalette;
class xSpriteRegion;

// A numbered set of cels that can be drawn on a canvas and can tell which
// screen areas a change of cel or placement touches. The sprite engine holds
// one per sprite.
class xArtStrip {
  public:
    // Draw flags.
    static constexpr std::uint16_t kMirror = 1;   // left-right
    static constexpr std::uint16_t kFlip = 2;     // top-bottom
    static constexpr std::uint16_t kInPlace = 4;  // a sprite may be redrawn through its changed areas
    static constexpr std::uint16_t kDoNotDraw = 8;

    virtual ~xArtStrip() = default;

    virtual void Unload() {}
    virtual xRect GetCelSize(std::int16_t cel);
    virtual xRect GetSize();
    virtual std::uint16_t GetCelCount() { return 32767; }
    virtual bool HasCel(std::int16_t cel);
    virtual void Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                      std::int32_t extra) = 0;
    // Draw, when the placement meets the region at all.
    virtual void DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                             std::int32_t extra, const xSpriteRegion& region);
    virtual void AddDirtyArea(xSpriteRegion& region, const xRect& place, std::int16_t cel,
                              std::uint16_t flags, std::int32_t extra);
    // The areas the first placement draws and the second does not draw alike.
    virtual void AddChangedArea(xSpriteRegion& region, const xRect& place, std::int16_t cel,
                                std::uint16_t flags, std::int32_t extra, const xRect& otherPlace,
                                std::int16_t otherCel, std::uint16_t otherFlags, std::int32_t otherExtra);
    virtual void PrepareCel(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t flags,
                            std::int32_t extra);
    virtual void SetPalette(const xPalette* palette);
};
