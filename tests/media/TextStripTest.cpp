#include "media/TextStrip.h"

#include "media/xMixCanvas.h"
#include "media/xPalette.h"
#include "media/xSpriteRegion.h"

#include "divir/xError.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kStyle = 11010;

struct Rig {
    TextStrip strip;
    xMixCanvas canvas;
    int index = 0;
    Rig() {
        strip.Load("AAFntPlt.dat", 0);
        canvas.Create(nullptr, 640, 200, 8);
        index = strip.FindItem(kStyle);
    }
    TextStripItem& Item() { return *strip.GetItem(index); }
    // Every size the same, so that layouts do not shrink.
    void OneSize(std::int16_t size) {
        for (int i = 0; i < 4; ++i) {
            strip.SetSize(index, i, size);
        }
    }
    int Width(const std::string& s, std::int16_t size) {
        xCanvasState::FontDesc font;
        font.number = Item().font;
        font.size = size;
        canvas.SetFont(font);
        return canvas.GetTextWidth(s.c_str());
    }
    std::vector<std::string> Lay(const std::string& text, const xRect& rect) {
        strip.SetText(index, text.c_str());
        canvas.BeginDraw(nullptr);
        strip.FitText(Item(), canvas, rect, false);
        canvas.EndDraw(nullptr);
        return Item().layout;
    }
};

TEST(TextStripTest, TheStyleTable) {
    const auto& rows = TextStyleTable::Rows();
    EXPECT_EQ(rows.size(), 246U);
    EXPECT_EQ(rows[0].id, 0);
    EXPECT_EQ(rows[0].sizes, (std::array<std::int16_t, 4>{12, 11, 10, 9}));
    EXPECT_EQ(rows[0].colours[3], (xRGB{128, 128, 128}));
    EXPECT_EQ(rows[1].id, 11010);
    EXPECT_EQ(rows[1].sizes, (std::array<std::int16_t, 4>{10, 9, 8, 7}));
    EXPECT_EQ(rows[1].colours[1], (xRGB{165, 0, 15}));
    EXPECT_EQ(rows[121].id, 11680);
    EXPECT_EQ(rows[245].id, 15010);
    int arial = 0;
    int bold = 0;
    for (const TextStyle& s : rows) {
        arial += s.font == 2 ? 1 : 0;
        bold += s.font == 4 ? 1 : 0;
        EXPECT_EQ(s.spacing, 80);
    }
    EXPECT_EQ(arial, 194);
    EXPECT_EQ(bold, 52);

    Rig rig;
    EXPECT_EQ(rig.strip.GetItemCount(), 246);
    EXPECT_EQ(rig.index, 1);
    // 11018 makes colour 2 current; 11013 renders into the cache in italics.
    rig.strip.Draw(rig.canvas, xRect(0, 0, 100, 20), 11018, 0, 0);
    EXPECT_EQ(rig.Item().colour, (xRGB{37, 147, 123}));
    rig.strip.SetText(rig.index, "Hi");
    rig.strip.Draw(rig.canvas, xRect(0, 0, 100, 20), 11013, 0, 0);
    ASSERT_NE(rig.strip.GetCacheCanvas(), nullptr);
    EXPECT_EQ(rig.strip.GetCacheCanvas()->GetDepth(), 8);
    EXPECT_EQ(rig.strip.GetItem(rig.strip.FindItem(11010))->currentSize, 10);
}

TEST(TextStripTest, FontHeightHoldsTheExternalLeading) {
    Rig rig;
    xCanvasState::FontDesc font;
    font.number = 2;
    font.size = 19;
    rig.canvas.SetFont(font);
    int ascent = 0;
    int descent = 0;
    int leading = 0;
    const int height = rig.canvas.GetFontMetrics(&ascent, &descent, &leading);
    EXPECT_EQ(height, ascent + descent + leading);
    const TextStrip::Metrics m = TextStrip::ScaleMetrics(rig.canvas, 80);
    EXPECT_EQ(m.lineHeight, height * 8 / 9);
    EXPECT_EQ(m.ascent, ascent * 8 / 9);
    EXPECT_EQ(m.leading, leading + 90 * m.lineHeight / 100 - m.lineHeight);
    EXPECT_EQ(TextStrip::ScaleMetrics(rig.canvas, 0).leading, leading);
}

