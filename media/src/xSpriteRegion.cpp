#include "media/xSpriteRegion.h"

#include <algorithm>

namespace {

// In 64 bits: a rectangle of 16-bit coordinates may cover nearly 2^32 pixels.
std::int64_t AreaOf(const xRect& r) {
    if (r.IsEmpty()) {
        return 0;
    }
    return static_cast<std::int64_t>(r.right - r.left) * static_cast<std::int64_t>(r.bottom - r.top);
}

xRect BoundsOf(const xRect& a, const xRect& b) {
    return xRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom));
}

bool Overlaps(const xRect& e, const xRect& r) {
    return e.left < r.right && e.right > r.left && e.top < r.bottom && e.bottom > r.top;
}

bool Inside(const xRect& inner, const xRect& outer) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

int FloorTo4(int v) {
    return v & ~3;
}
int CeilTo4(int v) {
    return (v + 3) & ~3;
}

}  // namespace

void xSpriteRegion::RemoveAt(int i) {
    entries_[i] = entries_[count_ - 1];
    --count_;
}

void xSpriteRegion::Append(const xRect& r, std::int64_t covered) {
    entries_[count_].rect = r;
    entries_[count_].covered = covered;
    ++count_;
}

void xSpriteRegion::Add(const xRect& in, int budget, int depth) {
    if (in.IsEmpty()) {
        return;
    }
    xRect r = in;
    if (budget > 0) {
        r.left = static_cast<std::int16_t>(FloorTo4(r.left));
        r.right = static_cast<std::int16_t>(CeilTo4(r.right));
    }
    if (depth < 1) {
        budget = -1;
    }
    const std::int64_t a = AreaOf(r);
    int candidate = -1;
    std::int64_t best = 0;
    std::int64_t cost = 0;
    for (int i = 0; i < count_; ++i) {
        Entry& e = entries_[i];
        const xRect u = BoundsOf(e.rect, r);
        const std::int64_t s = e.covered + a - AreaOf(u);
        if (s >= a || s >= e.covered) {
            e.rect = u;
            e.covered = AreaOf(u);
            return;
        }
        if (candidate < 0 || s > best) {
            candidate = i;
            best = s;
            xRect overlap;
            cost = xRect::Intersect(e.rect, r, overlap) ? AreaOf(overlap) - s : -s;
        }
    }
    if (budget < 0) {
        cost -= 1;
    }
    const bool forced = count_ >= capacity_ || (depth < 1 && candidate >= 0 && budget != 0);
    if (candidate >= 0 && (cost <= budget || forced)) {
        const xRect u = BoundsOf(entries_[candidate].rect, r);
        if (depth < 2 && budget != 0) {
            entries_[candidate].rect = u;
            entries_[candidate].covered = AreaOf(u);
            return;
        }
        RemoveAt(candidate);
        Add(u, budget, depth - 1);
        return;
    }

    int e = -1;
    if (candidate >= 0 && Overlaps(entries_[candidate].rect, r)) {
        e = candidate;
    } else {
        for (int i = 0; i < count_; ++i) {
            if (i != candidate && Overlaps(entries_[i].rect, r)) {
                e = i;
                break;
            }
        }
    }
    if (e < 0) {
        Append(r, a);
        return;
    }

    // Three horizontal bands over the pair: the upper one's own part, the span
    // of both, the lower one's own part.
    const xRect er = entries_[e].rect;
    xRect up = er.top <= r.top ? er : r;
    xRect low = er.top <= r.top ? r : er;
    const std::int16_t midLeft = std::min(up.left, low.left);
    const std::int16_t midRight = std::max(up.right, low.right);
    if (up.bottom > low.bottom) {
        const std::int16_t oldLowBottom = low.bottom;
        low.left = up.left;
        low.right = up.right;
        low.bottom = up.bottom;
        up.bottom = oldLowBottom;
    }
    xRect middle;
    middle.left = midLeft;
    middle.right = midRight;
    middle.top = (up.left <= midLeft && up.right >= midRight) ? up.top : low.top;
    const bool lowSpans = low.left <= midLeft && low.right >= midRight;
    middle.bottom = lowSpans ? std::max(up.bottom, low.bottom) : std::min(up.bottom, low.bottom);
    xRect upper = up;
    upper.bottom = middle.top;
    xRect lower = low;
    lower.top = middle.bottom;

    if (upper.bottom <= upper.top) {
        RemoveAt(e);
        Add(middle, budget, depth - 1);
        Add(lower, budget, depth - 1);
    } else if (lower.bottom <= lower.top) {
        RemoveAt(e);
        Add(upper, budget, depth - 1);
        Add(middle, budget, depth - 1);
    } else if (count_ + 1 == capacity_) {
        Append(r, a);
    } else {
        RemoveAt(e);
        Add(upper, budget, depth - 1);
        Add(middle, budget, depth - 1);
        Add(lower, budget, depth - 1);
    }
}

