#include "net/HttpWire.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using Outcome = HttpResponseHead::Outcome;

TEST(HttpWireTest, ResponseHeads) {
    struct Case {
        const char* name;
        std::string bytes;
        Outcome outcome;
        std::size_t bodyOffset;
        std::int32_t length;
    };
    const std::string filler(600, 'f');
    const Case cases[] = {
        {"short", "HTTP/1.0 20", Outcome::Incomplete, 0, -1},
        {"no blank line yet", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n", Outcome::Incomplete, 0, -1},
        {"crlf", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nabcde", Outcome::Complete, 38, 5},
        {"lf", "HTTP/1.0 200 OK\nContent-Length: 5\n\nabcde", Outcome::Complete, 35, 5},
        {"cr", "HTTP/1.0 200 OK\rcontent-length: 7\r\rab", Outcome::Complete, 35, 7},
        {"lfcr", "HTTP/1.0 200 OK\n\rContent-Length: 1\n\r\n\rx", Outcome::Complete, 38, 1},
        {"no length", "HTTP/1.1 204 No Content\r\nDate: x\r\n\r\n", Outcome::Complete, 36, -1},
        {"long head", "HTTP/1.0 200 OK\r\nX-F: " + filler + "\r\nContent-Length: 3\r\n\r\n",
         Outcome::Complete, 645, 3},
        {"404", "HTTP/1.0 404 Not Found\r\n\r\n", Outcome::Bad, 0, -1},
        {"not http", "FTP/1.0 200 OK\r\n\r\n", Outcome::Bad, 0, -1},
        {"no dot", "HTTP/10 200 OK\r\n\r\n", Outcome::Bad, 0, -1},
        {"bad length", "HTTP/1.0 200 OK\r\nContent-Length: -4\r\n\r\n", Outcome::Bad, 0, -1},
        {"huge length", "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n", Outcome::Bad, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HttpResponseHead head = ParseHttpResponseHead(c.bytes);
        EXPECT_EQ(head.outcome, c.outcome);
        if (c.outcome == Outcome::Complete) {
            EXPECT_EQ(head.bodyOffset, c.bodyOffset);
            EXPECT_EQ(head.contentLength, c.length);
        }
    }
}

TEST(HttpWireTest, RequestTexts) {
    struct Case {
        const char* name;
        HttpRequestText request;
        const char* expected;
    };
    const Case cases[] = {
        {"get",
         {false, "a/b.ini", "", "", "Ag", "h", "", false},
         "GET /a/b.ini HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Ag\r\nHost: h\r\nAccept: "
         "*/*\r\n\r\n"},
        {"get with body",
         {false, "p", "", "xy", "Ag", "h", "", false},
         "GET /p HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Ag\r\nHost: h\r\nAccept: */*\r\n\r\nxy"},
        {"post",
         {true, "cgi", "", "a=1", "Ag", "h", "sp", false},
         "POST /sp/cgi HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Ag\r\nHost: h\r\nAccept: "
         "text/plain\r\n"
         "Content-length: 3\r\n\r\na=1"},
        {"post proxy",
         {true, "cgi", "", "", "Ag", "h", "", true},
         "POST http://h:80/cgi HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Ag\r\nHost: h\r\n"
         "Accept: text/plain\r\nContent-length: 0\r\nCacheControl: max-age=0\r\n\r\n"},
        {"get proxy service path",
         {false, "f", "", "", "Ag", "h", "sp", true},
         "GET http://h:80/sp/f HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: Ag\r\nHost: h\r\n"
         "Accept: text/plain\r\nCacheControl: max-age=0\r\n\r\n"},
        {"header block",
         {true, "c", "HTTP/1.0\r\nX: y\r\n\r\n", "b", "Ag", "h", "", false},
         "POST /c HTTP/1.0\r\nX: y\r\n\r\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildHttpRequestText(c.request), c.expected);
    }
}

TEST(HttpWireTest, RandomAndTruncatedHeadsAreSafe) {
    std::mt19937 rng(1234);
    const std::string good = "HTTP/1.0 200 OK\r\nContent-Length: 12\r\nDate: x\r\n\r\nbody";
    for (std::size_t n = 0; n <= good.size(); ++n)
        (void)ParseHttpResponseHead(std::string_view(good).substr(0, n));
    const char alphabet[] = "HTTP/1.0 2\r\n:Content-Length0123456789 ";
    for (int i = 0; i < 20000; ++i) {
        std::string s = (i % 2 == 0) ? "HTTP/1.0 200 " : "";
        const std::size_t len = rng() % 200;
        for (std::size_t k = 0; k < len; ++k)
            s += (i % 3 == 0) ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % (sizeof alphabet - 1)];
        const HttpResponseHead head = ParseHttpResponseHead(s);
        if (head.outcome == Outcome::Complete) {
            ASSERT_LE(head.bodyOffset, s.size());
        }
    }
}
