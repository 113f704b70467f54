#include "media/XAppOffsetStrip.h"

xRect XAppOffsetStrip::GetPartRect(std::int16_t cel, int part) {
    const CelParts* parts = GetCelParts(cel, xPoint{}, 0);
    if (parts == nullptr || part < 1 || part > parts->count) {
        return GetCelSize(cel);
    }
    xRect r = parts->parts[static_cast<std::size_t>(part - 1)].rect;
    r.OffsetBy(parts->rect.left, parts->rect.top);
    return r;
}
