#include "resource/LanguageFilter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "platform/HostPath.h"
#include "resource/HexDigit.h"
#include "resource/SingleSrfFilterSource.h"
#include "resource/xCheckSum.h"
#include "resource/xFilterList.h"

namespace {

std::string FilterFixture(const std::string& name) {
    return platform::ToWindowsPath(std::string(FILTER_FIXTURES) + "/" + name + ".srf");
}

// Codes text the way the list's writer does, independently of the reader.
std::vector<std::uint8_t> Block(const std::string& text) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        sum += static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(text[i]))) *
               static_cast<std::uint32_t>(i + 1);
    }
    std::vector<std::uint8_t> block;
    for (std::uint32_t v : {sum, static_cast<std::uint32_t>(text.size())}) {
        for (int b = 0; b < 4; ++b) {
            block.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        }
    }
    for (unsigned char c : text) {
        block.push_back(static_cast<std::uint8_t>(c < 10 ? c + 48 : c + 55));
    }
    return block;
}

class LanguageFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
    }
    void TearDown() override {
        LanguageFilterClear();
        SetLanguageFilterSource(nullptr);
        xFileCleanup();
        EXPECT_EQ(xTryTop(), nullptr);
        xErrorCode = 0;
    }

    // Loads the fixture as the game does; returns the raised code.
    std::int16_t Load(const std::string& name, std::int32_t id = 1000) {
        SingleSrfFilterSource source(FilterFixture(name));
        SetLanguageFilterSource(&source);
        const std::int16_t code = xTry([&] { LanguageFilterLoad(id, this); });
        EXPECT_EQ(source.GetOpenCount(), 0) << "the file is released after the load";
        SetLanguageFilterSource(nullptr);
        return code;
    }

    void UsePatterns(const std::vector<std::string>& patterns) {
        std::string text;
        for (const auto& p : patterns) {
            text += p + "\r\n";
        }
        const auto block = Block(text);
        ASSERT_EQ(xTry([&] { LanguageFilterLoadBlock(block); }), 0);
    }
};

TEST(HexDigitTest, CodesAndDecodesEveryByte) {
    EXPECT_EQ(HexDigitChar(0), '0');
    EXPECT_EQ(HexDigitChar(9), '9');
    EXPECT_EQ(HexDigitChar(10), 'A');
    EXPECT_EQ(HexDigitChar(15), 'F');
    EXPECT_EQ(static_cast<std::uint8_t>(HexDigitChar(200)), 255);
    EXPECT_EQ(static_cast<std::uint8_t>(HexDigitChar(201)), 0);  // wraps at 256
    for (int v = 0; v < 249; ++v) {
        EXPECT_EQ(HexDigitValue(HexDigitChar(static_cast<std::uint8_t>(v))), v) << v;
    }
    // 249 to 255 wrap onto the digit characters, so they cannot come back.
    EXPECT_EQ(HexDigitChar(249), '0');
    EXPECT_EQ(HexDigitValue(HexDigitChar(255)), 6);
    // A stored byte above 127 is never a digit, even where it would wrap onto one.
    EXPECT_EQ(HexDigitValue(static_cast<char>(0xB0)), static_cast<std::uint8_t>(0xB0 - 55));
}

TEST(xCheckSumTest, WeighsSignedBytesByPosition) {
    xCheckSum sum;
    EXPECT_EQ(sum.GetSum(), 0u);
    sum.Add(10);
    sum.Add(-1);
    sum.Add(3);
    EXPECT_EQ(sum.GetSum(), static_cast<std::uint32_t>(10 * 1 - 1 * 2 + 3 * 3));
    xCheckSum negative;
    negative.Add(-128);
    EXPECT_EQ(negative.GetSum(), static_cast<std::uint32_t>(-128));
}

