#pragma once

#include "framework/xRect.h"

#include <cstdint>
#include <vector>

// The cel rectangles of each animation (resource id, animation number), relative
// to the animation's top-left corner, for the animations that cannot yet read
// their strips from the resource files. Whoever holds the art files them here;
// an animation that finds nothing has no cels.
class AnimationArt {
  public:
    static void SetCels(std::int32_t resourceId, std::int32_t animationNumber, std::vector<xRect> cels);
    // An empty list for art nobody filed.
    static const std::vector<xRect>& GetCels(std::int32_t resourceId, std::int32_t animationNumber);
    static void Clear();
};
