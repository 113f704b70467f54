#include "net/InflateSlots.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "TestHttpServer.h"

namespace {

// A stream made by the test server's writer, which shares nothing with ours.
std::string Stream(const std::string& kind) {
    char name[] = "/tmp/vizuzor-stream-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    const bool ok = TestHttpServer::RunScript({"--write-stream", kind, name});
    std::string bytes = ok ? TestHttpServer::ReadFile(name) : std::string();
    ::unlink(name);
    return bytes;
}

std::string Content(const std::string& kind) {
    char name[] = "/tmp/vizuzor-content-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0) ::close(fd);
    const bool ok = TestHttpServer::RunScript({"--write-content", kind, name});
    std::string bytes = ok ? TestHttpServer::ReadFile(name) : std::string();
    ::unlink(name);
    return bytes;
}

// Feeds the stream in pieces of the given sizes (the last one repeats), each
// piece until it is used up; returns the output and the close result.
std::pair<std::string, std::int16_t> Inflate(const std::string& stream, std::vector<std::size_t> pieces,
                                             std::uint32_t outSize = 100000) {
    const std::int16_t slot = InflateSlotOpen();
    EXPECT_NE(slot, 0);
    std::string out;
    std::vector<char> buffer(outSize);
    std::size_t at = 0, p = 0;
    while (at < stream.size()) {
        const std::size_t n = std::min(pieces[std::min(p, pieces.size() - 1)], stream.size() - at);
        ++p;
        std::uint32_t left = static_cast<std::uint32_t>(n);
        const char* in = stream.data() + at;
        for (;;) {
            std::uint32_t size = outSize, used = 0;
            const int rc = InflateSlotFeed(slot, buffer.data(), size, in, left, &used);
            out.append(buffer.data(), size);
            in += used;
            left -= used;
            if ((left == 0 && size < outSize) || (used == 0 && size == 0) || (rc < 0 && rc != -5)) break;
        }
        at += n;
    }
    return {out, InflateSlotClose(slot, 0)};
}

class InflateSlotsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (TestHttpServer::Python().empty()) GTEST_SKIP() << "python3 is missing: no stream writer";
        InflateSlotsInit();
    }
};

}  // namespace

TEST_F(InflateSlotsTest, StreamsToOutputAndCheck) {
    const std::string text = Content("text");
    struct Case {
        const char* kind;
        std::vector<std::size_t> pieces;
        std::string output;  // compared when the check passes
        std::int16_t check;
    };
    const Case cases[] = {
        {"empty", {16384}, "", 1},     {"text", {10, 6, 16384}, text, 1},
        {"text", {1}, text, 1},        {"zeros1m", {16384}, std::string(1 << 20, '\0'), 1},
        {"flipdata", {16384}, "", 0},  {"flipsum", {16384}, "", 0},
        {"truncated", {16384}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const std::string stream = Stream(c.kind);
        ASSERT_GE(stream.size(), 16u);
        const auto [out, check] = Inflate(stream, c.pieces);
        EXPECT_EQ(check, c.check);
        if (c.check == 1) {
            EXPECT_EQ(out, c.output);
        }
    }
}

TEST_F(InflateSlotsTest, AHeaderSplitTenAndSixIsAssembled) {
    const std::string stream = Stream("text");
    const std::int16_t slot = InflateSlotOpen();
    char out[100];
    std::uint32_t size = sizeof out;
    EXPECT_EQ(InflateSlotFeed(slot, out, size, stream.data(), 10), 0);
    EXPECT_EQ(size, 0u);
    size = sizeof out;
    InflateSlotFeed(slot, out, size, stream.data() + 10, 6);
    EXPECT_EQ(size, 0u);
    size = sizeof out;
    EXPECT_EQ(InflateSlotFeed(slot, out, size, nullptr, 0), -5);
    InflateSlotClose(slot, 1);
}

TEST_F(InflateSlotsTest, FourSlotsAtMost) {
    std::int16_t slots[4];
    for (int i = 0; i < 4; ++i) {
        slots[i] = InflateSlotOpen();
        EXPECT_EQ(slots[i], i + 1);
    }
    EXPECT_EQ(InflateSlotOpen(), 0);
    InflateSlotClose(slots[2], 1);
    EXPECT_EQ(InflateSlotOpen(), 3);
    for (int i = 1; i <= 4; ++i) InflateSlotClose(static_cast<std::int16_t>(i), 1);
    std::uint32_t size = 0;
    EXPECT_EQ(InflateSlotFeed(9, nullptr, size, nullptr, 0), -2);
    EXPECT_EQ(InflateSlotClose(9, 0), 0);
}

TEST_F(InflateSlotsTest, RandomAndTruncatedStreamsAreSafe) {
    const std::string stream = Stream("text");
    std::mt19937 rng(99);
    for (int i = 0; i < 300; ++i) {
        std::string s = stream.substr(0, rng() % stream.size());
        if (i % 2 == 0 && s.size() > 20)
            for (int k = 0; k < 5; ++k) s[16 + rng() % (s.size() - 16)] = static_cast<char>(rng());
        if (i % 5 == 0) {
            s.resize(16 + rng() % 2000);
            for (std::size_t k = 16; k < s.size(); ++k) s[k] = static_cast<char>(rng());
        }
        const auto [out, check] = Inflate(s, {1 + rng() % 5000}, 4096);
        if (check == 1) {
            EXPECT_EQ(s.size(), stream.size());
        }
    }
}
