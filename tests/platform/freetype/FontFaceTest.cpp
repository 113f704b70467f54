#include "platform/FontFace.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

TEST(FontFaceTest, OldFaceNamesResolveToLiberationFaces) {
    struct Case {
        const char* name;
        bool italic;
        const char* family;
    } cases[] = {
        {"Times New Roman", false, "Liberation Serif"},
        {"Arial", false, "Liberation Sans"},
        {"Courier New Bold", false, "Liberation Mono"},
        {"Arial Bold", false, "Liberation Sans"},
        {"Arial", true, "Liberation Sans"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto face = OpenFontFace(FontRequest{c.name, 16, 200, c.italic});
        ASSERT_NE(face, nullptr);
        EXPECT_EQ(face->FamilyName(), c.family);
    }
}

TEST(FontFaceTest, MetricsAndGlyphsAgree) {
    auto face = OpenFontFace(FontRequest{"Arial", 16, 200, false});
    ASSERT_NE(face, nullptr);
    const FontMetrics& m = face->Metrics();
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_EQ(m.internalLeading, m.height - 16);
    // Liberation Sans keeps the Windows metrics of the face it replaces.
    EXPECT_EQ(m.ascent, 14);
    EXPECT_EQ(m.descent, 3);
    const Glyph& h = face->GetGlyph('H');
    EXPECT_GT(h.advance, 0);
    EXPECT_EQ(h.rows, h.top);  // H stands on the baseline
    EXPECT_LE(h.top, m.ascent);
    for (std::uint8_t b : h.bits) {
        EXPECT_LE(b, 1);  // monochrome
    }
    for (std::uint8_t b : face->GetGlyph(' ').bits) {
        EXPECT_EQ(b, 0);  // a space lights nothing
    }
    EXPECT_GT(face->GetGlyph(' ').advance, 0);
}

TEST(FontFaceTest, BoldAndItalicChangeTheGlyphs) {
    auto regular = OpenFontFace(FontRequest{"Arial", 20, 200, false});
    auto bold = OpenFontFace(FontRequest{"Arial Bold", 20, 200, false});
    auto italic = OpenFontFace(FontRequest{"Arial", 20, 200, true});
    ASSERT_TRUE(regular && bold && italic);
    EXPECT_NE(regular->GetGlyph('l').width, bold->GetGlyph('l').width);
    EXPECT_NE(regular->GetGlyph('l').bits, italic->GetGlyph('l').bits);
}

TEST(FontFaceTest, Windows1252HighCodesMapToTheirCharacters) {
    auto face = OpenFontFace(FontRequest{"Arial", 16, 200, false});
    ASSERT_NE(face, nullptr);
    // 0x80 is the euro sign and 0x93 a left double quote: both have glyphs.
    EXPECT_GT(face->GetGlyph(0x80).rows, 0);
    EXPECT_GT(face->GetGlyph(0x93).rows, 0);
    EXPECT_NE(face->GetGlyph(0x80).bits, face->GetGlyph(0x81).bits);
}

TEST(FontFaceTest, RefusesSizesOutOfRange) {
    EXPECT_EQ(OpenFontFace(FontRequest{"Arial", 0, 200, false}), nullptr);
    EXPECT_EQ(OpenFontFace(FontRequest{"Arial", 5000, 200, false}), nullptr);
}

}  // namespace
}  // namespace platform
