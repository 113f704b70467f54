#include "media/xMixCanvas.h"

#include "media/xPalette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Pixels as characters: '.' is 0, '1'-'9' are 1-9, 'a'-'z' are 10-35.
std::uint8_t ValueOf(char c) {
    if (c == '.') {
        return 0;
    }
    return static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10);
}
char CharOf(std::uint8_t v) {
    if (v == 0) {
        return '.';
    }
    return v < 10 ? static_cast<char>('0' + v) : static_cast<char>('a' + v - 10);
}

using Picture = std::vector<std::string>;

// A picture in a table of cases: up to eight rows, the unused ones null. Plain
// arrays of pointers keep the tables cheap to compile.
using Rows = std::array<const char*, 8>;

Picture PictureOf(const Rows& rows) {
    Picture picture;
    for (const char* row : rows) {
        if (row == nullptr) {
            break;
        }
        picture.emplace_back(row);
    }
    return picture;
}

std::unique_ptr<xMixCanvas> CanvasOf(const Picture& rows, int depth = 8) {
    auto c = std::make_unique<xMixCanvas>();
    c->Create(nullptr, static_cast<std::int16_t>(rows[0].size()), static_cast<std::int16_t>(rows.size()),
              depth);
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < rows[y].size(); ++x) {
            c->GetRow(static_cast<int>(y))[x * static_cast<std::size_t>(depth / 8)] = ValueOf(rows[y][x]);
        }
    }
    return c;
}

Picture PictureOf(const xMixCanvas& c) {
    Picture rows;
    for (int y = 0; y < c.GetBounds().bottom; ++y) {
        std::string row;
        for (int x = 0; x < c.GetBounds().right; ++x) {
            row.push_back(CharOf(c.GetRow(y)[x]));
        }
        rows.push_back(row);
    }
    return rows;
}

const xRect kEverything(-1000, -1000, 1000, 1000);

// Test names from the cases' descriptions.
template <typename Case>
std::string NameOf(const testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* p = info.param.name; *p != '\0'; ++p) {
        name.push_back(std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_');
    }
    return name;
}

// The blend table used by the mode 6 cases: source plus target.
const std::vector<std::uint8_t>& SumTable() {
    static const std::vector<std::uint8_t> table = [] {
        std::vector<std::uint8_t> t(65536);
        for (int s = 0; s < 256; ++s) {
            for (int d = 0; d < 256; ++d) {
                t[static_cast<std::size_t>(s * 256 + d)] = static_cast<std::uint8_t>(s + d);
            }
        }
        return t;
    }();
    return table;
}

struct WriterCase {
    const char* name;
    Rows source;
    xRect sourceRect;
    xRect clip;
    Rows target;  // before
    xRect targetRect;
    int mode;
    std::uint16_t flags;
    Rows expected;
};

class DrawPixelsTest : public testing::TestWithParam<WriterCase> {};

TEST_P(DrawPixelsTest, WritesTheExpectedPixels) {
    const WriterCase& c = GetParam();
    auto source = CanvasOf(PictureOf(c.source));
    auto target = CanvasOf(PictureOf(c.target));
    const int status = target->DrawPixels(c.targetRect, *source, c.sourceRect, c.clip, 7, c.flags,
                                          SumTable().data(), c.mode);
    EXPECT_EQ(PictureOf(*target), PictureOf(c.expected));
    EXPECT_EQ(status,
              PictureOf(*target) == PictureOf(c.target) ? xMixCanvas::kNothingDrawn : xMixCanvas::kDrawn);
}

constexpr int kMask = xMixCanvas::kModeMask;
constexpr int kBlend = xMixCanvas::kModeBlend;
constexpr int kCopy = xMixCanvas::kModeCopy;
constexpr std::uint16_t kMirror = xMixCanvas::kMirror;
constexpr std::uint16_t kFlip = xMixCanvas::kFlip;

