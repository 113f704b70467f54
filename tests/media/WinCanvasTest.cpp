#include "media/xMixCanvas.h"

#include "media/xGdi.h"

#include "platform/FontFace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// A mix canvas that lets the tests see the drawing objects it holds.
class ProbeCanvas : public xMixCanvas {
  public:
    ProbeCanvas(int w, int h) {
        Create(nullptr, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), 8);
    }
    const platform::Pen* Pen() const { return pen_.get(); }
    const platform::Brush* Brush() const { return brush_.get(); }
    const platform::FontFace* Face() const { return fontFace_.get(); }
    std::uint8_t At(int x, int y) const { return GetRow(y)[x]; }
    std::uint8_t IndexOf(const xRGB& c) {
        return static_cast<std::uint8_t>(GetDC()->PixelFor(xPaletteRef(c)));
    }
};

xCanvasState::FontDesc FontOf(std::uint16_t number, std::int16_t size, std::uint16_t style,
                              const char* face = "") {
    xCanvasState::FontDesc f;
    f.number = number;
    f.size = size;
    f.style = style;
    std::strncpy(f.faceName.data(), face, f.faceName.size() - 1);
    return f;
}

constexpr xRGB kRed{255, 0, 0};
constexpr xRGB kWhite{255, 255, 255};

TEST(WinCanvasTest, SetColorMakesObjectsOnlyForANewColour) {
    ProbeCanvas c(4, 4);
    c.SetColor(xRGB{});  // black is the state it starts in
    EXPECT_EQ(c.Pen(), nullptr);
    EXPECT_EQ(c.Brush(), nullptr);
    EXPECT_EQ(&c.GetDC()->CurrentPen(), &platform::StockBlackPen());
    c.SetColor(kRed);
    ASSERT_NE(c.Pen(), nullptr);
    ASSERT_NE(c.Brush(), nullptr);
    EXPECT_EQ(c.Brush()->colour, 0x020000FFu);  // palette-relative red
    EXPECT_EQ(c.GetDC()->TextColour(), 0x020000FFu);
    EXPECT_EQ(&c.GetDC()->CurrentPen(), c.Pen());
    const platform::Pen* pen = c.Pen();
    c.SetColor(kRed);
    EXPECT_EQ(c.Pen(), pen);
    c.SetPenWidth(3);
    ASSERT_NE(c.Pen(), nullptr);
    EXPECT_EQ(c.Pen()->width, 3);
    EXPECT_EQ(c.Pen()->colour, 0x020000FFu);
}

TEST(WinCanvasTest, FillRectCoversRightAndBottomExclusive) {
    ProbeCanvas c(24, 24);
    c.SetColor(kRed);
    c.FillRect({10, 10, 20, 20});
    const std::uint8_t red = c.IndexOf(kRed);
    ASSERT_NE(red, 0);
    for (int y = 8; y < 22; ++y) {
        for (int x = 8; x < 22; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
            ASSERT_EQ(c.At(x, y), inside ? red : 0) << x << "," << y;
        }
    }
    EXPECT_EQ(&c.GetDC()->CurrentPen(), c.Pen());  // the pen is back
}

TEST(WinCanvasTest, FrameRectOutlinesWithThePen) {
    ProbeCanvas c(8, 8);
    c.SetColor(kRed);
    c.FrameRect({1, 1, 5, 4});
    const std::uint8_t w = c.IndexOf(kRed);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 7; ++x) {
            const bool edge = (x == 1 || x == 4) && y >= 1 && y <= 3;
            const bool topBottom = (y == 1 || y == 3) && x >= 1 && x <= 4;
            ASSERT_EQ(c.At(x, y), (edge || topBottom) ? w : 0) << x << "," << y;
        }
    }
}