TEST(TextStripTest, Layouts) {
    Rig rig;
    rig.OneSize(10);
    rig.strip.SetLines(rig.index, 4);
    const int space = rig.Width("a b", 10) - rig.Width("ab", 10);
    const int two = rig.Width("alpha beta", 10);
    struct Case {
        const char* name;
        std::string text;
        int width;
        std::vector<std::string> lines;
    } cases[] = {
        {"CR LF is one break", "a\r\nb", 300, {"a", "b"}},
        {"LF CR too", "a\n\rb", 300, {"a", "b"}},
        {"two breaks make an empty line", "a\n\nb", 300, {"a", "", "b"}},
        {"wrap after two words", "alpha beta gamma", two + 1, {"alpha beta", "gamma"}},
        {"spaces after a wrap are skipped", "alpha beta    gamma", two + space, {"alpha beta", "gamma"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rig.Lay(c.text, xRect(10, 10, 10 + c.width, 190)), c.lines);
    }
}

TEST(TextStripTest, ShrinksThenCutsWithAnEllipsis) {
    Rig rig;
    const std::string text = "The quick brown fox jumps over the lazy dog";
    const int at7 = rig.Width(text, 7);
    const int at10 = rig.Width(text, 10);
    ASSERT_LT(at7, at10);
    // Fits at 7 only.
    std::vector<std::string> lines = rig.Lay(text, xRect(0, 0, at7 + 1, 40));
    EXPECT_EQ(lines, std::vector<std::string>{text});
    EXPECT_EQ(rig.Item().currentSize, 7);
    EXPECT_TRUE(rig.Item().truncated);
    // Fits nowhere: the size-7 layout, cut with "...".
    lines = rig.Lay(text, xRect(0, 0, at7 / 2, 40));
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 3), "...");
    EXPECT_LE(rig.Width(lines[0], 7), at7 / 2);
    EXPECT_GT(rig.Width(lines[0].substr(0, lines[0].size() - 3) + text[lines[0].size() - 3] + "...", 7),
              at7 / 2);
    EXPECT_FALSE(rig.Item().truncated);
    // Format 5 cuts at a word instead.
    rig.strip.SetFormat(rig.index, 5);
    lines = rig.Lay(text, xRect(0, 0, rig.Width("The quick brown", 7) + 2, 40));
    EXPECT_EQ(lines, std::vector<std::string>{"The quick brown"});
    // Not even "..." fits: nothing is laid out.
    rig.strip.SetFormat(rig.index, 0);
    EXPECT_TRUE(rig.Lay(text, xRect(0, 0, 3, 40)).empty());
}

TEST(TextStripTest, AShortLastLineNarrowsTheRectangle) {
    Rig rig;
    rig.OneSize(10);
    rig.strip.SetLines(rig.index, 4);
    const std::string word = "mmmmmm";
    std::string six;
    for (int i = 0; i < 6; ++i) {
        six += (i ? " " : "") + word;
    }
    const int width = rig.Width(six, 10) + 2;
    ASSERT_GE(width - 40, 200);
    ASSERT_LT(rig.Width(word + " " + word + " " + word + " " + word + " " + word + " " + word, 10), width);
    const std::vector<std::string> lines = rig.Lay(six + " " + word, xRect(0, 0, width, 190));
    ASSERT_EQ(lines.size(), 2U);
    // Narrowed by 40 the first line holds five words.
    EXPECT_EQ(lines[0], word + " " + word + " " + word + " " + word + " " + word);
    EXPECT_EQ(lines[1], word + " " + word);
}