// clang-format off
const WriterCase kModeCases[] = {
    {"copy", {"1.34"}, {0, 0, 4, 1}, kEverything, {"99999999"}, {2, 0, 6, 1}, kCopy, 0, {"99193499"}},
    {"copy mirrored", {"1.34"}, {0, 0, 4, 1}, kEverything, {"99999999"}, {2, 0, 6, 1}, kCopy, kMirror, {"99439199"}},
    {"mask", {"1.34"}, {0, 0, 4, 1}, kEverything, {"99999999"}, {2, 0, 6, 1}, kMask, 0, {"99797799"}},
    {"mask mirrored", {"1.34"}, {0, 0, 4, 1}, kEverything, {"99999999"}, {2, 0, 6, 1}, kMask, kMirror, {"99779799"}},
    {"blend writes every pixel", {"1.34"}, {0, 0, 4, 1}, kEverything, {"12345678"}, {2, 0, 6, 1}, kBlend, 0, {"12448a78"}},
    {"blend mirrored", {"1.34"}, {0, 0, 4, 1}, kEverything, {"12345678"}, {2, 0, 6, 1}, kBlend, kMirror, {"12775778"}},
    {"copy shrink", {"12345678"}, {0, 0, 8, 1}, kEverything, {"......"}, {1, 0, 5, 1}, kCopy, 0, {".1357."}},
    {"copy shrink uneven", {"12345"}, {0, 0, 5, 1}, kEverything, {"......"}, {0, 0, 3, 1}, kCopy, 0, {"124..."}},
    {"copy shrink mirrored", {"12345678"}, {0, 0, 8, 1}, kEverything, {"......"}, {1, 0, 5, 1}, kCopy, kMirror, {".7531."}},
    {"mask shrink", {"1.3.5.7."}, {0, 0, 8, 1}, kEverything, {"......"}, {0, 0, 4, 1}, kMask, 0, {"7777.."}},
    {"blend shrink", {"1.3.5.7."}, {0, 0, 8, 1}, kEverything, {"111111"}, {0, 0, 4, 1}, kBlend, 0, {"246811"}},
    {"copy stretch", {"1234"}, {0, 0, 4, 1}, kEverything, {"........"}, {0, 0, 8, 1}, kCopy, 0, {"11223344"}},
    {"copy stretch uneven", {"12"}, {0, 0, 2, 1}, kEverything, {"....."}, {0, 0, 5, 1}, kCopy, 0, {"11122"}},
    {"copy stretch mirrored", {"1234"}, {0, 0, 4, 1}, kEverything, {"........"}, {0, 0, 8, 1}, kCopy, kMirror, {"44332211"}},
    {"mask stretch mirrored", {"1.34"}, {0, 0, 4, 1}, kEverything, {"........"}, {0, 0, 8, 1}, kMask, kMirror, {"7777..77"}},
    {"blend stretch", {"12"}, {0, 0, 2, 1}, kEverything, {"1111"}, {0, 0, 4, 1}, kBlend, 0, {"2233"}},
    {"mask stretch", {"1.34"}, {0, 0, 4, 1}, kEverything, {"........"}, {0, 0, 8, 1}, kMask, 0, {"77..7777"}},
    {"mask shrink mirrored", {"12..5678"}, {0, 0, 8, 1}, kEverything, {"......"}, {0, 0, 4, 1}, kMask, kMirror, {"77.7.."}},
    {"blend shrink mirrored", {"12345678"}, {0, 0, 8, 1}, kEverything, {"111111"}, {0, 0, 4, 1}, kBlend, kMirror, {"864211"}},
    {"blend stretch mirrored", {"12"}, {0, 0, 2, 1}, kEverything, {"1111"}, {0, 0, 4, 1}, kBlend, kMirror, {"3322"}},
    {"source block inside a larger canvas", {"....", ".12.", ".34."}, {1, 1, 3, 3}, kEverything, {"...", "...", "..."}, {1, 0, 3, 2}, kCopy, 0, {".12", ".34", "..."}},
    {"flipped", {"1", "2", "3"}, {0, 0, 1, 3}, kEverything, {".", ".", "."}, {0, 0, 1, 3}, kCopy, kFlip, {"3", "2", "1"}},
    {"vertical shrink", {"1", "2", "3", "4"}, {0, 0, 1, 4}, kEverything, {".", "."}, {0, 0, 1, 2}, kCopy, 0, {"1", "3"}},
    {"vertical stretch flipped", {"1", "2"}, {0, 0, 1, 2}, kEverything, {".", ".", ".", "."}, {0, 0, 1, 4}, kCopy, kFlip, {"2", "2", "1", "1"}},
    {"empty source", {"1234"}, {2, 0, 2, 1}, kEverything, {"...."}, {0, 0, 4, 1}, kCopy, 0, {"...."}},
    {"empty target", {"1234"}, {0, 0, 4, 1}, kEverything, {"...."}, {0, 0, 0, 1}, kCopy, 0, {"...."}},
};
INSTANTIATE_TEST_SUITE_P(Modes, DrawPixelsTest, testing::ValuesIn(kModeCases), NameOf<WriterCase>);

