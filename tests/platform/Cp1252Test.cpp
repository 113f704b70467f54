#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(Cp1252Test, ConvertsWhatTheCodePageHoldsAndDropsTheRest) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string cp1252;
    };
    const Case cases[] = {
        {"ascii", "abc 123~", "abc 123~"},
        {"latin-1", "\xC3\xA9\xC3\xBF\xC2\xA0", "\xE9\xFF\xA0"},
        {"euro and quotes", "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D", "\x80\x93\x94"},
        {"caron and ligature", "\xC5\xA0\xC5\x93\xC5\xB8", "\x8A\x9C\x9F"},
        {"cjk dropped",
         "a\xE4\xB8\xAD"
         "b",
         "ab"},
        {"emoji dropped", "\xF0\x9F\x98\x80!", "!"},
        {"c1 control dropped", "\xC2\x81x", "x"},
        {"overlong dropped", "\xC0\xAFy", "y"},
        {"surrogate dropped", "\xED\xA0\x80z", "z"},
        {"truncated tail", "q\xE2\x82", "q"},
        {"stray continuation", "\x80\xBFw", "w"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::Utf8ToCp1252(c.utf8), c.cp1252);
    }
}

TEST(Cp1252Test, RandomBytesNeverGrowTheText) {
    std::mt19937 rng(1252);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(rng() % 40, '\0');
        for (char& b : bytes) b = static_cast<char>(rng());
        EXPECT_LE(platform::Utf8ToCp1252(bytes).size(), bytes.size());
    }
}

}  // namespace