TEST(TextStripTest, AlignmentsBaselinesAndGlyphBounds) {
    struct Case {
        std::int16_t format;
        int horizontal;  // 0 left, 1 centre, 2 right
        int vertical;    // 0 top, 1 middle, 2 bottom
    } cases[] = {{0, 0, 1}, {1, 1, 1}, {2, 2, 1}, {3, 1, 0}, {4, 1, 2},
                 {5, 1, 1}, {6, 0, 0}, {7, 0, 2}, {8, 2, 0}, {9, 2, 2}};
    const xRect rect(100, 40, 400, 160);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        Rig rig;
        rig.OneSize(10);
        rig.strip.SetFormat(rig.index, c.format);
        rig.strip.SetText(rig.index, "Wij");
        for (int y = 0; y < 200; ++y) {
            std::memset(rig.canvas.GetRow(y), 0, 640);
        }
        rig.strip.Draw(rig.canvas, rect, kStyle, 0, 0);
        const TextStripItem& item = rig.Item();
        rig.canvas.BeginDraw(nullptr);
        const TextStrip::Metrics m = TextStrip::ScaleMetrics(rig.canvas, item.spacing);
        const int width = rig.canvas.GetTextWidth("Wij");
        rig.canvas.EndDraw(nullptr);
        const int left = c.horizontal == 0   ? rect.left
                         : c.horizontal == 1 ? 250 - width / 2
                                             : rect.right - width;
        const int baseline = c.vertical == 0   ? rect.top + m.ascent
                             : c.vertical == 2 ? rect.bottom - m.lineHeight + m.ascent
                                               : 100 - item.laidOut.Height() / 2 + m.ascent;
        EXPECT_EQ(item.drawn.left, left);
        EXPECT_EQ(item.drawn.right, left + width);
        EXPECT_EQ(item.drawn.bottom - baseline, item.laidOut.bottom - (rect.top + m.ascent));
        // Every glyph pixel lies inside the bounds of the drawn line.
        int ink = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 640; ++x) {
                if (rig.canvas.GetRow(y)[x] != 0) {
                    ++ink;
                    EXPECT_TRUE(x >= left - 1 && x <= left + width &&
                                y >= baseline - item.laidOut.Height() - 2 &&
                                y <= baseline + item.laidOut.Height())
                        << x << "," << y;
                }
            }
        }
        EXPECT_GT(ink, 10);
    }
}

TEST(TextStripTest, CaretAtTheEndOfALineAndCaretColumns) {
    Rig rig;
    rig.OneSize(10);
    rig.strip.SetLines(rig.index, 3);
    rig.strip.SetFormat(rig.index, 6);
    for (int y = 0; y < 200; ++y) {
        std::memset(rig.canvas.GetRow(y), 0, 640);
    }
    const std::string text = std::string("abc\ndefgh") + TextStrip::kCaret + "\nxy";
    rig.strip.SetText(rig.index, text.c_str());
    rig.strip.Draw(rig.canvas, xRect(10, 10, 300, 150), kStyle, 0, 0);
    ASSERT_EQ(rig.Item().layout.size(), 3U);
    EXPECT_EQ(rig.Item().layout[1], std::string("defgh") + TextStrip::kCaret);
    // The caret bar stands right after the last character of its line.
    rig.canvas.BeginDraw(nullptr);
    const int caretX = 10 + rig.canvas.GetTextWidth("defgh");
    const TextStrip::Metrics m = TextStrip::ScaleMetrics(rig.canvas, 80);
    rig.canvas.EndDraw(nullptr);
    const int baseline = 10 + m.ascent + m.lineHeight + m.leading;
    EXPECT_NE(rig.canvas.GetRow(baseline - 1)[caretX], 0);
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 0), -1);
    EXPECT_EQ(rig.strip.GetCaretColumn(0, -1), 3);         // end of "abc", the nearest to the caret
    // Offsets count the text itself, line breaks included.
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 1), 4 + 5 + 1 + 2);  // end of "xy"
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 9), 4 + 5 + 1 + 2);  // clamped to the last line
}

// Caret columns are kept for the first sixteen lines only; offsets past them
// clamp to the sixteenth.
TEST(TextStripTest, CaretColumnsStopAtSixteenLines) {
    Rig rig;
    rig.canvas.Create(nullptr, 640, 480, 8);
    rig.OneSize(8);
    rig.strip.SetLines(rig.index, 20);
    rig.strip.SetFormat(rig.index, 6);
    std::string text = std::string("ab") + TextStrip::kCaret;
    for (int i = 1; i < 20; ++i) text += "\nab";
    rig.strip.SetText(rig.index, text.c_str());
    rig.strip.Draw(rig.canvas, xRect(0, 0, 600, 470), kStyle, 0, 0);
    ASSERT_EQ(rig.Item().layout.size(), 20U);
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 0), -1);
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 1), 3 + 2);
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 15), 15 * 3 + 2);
    EXPECT_EQ(rig.strip.GetCaretColumn(0, 19), 15 * 3 + 2) << "line 20 has no column: the sixteenth stands";
}