TEST(WinCanvasTest, StatesSaveAndRestoreAroundNestedSections) {
    ProbeCanvas c(4, 4);
    xCanvasState outer;
    c.BeginDraw(&outer);
    c.SetColor(kRed);
    c.SetPenWidth(2);
    xCanvasState inner;
    c.BeginDraw(&inner);
    EXPECT_EQ(inner.Colour(), kRed);
    EXPECT_EQ(inner.PenWidth(), 2);
    c.SetColor(kWhite);
    c.SetPenWidth(5);
    c.EndDraw(&inner);
    EXPECT_EQ(c.Colour(), kRed);
    EXPECT_EQ(c.PenWidth(), 2);
    EXPECT_EQ(c.GetDrawDepth(), 1);
    c.EndDraw(&outer);  // the outermost end restores nothing
    EXPECT_EQ(c.Colour(), kRed);
    EXPECT_EQ(c.GetDrawDepth(), 0);
    c.ResetState();
    EXPECT_EQ(c.Colour(), xRGB{});
    EXPECT_EQ(c.PenWidth(), 0);
}

TEST(WinCanvasTest, FontsByNumberOrFaceName) {
    struct Case {
        const char* name;
        xCanvasState::FontDesc font;
        bool hasFace;
        std::uint16_t numberAfter;
        const char* family;
    } cases[] = {
        {"built-in 1", FontOf(1, 16, 0), true, 1, "Liberation Serif"},
        {"built-in 4", FontOf(4, 16, 0), true, 4, "Liberation Sans"},
        {"named face", FontOf(9, 16, 0, "Courier New Bold"), true, 9, "Liberation Mono"},
        {"unknown number", FontOf(7, 16, 0), false, 0, ""},
        {"number the list counts but does not hold", FontOf(5, 16, 0), false, 0, ""},
        {"number past the signed range", FontOf(0x8002, 16, 0), false, 0, ""},
        {"number 0", FontOf(0, 16, 0), false, 0, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ProbeCanvas c(4, 4);
        c.SetFont(k.font);
        EXPECT_EQ(c.Font().number, k.numberAfter);
        EXPECT_EQ(c.Face() != nullptr, k.hasFace);
        EXPECT_EQ(c.GetDC()->CurrentFont(), k.hasFace ? c.Face() : WinCanvas::SystemFont());
        if (k.hasFace) {
            EXPECT_EQ(c.Face()->FamilyName(), k.family);
        }
    }
}

// Font number 0 (before any SetFont, or after one that found no face) is the
// 16-pixel system font: measured and drawn with, not only reported.
TEST(WinCanvasTest, FontNumberZeroMeasuresAndDrawsWithTheSystemFont) {
    platform::FontFace* system = WinCanvas::SystemFont();
    ASSERT_NE(system, nullptr);
    const char* text = "Hello";
    int sum = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        sum += system->GetGlyph(static_cast<std::uint8_t>(*p)).advance;
    }
    ASSERT_GT(sum, 0);
    struct Case {
        const char* name;
        bool setFont;
        xCanvasState::FontDesc font;
    } cases[] = {
        {"before any SetFont", false, {}},
        {"after an unknown number", true, FontOf(7, 16, 0)},
        {"after number 0", true, FontOf(0, 20, 0)},
        {"after a font was replaced by number 0", true, FontOf(0, 16, 0)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ProbeCanvas c(80, 30);
        if (k.name == cases[3].name) {
            c.SetFont(FontOf(2, 16, 0));
        }
        if (k.setFont) {
            c.SetFont(k.font);
        }
        EXPECT_EQ(c.Font().number, 0);
        int ascent = 0;
        int descent = 0;
        EXPECT_EQ(c.GetFontMetrics(&ascent, &descent, nullptr), 16);
        EXPECT_EQ(ascent, 13);
        EXPECT_EQ(descent, 3);
        EXPECT_EQ(c.GetTextWidth(text), sum);
        EXPECT_EQ(c.GetTextHeight(text), 16);
        c.SetColor(kRed);
        const std::uint8_t ink = c.IndexOf(kRed);
        ASSERT_NE(ink, 0);
        c.MoveTo({2, 20});
        c.DrawText(text);
        EXPECT_EQ(c.GetDC()->CurrentPosition(), (platform::Point{2 + sum, 20}));
        int lit = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 80; ++x) {
                if (c.At(x, y) == ink) {
                    ++lit;
                    EXPECT_GE(y, 20 - 13);
                    EXPECT_LT(y, 20 + 3);
                    EXPECT_LT(x, 2 + sum);
                }
            }
        }
        EXPECT_GT(lit, 20);
    }
}