const WriterCase kClippingCases[] = {
    {"source left", {"1234"}, {0, 0, 4, 1}, {1, 0, 4, 1}, {"........"}, {2, 0, 6, 1}, kCopy, 0, {"...234.."}},
    {"source left mirrored moves the right edge", {"1234"}, {0, 0, 4, 1}, {1, 0, 4, 1}, {"........"}, {2, 0, 6, 1}, kCopy, kMirror, {"..432..."}},
    {"source right", {"1234"}, {0, 0, 4, 1}, {0, 0, 3, 1}, {"........"}, {2, 0, 6, 1}, kCopy, 0, {"..123..."}},
    {"source right mirrored", {"1234"}, {0, 0, 4, 1}, {0, 0, 3, 1}, {"........"}, {2, 0, 6, 1}, kCopy, kMirror, {"...321.."}},
    {"source top", {"1", "2", "3"}, {0, 0, 1, 3}, {0, 1, 1, 3}, {".", ".", "."}, {0, 0, 1, 3}, kCopy, 0, {".", "2", "3"}},
    {"source top flipped", {"1", "2", "3"}, {0, 0, 1, 3}, {0, 1, 1, 3}, {".", ".", "."}, {0, 0, 1, 3}, kCopy, kFlip, {"3", "2", "."}},
    {"source bottom", {"1", "2", "3"}, {0, 0, 1, 3}, {0, 0, 1, 2}, {".", ".", "."}, {0, 0, 1, 3}, kCopy, 0, {"1", "2", "."}},
    {"source outside the clip", {"1234"}, {0, 0, 4, 1}, {5, 0, 9, 1}, {"...."}, {0, 0, 4, 1}, kCopy, 0, {"...."}},
    {"target left", {"1234"}, {0, 0, 4, 1}, kEverything, {"......"}, {-1, 0, 3, 1}, kCopy, 0, {"234..."}},
    {"target left mirrored", {"1234"}, {0, 0, 4, 1}, kEverything, {"......"}, {-1, 0, 3, 1}, kCopy, kMirror, {"321..."}},
    {"target right", {"1234"}, {0, 0, 4, 1}, kEverything, {"........"}, {6, 0, 10, 1}, kCopy, 0, {"......12"}},
    {"target right mirrored", {"1234"}, {0, 0, 4, 1}, kEverything, {"........"}, {6, 0, 10, 1}, kCopy, kMirror, {"......43"}},
    {"target top", {"1", "2", "3"}, {0, 0, 1, 3}, kEverything, {".", "."}, {0, -1, 1, 2}, kCopy, 0, {"2", "3"}},
    {"target bottom flipped", {"1", "2", "3"}, {0, 0, 1, 3}, kEverything, {".", "."}, {0, 0, 1, 3}, kCopy, kFlip, {"3", "2"}},
    {"target outside", {"1234"}, {0, 0, 4, 1}, kEverything, {"...."}, {4, 0, 8, 1}, kCopy, 0, {"...."}},
        // Scaled and clipped: the opposite edge moves by amount * target / source.
    {"shrink with source left clipped", {"12345678"}, {0, 0, 8, 1}, {2, 0, 8, 1}, {"...."}, {0, 0, 4, 1}, kCopy, 0, {".357"}},
    {"shrink mirrored with source left clipped", {"12345678"}, {0, 0, 8, 1}, {2, 0, 8, 1}, {"...."}, {0, 0, 4, 1}, kCopy, kMirror, {"753."}},
    {"shrink with target left clipped", {"12345678"}, {0, 0, 8, 1}, kEverything, {"...."}, {-1, 0, 3, 1}, kCopy, 0, {"357."}},
    {"stretch with source left clipped", {"1234"}, {0, 0, 4, 1}, {1, 0, 4, 1}, {"........"}, {0, 0, 8, 1}, kCopy, 0, {"..223344"}},
    {"vertical shrink with source top clipped", {"1", "2", "3", "4", "5", "6", "7", "8"}, {0, 0, 1, 8}, {0, 2, 1, 8}, {".", ".", ".", "."}, {0, 0, 1, 4}, kCopy, 0, {".", "3", "5", "7"}},
    {"stretch with target left clipped keeps the ratio", {"1234"}, {0, 0, 4, 1}, kEverything, {"........"}, {-1, 0, 7, 1}, kCopy, 0, {"1223344."}},
    {"uneven stretch with source left clipped", {"123"}, {0, 0, 3, 1}, {1, 0, 3, 1}, {"....."}, {0, 0, 5, 1}, kCopy, 0, {"..223"}},
    {"vertical shrink flipped with source bottom clipped", {"1", "2", "3", "4", "5", "6", "7", "8"}, {0, 0, 1, 8}, {0, 0, 1, 6}, {".", ".", ".", "."}, {0, 0, 1, 4}, kCopy, kFlip, {".", "5", "3", "1"}},
};
INSTANTIATE_TEST_SUITE_P(Clipping, DrawPixelsTest, testing::ValuesIn(kClippingCases), NameOf<WriterCase>);
// clang-format on

