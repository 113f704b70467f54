#pragma once

#include <cstdint>

#include "framework/xPoint.h"

// A rectangle of the lower layer: four signed 16-bit edges. The right and
// bottom edges belong to the rectangle, so a point on them lies inside.
// Arithmetic wraps at 16 bits as the stored fields do.
struct xRect {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t right = 0;
    std::int16_t bottom = 0;

    friend bool operator==(const xRect&, const xRect&) = default;

    std::int16_t Width() const { return static_cast<std::int16_t>(right - left); }
    std::int16_t Height() const { return static_cast<std::int16_t>(bottom - top); }
    xPoint TopLeft() const { return {left, top}; }

    bool Contains(xPoint p) const { return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom; }

    // A copy moved by the point.
    xRect Offset(xPoint by) const {
        return {static_cast<std::int16_t>(left + by.x), static_cast<std::int16_t>(top + by.y),
                static_cast<std::int16_t>(right + by.x), static_cast<std::int16_t>(bottom + by.y)};
    }

    void Assign(const xRect& other) { *this = other; }

    // Keeps the size and moves the rectangle to the middle of the outer one;
    // halves round down (towards minus infinity), as the game area's centring expects.
    void CenterIn(const xRect& outer) {
        const int width = right - left;
        const int height = bottom - top;
        const int newLeft = FloorHalf(outer.left + outer.right - width);
        const int newTop = FloorHalf(outer.top + outer.bottom - height);
        left = static_cast<std::int16_t>(newLeft);
        top = static_cast<std::int16_t>(newTop);
        right = static_cast<std::int16_t>(newLeft + width);
        bottom = static_cast<std::int16_t>(newTop + height);
    }

private:
    static int FloorHalf(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }
};
