#include "media/xSpriteRegion.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

struct E {
    xRect r;
    std::int64_t covered;
    friend bool operator==(const E&, const E&) = default;
};

std::string Show(const std::vector<E>& entries) {
    std::string s;
    for (const E& e : entries) {
        s += "(" + std::to_string(e.r.left) + "," + std::to_string(e.r.top) + "," +
             std::to_string(e.r.right) + "," + std::to_string(e.r.bottom) + ")=" + std::to_string(e.covered) +
             " ";
    }
    return s;
}

std::vector<E> EntriesOf(const xSpriteRegion& region) {
    std::vector<E> out;
    for (int i = 0; i < region.GetCount(); ++i) {
        out.push_back(E{region.GetEntry(i).rect, region.GetEntry(i).covered});
    }
    return out;
}

void Fill(xSpriteRegion& region, const std::vector<xRect>& rects) {
    for (const xRect& r : rects) {
        region.Add(r, 0, 10);
    }
}

TEST(xSpriteRegionTest, AddMergesSplitsAndWidens) {
    struct Case {
        const char* name;
        std::vector<xRect> before;  // added exactly (budget 0, depth 10)
        xRect add;
        int budget;
        int depth;
        std::vector<E> after;
    } cases[] = {
        {"empty rectangle changes nothing", {{0, 0, 4, 4}}, {5, 5, 5, 9}, 9000, 4, {{{0, 0, 4, 4}, 16}}},
        {"widened to 4-pixel columns", {}, {5, 1, 9, 3}, 9000, 4, {{{4, 1, 12, 3}, 16}}},
        {"no widening with budget 0", {}, {5, 1, 9, 3}, 0, 10, {{{5, 1, 9, 3}, 8}}},
        {"inside an entry: only the entry grows to its box",
         {{0, 0, 10, 10}},
         {2, 2, 4, 4},
         0,
         10,
         {{{0, 0, 10, 10}, 100}}},
        {"same columns, overlapping rows: union at no cost",
         {{0, 0, 8, 8}},
         {0, 4, 8, 12},
         0,
         10,
         {{{0, 0, 8, 12}, 96}}},
        {"touching side by side: union", {{0, 0, 8, 8}}, {8, 0, 16, 8}, 0, 10, {{{0, 0, 16, 8}, 128}}},
        // Areas of full 16-bit rectangles pass 2^31 (found by the off4 fuzz target).
        {"the largest rectangles: areas past 32 bits",
         {{-32768, -32768, 0, 32767}},
         {0, -32768, 32767, 32767},
         0,
         10,
         {{{-32768, -32768, 32767, 32767}, 4294836225LL}}},
        {"the largest rectangles far apart, forced together",
         {{-32768, -32768, -32000, -32000}},
         {32000, 32000, 32767, 32767},
         0,
         0,
         {{{-32768, -32768, 32767, 32767}, 4294836225LL}}},
        {"far apart with budget 0: appended",
         {{0, 0, 8, 8}},
         {100, 100, 108, 108},
         0,
         10,
         {{{0, 0, 8, 8}, 64}, {{100, 100, 108, 108}, 64}}},
        {"near with a budget: merged", {{0, 0, 8, 8}}, {12, 0, 20, 8}, 9000, 4, {{{0, 0, 20, 8}, 160}}},
        {"depth 0 forces a merge", {{0, 0, 8, 8}}, {100, 100, 108, 108}, 0, 0, {{{0, 0, 108, 108}, 11664}}},
        {"crossing: split into bands (no upper band)",
         {{0, 0, 20, 4}},
         {8, 0, 12, 20},
         0,
         10,
         {{{0, 0, 20, 4}, 80}, {{8, 4, 12, 20}, 64}}},
        {"crossing: three bands",
         {{0, 4, 20, 8}},
         {8, 0, 12, 20},
         0,
         10,
         {{{8, 0, 12, 4}, 16}, {{0, 4, 20, 8}, 80}, {{8, 8, 12, 20}, 48}}},
        {"overlapping corner: bands",
         {{0, 0, 10, 10}},
         {5, 5, 15, 15},
         0,
         10,
         {{{0, 0, 10, 5}, 50}, {{0, 5, 15, 10}, 75}, {{5, 10, 15, 15}, 50}}},
        {"lower reaches less deep than upper (no lower band)",
         {{0, 0, 10, 10}},
         {5, 2, 20, 5},
         0,
         10,
         {{{0, 0, 10, 2}, 20}, {{0, 2, 20, 5}, 60}, {{0, 5, 10, 10}, 50}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xSpriteRegion region;
        Fill(region, c.before);
        region.Add(c.add, c.budget, c.depth);
        EXPECT_EQ(Show(EntriesOf(region)), Show(c.after));
    }
}

TEST(xSpriteRegionTest, AFullRegionMergesTheThirteenthIntoTheBestCandidate) {
    xSpriteRegion region;
    for (int i = 0; i < 12; ++i) {
        region.Add(xRect(i * 50, 0, i * 50 + 10, 10), 0, 10);
    }
    ASSERT_EQ(region.GetCount(), 12);
    region.Add(xRect(112, 0, 118, 10), 0, 10);  // nearest to the entry at 100
    EXPECT_EQ(region.GetCount(), 12);
    EXPECT_TRUE(region.Meets(xRect(112, 0, 118, 10)));
    bool merged = false;
    for (int i = 0; i < region.GetCount(); ++i) {
        merged = merged || region.GetRect(i) == xRect(100, 0, 118, 10);
    }
    EXPECT_TRUE(merged);
}

TEST(xSpriteRegionTest, NormaliseClipAndIntersect) {
    xBigSpriteRegion region;
    Fill(region, {{0, 0, 10, 10}, {100, 0, 110, 10}});
    region.Add(xRect(2, 2, 4, 4), 0, 10);
    region.Add(xRect(0, 5, 10, 20), 0, 10);
    region.Normalise();
    region.ClipTo(xRect(0, 0, 105, 15));
    EXPECT_EQ(Show(EntriesOf(region)), Show({{{100, 0, 105, 10}, 50}, {{0, 0, 10, 15}, 150}}));

    xBigSpriteRegion cut;
    cut.Add(xRect(0, 10, 60, 20), 0, 10);
    cut.Normalise();
    xBigSpriteRegion both;
    both.IntersectInto(region, cut);
    EXPECT_EQ(Show(EntriesOf(both)), Show({{{0, 10, 10, 15}, 50}}));

    // Normalise cuts an entry that another spans in width.
    xSpriteRegion bands;
    bands.Add(xRect(0, 0, 40, 10), 0, 10);
    bands.Add(xRect(200, 0, 240, 10), 0, 10);
    xSpriteRegion raw;
    raw = bands;
    EXPECT_EQ(raw.GetCount(), 2);
    EXPECT_TRUE(raw.MeetsRegion(bands));
    EXPECT_FALSE(raw.Meets(xRect(50, 0, 60, 10)));
}

TEST(xSpriteRegionTest, RandomAddsStayWithinCapacityAndCoverEverything) {
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        xSpriteRegion small;
        xBigSpriteRegion big;
        std::vector<xRect> added;
        const int n = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            const int l = static_cast<int>(rng() % 600);
            const int t = static_cast<int>(rng() % 440);
            const xRect r(l, t, l + 1 + static_cast<int>(rng() % 80), t + 1 + static_cast<int>(rng() % 60));
            const int budget = static_cast<int>(rng() % 3) == 0 ? 0 : 2000;
            small.Add(r, budget, 6);
            big.Add(r, budget, 6);
            added.push_back(r);
        }
        ASSERT_LE(small.GetCount(), 12);
        ASSERT_LE(big.GetCount(), 100);
        // Every pixel added is covered by some entry.
        for (const xRect& r : added) {
            for (int y = r.top; y < r.bottom; y += 7) {
                for (int x = r.left; x < r.right; x += 5) {
                    const xRect p(x, y, x + 1, y + 1);
                    ASSERT_TRUE(small.Meets(p));
                    ASSERT_TRUE(big.Meets(p));
                }
            }
        }
    }
}

}  // namespace
