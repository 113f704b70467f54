#include "net/xIRCQueue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "net/IrcEventText.h"
#include "net/xIrcClientQueue.h"

namespace {

// A queue fed by hand: received bytes are appended as if read from the socket,
// and what it would send stays queued (there is no connection).
template <class Base>
struct Fed : Base {
    Fed() {
        this->Init();
        xIRCQueue::SetPendingError(0);
    }
    ~Fed() override { xIRCQueue::SetPendingError(0); }
    void Receive(const std::string& bytes) { this->AppendReceived(bytes.data(), bytes.size()); }
    std::string Sent() const { return this->PendingSendText(); }
    std::vector<std::string> Lines() {
        std::vector<std::string> out;
        const char* line = nullptr;
        while (this->PumpReceived(&line) == 1) out.emplace_back(line);
        return out;
    }
};

struct LinesCase {
    const char* name;
    std::vector<std::string> reads;
    std::vector<std::string> lines;
};

TEST(xIRCQueueTest, BytesToLines) {
    const std::string b512(512, 'x');
    const LinesCase cases[] = {
        {"LF", {"a\nb\n"}, {"a", "b"}},
        {"CR", {"a\rb\r"}, {"a", "b"}},
        {"CRLF", {"a\r\nb\r\n"}, {"a", "b"}},
        {"empty lines never surface", {"\r\n\n\r\na\n\n"}, {"a"}},
        {"split across reads", {"PI", "NG :a", "bc\r", "\nx"}, {"PING :abc"}},
        {"one byte per read", {":", "s", " ", "1", "\n"}, {":s 1"}},
        {"unfinished line waits", {"abc"}, {}},
        {"512 bytes is a line", {b512 + "\n"}, {b512}},
    };
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fed<xIRCQueue> q;
        std::vector<std::string> lines;
        for (const std::string& r : c.reads) {
            q.Receive(r);
            for (const std::string& l : q.Lines()) lines.push_back(l);
        }
        EXPECT_EQ(lines, c.lines);
        EXPECT_EQ(xIRCQueue::GetPendingError(), 0);
    }
}

// 513 bytes fail the connection; nothing is written past the line, the rest of
// the line is dropped and the next line reads normally.
TEST(xIRCQueueTest, OverlongLineSetsThePendingError) {
    Fed<xIRCQueue> q;
    q.Receive(std::string(513, 'y') + std::string(3000, 'z') + "\nnext\n");
    EXPECT_EQ(q.Lines(), std::vector<std::string>{});
    EXPECT_EQ(xIRCQueue::GetPendingError(), kErrIrcConnection);
    EXPECT_EQ(q.Lines(), std::vector<std::string>{"next"});
    // Raised once, as a lower-layer error, then cleared.
    EXPECT_EQ(xTry([&] { q.RaisePendingError(); }), kErrIrcConnection);
    EXPECT_EQ(xTry([&] { q.RaisePendingError(); }), 0);
}

