#include "platform/DrawContext.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace platform {
namespace {

// Every glyph a 3x5 block standing on the baseline, advance 4.
class BlockFont : public FontFace {
  public:
    BlockFont() {
        metrics_ = FontMetrics{6, 2, 8, 0, 1};
        glyph_ = Glyph{0, 5, 3, 5, 4, std::vector<std::uint8_t>(15, 1)};
    }
    const FontMetrics& Metrics() const override { return metrics_; }
    std::string FamilyName() const override { return "Block"; }
    const Glyph& GetGlyph(std::uint8_t) override { return glyph_; }

  private:
    FontMetrics metrics_;
    Glyph glyph_;
};

// An 8-bit surface whose table holds black, white, red, green, blue.
Surface SmallSurface(int w, int h) {
    Surface s(w, h, 8, false);
    s.Colours()[0] = {0, 0, 0};
    s.Colours()[1] = {255, 255, 255};
    s.Colours()[2] = {255, 0, 0};
    s.Colours()[3] = {0, 255, 0};
    s.Colours()[4] = {0, 0, 255};
    for (int i = 5; i < 256; ++i) {
        s.Colours()[static_cast<std::size_t>(i)] = {10, 10, 10};
    }
    return s;
}

// Rows of the surface as characters: '.' for index 0, else the index digit.
std::vector<std::string> Picture(const Surface& s) {
    std::vector<std::string> rows;
    for (int y = 0; y < s.Height(); ++y) {
        std::string row;
        for (int x = 0; x < s.Width(); ++x) {
            const std::uint8_t v = s.Row(y)[x];
            row.push_back(v == 0 ? '.' : static_cast<char>('0' + v));
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(SurfaceTest, StrideAndRowOrder) {
    struct Case {
        int width, depth, stride;
    } cases[] = {{640, 8, 640}, {641, 24, 1924}, {3, 8, 4}, {5, 24, 16}, {3, 32, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width * 100 + c.depth);
        Surface bottomUp(c.width, 4, c.depth, true);
        Surface topDown(c.width, 4, c.depth, false);
        EXPECT_EQ(bottomUp.Stride(), c.stride);
        EXPECT_EQ(bottomUp.Bits().size(), static_cast<std::size_t>(c.stride) * 4);
        EXPECT_EQ(bottomUp.Row(0), bottomUp.Bits().data() + 3 * c.stride);
        EXPECT_EQ(topDown.Row(0), topDown.Bits().data());
    }
    EXPECT_FALSE(Surface(4, 4, 16, false).Valid());
    EXPECT_FALSE(Surface(0, 4, 8, false).Valid());
}

TEST(SurfaceTest, NearestIndexPrefersExactThenLeastSquaredDistance) {
    const Surface s = SmallSurface(1, 1);
    EXPECT_EQ(s.NearestIndex({255, 0, 0}), 2);
    EXPECT_EQ(s.NearestIndex({200, 30, 20}), 2);
    EXPECT_EQ(s.NearestIndex({240, 240, 250}), 1);
    EXPECT_EQ(s.NearestIndex({12, 9, 11}), 5);  // the grey entries beat black
}

TEST(DrawContextTest, RectangleWithNullPenLeavesRightAndBottomEdge) {
    Surface s = SmallSurface(6, 5);
    DrawContext dc(&s);
    const Brush red{false, PaletteRgb(255, 0, 0)};
    dc.SelectPen(StockNullPen());
    dc.SelectBrush(red);
    dc.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Picture(s), (std::vector<std::string>{"......", ".222..", ".222..", "......", "......"}));
}

TEST(DrawContextTest, RectangleOutlinesWithPenAndFillsInside) {
    Surface s = SmallSurface(6, 5);
    DrawContext dc(&s);
    const Pen green{false, 1, PaletteRgb(0, 255, 0)};
    const Brush blue{false, PaletteRgb(0, 0, 255)};
    dc.SelectPen(green);
    dc.SelectBrush(blue);
    dc.Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Picture(s), (std::vector<std::string>{"33333.", "34443.", "34443.", "33333.", "......"}));
    dc.SelectBrush(StockNullBrush());
    Surface t = SmallSurface(6, 5);
    dc.Bind(&t);
    dc.Rectangle(1, 1, 4, 4);
    EXPECT_EQ(Picture(t), (std::vector<std::string>{"......", ".333..", ".3.3..", ".333..", "......"}));
}

TEST(DrawContextTest, LinesLeaveOutTheirLastPixelAndMoveThePosition) {
    struct Case {
        Point from, to;
        std::vector<std::string> picture;
    } cases[] = {
        {{0, 0}, {4, 0}, {"1111.", ".....", "....."}}, {{4, 2}, {0, 2}, {".....", ".....", ".1111"}},
        {{0, 0}, {2, 2}, {"1....", ".1...", "....."}}, {{2, 0}, {2, 3}, {"..1..", "..1..", "..1.."}},
        {{1, 1}, {1, 1}, {".....", ".....", "....."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture[0] + c.picture[1] + c.picture[2]);
        Surface s = SmallSurface(5, 3);
        DrawContext dc(&s);
        const Pen white{false, 0, PaletteRgb(255, 255, 255)};
        dc.SelectPen(white);
        dc.MoveTo(c.from);
        dc.LineTo(c.to);
        EXPECT_EQ(Picture(s), c.picture);
        EXPECT_EQ(dc.CurrentPosition(), c.to);
    }
}

TEST(DrawContextTest, EllipseStaysInsideItsBox) {
    Surface s = SmallSurface(9, 7);
    DrawContext dc(&s);
    const Brush red{false, PaletteRgb(255, 0, 0)};
    dc.SelectPen(StockNullPen());
    dc.SelectBrush(red);
    dc.Ellipse(1, 1, 8, 6);  // fills within [1, 7) x [1, 5)
    const auto picture = Picture(s);
    EXPECT_EQ(picture[0], ".........");
    EXPECT_EQ(picture[5], ".........");
    EXPECT_EQ(picture[3], ".222222..");
    EXPECT_EQ(picture[1][1], '.');  // corners stay clear
    EXPECT_EQ(picture[1][4], '2');
}

TEST(DrawContextTest, TextOnTheBaselineMovesTheCurrentPosition) {
    Surface s = SmallSurface(12, 8);
    BlockFont font;
    DrawContext dc(&s);
    dc.SelectFont(&font);
    dc.SetTextColour(PaletteRgb(0, 0, 255));
    dc.SetBackgroundMode(BackgroundMode::Transparent);
    dc.SetTextAlign(kAlignUpdatePosition | kAlignBaseline);
    dc.MoveTo({1, 6});
    dc.TextOut(0, 0, "ab");
    EXPECT_EQ(dc.CurrentPosition(), (Point{9, 6}));
    EXPECT_EQ(Picture(s),
              (std::vector<std::string>{"............", ".444.444....", ".444.444....", ".444.444....",
                                        ".444.444....", ".444.444....", "............", "............"}));
    EXPECT_EQ(dc.GetTextExtent("abc").cx, 12);
    EXPECT_EQ(dc.GetTextExtent("abc").cy, 8);
}

// Byte 0xFE is a one-em rule at dash height, byte 0x06 nothing at all; the
// extent measures both so.
TEST(DrawContextTest, RuleAndNothingCodesAreTheLayersOwn) {
    Surface s = SmallSurface(20, 8);
    BlockFont font;
    DrawContext dc(&s);
    dc.SelectFont(&font);
    dc.SetTextColour(PaletteRgb(0, 0, 255));
    dc.SetBackgroundMode(BackgroundMode::Transparent);
    dc.SetTextAlign(kAlignUpdatePosition | kAlignBaseline);
    dc.MoveTo({1, 6});
    dc.TextOut(0, 0, "a\xFE\x06b");
    EXPECT_EQ(dc.CurrentPosition(), (Point{17, 6}));
    EXPECT_EQ(Picture(s), (std::vector<std::string>{"....................", ".444.........444....",
                                                    ".444.........444....", ".444.........444....",
                                                    ".444.44444444444....", ".444.........444....",
                                                    "....................", "...................."}));
    EXPECT_EQ(dc.GetTextExtent("\xFE\xFE\x06").cx, 16);
    EXPECT_EQ(dc.GetTextExtent("\x06").cx, 0);
}

TEST(DrawContextTest, TextTopAlignedAndOpaqueFillsTheCell) {
    Surface s = SmallSurface(5, 9);
    BlockFont font;
    DrawContext dc(&s);
    dc.SelectFont(&font);
    dc.SetTextColour(PaletteRgb(0, 0, 255));
    dc.SetBackgroundColour(PaletteRgb(255, 0, 0));
    dc.TextOut(0, 1, "a");  // cell rows 1-8, baseline at 7
    EXPECT_EQ(Picture(s), (std::vector<std::string>{".....", "2222.", "4442.", "4442.", "4442.", "4442.",
                                                    "4442.", "2222.", "2222."}));
    EXPECT_EQ(dc.CurrentPosition(), (Point{0, 0}));
}

TEST(DrawContextTest, StretchBlitNearestNeighbourAndConversion) {
    Surface src(2, 1, 8, false);
    src.Colours()[7] = {1, 2, 3};
    src.Colours()[9] = {4, 5, 6};
    src.Row(0)[0] = 7;
    src.Row(0)[1] = 9;
    DrawContext from(&src);
    Surface wide(4, 2, 8, false);
    DrawContext to(&wide);
    to.StretchBlit(0, 0, 4, 2, from, 0, 0, 2, 1);
    EXPECT_EQ(std::vector<std::uint8_t>(wide.Row(1), wide.Row(1) + 4),
              (std::vector<std::uint8_t>{7, 7, 9, 9}));
    Surface deep(3, 1, 32, false);
    DrawContext toDeep(&deep);
    toDeep.StretchBlit(1, 0, 2, 1, from, 0, 0, 2, 1);  // the last pixel is outside: clipped
    EXPECT_EQ(deep.PixelColour(1, 0), (Rgb{1, 2, 3}));
    EXPECT_EQ(deep.PixelColour(2, 0), (Rgb{4, 5, 6}));
    EXPECT_EQ(deep.PixelColour(0, 0), (Rgb{0, 0, 0}));
    Surface narrow(1, 1, 8, false);
    DrawContext toNarrow(&narrow);
    toNarrow.StretchBlit(-1, 0, 2, 1, from, 0, 0, 2, 1);  // off the left edge
    EXPECT_EQ(narrow.Row(0)[0], 9);
}

TEST(DrawContextTest, PaletteColoursMatchTheNearestEntryOnEightBits) {
    Surface s = SmallSurface(1, 1);
    DrawContext dc(&s);
    EXPECT_EQ(dc.PixelFor(PaletteRgb(250, 5, 5)), 2u);
    EXPECT_EQ(dc.PixelFor(PaletteRgb(0, 0, 200)), 4u);
    Surface deep(1, 1, 24, false);
    dc.Bind(&deep);
    EXPECT_EQ(dc.PixelFor(PaletteRgb(0x12, 0x34, 0x56)), 0x123456u);
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(DrawContextTest, WidePensAreCentredOnTheLine) {
    Surface s = SmallSurface(7, 5);
    DrawContext dc(&s);
    const Pen wide{false, 3, PaletteRgb(255, 0, 0)};
    dc.SelectPen(wide);
    dc.MoveTo({2, 2});
    dc.LineTo({5, 2});
    EXPECT_EQ(Picture(s), (std::vector<std::string>{".......", ".22222.", ".22222.", ".22222.", "......."}));
    const Pen huge{false, 30000, PaletteRgb(0, 255, 0)};
    dc.SelectPen(huge);
    dc.MoveTo({0, 0});
    dc.LineTo({3, 0});  // clipped to the surface, and quickly
    EXPECT_EQ(Picture(s)[4], "3333333");
}

TEST(DrawContextTest, ColoursToEightBitsMatchTheNearestEntryExactly) {
    std::mt19937 rng(5);
    for (int round = 0; round < 4; ++round) {
        Surface to(64, 64, 8, false);
        for (Rgb& e : to.Colours()) {
            // Round 0 a table of few distinct colours (ties everywhere), then random ones.
            const auto v = [&] {
                return static_cast<std::uint8_t>(round == 0 ? (rng() % 3) * 127 : rng() % 256);
            };
            e = Rgb{v(), v(), v()};
        }
        Surface from(64, 64, 24, false);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64 * 3; ++x) {
                from.Row(y)[x] = static_cast<std::uint8_t>(rng() % 256);
            }
        }
        DrawContext dc(&to);
        const DrawContext source(&from);
        dc.StretchBlit(0, 0, 64, 64, source, 0, 0, 64, 64);
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                ASSERT_EQ(to.Row(y)[x], to.NearestIndex(from.PixelColour(x, y))) << x << "," << y;
            }
        }
    }
}

}  // namespace
}  // namespace platform
