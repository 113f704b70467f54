#pragma once

#include <optional>

namespace platform {

struct DisplayMode {
    int bitsPerPixel = 0;
    int width = 0;
    int height = 0;
};

// The desktop's display mode; empty when there is no display at all.
std::optional<DisplayMode> DesktopDisplayMode();

}  // namespace platform
