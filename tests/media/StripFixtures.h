#pragma once

#include "media/XAppOffsetStrip.h"
#include "media/xMixCanvas.h"

#include "Off4Writer.h"

#include <memory>
#include <vector>

// Strips and canvases the engine and player tests share.
namespace fixtures {

// A strip of `cels` solid w x h cels; cel c shows index base + c. Counts its
// draws.
class CountingStrip : public XAppOffsetStrip {
  public:
    int draws = 0;
    void Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
              std::int32_t extra) override {
        ++draws;
        XAppOffsetStrip::Draw(canvas, place, cel, flags, extra);
    }
    void DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                     std::int32_t extra, const xSpriteRegion& region) override {
        ++draws;
        XAppOffsetStrip::DrawClipped(canvas, place, cel, flags, extra, region);
    }
};

std::unique_ptr<CountingStrip> SolidStrip(int w, int h, int cels, int base);

// A mix canvas standing in for the screen: it records the rectangles copied
// onto it.
class RecordingScreen : public xMixCanvas {
  public:
    std::vector<xRect> blits;
    void BlitFromOther(const xRect& mine, xCanvas& source, const xRect& theirs) override {
        blits.push_back(mine);
        xMixCanvas::BlitFromOther(mine, source, theirs);
    }
};

std::unique_ptr<RecordingScreen> Screen(int w, int h, int depth = 8);

}  // namespace fixtures
