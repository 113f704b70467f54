#pragma once

#include <cstdint>

// A colour of three bytes red, green, blue, compared byte by byte: the
// canvases' drawing colour, the root's background and the text items' colours.
struct xRGB {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(const xRGB&, const xRGB&) = default;
};
