#include "divir/xUtilities.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <ctime>
#include <string>

namespace {

std::string List(std::initializer_list<const char*> words) {
    std::string out;
    for (const char* w : words) out += std::string(w) + '\0';
    return out + '\0';
}

TEST(xUtilitiesTest, FormatsDollars) {
    const std::pair<int, const char*> cases[] = {
        {0, "$0"},
        {5, "$5"},
        {-5, "-$5"},
        {999, "$999"},
        {1000, "$1,000"},
        {1234567, "$1,234,567"},
        {-100000, "-$100,000"},
        {INT_MAX, "$2,147,483,647"},
        {INT_MIN, "-$2,147,483,648"},
    };
    for (const auto& [value, text] : cases) {
        char out[kDollarsTextSize + 1];
        out[kDollarsTextSize] = '#';
        xFormatDollars(value, out);
        EXPECT_STREQ(out, text);
        EXPECT_EQ(out[kDollarsTextSize], '#');
    }
}

TEST(xUtilitiesTest, SwapsBytes) {
    std::uint16_t small = 0x1234;
    xSwapBytes16(small);
    EXPECT_EQ(small, 0x3412);
    std::uint32_t big = 0x11223344u;
    xSwapBytesInHalves32(big);
    EXPECT_EQ(big, 0x22114433u);
}

TEST(xUtilitiesTest, CountsAndCopiesFields) {
    const std::string words = List({"alpha", "be", "c"});
    struct Case {
        const char* list;
        char separator;
        std::int16_t count;
        std::int16_t index;
        bool found;
        const char* field;
    };
    const Case cases[] = {
        {"a,bb,,ccc", ',', 4, 2, true, "bb"},
        {"a,bb,,ccc", ',', 4, 3, true, ""},
        {"a,bb,,ccc", ',', 4, 4, true, "cc"},
        {"a,bb,,ccc", ',', 4, 5, false, ""},
        {"", ',', 0, 1, false, ""},
        {"one", ',', 1, 1, true, "on"},
        {words.c_str(), '\0', 3, 1, true, "al"},
        {words.c_str(), '\0', 3, 3, true, "c"},
        {words.c_str(), '\0', 3, 0, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " #" + std::to_string(c.index));
        EXPECT_EQ(xCountFields(c.list, c.separator), c.count);
        char buffer[3] = {'#', '#', '#'};
        EXPECT_EQ(xGetField(c.list, c.separator, c.index, buffer, sizeof buffer), c.found);
        EXPECT_STREQ(buffer, c.field);
    }
}

TEST(xUtilitiesTest, SplitsWordsAndComparesLists) {
    char out[64];
    EXPECT_EQ(xSplitWords("Hello, wor-ld!  x2 \xe9t\xe9", out, sizeof out, ' '), 4);
    EXPECT_EQ(std::string(out, 20), List({"Hello", "world", "x2", "\xe9t\xe9"}));
    EXPECT_EQ(xSplitWords("  ", out, sizeof out, ' '), 0);
    EXPECT_EQ(out[0], '\0');
    char tiny[6];
    std::memset(tiny, '#', sizeof tiny);
    xSplitWords("abc defg", tiny, sizeof tiny, ' ');
    EXPECT_EQ(std::string(tiny, 6), std::string("abc\0\0#", 6)) << "cut, but the list still ends";

    EXPECT_EQ(xCompareStringLists(List({"Ab", "c"}).c_str(), List({"aB", "C"}).c_str()), 0);
    EXPECT_LT(xCompareStringLists(List({"ab"}).c_str(), List({"ab", "c"}).c_str()), 0);
    EXPECT_GT(xCompareStringLists(List({"b"}).c_str(), List({"a", "z"}).c_str()), 0);
}

TEST(xUtilitiesTest, ParsesKeyValueLines) {
    struct Case {
        const char* line;
        bool ok;
        const char* value;
    };
    const Case cases[] = {
        {"PlayerID=42", true, "42"},
        {" \tPlayerID \t=  a b \t\r\n", true, "a b"},
        {"PlayerID=", true, ""},
        {"PlayerIDs=1", false, ""},
        {"playerid=1", false, ""},
        {"PlayerID 1", false, ""},
        {"PlayerID=0123456789abc", true, "012345678"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        char value[10] = "";
        EXPECT_EQ(xParseKeyValue(c.line, "PlayerID", value, sizeof value), c.ok);
        EXPECT_STREQ(value, c.value);
    }
}

TEST(xUtilitiesTest, DateTimeIsLocalNow) {
    xDateTime now;
    xGetDateTime(now);
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    EXPECT_EQ(now.year, local.tm_year + 1900);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_EQ(now.weekday, local.tm_wday + 1);
}

}  // namespace
