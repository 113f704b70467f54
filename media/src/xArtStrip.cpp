#include "media/xArtStrip.h"

#include "media/xSpriteRegion.h"

xRect xArtStrip::GetCelSize(std::int16_t) {
    return xRect();
}

xRect xArtStrip::GetSize() {
    return xRect();
}

bool xArtStrip::HasCel(std::int16_t) {
    return true;
}

void xArtStrip::DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                            std::int32_t extra, const xSpriteRegion& region) {
    if (region.Meets(place)) {
        Draw(canvas, place, cel, flags, extra);
    }
}

void xArtStrip::AddDirtyArea(xSpriteRegion& region, const xRect& place, std::int16_t, std::uint16_t,
                             std::int32_t) {
    region.Add(place, xSpriteRegion::kStripBudget, xSpriteRegion::kStripDepth);
}

void xArtStrip::AddChangedArea(xSpriteRegion& region, const xRect& place, std::int16_t cel,
                               std::uint16_t flags, std::int32_t extra, const xRect& otherPlace,
                               std::int16_t otherCel, std::uint16_t otherFlags, std::int32_t otherExtra) {
    if (cel == otherCel && flags == otherFlags && extra == otherExtra && place == otherPlace) {
        return;
    }
    AddDirtyArea(region, place, cel, flags, extra);
}

void xArtStrip::PrepareCel(xSpriteRegion&, const xRect&, std::int16_t, std::uint16_t, std::int32_t) {}

void xArtStrip::SetPalette(const xPalette*) {}
