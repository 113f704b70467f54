#pragma once

#include <cstdint>

// A colour as the drawing state keeps it: three bytes red, green, blue.
struct xRGB {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const xRGB&, const xRGB&) = default;
};