TEST(xIRCQueueTest, PingIsAnsweredAndStillPassedOn) {
    Fed<xIRCQueue> q;
    q.Receive("PING :abc\r\n:srv 001 n :hi\r\n");
    char buffer[513];
    ASSERT_EQ(q.ReadMessage(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "PING :abc");
    EXPECT_EQ(q.Sent(), "PONG :abc\n");
    ASSERT_EQ(q.ReadMessage(buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, ":srv 001 n :hi");
    EXPECT_EQ(q.ReadMessage(buffer, sizeof buffer), 0);
}

TEST(xIRCQueueTest, BatchesComeOutOneMessageAtATime) {
    Fed<xIRCQueue> q;
    q.Receive(":bot!~bot@127.0.0.1 PRIVMSG a1 :x\3\4y\3\4z\r\nsingle\r\n:srv 255 a1 :I have\r\n");
    char buffer[513];
    std::vector<std::string> got;
    for (int i = 0; i < 6; ++i) {
        if (q.ReadMessage(buffer, sizeof buffer) == 1) got.emplace_back(buffer);
    }
    EXPECT_EQ(got, (std::vector<std::string>{":bot PRIVMSG a1 :x", ":bot PRIVMSG a1 :y", ":bot PRIVMSG a1 :z",
                                             ":srv 255 a1 :I have"}));
    EXPECT_STREQ(q.GetSender(), ":srv");
}

TEST(xIRCQueueTest, CtcpRequestsAreAnswered) {
    struct Row {
        const char* request;
        const char* reply;
    };
    const Row rows[] = {
        {"\1PING 123\1", "NOTICE peer :\1PONG\1\n"},
        {"\1VERSION\1", "NOTICE peer :\1VERSION XAPP Test IRC 1.0\1\n"},
        {"\1version\1", "NOTICE peer :\1VERSION XAPP Test IRC 1.0\1\n"},
        {"\1PID\1", "NOTICE peer :\1PID 0\1\n"},
        {"\1FINGER\1", "NOTICE peer :\1FINGER NA (NA@xIRCQueue Client) Idle 0 seconds\1\n"},
        {"\1CLIENTINFO\1", "NOTICE peer :\1CLIENTINFO VERSION FINGER CLIENTINFO PID ERRMSG no dcc yet...\1\n"},
        {"\1ERRMSG a b c\1", "NOTICE peer :\1:\1ERRMSG a b c\1\1\n"},
        {"\1DCC SEND x\1", "NOTICE peer :\1DCC not supported\1\n"},
        {"\1TIME\1", "NOTICE peer :\1ERRMSG This client does not know that request.\1\n"},
        {"\1ACTION waves\1", ""},
        {"plain text", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.request);
        Fed<xIRCQueue> q;
        q.Receive(std::string(":peer!~peer@127.0.0.1 PRIVMSG a1 :") + r.request + "\r\n");
        char buffer[513];
        EXPECT_EQ(q.ReadMessage(buffer, sizeof buffer), 1);
        EXPECT_EQ(q.Sent(), r.reply);
    }
}

TEST(xIRCQueueTest, SendFormattedCutsToOneLine) {
    Fed<xIRCQueue> q;
    q.SendFormatted("PRIVMSG x :%s", std::string(600, 'm').c_str());
    const std::string sent = q.Sent();
    ASSERT_EQ(sent.size(), 512u);
    EXPECT_EQ(sent.back(), '\n');
    EXPECT_EQ(sent.find('\r'), std::string::npos);
}

TEST(xIRCQueueTest, ClientQueueYieldsEventTexts) {
    Fed<xIrcClientQueue> q;
    q.Receive("PING :irc.test\r\n:peer!~peer@h PRIVMSG #room :a\3\4b\r\n:a1!~a1@h MODE a1 :+i\r\n"
              ":a1!~a1@h JOIN :#room\r\n:srv TOPIC #room :x\r\n:srv 433 * a1 :Nickname already in use\r\n");
    char buffer[513];
    std::vector<std::string> got;
    for (int i = 0; i < 10; ++i) {
        const std::int16_t r = q.ReadMessage(buffer, sizeof buffer);
        got.emplace_back(r == 1 ? buffer : "(none)");
    }
    EXPECT_EQ(got, (std::vector<std::string>{"(none)", "IRC_PUBLIC_MSG peer #room a", "IRC_PUBLIC_MSG peer #room b",
                                             "(none)", "IRC_JOIN a1 :#room", "(none)",
                                             "IRC_ERROR_REPLY srv 433 a1 Nickname already in use", "(none)", "(none)",
                                             "(none)"}));
    EXPECT_EQ(q.Sent(), "PONG :irc.test\n");
}

// Random bytes of IRC's own kinds, in random reads: never more than a line,
// never a crash, and every message terminated.
TEST(xIRCQueueTest, SurvivesRandomInput) {
    std::mt19937 random(121026);
    const char* fragments[] = {"\r", "\n", " ", ":", "!", "PRIVMSG", "PING", "\1", "\3", "\4", "#", "a", "255", "\0x"};
    for (int round = 0; round < 300; ++round) {
        Fed<xIrcClientQueue> q;
        for (int read = 0; read < 20; ++read) {
            std::string bytes;
            const int count = static_cast<int>(random() % 200);
            for (int i = 0; i < count; ++i) bytes += fragments[random() % std::size(fragments)];
            q.Receive(bytes);
            char buffer[513];
            for (int i = 0; i < 50; ++i) {
                if (q.ReadMessage(buffer, sizeof buffer) == 1) {
                    ASSERT_LT(std::strlen(buffer), sizeof buffer);
                }
            }
        }
    }
}

}  // namespace