TEST(xMixCanvasTest, StridesAndRowTableAreBottomUp) {
    struct Case {
        int width, depth, stride;
    } cases[] = {{640, 8, 640}, {641, 24, 1924}, {5, 8, 8}, {5, 24, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width * 100 + c.depth);
        xMixCanvas canvas;
        canvas.Create(nullptr, static_cast<std::int16_t>(c.width), 3, c.depth);
        EXPECT_EQ(canvas.GetStride(), c.stride);
        EXPECT_EQ(canvas.GetDepth(), c.depth);
        EXPECT_EQ(canvas.GetKind(), xCanvas::kMix);
        EXPECT_EQ(canvas.GetBounds(), xRect(0, 0, c.width, 3));
        const auto bits = canvas.GetSurface()->Bits();
        ASSERT_EQ(canvas.GetRows().size(), 3u);
        EXPECT_EQ(canvas.GetRow(0), bits.data() + 2 * c.stride);  // the last row in memory
        EXPECT_EQ(canvas.GetRow(2), bits.data());
    }
}

TEST(xMixCanvasTest, OtherDepthsThrowZero) {
    for (int depth : {0, 1, 16, 32}) {
        xMixCanvas canvas;
        try {
            canvas.Create(nullptr, 4, 4, depth);
            ADD_FAILURE() << depth;
        } catch (int e) {
            EXPECT_EQ(e, 0);
        }
    }
}

TEST(xMixCanvasTest, DrawPixelsRefusesWhatItCannotWrite) {
    auto source = CanvasOf({"1234"});
    auto deep = CanvasOf({"...."}, 24);
    const std::vector<std::uint8_t> before(deep->GetSurface()->Bits().begin(),
                                           deep->GetSurface()->Bits().end());
    EXPECT_EQ(deep->DrawPixelsSimple({0, 0, 4, 1}, *source, {0, 0, 4, 1}, kEverything, 0),
              xMixCanvas::kRefused);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), deep->GetSurface()->Bits().begin()));
    auto target = CanvasOf({"...."});
    EXPECT_EQ(target->DrawPixels({0, 0, 4, 1}, *deep, {0, 0, 4, 1}, kEverything, 0, 0, nullptr, kCopy),
              xMixCanvas::kRefused);
    EXPECT_EQ(target->DrawPixels({0, 0, 4, 1}, *source, {0, 0, 4, 1}, kEverything, 0, 0, nullptr, kBlend),
              xMixCanvas::kRefused);
    EXPECT_EQ(target->DrawPixels({0, 0, 4, 1}, *source, {0, 0, 4, 1}, kEverything, 0, 0, nullptr, 3),
              xMixCanvas::kRefused);
    EXPECT_EQ(PictureOf(*target), Picture{"...."});
}

// Random blocks, clips, scales and flags on small canvases: nothing outside the
// target rectangle changes, and (under the sanitizers) nothing is read or
// written outside either canvas.
TEST(xMixCanvasTest, RandomScaledClippedDrawsStayInBounds) {
    std::mt19937 rng(12345);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    xMixCanvas source;
    source.Create(nullptr, 13, 11, 8);
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 13; ++x) {
            source.GetRow(y)[x] = static_cast<std::uint8_t>(1 + (x + y) % 200);
        }
    }
    for (int i = 0; i < 3000; ++i) {
        xMixCanvas target;
        target.Create(nullptr, 9, 7, 8);
        const xRect t(pick(-12, 12), pick(-12, 12), pick(-12, 20), pick(-12, 20));
        const xRect s(pick(-5, 14), pick(-5, 12), pick(-5, 20), pick(-5, 20));
        const xRect clip(pick(-3, 10), pick(-3, 10), pick(0, 16), pick(0, 16));
        const auto flags = static_cast<std::uint16_t>(pick(0, 3));
        const int mode = std::array{kMask, kBlend, kCopy}[static_cast<std::size_t>(pick(0, 2))];
        target.DrawPixels(t, source, s, clip, 5, flags, SumTable().data(), mode);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                if (!t.Contains({static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)})) {
                    ASSERT_EQ(target.GetRow(y)[x], 0) << i;
                }
            }
        }
    }
}

