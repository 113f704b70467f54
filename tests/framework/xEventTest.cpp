#include "framework/xEvent.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace {

TEST(xEventTest, NewRecordIsEmpty) {
    xEvent e(42);
    EXPECT_EQ(e.GetCode(), 42);
    EXPECT_EQ(e.GetSender(), nullptr);
    EXPECT_EQ(e.GetTextUsed(), 0);
    for (int i = 0; i < xEvent::kParamCount; ++i) {
        EXPECT_EQ(e.GetParamType(i), xEvent::kNone);
        EXPECT_EQ(e.GetParam(i), 0);
    }
    EXPECT_EQ(xEvent::Empty().GetCode(), 0);
}

TEST(xEventTest, NumbersKeepTheirSignByType) {
    xEvent e;
    e.SetIntParam(0, -7);
    e.SetShortParam(1, -2);
    e.SetUShortParam(2, 0xFFFE);
    int target = 0;
    e.SetPointerParam(3, &target);
    EXPECT_EQ(e.GetParam(0), -7);
    EXPECT_EQ(e.GetParam(1), -2);
    EXPECT_EQ(e.GetParam(2), 0xFFFE);
    EXPECT_EQ(e.GetShortParam(2), -2);
    EXPECT_EQ(e.GetPointerParam(3), &target);
    EXPECT_EQ(e.GetParamType(3), xEvent::kPointer);
    // A text parameter's value is its offset in the text area.
    e.SetStringParam(4, "ab");
    e.SetStringParam(5, "cd");
    EXPECT_EQ(e.GetShortParam(4), 0);
    EXPECT_EQ(e.GetShortParam(5), 3);
    // Out-of-range indexes are ignored rather than written past the table.
    e.SetIntParam(6, 1);
    e.SetIntParam(-1, 1);
    EXPECT_EQ(e.GetParam(6), 0);
    EXPECT_EQ(e.GetParamType(-1), xEvent::kNone);
}

struct TextCase {
    const char* name;
    const char* text;
    std::size_t length;
    const char* expected;
    std::uint16_t stored;
};

class xEventTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(xEventTextTest, StoresBoundedTerminatedText) {
    const TextCase& c = GetParam();
    xEvent e;
    e.SetStringParam(1, c.text, c.length);
    EXPECT_EQ(e.GetParamType(1), xEvent::kText);
    EXPECT_STREQ(e.GetTextParam(1), c.expected);
    EXPECT_STREQ(reinterpret_cast<const char*>(e.GetParam(1)), c.expected);
    EXPECT_EQ(e.GetTextUsed(), c.stored);
}

