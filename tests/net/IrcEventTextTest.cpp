#include "net/IrcEventText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "net/IRCMsg.h"

namespace {

// Expected event parameters: texts, or for a number its decimal form.
struct Row {
    const char* line;
    const char* text;  // the event text
    std::int16_t result;
    std::int32_t code;  // of the parsed event
    std::int16_t kind;
    const char* p0;
    const char* p2;
    const char* p3;
    const char* p4;
};

// Lines as ngircd sends them (prefixes of nick!user@host).
const Row kRows[] = {
    {":irc.test 255 a7F000001C350 :I have 2 users, 0 services and 0 servers",
     "IRC_REPLY irc.test 255 I have 2 users, 0 services and 0 servers", 1, 88, 2, "irc.test", "255", nullptr,
     nullptr},
    {":irc.test 433 * a7F000001C350 :Nickname already in use",
     "IRC_ERROR_REPLY irc.test 433 a7F000001C350 Nickname already in use", 1, 88, 3, "irc.test", "433",
     "a7F000001C350 Nickname already in use", nullptr},
    {":irc.test 950 x :y", "IRC_ERROR_REPLY irc.test 950 y", 1, 88, 3, "irc.test", "950", "y", nullptr},
    {":irc.test 600 x :y", "IRC_REPLY irc.test 600 y", 1, 88, 2, "irc.test", "600", nullptr, nullptr},
    {":irc.test 001 a1 :Welcome to the Internet Relay Network", "IRC_REPLY irc.test 1 Welcome to the Internet Relay Network",
     1, 88, 2, "irc.test", "1", nullptr, nullptr},
    {":irc.test 422 a1 :MOTD file is missing", "IRC_ERROR_REPLY irc.test 422 MOTD file is missing", 1, 88, 3,
     "irc.test", "422", "MOTD file is missing", nullptr},
    {":peer!~peer@localhost PRIVMSG #room :hello there", "IRC_PUBLIC_MSG peer #room hello there", 1, 88, 1, "peer",
     "hello there", "room", nullptr},
    {":peer!~peer@localhost PRIVMSG a1 :hello there", "IRC_PRIVATE_MSG peer hello there", 1, 88, 0, "peer",
     "hello there", nullptr, nullptr},
    {":peer!~peer@localhost PRIVMSG a1 word", "IRC_PRIVATE_MSG peer word", 1, 88, 0, "peer", "word", nullptr, nullptr},
    {":peer!~peer@localhost PRIVMSG a1 :a:b c", "IRC_PRIVATE_MSG peer a:b c", 1, 88, 0, "peer", "a:b c", nullptr,
     nullptr},
    {":peer!~peer@localhost PRIVMSG a1 :\1VERSION\1", "IRC_CTCP VERSION peer ", 1, 0, 0, nullptr, nullptr, nullptr,
     nullptr},
    {":peer!~peer@localhost NOTICE a1 :\1PING 123\1", "IRC_CTCP PING peer 123", 1, 0, 0, nullptr, nullptr, nullptr,
     nullptr},
    {":irc.test NOTICE a1 :*** Looking up", "IRC_NOTICE irc.test :*** Looking up", 1, 0, 0, nullptr, nullptr, nullptr,
     nullptr},
    {":a1!~a1@localhost JOIN :#room", "IRC_JOIN a1 :#room", 1, 88, 5, "a1", "room", nullptr, nullptr},
    {":a1!~a1@localhost JOIN #room", "IRC_JOIN a1 #room", 1, 88, 5, "a1", "room", nullptr, nullptr},
    {":a1!~a1@localhost PART #Room :bye", "IRC_PART a1 #Room :bye", 1, 88, 6, "a1", "Room", nullptr, nullptr},
    {":peer!~peer@localhost KICK #room a1 :go away", "IRC_KICK peer #room a1 :go away", 1, 88, 7, "peer", "a1", "room",
     ":go away"},
    {":peer!~peer@localhost QUIT :Quit: bye", "IRC_QUIT peer :Quit: bye", 1, 88, 10, "peer", ":Quit: bye", nullptr,
     nullptr},
    {":a1!~a1@localhost NICK :b1", "IRC_NICK a1 :b1", 1, 0, 0, nullptr, nullptr, nullptr, nullptr},
    {":a1 MODE a1 :+i", "", 1, 0, 0, nullptr, nullptr, nullptr, nullptr},
    {"PING :irc.test", "", 1, 0, 0, nullptr, nullptr, nullptr, nullptr},
    {":irc.test TOPIC #room :x", "", 0, 0, 0, nullptr, nullptr, nullptr, nullptr},
    {"ERROR :Closing connection", "", 0, 0, 0, nullptr, nullptr, nullptr, nullptr},
};

std::string Param(const xEvent& event, int index) {
    if (event.GetParamType(index) == xEvent::kText) {
        return event.GetTextParam(index);
    }
    if (event.GetParamType(index) == xEvent::kNone) {
        return "(none)";
    }
    return std::to_string(event.GetShortParam(index) & 0xFFFF);
}

TEST(IrcEventTextTest, ServerLinesToEventTextsAndEvents) {
    for (const Row& r : kRows) {
        SCOPED_TRACE(r.line);
        char text[513];
        EXPECT_EQ(WriteIrcEventText(r.line, text, sizeof text), r.result);
        EXPECT_STREQ(text, r.text);
        xEvent event(77);
        EXPECT_EQ(ParseIrcEventText(text, event), r.code);
        EXPECT_EQ(event.GetCode(), r.code);
        if (r.code == 0) {
            continue;
        }
        EXPECT_EQ(Param(event, 0), r.p0);
        EXPECT_EQ(event.GetShortParam(1), r.kind);
        EXPECT_EQ(event.GetParamType(1), xEvent::kShort);
        EXPECT_EQ(Param(event, 2), r.p2);
        EXPECT_EQ(Param(event, 3), r.p3 == nullptr ? "(none)" : r.p3);
        EXPECT_EQ(Param(event, 4), r.p4 == nullptr ? "(none)" : r.p4);
    }
}

TEST(IrcEventTextTest, TypesAreReadWithoutRegardToCase) {
    xEvent event;
    EXPECT_EQ(ParseIrcEventText("irc_join n #chan", event), 88);
    EXPECT_STREQ(event.GetTextParam(2), "chan");
    EXPECT_EQ(ParseIrcEventText("irc_join n chan", event), 88);
    EXPECT_STREQ(event.GetTextParam(2), "");
    EXPECT_EQ(ParseIrcEventText("IRC_NOTICE n x", event), 0);
    EXPECT_EQ(ParseIrcEventText("", event), 0);
}

TEST(IrcEventTextTest, SmallBuffersAreCutAndTerminated) {
    char text[12];
    std::memset(text, 'z', sizeof text);
    EXPECT_EQ(WriteIrcEventText(":peer!u@h PRIVMSG #room :hello there", text, sizeof text), 1);
    EXPECT_STREQ(text, "IRC_PUBLIC_");
    const std::string longSender = ":" + std::string(200, 'n') + " PRIVMSG x :y";
    char full[513];
    EXPECT_EQ(WriteIrcEventText(longSender.c_str(), full, sizeof full), 1);
    EXPECT_EQ(std::string(full), "IRC_PRIVATE_MSG " + std::string(63, 'n') + " y");
}

TEST(IrcEventTextTest, LeadingZerosAndHugeNumbers) {
    EXPECT_EQ(IrcNumber("00255"), 255);
    EXPECT_EQ(IrcNumber("PRIVMSG"), 0);
    EXPECT_EQ(IrcNumber("99999999999999999999"), 2147483647);
    EXPECT_EQ(IrcNumber("-99999999999999999999"), -2147483647 - 1);
    char text[513];
    WriteIrcEventText(":srv 0433 x :y", text, sizeof text);
    EXPECT_STREQ(text, "IRC_ERROR_REPLY srv 433 y");
}

// Random lines built from IRC's own fragments never overrun or leave a text unterminated.
TEST(IrcEventTextTest, SurvivesRandomLines) {
    std::mt19937 random(1210);
    const char* fragments[] = {":", "!", " ", "#", "PRIVMSG", "NOTICE", "JOIN", "KICK", "255", "433", "\1",
                            "\3",  "PING", "a", "IRC_KICK", "IRC_REPLY", "\"", "QUIT", "0"};
    for (int round = 0; round < 5000; ++round) {
        std::string line;
        const int count = static_cast<int>(random() % 120);
        for (int i = 0; i < count; ++i) {
            line += fragments[random() % std::size(fragments)];
        }
        char text[513];
        WriteIrcEventText(line.c_str(), text, sizeof text);
        ASSERT_LT(std::strlen(text), sizeof text);
        xEvent event;
        ParseIrcEventText(line.c_str(), event);
        ParseIrcEventText(text, event);
    }
}

}  // namespace