TEST(WinCanvasTest, MetricsAndSlantAllowance) {
    ProbeCanvas c(4, 4);
    c.SetFont(FontOf(2, 16, 0));
    int ascent = 0;
    int descent = 0;
    int leading = -1;
    const int height = c.GetFontMetrics(&ascent, &descent, &leading);
    EXPECT_EQ(ascent, 14);
    EXPECT_EQ(descent, 3);
    EXPECT_EQ(height, ascent + descent + leading);
    const std::int32_t upright = c.GetTextWidth("Slant");
    c.SetFont(FontOf(2, 16, 2));
    // Styles 2 and 3 are slanted: ascent / 4 + ascent / 8 more than the extent.
    for (std::uint16_t style : {1, 2, 3}) {
        c.SetFont(FontOf(2, 16, style));
        platform::DrawContext measure;
        measure.SelectFont(const_cast<platform::FontFace*>(c.Face()));
        const int allowance = style == 1 ? 0 : 14 / 4 + 14 / 8;
        EXPECT_EQ(c.GetTextWidth("Slant"), measure.GetTextExtent("Slant").cx + allowance) << style;
    }
    c.SetFont(FontOf(2, 16, 0));
    EXPECT_EQ(c.GetTextWidth("Slant"), upright);
    xRect bounds;
    c.GetTextBounds(bounds, 10, 30, "Slant");
    EXPECT_EQ(bounds, xRect(10, 30 - 14, 10 + c.GetTextWidth("Slant"), 30 + 3));
}

// Text drawn headless with a known face: the extent is the sum of the advances,
// the position moves by it, and the lit pixels sit where the metrics put them.
TEST(WinCanvasTest, TextLandsOnTheBaselineWithinItsExtent) {
    ProbeCanvas c(120, 40);
    c.SetFont(FontOf(2, 16, 0));
    c.SetColor(kRed);
    const char* text = "Hello";
    auto face = platform::OpenFontFace(platform::FontRequest{"Arial", 16, 200, false});
    ASSERT_NE(face, nullptr);
    int sum = 0;
    int maxTop = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        sum += face->GetGlyph(static_cast<std::uint8_t>(*p)).advance;
        maxTop = std::max(maxTop, face->GetGlyph(static_cast<std::uint8_t>(*p)).top);
    }
    EXPECT_EQ(c.GetTextWidth(text), sum);

    const int x0 = 5;
    const int baseline = 25;
    c.MoveTo({x0, baseline});
    c.DrawText(text);
    EXPECT_EQ(c.GetDC()->CurrentPosition(), (platform::Point{x0 + sum, baseline}));

    const std::uint8_t ink = c.IndexOf(kRed);
    ASSERT_NE(ink, 0);
    int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            if (c.At(x, y) == ink) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            } else {
                ASSERT_EQ(c.At(x, y), 0);
            }
        }
    }
    EXPECT_EQ(minX, x0 + face->GetGlyph('H').left);  // H's left bearing
    EXPECT_LT(maxX, x0 + sum);
    EXPECT_EQ(maxY, baseline - 1);       // no descenders: the ink ends on the baseline
    EXPECT_EQ(minY, baseline - maxTop);  // the tallest glyph's top
    EXPECT_GE(minY, baseline - 14);      // inside the ascent
}

}  // namespace