INSTANTIATE_TEST_SUITE_P(Cases, xEventTextTest,
                         ::testing::Values(TextCase{"WholeText", "hello", 0, "hello", 6},
                                           TextCase{"ShorterLengthTruncates", "hello", 3, "he", 3},
                                           TextCase{"ExactLength", "hello", 6, "hello", 6},
                                           TextCase{"LongerLengthStopsAtZero", "hi", 10, "hi", 10},
                                           TextCase{"EmptyText", "", 0, "", 1},
                                           TextCase{"NullText", nullptr, 0, "", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(xEventTest, TextsSitOneAfterAnother) {
    xEvent e;
    e.SetStringParam(0, "nick");
    e.SetStringParam(1, "#room");
    EXPECT_STREQ(e.GetTextParam(0), "nick");
    EXPECT_STREQ(e.GetTextParam(1), "#room");
    EXPECT_EQ(e.GetTextUsed(), 11);
}

// IRC lines fill the text area: every text is cut to the room left, the area
// never overflows and later texts still read as terminated (empty) texts.
TEST(xEventTest, TextsNeverOverflowTheArea) {
    const std::string line(1000, 'x');
    xEvent e;
    e.SetStringParam(0, line.c_str());
    e.SetStringParam(1, line.c_str());
    e.SetStringParam(2, line.c_str());
    e.SetStringParam(3, line.c_str(), 4000);
    EXPECT_EQ(e.GetTextUsed(), xEvent::kTextAreaSize);
    EXPECT_EQ(std::strlen(e.GetTextParam(0)), 1000u);
    EXPECT_EQ(std::strlen(e.GetTextParam(1)), xEvent::kTextAreaSize - 1001 - 1);
    EXPECT_STREQ(e.GetTextParam(2), "");
    EXPECT_STREQ(e.GetTextParam(3), "");
    char buffer[8];
    e.GetStringParam(3, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "");
}

TEST(xEventTest, GetStringParamBoundsAndNonText) {
    xEvent e;
    e.SetStringParam(0, "abcdef");
    e.SetIntParam(1, 5000);

    char buffer[4] = {'#', '#', '#', '#'};
    e.GetStringParam(0, buffer, 0);
    EXPECT_EQ(buffer[0], '#');  // size 0 writes nothing, not even at index -1

    e.GetStringParam(0, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "abc");

    std::memset(buffer, '#', sizeof buffer);
    e.GetStringParam(1, buffer, sizeof buffer);  // an integer is not an offset
    EXPECT_STREQ(buffer, "");

    char big[32];
    e.GetStringParam(0, big, sizeof big);
    EXPECT_STREQ(big, "abcdef");
}

TEST(xEventTest, AssignmentCopiesTextsAndSelfAssignmentKeepsThem) {
    xEvent source(88);
    int sender = 0;
    source.SetSender(reinterpret_cast<MsgSender*>(&sender));
    source.SetStringParam(0, "PRIVMSG text");
    source.SetShortParam(1, 3);

    xEvent copy;
    copy.SetStringParam(2, "stale");
    copy = source;
    source = xEvent::Empty();

    EXPECT_EQ(source.GetCode(), 0);
    EXPECT_STREQ(source.GetTextParam(0), "");
    EXPECT_EQ(copy.GetCode(), 88);
    EXPECT_EQ(copy.GetSender(), reinterpret_cast<MsgSender*>(&sender));
    EXPECT_STREQ(copy.GetTextParam(0), "PRIVMSG text");
    EXPECT_EQ(copy.GetShortParam(1), 3);
    EXPECT_EQ(copy.GetParamType(2), xEvent::kNone);

    xEvent& alias = copy;
    copy = alias;
    EXPECT_STREQ(copy.GetTextParam(0), "PRIVMSG text");
}

}  // namespace

namespace {

// Random texts of random lengths into random parameters, as IRC lines would
// fill them: the area never overflows, every text reads back terminated inside
// the record, and copies read the same.
TEST(xEventTest, RandomTextsStayInsideTheRecord) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(1, 255);
    for (int round = 0; round < 200; ++round) {
        xEvent event(88);
        for (int n = 0; n < 8; ++n) {
            std::string text(std::uniform_int_distribution<int>(0, 900)(random), 'x');
            for (char& c : text) {
                c = static_cast<char>(byte(random));
            }
            const int index = std::uniform_int_distribution<int>(-1, 6)(random);
            const std::size_t length = std::uniform_int_distribution<std::size_t>(0, 1200)(random);
            event.SetStringParam(index, text.c_str(), length);
            ASSERT_LE(event.GetTextUsed(), xEvent::kTextAreaSize);
        }
        const xEvent copy = event;
        for (int i = 0; i < xEvent::kParamCount; ++i) {
            const char* text = event.GetTextParam(i);
            const std::size_t len = std::strlen(text);
            if (len > 0) {
                const char* area = reinterpret_cast<const char*>(&event);
                ASSERT_GE(text, area);
                ASSERT_LE(text + len, area + sizeof(xEvent));
            }
            EXPECT_STREQ(copy.GetTextParam(i), text);
            char buffer[64];
            event.GetStringParam(i, buffer, sizeof buffer);
            EXPECT_EQ(std::string(buffer), std::string(text).substr(0, sizeof buffer - 1));
        }
    }
}

}  // namespace