// Feeds rows of a source picture to a span transfer the way a row decoder does:
// skip rows while the answer is above 1, hand over the next row at 1.
Picture RunSpan(xMixCanvas& target, const xRect& targetRect, const xRect& clip, const Picture& source,
                std::uint16_t flags, int* firstAnswer = nullptr, std::vector<int>* rowsGiven = nullptr) {
    const int w = static_cast<int>(source[0].size());
    const int h = static_cast<int>(source.size());
    std::vector<std::uint8_t> row(static_cast<std::size_t>(w));
    xMixCanvas::Span span;
    int next = target.BeginSpan(targetRect, clip, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h),
                                flags, row.data(), span);
    if (firstAnswer != nullptr) {
        *firstAnswer = next;
    }
    int sourceRow = -1;
    while (next > 0 && next != 0xFFFF) {
        sourceRow += next;
        EXPECT_LT(sourceRow, h) << "asked for a row past the source";
        if (sourceRow >= h) {
            break;
        }
        for (int x = 0; x < w; ++x) {
            row[static_cast<std::size_t>(x)] =
                ValueOf(source[static_cast<std::size_t>(sourceRow)][static_cast<std::size_t>(x)]);
        }
        if (rowsGiven != nullptr) {
            rowsGiven->push_back(sourceRow);
        }
        next = target.NextSpan(span);
    }
    return PictureOf(target);
}

struct SpanCase {
    const char* name;
    Rows source;
    Rows target;  // before
    xRect targetRect;
    xRect clip;
    std::uint16_t flags;
    int firstAnswer;
    Rows expected;
};

class SpanTest : public testing::TestWithParam<SpanCase> {};

TEST_P(SpanTest, WalksTheRowsItAsksFor) {
    const SpanCase& c = GetParam();
    auto target = CanvasOf(PictureOf(c.target));
    int first = -1;
    EXPECT_EQ(RunSpan(*target, c.targetRect, c.clip, PictureOf(c.source), c.flags, &first),
              PictureOf(c.expected));
    EXPECT_EQ(first, c.firstAnswer);
}

// clang-format off
const SpanCase kWalkCases[] = {
    {"one to one", {"12", "3."}, {"99", "99"}, {0, 0, 2, 2}, kEverything, 0, 1, {"12", "39"}},
    {"mirrored", {"12", "3."}, {"99", "99"}, {0, 0, 2, 2}, kEverything, kMirror, 1, {"21", "93"}},
    {"flipped", {"12", "3."}, {"99", "99"}, {0, 0, 2, 2}, kEverything, kFlip, 1, {"39", "12"}},
    {"mirrored and flipped", {"12", "3."}, {"99", "99"}, {0, 0, 2, 2}, kEverything, kMirror | kFlip, 1, {"93", "21"}},
    {"two rows into six", {"1", "2"}, {".", ".", ".", ".", ".", "."}, {0, 0, 1, 6}, kEverything, 0, 1, {"1", "1", "1", "2", "2", "2"}},
    {"two rows into six flipped", {"1", "2"}, {".", ".", ".", ".", ".", "."}, {0, 0, 1, 6}, kEverything, kFlip, 1, {"2", "2", "2", "1", "1", "1"}},
    {"four rows into two", {"1", "2", "3", "4"}, {".", "."}, {0, 0, 1, 2}, kEverything, 0, 1, {"1", "3"}},
    {"stretched across", {"12"}, {"....."}, {0, 0, 5, 1}, kEverything, 0, 1, {"11122"}},
    {"top clipped", {"1", "2", "3", "4"}, {".", ".", ".", "."}, {0, 0, 1, 4}, {0, 2, 1, 4}, 0, 3, {".", ".", "3", "4"}},
    {"top clipped flipped", {"1", "2", "3", "4"}, {".", ".", ".", "."}, {0, 0, 1, 4}, {0, 2, 1, 4}, kFlip, 1, {".", ".", "2", "1"}},
    {"bottom clipped flipped", {"1", "2", "3", "4"}, {".", ".", ".", "."}, {0, 0, 1, 4}, {0, 0, 1, 1}, kFlip, 4, {"4", ".", ".", "."}},
    {"left clipped mirrored", {"1234"}, {"...."}, {0, 0, 4, 1}, {1, 0, 4, 1}, kMirror, 1, {".321"}},
    {"stretched through a clip from x 1", {"1234"}, {"........"}, {0, 0, 8, 1}, {1, 0, 8, 1}, 0, 1, {".1223344"}},
    {"stretched mirrored through a clip", {"1234"}, {"........"}, {0, 0, 8, 1}, {1, 0, 8, 1}, kMirror, 1, {".4332211"}},
    {"rows stretched through a top clip", {"1", "2"}, {".", ".", ".", ".", "."}, {0, 0, 1, 5}, {0, 1, 1, 5}, 0, 1, {".", "1", "1", "2", "2"}},
    {"off the canvas", {"1"}, {"."}, {3, 3, 4, 4}, kEverything, 0, 0, {"."}},
    {"outside the clip", {"1"}, {".."}, {0, 0, 1, 1}, {1, 0, 2, 1}, 0, 0, {".."}},
};
INSTANTIATE_TEST_SUITE_P(Walks, SpanTest, testing::ValuesIn(kWalkCases), NameOf<SpanCase>);
// clang-format on

