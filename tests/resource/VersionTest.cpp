#include "resource/Version.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(VersionTest, ReadsDottedText) {
    struct Case {
        const char* text;
        std::int32_t major, minor, release, build;
        const char* display;
    } const cases[] = {
        {"1.2.3.4", 1, 2, 3, 4, "1.2.3.4"},
        {"3", 3, 0, 0, -1, "3.0.0"},
        {"1.2", 1, 2, 0, -1, "1.2.0"},
        {"1.2.3", 1, 2, 3, -1, "1.2.3"},
        {"1.2.3.*", 1, 2, 3, -2, "1.2.3.*"},
        {"1.2.3.* ", 1, 2, 3, 0, "1.2.3.0"},  // only a lone '*' is the wildcard
        {"none", -1, -1, -1, -1, "<None>"},
        {"NoNe", -1, -1, -1, -1, "<None>"},
        {"", 0, 0, 0, -1, "0.0.0"},
        {"  -7.+8. 9x.10", 7, 8, 9, 10, "7.8.9.10"},
        {"a.b.c.d", 0, 0, 0, 0, "0.0.0.0"},
        {"4294967296.1.2.3", 2147483647, 1, 2, 3, "2147483647.1.2.3"},
        {"-2147483648.0.0.-99999999999999", 2147483647, 0, 0, 2147483647, "2147483647.0.0.2147483647"},
        {"1..3", 1, 0, 3, -1, "1.0.3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Version v{std::string(c.text)};
        EXPECT_EQ(v.GetMajor(), c.major);
        EXPECT_EQ(v.GetMinor(), c.minor);
        EXPECT_EQ(v.GetRelease(), c.release);
        EXPECT_EQ(v.GetBuild(), c.build);
        EXPECT_EQ(v.GetText(), c.display);
    }
}

TEST(VersionTest, ConstructionFromNumbersValidates) {
    struct Case {
        std::int32_t parts[4];
        bool valid;
    } const cases[] = {
        {{1, 2, 3, 4}, true},   {{0, 0, 0, -1}, true},  {{0, 0, 0, -2}, true},   {{-1, -1, -1, -1}, true},
        {{1, 2, 3, -3}, false}, {{-1, 2, 3, 4}, false}, {{1, -2, 3, 4}, false},  {{1, 2, -1, 4}, false},
        {{-1, -1, -1, 0}, false},
    };
    for (const Case& c : cases) {
        const Version v(c.parts[0], c.parts[1], c.parts[2], c.parts[3]);
        const Version expected = c.valid ? v : Version();
        EXPECT_EQ(Version::IsValid(c.parts[0], c.parts[1], c.parts[2], c.parts[3]), c.valid);
        if (c.valid) {
            EXPECT_EQ(v.GetMajor(), c.parts[0]);
            EXPECT_EQ(v.GetBuild(), c.parts[3]);
        } else {
            EXPECT_TRUE(v.IsNone());
        }
        EXPECT_EQ(v, expected);
    }
    EXPECT_TRUE(Version().IsNone());
    EXPECT_TRUE(Version::None().IsNone());
    EXPECT_EQ(Version().GetText(), "<None>");
}

// Each row: left, right, then EqualTo NotEqualTo LessThan LessThanOrEqualTo
// GreaterThan GreaterThanOrEqualTo.
TEST(VersionTest, ComparesAsTheScriptDoes) {
    struct Case {
        const char* left;
        const char* right;
        const char* results;  // six of 'T' and 'F'
    } const cases[] = {
        {"1.2.3.4", "1.2.3.4", "TFFTFT"},
        {"1.2.3.4", "1.2.3.5", "FTTTFF"},
        {"1.2.3.5", "1.2.3.4", "FTFFTT"},
        {"1.2.3.4", "1.2.4", "FTTTFF"},
        {"1.2.3.4", "1.2.3.*", "TFFTFT"},
        {"1.2.3.*", "1.2.3.9", "TFFTFT"},
        {"1.2.3.*", "1.2.3", "FTTTFF"},  // no wildcard against an absent build: -2 < -1
        {"1.2.3", "1.2.3.0", "FTTTFF"},  // absent build (-1) is below 0
        {"1.10.0.0", "1.9.0.0", "FTFFTT"},
        {"none", "1.0.0.0", "FTFFTT"},
        {"1.0.0.0", "none", "FTFFTT"},
        {"none", "none", "TFFTFT"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.left) + " vs " + c.right);
        const Version l{std::string(c.left)};
        const Version r{std::string(c.right)};
        const bool got[6] = {l.EqualTo(r),     l.NotEqualTo(r),  l.LessThan(r),
                             l.LessThanOrEqualTo(r), l.GreaterThan(r), l.GreaterThanOrEqualTo(r)};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(got[i], c.results[i] == 'T') << "operator " << i;
        }
    }
}

}  // namespace
