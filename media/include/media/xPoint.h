#pragma once

#include <cstdint>

// A point of the 16-bit drawing coordinates.
struct xPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;

    friend constexpr bool operator==(const xPoint&, const xPoint&) = default;
};
