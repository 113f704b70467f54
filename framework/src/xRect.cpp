#include "framework/xRect.h"

#include <algorithm>

namespace {
std::int16_t W16(int v) { return static_cast<std::int16_t>(v); }
}  // namespace

void xRect::Set(int l, int t, int r, int b) { *this = xRect(l, t, r, b); }

void xRect::OffsetBy(int dx, int dy) {
    left = W16(left + dx);
    right = W16(right + dx);
    top = W16(top + dy);
    bottom = W16(bottom + dy);
}

xRect xRect::Offset(const xPoint& p) const {
    xRect r = *this;
    r.OffsetBy(p.x, p.y);
    return r;
}

void xRect::MoveToOrigin() {
    const std::int16_t w = Width();
    const std::int16_t h = Height();
    *this = xRect(0, 0, w, h);
}

xRect xRect::GetSize() const { return xRect(0, 0, Width(), Height()); }

void xRect::Inset(int dx, int dy) {
    left = W16(left + dx);
    right = W16(right - dx);
    top = W16(top + dy);
    bottom = W16(bottom - dy);
}

void xRect::CenterIn(const xRect& other) {
    const std::int16_t w = Width();
    const std::int16_t h = Height();
    left = W16((other.left + other.right - w) >> 1);
    top = W16((other.top + other.bottom - h) >> 1);
    right = W16(left + w);
    bottom = W16(top + h);
}

void xRect::CenterAt(const xPoint& p) { OffsetBy(p.x - (left + right) / 2, p.y - (top + bottom) / 2); }

void xRect::Union(const xRect& a, const xRect& b, xRect& out) {
    if (a.IsEmpty()) {
        out = b;
    } else if (b.IsEmpty()) {
        out = a;
    } else {
        out = xRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                    std::max(a.bottom, b.bottom));
    }
}

bool xRect::Intersect(const xRect& a, const xRect& b, xRect& out) {
    if (a.IsEmpty()) {
        out = a;
        return false;
    }
    if (b.IsEmpty()) {
        out = b;
        return false;
    }
    out = xRect(std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom));
    return !out.IsEmpty();
}

void xRect::UnionWith(const xRect& other) {
    const xRect a = *this;
    Union(a, other, *this);
}

bool xRect::IntersectWith(const xRect& other) {
    const xRect a = *this;
    return Intersect(a, other, *this);
}
