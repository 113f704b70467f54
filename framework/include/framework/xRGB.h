#pragma once

#include <cstdint>

// A colour of three bytes, compared byte by byte.
struct xRGB {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const xRGB&, const xRGB&) = default;
};