void xSpriteRegion::AddRegion(const xSpriteRegion& other, int budget, int depth) {
    for (int i = 0; i < other.count_; ++i) {
        Add(other.entries_[i].rect, budget, depth);
    }
}

bool xSpriteRegion::Meets(const xRect& r) const {
    for (int i = 0; i < count_; ++i) {
        if (Overlaps(entries_[i].rect, r) && !r.IsEmpty() && !entries_[i].rect.IsEmpty()) {
            return true;
        }
    }
    return false;
}

bool xSpriteRegion::MeetsRegion(const xSpriteRegion& other) const {
    for (int i = 0; i < other.count_; ++i) {
        if (Meets(other.entries_[i].rect)) {
            return true;
        }
    }
    return false;
}

void xSpriteRegion::ClipTo(const xRect& r) {
    for (int i = 0; i < count_;) {
        xRect cut;
        if (!xRect::Intersect(entries_[i].rect, r, cut)) {
            RemoveAt(i);
            continue;
        }
        if (!(cut == entries_[i].rect)) {
            entries_[i].rect = cut;
            entries_[i].covered = std::min(entries_[i].covered, AreaOf(cut));
        }
        ++i;
    }
}

void xSpriteRegion::Normalise() {
    for (int i = 0; i < count_;) {
        bool removed = false;
        for (int j = 0; j < count_; ++j) {
            if (j == i) {
                continue;
            }
            xRect& a = entries_[i].rect;
            const xRect& b = entries_[j].rect;
            if (Inside(a, b)) {
                RemoveAt(i);
                removed = true;
                break;
            }
            bool cut = false;
            if (b.left <= a.left && b.right >= a.right) {
                if (b.top <= a.top && b.bottom > a.top && b.bottom < a.bottom) {
                    a.top = b.bottom;
                    cut = true;
                } else if (b.bottom >= a.bottom && b.top < a.bottom && b.top > a.top) {
                    a.bottom = b.top;
                    cut = true;
                }
            } else if (b.top <= a.top && b.bottom >= a.bottom) {
                if (b.left <= a.left && b.right > a.left && b.right < a.right) {
                    a.left = b.right;
                    cut = true;
                } else if (b.right >= a.right && b.left < a.right && b.left > a.left) {
                    a.right = b.left;
                    cut = true;
                }
            }
            if (cut) {
                entries_[i].covered = AreaOf(a);
            }
        }
        if (!removed) {
            ++i;
        }
    }
}

void xSpriteRegion::IntersectInto(const xSpriteRegion& a, const xSpriteRegion& b) {
    count_ = 0;
    for (int i = 0; i < a.count_; ++i) {
        for (int j = 0; j < b.count_; ++j) {
            xRect cut;
            if (xRect::Intersect(a.entries_[i].rect, b.entries_[j].rect, cut)) {
                Add(cut, kExactBudget, kExactDepth);
            }
        }
        Normalise();
    }
}

void xSpriteRegion::CopyFrom(const xSpriteRegion& other) {
    if (&other == this) {
        return;
    }
    const int n = std::min<int>(other.count_, capacity_);
    std::copy(other.entries_, other.entries_ + n, entries_);
    count_ = static_cast<std::uint16_t>(n);
    for (int i = n; i < other.count_; ++i) {
        Add(other.entries_[i].rect, kExactBudget, 0);
    }
}