// A wrapped line's columns count the spaces the wrap skipped, so a caret moved
// up or down lands on the same character of the text.
TEST(TextStripTest, CaretColumnsOfWrappedLinesCountTheSkippedSpaces) {
    Rig rig;
    rig.OneSize(10);
    rig.strip.SetLines(rig.index, 3);
    rig.strip.SetFormat(rig.index, 6);
    const int word = rig.Width("bbbb", 10);
    const std::string text = std::string("aaaa  bbbb cc") + TextStrip::kCaret + "cc";
    rig.strip.SetText(rig.index, text.c_str());
    rig.strip.Draw(rig.canvas, xRect(10, 10, static_cast<std::int16_t>(10 + word + word / 2), 190), kStyle, 0, 0);
    ASSERT_EQ(rig.Item().layout.size(), 3U) << "one word a line";
    EXPECT_EQ(rig.Item().layout[2], std::string("cc") + TextStrip::kCaret + "cc");
    EXPECT_EQ(rig.strip.GetCaretColumn(0, -1), 6 + 2) << "between the b's: after the two skipped spaces";
    EXPECT_EQ(rig.strip.GetCaretColumn(0, -2), 2);
}

TEST(TextStripTest, TextLimitsAndDirtyAreas) {
    Rig rig;
    std::string longText(150, 'x');
    rig.strip.SetText(rig.index, longText.c_str());
    EXPECT_EQ(rig.Item().text.size(), 99U);
    char small[4];
    std::memset(small, '#', sizeof small);
    rig.strip.GetText(rig.index, small, 4);
    EXPECT_STREQ(small, "xxx");
    rig.strip.SetLength(rig.index, 10);
    EXPECT_EQ(rig.Item().text.size(), 9U);
    rig.strip.SetText(rig.index, nullptr);
    EXPECT_TRUE(rig.Item().text.empty());
    EXPECT_EQ(rig.strip.GetText(999, small, 4), std::string());

    xSpriteRegion region;
    rig.strip.AddDirtyArea(region, xRect(0, 0, 40, 10), 11012, 0, 0);
    EXPECT_TRUE(region.IsEmpty());
    rig.strip.AddDirtyArea(region, xRect(0, 0, 40, 10), 11014, 0, 0);
    EXPECT_FALSE(region.IsEmpty());
    region.Clear();
    rig.Item().dirty = false;
    rig.strip.AddChangedArea(region, xRect(0, 0, 40, 10), 11010, 0, 0, xRect(0, 0, 40, 10), 11010, 0, 0);
    EXPECT_TRUE(region.IsEmpty());
    rig.strip.PrepareCel(region, xRect(), 11016, 0, 0);
    rig.strip.AddChangedArea(region, xRect(0, 0, 40, 10), 11010, 0, 0, xRect(0, 0, 40, 10), 11010, 0, 0);
    EXPECT_FALSE(region.IsEmpty());
}

TEST(TextStripTest, FontFilesAreCountedAndCheckedWithErrorFifteen) {
    TextStrip strip;
    xErrorCode = 0;
    strip.AddFontFile("no-such-font-file.ttf");
    EXPECT_EQ(xErrorCode, kErrFontFile);
    EXPECT_EQ(strip.GetFontFileCount(), 0);
}

}  // namespace

namespace {

// Cached text drawn on a 24-bit canvas shows the colours it shows on an 8-bit
// one, pixel for pixel, at the place and at the corner.
TEST(TextStripTest, CachedTextLooksTheSameOnA24BitCanvas) {
    for (const int sub : {4, 5}) {
        SCOPED_TRACE(sub);
        Rig rig;
        rig.OneSize(20);
        rig.strip.SetText(rig.index, "Vizuzor Wg");
        xMixCanvas deep;
        deep.Create(nullptr, 640, 200, 24);
        const xRect place{10, 20, 300, 80};
        const auto cel = [](int n) { return static_cast<std::int16_t>(kStyle + n); };
        for (xMixCanvas* canvas : {&rig.canvas, &deep}) {
            canvas->BeginDraw(nullptr);
            rig.strip.Draw(*canvas, place, cel(2), 0, 0);
            rig.strip.Draw(*canvas, place, cel(sub), 0, 0);
            canvas->EndDraw(nullptr);
        }
        const xPalette& palette = xPalette::Default();
        int text = 0;
        int wrong = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 640; ++x) {
                const std::uint8_t index = rig.canvas.GetRow(y)[x];
                text += index != 0 ? 1 : 0;
                // Both canvases start cleared to zero; untouched stays zero.
                xRGB want{};
                if (index != 0) {
                    palette.GetEntry(want, index);
                }
                const std::uint8_t* got = deep.GetRow(y) + x * 3;
                wrong += got[0] != want.blue || got[1] != want.green || got[2] != want.red ? 1 : 0;
            }
        }
        EXPECT_GT(text, 50);
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
