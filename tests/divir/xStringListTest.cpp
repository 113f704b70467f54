#include "divir/xStringList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(xStringListTest, FontNamesAndTheMissingFifthEntry) {
    const char* names[] = {"Times New Roman", "Arial", "Courier New Bold", "Arial Bold"};
    char out[kStringListEntryMax];
    for (std::int16_t i = 1; i <= 4; ++i) {
        SCOPED_TRACE(i);
        const std::int16_t length = xLoadStringListEntry(out, kFontNameList, i);
        EXPECT_EQ(std::string(out, length), names[i - 1]);
    }
    EXPECT_EQ(xLoadStringListEntry(out, kFontNameList, 5), 0) << "announced but absent";
    EXPECT_EQ(xLoadStringListEntry(out, kFontNameList, 6), 0);
    EXPECT_EQ(xLoadStringListEntry(out, kFontNameList, 0), 0);
    EXPECT_EQ(xLoadStringListEntry(out, 999, 1), 0);

    char small[6];
    std::memset(small, '#', sizeof small);
    EXPECT_EQ(xGetStringListEntry(kFontNameList, 3, small, 5), 4);
    EXPECT_STREQ(small, "Cour");
    EXPECT_EQ(small[5], '#');
    EXPECT_EQ(xGetStringListEntry(kFontNameList, 5, small, 5), 0);
    EXPECT_STREQ(small, "");
}

}  // namespace