TEST(xFilterListTest, ReadsLinesWithinTheBlock) {
    struct Case {
        const char* name;
        std::string text;
        std::int64_t length;  // -1: the text's own
        std::vector<std::string> lines;
        bool valid;
    };
    const Case cases[] = {
        {"crlf lines", "ab\r\ncd\r\n", -1, {"ab", "cd"}, true},
        {"lf only", "ab\ncd\n", -1, {"a", "c"}, true},
        {"no final crlf", "ab\r\ncdef", -1, {"ab", "cd"}, true},
        {"lone lf", "\nab\r\n", -1, {"", "ab"}, true},
        {"one byte line at the end", "ab\r\nc", -1, {"ab"}, true},
        {"length 0", "ab\r\n", 0, {}, true},
        {"length 1", "ab\r\n", 1, {}, true},
        {"length 2", "ab\r\n", 2, {}, true},
        {"length past the block", "ab\r\n", 5, {}, false},
        {"length far past the block", "ab\r\n", 0xFFFFFFFF, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto block = Block(c.text);
        if (c.length >= 0) {
            for (int b = 0; b < 4; ++b) {
                block[4 + b] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(c.length) >> (8 * b));
            }
        }
        xFilterList list(block);
        EXPECT_EQ(list.IsValid(), c.valid);
        std::vector<std::string> lines;
        char line[600];
        while (list.ReadLine(line, sizeof line) != 0) {
            lines.emplace_back(line);
        }
        EXPECT_EQ(lines, c.lines);
    }
    EXPECT_FALSE(xFilterList(std::vector<std::uint8_t>{1, 2, 3}).IsValid());
}

TEST(xFilterListTest, AnOverlongLineComesBackEmptyAndTheNextLineIsWhole) {
    const std::string text = std::string(20, 'x') + "\r\nab\r\n";
    const auto block = Block(text);
    xFilterList list(block);
    char line[8];
    ASSERT_EQ(list.ReadLine(line, sizeof line), 1);
    EXPECT_STREQ(line, "");
    ASSERT_EQ(list.ReadLine(line, sizeof line), 1);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(list.ReadLine(line, sizeof line), 0);
    EXPECT_EQ(list.GetCheckSum().GetSum(), list.GetHeader().checksum) << "every byte is summed";
}