// A pattern that blends visibly, with its origin at (origin, origin).
void Fill(xMixCanvas& c, int seed, int origin = 0) {
    for (int y = 0; y < c.GetBounds().bottom; ++y) {
        for (int x = 0; x < c.GetBounds().right; ++x) {
            c.GetRow(y)[x] =
                static_cast<std::uint8_t>(((x - origin) * 7 + (y - origin) * 13 + seed + 5000) % 50);
        }
    }
}

// A draw through a clip shows, pixel for pixel, what the same draw shows
// unclipped, cut to the clip: for scaled (shrink and stretch), mirrored and
// flipped draws alike. The block copy's clip is in the source: cutting to it is
// drawing unclipped from a source whose clipped-away pixels are transparent
// (index 0 leaves the target alone in every mode). The canvas edge is a clip
// too: the unclipped draw goes to a large canvas, shifted.
TEST(xMixCanvasTest, ClippedDrawsShowThePixelsOfTheUnclippedDraw) {
    std::mt19937 rng(4142);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    constexpr int kShift = 30;
    xMixCanvas source;
    source.Create(nullptr, 13, 11, 8);
    Fill(source, 1);
    for (int i = 0; i < 3000; ++i) {
        SCOPED_TRACE(i);
        const int sx = pick(0, 12);
        const int sy = pick(0, 10);
        const xRect s(sx, sy, pick(sx + 1, 13), pick(sy + 1, 11));
        const int tx = pick(-12, 10);
        const int ty = pick(-12, 8);
        const xRect t(tx, ty, tx + pick(1, 26), ty + pick(1, 26));
        const xRect clip(pick(-2, 12), pick(-2, 10), pick(0, 15), pick(0, 13));
        const auto flags = static_cast<std::uint16_t>(pick(0, 3));
        const int mode = std::array{kMask, kBlend, kCopy}[static_cast<std::size_t>(pick(0, 2))];

        xMixCanvas cut;
        cut.Create(nullptr, 13, 11, 8);
        for (int y = 0; y < 11; ++y) {
            for (int x = 0; x < 13; ++x) {
                const bool kept = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                cut.GetRow(y)[x] = kept ? source.GetRow(y)[x] : 0;
            }
        }
        xMixCanvas whole;
        whole.Create(nullptr, 80, 80, 8);
        Fill(whole, 2, kShift);
        const xRect shifted(
            static_cast<std::int16_t>(t.left + kShift), static_cast<std::int16_t>(t.top + kShift),
            static_cast<std::int16_t>(t.right + kShift), static_cast<std::int16_t>(t.bottom + kShift));
        whole.DrawPixels(shifted, cut, s, kEverything, 5, flags, SumTable().data(), mode);

        xMixCanvas clipped;
        clipped.Create(nullptr, 9, 7, 8);
        Fill(clipped, 2);
        clipped.DrawPixels(t, source, s, clip, 5, flags, SumTable().data(), mode);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                ASSERT_EQ(clipped.GetRow(y)[x], whole.GetRow(y + kShift)[x + kShift])
                    << "at " << x << "," << y << " flags " << flags;
            }
        }
    }
}

