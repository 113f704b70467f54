#include "divir/xTokenizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(const xTokenizer& t) {
    std::vector<std::string> out;
    for (std::int16_t i = 0; i < t.GetTokenCount(); ++i) out.emplace_back(t.GetToken(i));
    return out;
}

TEST(xTokenizerTest, SplitsPlainAndQuotedTokens) {
    struct Case {
        const char* line;
        std::vector<std::string> tokens;
        std::int16_t restIndex;
        const char* rest;
    };
    const Case cases[] = {
        {"a \"b c\" d", {"a", "b c", "d"}, 1, "b c\" d"},
        {"\"y\"z w", {"y", "w"}, 1, "w"},
        {"  lead  and   trail  ", {"lead", "and", "trail"}, 2, "trail  "},
        {"say \"open quote runs on", {"say", "open quote runs on"}, 1, "open quote runs on"},
        {"in\"side", {"in\"side"}, 0, "in\"side"},
        {"\"\"", {""}, 0, "\""},
        {"", {}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        xTokenizer t;
        const char* end = t.TokenizeLine(c.line, static_cast<std::int16_t>(std::strlen(c.line)));
        EXPECT_EQ(*end, '\0');
        EXPECT_EQ(Tokens(t), c.tokens);
        EXPECT_STREQ(t.GetRestOfLine(c.restIndex), c.rest);
    }
}

TEST(xTokenizerTest, LengthLimitsTheLineButNeverReadsPastIt) {
    xTokenizer t;
    t.TokenizeLine("one two three", 7);
    EXPECT_EQ(Tokens(t), (std::vector<std::string>{"one", "two"}));
    // A length beyond the text's end copies only what is there.
    const char shortText[] = {'a', ' ', 'b', '\0', 'X', 'X'};
    t.TokenizeLine(shortText, 500);
    EXPECT_EQ(Tokens(t), (std::vector<std::string>{"a", "b"}));
    EXPECT_STREQ(t.GetToken(2), "");
    EXPECT_STREQ(t.GetToken(-1), "");
    EXPECT_STREQ(t.GetRestOfLine(9), "");
    t.TokenizeLine(nullptr, 5);
    EXPECT_EQ(t.GetTokenCount(), 0);
}

TEST(xTokenizerTest, AtMost256TokensFrom512Characters) {
    std::string line;
    for (int i = 0; i < 300; ++i) line += "a ";
    xTokenizer t;
    t.TokenizeLine(line.c_str(), 30000);
    EXPECT_EQ(t.GetTokenCount(), 256);
    EXPECT_STREQ(t.GetToken(255), "a");
    EXPECT_EQ(std::strlen(t.GetRestOfLine(0)), 512u);
}

TEST(xTokenizerTest, CopiesAreCutAndTerminated) {
    xTokenizer t;
    t.TokenizeLine("hello world", 11);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    t.CopyToken(0, buffer, 4);
    EXPECT_STREQ(buffer, "hel");
    EXPECT_EQ(buffer[4], '#');
    t.CopyRestOfLine(0, buffer, 8);
    EXPECT_STREQ(buffer, "hello w");
    t.CopyToken(5, buffer, 8);
    EXPECT_STREQ(buffer, "");
    t.CopyToken(0, buffer, 0);
}

TEST(xTokenizerTest, RandomLinesStayInsideTheBuffers) {
    std::mt19937 random(3);
    const char alphabet[] = "ab \"\" \x01\xff";
    xTokenizer t;
    for (int round = 0; round < 2000; ++round) {
        std::string line(random() % 700, ' ');
        for (char& c : line) c = alphabet[random() % (sizeof alphabet - 1)];
        t.TokenizeLine(line.c_str(), static_cast<std::int16_t>(random() % 800));
        ASSERT_LE(t.GetTokenCount(), 256);
        for (std::int16_t i = 0; i < t.GetTokenCount(); ++i) {
            ASSERT_LE(std::strlen(t.GetToken(i)), 512u);
            ASSERT_LE(std::strlen(t.GetRestOfLine(i)), 512u);
        }
    }
}

}  // namespace
