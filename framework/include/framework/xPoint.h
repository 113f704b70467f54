#pragma once

#include <cstdint>

// A point of the lower layer: two signed 16-bit coordinates, as the window
// reports them and as UI bounds use them.
struct xPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;

    friend bool operator==(const xPoint&, const xPoint&) = default;
};
