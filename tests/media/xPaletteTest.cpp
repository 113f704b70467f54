#include "media/xPalette.h"

#include <gtest/gtest.h>

namespace {

xRGB EntryOf(const xPalette& p, int i) {
    xRGB c;
    p.GetEntry(c, static_cast<std::uint8_t>(i));
    return c;
}

TEST(xPaletteTest, DefaultTableHoldsTheStaticColoursWhereExpected) {
    const xPalette& p = xPalette::Default();
    EXPECT_EQ(p.GetCount(), 256);
    struct Case {
        int index;
        xRGB colour;
    } cases[] = {
        {0, {255, 255, 255}},   {1, {0x80, 0, 0}},      {4, {0, 0, 0x80}},         {7, {0xc0, 0xc0, 0xc0}},
        {8, {255, 255, 255}},   {9, {255, 255, 255}},   {10, {255, 255, 204}},     {245, {0, 0, 1}},
        {246, {255, 255, 255}}, {247, {255, 255, 255}}, {248, {0x80, 0x80, 0x80}}, {249, {255, 0, 0}},
        {252, {0, 0, 255}},     {254, {0, 255, 255}},   {255, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(EntryOf(p, c.index), c.colour);
    }
}

TEST(xPaletteTest, EntriesPackAsBlueGreenRed) {
    xPalette p;
    p.SetEntry(3, 0x00112233);
    EXPECT_EQ(EntryOf(p, 3), (xRGB{0x33, 0x22, 0x11}));
    EXPECT_EQ(xPalette::Pack(xRGB{0x33, 0x22, 0x11}), 0x00112233u);
}

TEST(xPaletteTest, FindNearestFollowsTheCandidateRules) {
    xPalette p;                 // all black
    p.SetEntry(8, 0x0000FF);    // exact red, but 8 is never answered
    p.SetEntry(20, 0x0000F0);   // near red with zero green and blue
    p.SetEntry(21, 0x0000FF);   // exact red
    p.SetEntry(30, 0x808080);   // grey
    p.SetEntry(31, 0x7F8081);   // almost grey, not a grey
    p.SetEntry(40, 0x10FF10);   // green at 255 with some red and blue
    p.SetEntry(41, 0x20F020);   // nearer, but green is not 255
    p.SetEntry(254, 0x00FF00);  // exact green, beyond the searched range
    struct Case {
        const char* name;
        std::uint32_t wanted;
        int index;
    } cases[] = {
        {"exact match", 0x0000FF, 21},
        {"nearest with the zero channels kept", 0x0000F2, 20},
        {"grey only among greys", 0x828282, 30},
        {"channel at 255 must stay 255", 0x20FF20, 40},
        {"no entry keeps blue at 255", 0xFF4020, 0},
        {"black matches the first black", 0x000000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(p.FindNearest(c.wanted), c.index);
    }
}

TEST(xPaletteTest, FindNearestNeverAnswersTheReservedEntries) {
    const xPalette& p = xPalette::Default();
    for (std::uint32_t c = 0; c < 0x1000000; c += 0x0F0B07) {
        const int i = p.FindNearest(c);
        EXPECT_TRUE(i != 8 && i != 9 && i != 246 && i != 247 && i != 254 && i != 255) << std::hex << c;
    }
}

TEST(xPaletteTest, ConstructorsCopyAllEntriesAndTheCount) {
    const xPalette& d = xPalette::Default();
    const xPalette fromTable(xPalette::DefaultTable());
    const xPalette copied(d);
    xPalette assigned;
    assigned.SetCount(12);
    assigned.CopyFrom(d);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(EntryOf(fromTable, i), EntryOf(d, i));
        ASSERT_EQ(EntryOf(copied, i), EntryOf(d, i));
        ASSERT_EQ(EntryOf(assigned, i), EntryOf(d, i));
    }
    EXPECT_EQ(assigned.GetCount(), 256);
}

}  // namespace
