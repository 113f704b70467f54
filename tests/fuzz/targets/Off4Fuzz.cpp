// An "off4" strip resource loaded as the animation service loads it, with a
// second strip of the same data as its secondary strip, and every cel (the
// first 16) drawn mirrored and clipped onto 8- and 24-bit canvases, with the
// dirty and changed areas the sprite engine asks for.

#include <algorithm>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "media/XAppOffsetStrip.h"
#include "media/xMixCanvas.h"
#include "framework/xPoint.h"
#include "media/xSpriteRegion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static xMixCanvas* const canvases[2] = {
        [] {
            auto* c = new xMixCanvas;
            c->Create(nullptr, 200, 120, 8);
            return c;
        }(),
        [] {
            auto* c = new xMixCanvas;
            c->Create(nullptr, 200, 120, 24);
            return c;
        }(),
    };
    fuzz::Input input(data, size);
    const auto flags = static_cast<std::uint16_t>(input.Small(256));
    const auto dx = static_cast<int>(input.Small(256)) - 128;
    const auto dy = static_cast<int>(input.Small(256)) - 128;
    const std::span<const std::uint8_t> resource = input.Rest();

    XAppOffsetStrip secondary;
    XAppOffsetStrip strip;
    xErrorCode = 0;
    const bool secondaryLoaded = secondary.LoadData(resource, nullptr);
    if (!strip.LoadData(resource, secondaryLoaded ? &secondary : nullptr)) {
        if (xErrorCode != kErrResourceFile) __builtin_trap();
        xErrorCode = 0;
        return 0;
    }
    const std::int16_t cels = static_cast<std::int16_t>(std::min<int>(strip.GetCelCount(), 16));
    strip.GetSize();
    strip.GetAnimBounds();
    for (std::int16_t cel = 0; cel <= cels; ++cel) {
        const xRect size = strip.GetCelSize(cel);
        const xRect place(static_cast<std::int16_t>(dx), static_cast<std::int16_t>(dy),
                          static_cast<std::int16_t>(dx + 180), static_cast<std::int16_t>(dy + 100));
        (void)size;
        for (xMixCanvas* canvas : canvases) {
            strip.Draw(*canvas, place, cel, flags & 3, 0);
            xSpriteRegion clip;
            clip.Add(xRect(10, 10, 90, 70), xSpriteRegion::kExactBudget, xSpriteRegion::kExactDepth);
            strip.DrawClipped(*canvas, place, cel, flags & 3, 0, clip);
        }
        xSpriteRegion region;
        strip.AddDirtyArea(region, place, cel, flags & 3, 0);
        strip.AddChangedArea(region, place, cel, flags & 3, 0, xRect(1, 1, 181, 101), cel + 1, (flags >> 2) & 3, 0);
        strip.AddPartAreas(region, cel);
        strip.GetRunLength(cel);
        strip.FindPartOfKind(cel, (flags >> 4) & 7);
        if (const auto* parts = strip.GetCelParts(cel, xPoint{static_cast<std::int16_t>(dx), 0}, flags & 3)) {
            if (parts->count > xOffsetStrip::kMaxParts) __builtin_trap();
        }
    }
    xErrorCode = 0;
    return 0;
}