// The span transfer's clip is in the target: a clipped transfer equals the
// unclipped one inside the clip and leaves the rest alone.
TEST(xMixCanvasTest, ClippedSpansShowThePixelsOfTheUnclippedSpan) {
    std::mt19937 rng(4143);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    constexpr int kShift = 30;
    for (int i = 0; i < 2000; ++i) {
        SCOPED_TRACE(i);
        Picture source(static_cast<std::size_t>(pick(1, 9)),
                       std::string(static_cast<std::size_t>(pick(1, 9)), '.'));
        for (std::string& row : source) {
            for (char& c : row) {
                c = CharOf(static_cast<std::uint8_t>(pick(0, 35)));
            }
        }
        const int tx = pick(-12, 10);
        const int ty = pick(-12, 8);
        const xRect t(tx, ty, tx + pick(1, 24), ty + pick(1, 24));
        const xRect clip(pick(-2, 10), pick(-2, 8), pick(0, 12), pick(0, 10));
        const auto flags = static_cast<std::uint16_t>(pick(0, 3));

        xMixCanvas whole;
        whole.Create(nullptr, 80, 80, 8);
        const xRect shifted(
            static_cast<std::int16_t>(t.left + kShift), static_cast<std::int16_t>(t.top + kShift),
            static_cast<std::int16_t>(t.right + kShift), static_cast<std::int16_t>(t.bottom + kShift));
        RunSpan(whole, shifted, kEverything, source, flags);
        xMixCanvas clipped;
        clipped.Create(nullptr, 9, 7, 8);
        RunSpan(clipped, t, clip, source, flags);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 9; ++x) {
                const bool inClip = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                const std::uint8_t want = inClip ? whole.GetRow(y + kShift)[x + kShift] : 0;
                ASSERT_EQ(clipped.GetRow(y)[x], want) << "at " << x << "," << y << " flags " << flags;
            }
        }
    }
}

TEST(xMixCanvasTest, SpanDrawsEachSourceRowThriceBeforeAskingAgain) {
    xMixCanvas target;
    target.Create(nullptr, 1, 6, 8);
    std::vector<int> given;
    RunSpan(target, {0, 0, 1, 6}, kEverything, {"1", "2"}, 0, nullptr, &given);
    EXPECT_EQ(given, (std::vector<int>{0, 1}));
}

TEST(xMixCanvasTest, SpanNeverAsksForRowsPastTheClippedSource) {
    // Shrinking 7 rows into 3 with the top clipped: the walk ends before row 7.
    xMixCanvas target;
    target.Create(nullptr, 1, 3, 8);
    std::vector<int> given;
    RunSpan(target, {0, -1, 1, 3}, kEverything, {"1", "2", "3", "4", "5", "6", "7"}, 0, nullptr, &given);
    ASSERT_FALSE(given.empty());
    EXPECT_LT(given.back(), 7);
}

