#include "net/GameMsgBatcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xTryFrame.h"

namespace {

std::vector<std::string> Split(GameMsgBatcher& batcher, const std::string& text) {
    batcher.Feed(text.c_str());
    std::vector<std::string> out;
    char buffer[513];
    while (batcher.NextMessage(buffer, sizeof buffer) == 1) {
        out.emplace_back(buffer);
        if (out.size() > 600) {
            break;
        }
    }
    return out;
}

struct Case {
    const char* name;
    std::string fed;
    std::vector<std::string> messages;
};

const Case kCases[] = {
    {"plain private message", "PRIVMSG nick :hello there", {"PRIVMSG nick :hello there"}},
    {"doubled 3 is one 3", "PRIVMSG #room :x\3\3y", {"PRIVMSG #room :x\3y"}},
    {"doubled 4 is one 4", "PRIVMSG #room :x\4\4y", {"PRIVMSG #room :x\4y"}},
    {"pairs separate", "PRIVMSG bot :x\3\4y\3\4z", {"PRIVMSG bot :x", "PRIVMSG bot :y", "PRIVMSG bot :z"}},
    {"trailing pair gives an empty last message", "PRIVMSG bot :a\3\4", {"PRIVMSG bot :a", "PRIVMSG bot :"}},
    {"lone 3 is kept", "PRIVMSG #room :\3" "4red text", {"PRIVMSG #room :\3" "4red text"}},
    {"lone 4 is kept", "PRIVMSG #room :a\4b", {"PRIVMSG #room :a\4b"}},
    {"3 at the very end is kept", "PRIVMSG #room :a\3", {"PRIVMSG #room :a\3"}},
    {"doubled 3 before a 4", "PRIVMSG #room :a\3\3\4b", {"PRIVMSG #room :a\3\4b"}},
    {"no colon: the word after the target", "PRIVMSG nick hello", {"PRIVMSG nick hello"}},
    {"no colon, a pair inside the word", "PRIVMSG nick a\3\4b", {"PRIVMSG nick a", "PRIVMSG nick b"}},
    {"colon inside a one-word text is text", "PRIVMSG nick a:b\3\4c", {"PRIVMSG nick a:b", "PRIVMSG nick c"}},
    {"no text at all", "PRIVMSG nick", {"PRIVMSG nick"}},
    {"a numeric comes back whole", "255 nick :I have 3 users\3\4x", {"255 nick :I have 3 users\3\4x"}},
    {"a PING comes back whole", "PING :abc", {"PING :abc"}},
    {"lower-case privmsg is not split", "privmsg n :a\3\4b", {"privmsg n :a\3\4b"}},
};

TEST(GameMsgBatcherTest, SplitsLinesIntoMessages) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        GameMsgBatcher batcher(nullptr);
        EXPECT_EQ(Split(batcher, c.fed), c.messages);
        EXPECT_TRUE(batcher.IsEmpty());
    }
}

TEST(GameMsgBatcherTest, EmptyBatcherGivesNothing) {
    GameMsgBatcher batcher(nullptr);
    char buffer[8] = "x";
    EXPECT_EQ(batcher.NextMessage(buffer, sizeof buffer), 0);
    batcher.Feed("");
    EXPECT_EQ(batcher.NextMessage(buffer, sizeof buffer), 0);
}

TEST(GameMsgBatcherTest, FeedingWhileBusyRaisesSevenAndKeepsTheLine) {
    GameMsgBatcher batcher(nullptr);
    batcher.Feed("PRIVMSG bot :a\3\4b");
    char buffer[513];
    ASSERT_EQ(batcher.NextMessage(buffer, sizeof buffer), 1);
    EXPECT_EQ(xTry([&] { batcher.Feed("PRIVMSG bot :other"); }), kErrBadState);
    ASSERT_EQ(batcher.NextMessage(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "PRIVMSG bot :b");
    EXPECT_EQ(batcher.NextMessage(buffer, sizeof buffer), 0);
}

TEST(GameMsgBatcherTest, OverlongTextIsRefusedAndSmallBuffersAreCut) {
    GameMsgBatcher batcher(nullptr);
    const std::string longText = "PRIVMSG bot :" + std::string(600, 'x');
    EXPECT_EQ(xTry([&] { batcher.Feed(longText.c_str()); }), kErrBadState);
    EXPECT_TRUE(batcher.IsEmpty());

    batcher.Feed("PRIVMSG bot :abcdef\3\4g");
    char small[10];
    ASSERT_EQ(batcher.NextMessage(small, sizeof small), 1);
    EXPECT_STREQ(small, "PRIVMSG b");
    ASSERT_EQ(batcher.NextMessage(small, sizeof small), 1);
    EXPECT_EQ(batcher.NextMessage(small, sizeof small), 0);
}

// Random lines of the bytes that matter never throw, never leave the batcher
// half set, and never give a message longer than the line.
TEST(GameMsgBatcherTest, SurvivesRandomLines) {
    std::mt19937 random(20261210);
    const char alphabet[] = {'\3', '\4', ':', ' ', 'a', 'P'};
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 == 0 ? "PRIVMSG t :" : "";
        const int length = static_cast<int>(random() % 520);
        for (int i = 0; i < length; ++i) {
            text.push_back(alphabet[random() % sizeof alphabet]);
        }
        GameMsgBatcher batcher(nullptr);
        if (xTry([&] { batcher.Feed(text.c_str()); }) != 0) {
            EXPECT_GT(text.size(), 512u);
            EXPECT_TRUE(batcher.IsEmpty());
            continue;
        }
        char buffer[513];
        int count = 0;
        while (batcher.NextMessage(buffer, sizeof buffer) == 1) {
            EXPECT_LE(std::strlen(buffer), text.size());
            ASSERT_LT(++count, 600);
        }
        EXPECT_TRUE(batcher.IsEmpty());
    }
}

}  // namespace
