#pragma once

#include "framework/xPoint.h"

#include <cstdint>

// A rectangle of signed 16-bit values; right and bottom are exclusive. Every
// operation computes in int and stores back into 16 bits, so results wrap the way
// the old 16-bit code's did. The UI tree's hit test is the one place that counts
// the right and bottom edges as inside; it has its own test for that.
struct xRect {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t right = 0;
    std::int16_t bottom = 0;

    constexpr xRect() = default;
    constexpr xRect(int l, int t, int r, int b)
        : left(static_cast<std::int16_t>(l)), top(static_cast<std::int16_t>(t)),
          right(static_cast<std::int16_t>(r)), bottom(static_cast<std::int16_t>(b)) {}

    void Set(int l, int t, int r, int b);
    void Assign(const xRect& other) { *this = other; }
    void OffsetBy(int dx, int dy);
    xRect Offset(const xPoint& p) const;  // a moved copy
    void MoveToOrigin();
    xRect GetSize() const;  // (0, 0, width, height)
    void Inset(int dx, int dy);
    void CenterIn(const xRect& other);
    void CenterAt(const xPoint& p);
    void UnionWith(const xRect& other);
    bool IntersectWith(const xRect& other);
    static void Union(const xRect& a, const xRect& b, xRect& out);
    static bool Intersect(const xRect& a, const xRect& b, xRect& out);

    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(const xPoint& p) const { return left <= p.x && p.x < right && top <= p.y && p.y < bottom; }
    std::int16_t Width() const { return static_cast<std::int16_t>(right - left); }
    std::int16_t Height() const { return static_cast<std::int16_t>(bottom - top); }

    friend constexpr bool operator==(const xRect&, const xRect&) = default;
};