// The 24-bit span writers walk like the 8-bit ones: the expected picture is in
// palette indices, each written as the entry's blue, green, red.
TEST(xMixCanvasTest, SpanWalksOnTwentyFourBits) {
    struct Case {
        const char* name;
        Picture source;
        int targetWidth;
        std::uint16_t flags;
        std::string expected;  // '.' untouched
    } cases[] = {
        {"shrink", {"1.b2"}, 2, 0, "1b"},
        {"shrink mirrored", {"1.b2"}, 2, kMirror, "b1"},
        {"stretch", {"1b"}, 4, 0, "11bb"},
        {"stretch mirrored", {"1.b"}, 6, kMirror, "bb..11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xMixCanvas target;
        target.Create(nullptr, static_cast<std::int16_t>(c.targetWidth), 1, 24);
        std::uint8_t* row = target.GetRow(0);
        for (int i = 0; i < c.targetWidth * 3; ++i) {
            row[i] = 0x77;
        }
        RunSpan(target, {0, 0, static_cast<std::int16_t>(c.targetWidth), 1}, kEverything, c.source, c.flags);
        for (int x = 0; x < c.targetWidth; ++x) {
            SCOPED_TRACE(x);
            const std::uint8_t* p = row + x * 3;
            const char want = c.expected[static_cast<std::size_t>(x)];
            if (want == '.') {
                EXPECT_EQ(p[0], 0x77);
                EXPECT_EQ(p[1], 0x77);
                EXPECT_EQ(p[2], 0x77);
                continue;
            }
            xRGB e;
            xPalette::Default().GetEntry(e, ValueOf(want));
            EXPECT_EQ(p[0], e.blue);
            EXPECT_EQ(p[1], e.green);
            EXPECT_EQ(p[2], e.red);
        }
    }
}

TEST(xMixCanvasTest, SpanOnTwentyFourBitsWritesPaletteColours) {
    xMixCanvas target;
    target.Create(nullptr, 3, 1, 24);
    std::uint8_t* row = target.GetRow(0);
    for (int i = 0; i < 9; ++i) {
        row[i] = 0x77;
    }
    RunSpan(target, {0, 0, 3, 1}, kEverything, {"1.b"}, kMirror);
    // Mirrored: entry 11 lands at x 0, entry 1 at x 2.
    xRGB c11;
    xRGB c1;
    xPalette::Default().GetEntry(c11, 11);
    xPalette::Default().GetEntry(c1, 1);
    EXPECT_EQ(row[0], c11.blue);
    EXPECT_EQ(row[1], c11.green);
    EXPECT_EQ(row[2], c11.red);
    EXPECT_EQ(row[3], 0x77);  // index 0 leaves the pixel
    EXPECT_EQ(row[5], 0x77);
    EXPECT_EQ(row[6], c1.blue);
    EXPECT_EQ(row[7], c1.green);
    EXPECT_EQ(row[8], c1.red);
}

}  // namespace

namespace {

// The mask mode writes 24-bit canvases too: the colour index through the
// palette, index 0 of the source transparent, scaled, mirrored and clipped as
// on an 8-bit canvas. The same drawing on both gives the same colours.
TEST(xMixCanvasTest, MaskModeGivesTheSameColoursOnA24BitCanvas) {
    struct Case {
        const char* what;
        xRect target, sourceRect, clip;
        std::uint16_t flags;
    };
    const Case cases[] = {
        {"equal", {1, 1, 7, 4}, {0, 0, 6, 3}, kEverything, 0},
        {"mirrored and flipped",
         {1, 1, 7, 4},
         {0, 0, 6, 3},
         kEverything,
         xMixCanvas::kMirror | xMixCanvas::kFlip},
        {"stretched", {0, 0, 8, 5}, {0, 0, 6, 3}, kEverything, 0},
        {"shrunk", {2, 1, 5, 3}, {0, 0, 6, 3}, kEverything, xMixCanvas::kMirror},
        {"clipped", {-2, -1, 4, 2}, {0, 0, 6, 3}, {1, 0, 5, 2}, 0},
    };
    const Picture text{"1.23.4", ".5..6.", "78.9.a"};
    const Picture blank{"........", "........", "........", "........", "........"};
    auto source = CanvasOf(text);
    const std::uint8_t colour = 201;
    const std::uint8_t background = 7;
    const xPalette& palette = xPalette::Default();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto flat = CanvasOf(blank);
        auto deep = CanvasOf(blank, 24);
        for (int y = 0; y < 5; ++y) {
            std::fill_n(flat->GetRow(y), 8, background);
            for (int x = 0; x < 8; ++x) {
                xRGB b;
                palette.GetEntry(b, background);
                deep->GetRow(y)[x * 3] = b.blue;
                deep->GetRow(y)[x * 3 + 1] = b.green;
                deep->GetRow(y)[x * 3 + 2] = b.red;
            }
        }
        ASSERT_EQ(flat->DrawPixels(c.target, *source, c.sourceRect, c.clip, colour, c.flags, nullptr,
                                   xMixCanvas::kModeMask),
                  xMixCanvas::kDrawn);
        ASSERT_EQ(deep->DrawPixels(c.target, *source, c.sourceRect, c.clip, colour, c.flags, nullptr,
                                   xMixCanvas::kModeMask),
                  xMixCanvas::kDrawn);
        int written = 0;
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 8; ++x) {
                const std::uint8_t index = flat->GetRow(y)[x];
                written += index == colour ? 1 : 0;
                xRGB want;
                palette.GetEntry(want, index);
                const std::uint8_t* got = deep->GetRow(y) + x * 3;
                EXPECT_EQ((std::array<int, 3>{got[0], got[1], got[2]}),
                          (std::array<int, 3>{want.blue, want.green, want.red}))
                    << x << "," << y;
            }
        }
        EXPECT_GT(written, 0);
    }
}

}  // namespace
