#pragma once

#include "framework/xRect.h"

#include "divir/xAppObject.h"

#include <array>
#include <cstdint>

// A short list of screen rectangles that merges greedily under a waste budget,
// so that the list stays short and the area drawn in vain stays small. Each
// entry keeps the area it stands for (at most its rectangle's area).
class xSpriteRegion : public xAppObject {
  public:
    struct Entry {
        xRect rect;
        std::int64_t covered = 0;  // a full 16-bit rectangle's area does not fit 32 bits
    };

    // Budgets and depths the callers use.
    static constexpr int kStripBudget = 9000;
    static constexpr int kStripDepth = 4;
    static constexpr int kEngineBudget = 2000;
    static constexpr int kEngineDepth = 6;
    static constexpr int kExactBudget = 0;
    static constexpr int kExactDepth = 10;

    xSpriteRegion() : capacity_(kSmallCapacity) { entries_ = small_.data(); }
    xSpriteRegion(const xSpriteRegion& other) : xSpriteRegion() { CopyFrom(other); }
    xSpriteRegion& operator=(const xSpriteRegion& other) {
        CopyFrom(other);
        return *this;
    }
    ~xSpriteRegion() override = default;

    // A positive budget widens the rectangle to 4-pixel columns; a depth below 1
    // forces merging.
    void Add(const xRect& r, int budget, int depth);
    void AddRegion(const xSpriteRegion& other, int budget, int depth);
    void Clear() { count_ = 0; }
    bool Meets(const xRect& r) const;
    bool MeetsRegion(const xSpriteRegion& other) const;
    void ClipTo(const xRect& r);
    void Normalise();
    // This region becomes every non-empty intersection of a rectangle of a with
    // one of b.
    void IntersectInto(const xSpriteRegion& a, const xSpriteRegion& b);
    // Count and entries; entries beyond this region's capacity are merged in.
    void CopyFrom(const xSpriteRegion& other);

    std::uint16_t GetCount() const { return count_; }
    std::uint16_t GetCapacity() const { return capacity_; }
    const Entry& GetEntry(int i) const { return entries_[i]; }
    const xRect& GetRect(int i) const { return entries_[i].rect; }
    bool IsEmpty() const { return count_ == 0; }

  protected:
    static constexpr std::uint16_t kSmallCapacity = 12;

    xSpriteRegion(Entry* storage, std::uint16_t capacity) : capacity_(capacity) { entries_ = storage; }

  private:
    void RemoveAt(int i);
    void Append(const xRect& r, std::int64_t covered);

    Entry* entries_ = nullptr;
    std::uint16_t count_ = 0;
    std::uint16_t capacity_;
    std::array<Entry, kSmallCapacity> small_{};
};

// The large kind: 100 rectangles.
class xBigSpriteRegion : public xSpriteRegion {
  public:
    static constexpr std::uint16_t kBigCapacity = 100;

    xBigSpriteRegion() : xSpriteRegion(big_, kBigCapacity) {}
    xBigSpriteRegion(const xBigSpriteRegion& other) : xBigSpriteRegion() { CopyFrom(other); }
    explicit xBigSpriteRegion(const xSpriteRegion& other) : xBigSpriteRegion() { CopyFrom(other); }
    xBigSpriteRegion& operator=(const xBigSpriteRegion& other) {
        CopyFrom(other);
        return *this;
    }
    xBigSpriteRegion& operator=(const xSpriteRegion& other) {
        CopyFrom(other);
        return *this;
    }

  private:
    // A plain array: the base is handed its address before the member is built.
    Entry big_[kBigCapacity]{};
};