TEST_F(LanguageFilterTest, LoadsGeneratedFiles) {
    struct Case {
        const char* name;
        std::int16_t code;
        std::vector<std::string> patterns;
    };
    const Case cases[] = {
        {"plain", 0, {"darn", "heck*", "*boo", "*zap*"}},
        {"LanguageFilter", 0, {"darn", "heck*", "*boo", "*zap*"}},
        {"bad_checksum", 3, {}},
        {"lf_only", 0, {"dar", "hec"}},
        {"no_final_crlf", 0, {"darn", "he"}},
        {"length_0", 0, {}},
        {"length_1", 0, {}},
        {"length_2", 0, {}},
        {"length_past_block", 3, {}},
        {"lone_lf", 0, {"darn", "heck"}},
        {"long_line", 0, {"darn"}},
        {"star_only", 0, {"*", "**", "darn"}},
        {"other_id", 6, {}},
        {"missing", 3, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LanguageFilterClear();
        EXPECT_EQ(Load(c.name), c.code);
        EXPECT_EQ(LanguageFilterPatterns(), c.patterns);
    }
}

TEST_F(LanguageFilterTest, ASecondLoadAppendsAndAMismatchDiscardsEverything) {
    ASSERT_EQ(Load("plain"), 0);
    ASSERT_EQ(Load("lone_lf"), 0);
    EXPECT_EQ(LanguageFilterPatterns().size(), 6u);
    EXPECT_EQ(Load("bad_checksum"), 3);
    EXPECT_TRUE(LanguageFilterPatterns().empty());
    EXPECT_EQ(LanguageFilterCheck("darn", nullptr, 0), 1) << "a cleared list finds nothing";
}

TEST_F(LanguageFilterTest, ARaiseOutsideAFrameReturnsAtOnce) {
    SingleSrfFilterSource source(FilterFixture("bad_checksum"));
    SetLanguageFilterSource(&source);
    LanguageFilterLoad(1000, this);
    EXPECT_EQ(xErrorCode, 3);
    EXPECT_EQ(source.GetOpenCount(), 0);
    SetLanguageFilterSource(nullptr);
    LanguageFilterLoad(1000, this);
    EXPECT_EQ(xErrorCode, 3) << "no source at all";
    xErrorCode = 0;
}

TEST_F(LanguageFilterTest, ChecksTextsWordByWord) {
    UsePatterns({"darn", "heck*", "*boo", "*zap*", "*", "**"});
    struct Case {
        const char* text;
        std::int16_t clean;
        const char* word;
    };
    const Case cases[] = {
        {"12345 !?.,", 1, ""},
        {"", 1, ""},
        {"what the DARN thing", 0, "DARN"},
        {"darnit", 1, ""},
        {"dar2n", 1, ""},
        {"dar'n", 1, ""},
        {"2darn2", 0, "darn"},
        {"hecker", 0, "hecker"},
        {"check", 1, ""},
        {"Heck", 0, "Heck"},
        {"booboo", 0, "booboo"},
        {"boot", 1, ""},
        {"bazapper", 0, "bazapper"},
        {"ZAP", 0, "ZAP"},
        {"za p", 1, ""},
        {"fine words only", 1, ""},
        {"first darn then heck", 0, "darn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        char out[32];
        std::memset(out, 'q', sizeof out);
        EXPECT_EQ(LanguageFilterCheck(c.text, out, sizeof out), c.clean);
        EXPECT_STREQ(out, c.word);
    }
}

TEST_F(LanguageFilterTest, OutBuffersOfEverySize) {
    UsePatterns({"darn"});
    char out[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(LanguageFilterCheck("DARN", out, 0), 0);
    EXPECT_EQ(out[0], 'q') << "size 0 writes nothing";
    EXPECT_EQ(LanguageFilterCheck("DARN", out, 1), 0);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(out[1], 'q');
    EXPECT_EQ(LanguageFilterCheck("DARN", out, 3), 0);
    EXPECT_STREQ(out, "DA");
    EXPECT_EQ(LanguageFilterCheck("DARN", nullptr, 10), 0);
    EXPECT_EQ(LanguageFilterMatchWord("dArN"), 0);
    EXPECT_EQ(LanguageFilterMatchWord("darns"), 1);
}

TEST_F(LanguageFilterTest, LongTextsAreBounded) {
    UsePatterns({"darn"});
    std::string text(5000, 'a');
    text += " darn";
    EXPECT_EQ(LanguageFilterCheck(text.c_str(), nullptr, 0), 1) << "only the first 512 characters count";
    EXPECT_EQ(LanguageFilterCheck(("x " + std::string(100, ' ') + "darn").c_str(), nullptr, 0), 0);
}

TEST_F(LanguageFilterTest, NothingMatchesWithoutAList) {
    EXPECT_EQ(LanguageFilterCheck("darn", nullptr, 0), 1);
    EXPECT_EQ(LanguageFilterMatchWord("darn"), 1);
}

TEST_F(LanguageFilterTest, SurvivesRandomAndTruncatedBlocks) {
    std::mt19937 random(2215);
    const auto good = Block("darn\r\nheck*\r\n*boo\r\n");
    for (std::size_t cut = 0; cut <= good.size(); ++cut) {
        std::vector<std::uint8_t> block(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        xTry([&] { LanguageFilterLoadBlock(block); });
        LanguageFilterClear();
    }
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> block(random() % 700);
        for (auto& b : block) {
            b = static_cast<std::uint8_t>(random());
        }
        if (block.size() >= 8 && round % 2 == 0) {
            const auto length = static_cast<std::uint32_t>(block.size() - 8 - random() % 3);
            for (int b = 0; b < 4; ++b) {
                block[4 + b] = static_cast<std::uint8_t>(length >> (8 * b));
            }
        }
        xTry([&] { LanguageFilterLoadBlock(block); });
        LanguageFilterCheck("some words to check against whatever came in", nullptr, 0);
        LanguageFilterClear();
    }
}

}  // namespace
