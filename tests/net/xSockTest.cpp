#include "net/xSock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "LoopbackPeer.h"
#include "PumpFixture.h"
#include "divir/xError.h"

using platform::Num;
using platform::SocketError;
using platform::SocketEvent;

namespace {

struct Note {
    std::uint32_t event;
    std::uint32_t error;
    bool operator==(const Note&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Note& n) {
    return os << "{" << n.event << ", " << n.error << "}";
}

struct Recorder {
    std::vector<Note> notes;
    std::vector<std::intptr_t> contexts;
};

void Record(std::intptr_t user, std::uint32_t event, std::intptr_t context, std::uint32_t error) {
    auto* r = reinterpret_cast<Recorder*>(user);
    r->notes.push_back({event, error});
    r->contexts.push_back(context);
}

constexpr std::uint32_t kAllEvents =
    Num(SocketEvent::Read) | Num(SocketEvent::Write) | Num(SocketEvent::Connect) | Num(SocketEvent::Close);

constexpr Note kConnected{Num(SocketEvent::Connect), 0};
constexpr Note kWritable{Num(SocketEvent::Write), 0};
constexpr Note kReadable{Num(SocketEvent::Read), 0};
constexpr Note kClosed{Num(SocketEvent::Close), 0};

xSockAddr Loopback(std::uint16_t port) {
    xSockAddr a;
    a.family = kSockFamilyInet;
    a.port = xSockHostToNet16(port);
    const std::uint8_t bytes[4] = {127, 0, 0, 1};
    std::memcpy(&a.address, bytes, 4);
    return a;
}

class xSockTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        xSockStartupData data;
        xSockStartup(nullptr, 0x0101, &data, 12);
        ASSERT_EQ(xErrorCode, 0);
    }
    void TearDown() override {
        xSockCleanup();
        PumpFixture::TearDown();
    }

    std::int16_t Connect(std::uint16_t port, Recorder& r) {
        const std::int16_t h = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
        EXPECT_GT(h, 0);
        opened_.push_back(h);
        EXPECT_EQ(xSockSelect(h, &Record, kAllEvents, reinterpret_cast<std::intptr_t>(&r), 77), 0);
        const xSockAddr a = Loopback(port);
        if (xSockConnect(h, &a, sizeof a) != 0) {
            EXPECT_EQ(xSockGetError(), Num(SocketError::WouldBlock));
        }
        return h;
    }

    bool PumpUntilNotes(const Recorder& r, std::size_t count) {
        return PumpUntil([&] { return r.notes.size() >= count; });
    }

    void CloseOpened() {
        for (const std::int16_t h : opened_) xSockClose(h);
        opened_.clear();
    }

  private:
    std::vector<std::int16_t> opened_;
};

// A peer's behaviour, acted out between pump passes, and the notifications the
// client's socket gets for it, in order.
struct PeerCase {
    const char* name;
    std::function<void(xSockTest&, Recorder&, LoopbackListener&)> act;
    std::vector<Note> expected;
};

}  // namespace

TEST_F(xSockTest, PeerBehavioursBecomeNotificationsInOrder) {
    const PeerCase cases[] = {
        {"listener",
         [](xSockTest& t, Recorder& r, LoopbackListener& l) {
             t.Connect(l.port(), r);
             ASSERT_TRUE(t.PumpUntilNotes(r, 2));
             const int peer = l.Accept();
             t.PumpPasses(4);
             ::close(peer);
         },
         {kConnected, kWritable}},
        {"refused port",
         [](xSockTest& t, Recorder& r, LoopbackListener&) {
             t.Connect(UnusedLoopbackPort(), r);
             ASSERT_TRUE(t.PumpUntilNotes(r, 1));
             t.PumpPasses(4);
         },
         {{Num(SocketEvent::Connect), Num(SocketError::ConnectionRefused)}}},
        {"data then close",
         [](xSockTest& t, Recorder& r, LoopbackListener& l) {
             const std::int16_t h = t.Connect(l.port(), r);
             const int peer = l.Accept();
             SendAll(peer, "hello");
             ::close(peer);
             ASSERT_TRUE(t.PumpUntilNotes(r, 3));
             // Read is not posted again before a receive, and no close comes while
             // data waits.
             t.PumpPasses(4);
             ASSERT_EQ(r.notes.size(), 3u);
             char buf[16] = {};
             EXPECT_EQ(xSockRecv(h, buf, 2, 0, nullptr, nullptr), 2);
             ASSERT_TRUE(t.PumpUntilNotes(r, 4));
             EXPECT_EQ(xSockRecv(h, buf + 2, sizeof buf - 2, 0, nullptr, nullptr), 3);
             EXPECT_STREQ(buf, "hello");
             ASSERT_TRUE(t.PumpUntilNotes(r, 5));
             EXPECT_EQ(xSockRecv(h, buf, sizeof buf, 0, nullptr, nullptr), 0);
             t.PumpPasses(4);
         },
         {kConnected, kWritable, kReadable, kReadable, kClosed}},
        {"reset",
         [](xSockTest& t, Recorder& r, LoopbackListener& l) {
             t.Connect(l.port(), r);
             ASSERT_TRUE(t.PumpUntilNotes(r, 2));
             ResetAndClose(l.Accept());
             ASSERT_TRUE(t.PumpUntilNotes(r, 3));
             t.PumpPasses(4);
         },
         {kConnected, kWritable, {Num(SocketEvent::Close), Num(SocketError::ConnectionReset)}}},
        {"a peer that stops reading",
         [](xSockTest& t, Recorder& r, LoopbackListener& l) {
             const std::int16_t h = t.Connect(l.port(), r);
             const int peer = l.Accept();
             ASSERT_TRUE(t.PumpUntilNotes(r, 2));
             const std::string chunk(65536, 'x');
             int sends = 0;
             while (xSockSend(h, chunk.data(), static_cast<std::int32_t>(chunk.size()), 0, nullptr, 0) >= 0)
                 ASSERT_LT(++sends, 100000);
             EXPECT_EQ(xSockGetError(), Num(SocketError::WouldBlock));
             t.PumpPasses(2);
             EXPECT_EQ(r.notes.size(), 2u);
             char sink[65536];
             ASSERT_TRUE(t.PumpUntil([&] {
                 while (::recv(peer, sink, sizeof sink, MSG_DONTWAIT) > 0) {
                 }
                 return r.notes.size() >= 3;
             }));
             ::close(peer);
         },
         {kConnected, kWritable, kWritable}},
    };
    for (const PeerCase& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        LoopbackListener listener;
        c.act(*this, r, listener);
        CloseOpened();
        EXPECT_EQ(r.notes, c.expected);
        for (const std::intptr_t context : r.contexts) EXPECT_EQ(context, 77);
    }
}

TEST_F(xSockTest, AReusedDescriptorAndHandleGetNothingStale) {
    LoopbackListener listener;
    Recorder first;
    const std::int16_t a = Connect(listener.port(), first);
    // Let the connect notification be posted, but not served.
    platform::WinMessage m;
    ASSERT_TRUE(PumpUntil([&] { return queue_.Peek(m, kSockNotifyFirst + a, kSockNotifyFirst + a, false); }));
    EXPECT_TRUE(first.notes.empty());
    ASSERT_EQ(xSockClose(a), 0);

    Recorder second;
    const std::int16_t b = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
    EXPECT_EQ(b, a);
    ASSERT_EQ(xSockSelect(b, &Record, kAllEvents, reinterpret_cast<std::intptr_t>(&second), 0), 0);
    PumpPasses(6);
    EXPECT_TRUE(first.notes.empty());
    EXPECT_TRUE(second.notes.empty());
    EXPECT_EQ(xSockClose(b), 0);
}

TEST_F(xSockTest, ANotificationForAnotherSocketIsNotDelivered) {
    Recorder r;
    const std::int16_t h = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
    ASSERT_EQ(xSockSelect(h, &Record, kAllEvents, reinterpret_cast<std::intptr_t>(&r), 0), 0);
    xSockAddr local;
    int length = 0;
    ASSERT_EQ(xSockGetSockName(h, &local, &length), 0);
    EXPECT_EQ(length, 16);
    // The message names the handle but not its socket.
    queue_.Dispatch(platform::WinMessage{
        xSockNotifyWindow(), kSockNotifyFirst + static_cast<std::uint32_t>(h), 999999, 1, 0, 0, 0});
    EXPECT_TRUE(r.notes.empty());
    xSockClose(h);
}

TEST_F(xSockTest, LookUpsReportOnceAndFreeTheirHandle) {
    struct Case {
        const char* name;
        bool found;
    };
    const Case cases[] = {{"localhost", true}, {"nowhere.invalid", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder r;
        char buffer[1024];
        std::memset(buffer, 0xAB, sizeof buffer);
        const std::int16_t h = xSockGetHostByName(c.name, buffer, sizeof buffer, &Record,
                                                  reinterpret_cast<std::intptr_t>(&r), 5);
        ASSERT_GT(h, 0);
        ASSERT_TRUE(PumpUntilNotes(r, 1));
        PumpPasses(3);
        ASSERT_EQ(r.notes.size(), 1u);
        EXPECT_EQ(r.contexts[0], 5);
        // The handle is free again: cancelling it finds nothing.
        EXPECT_EQ(xSockCancelAsyncRequest(h), -1);
        EXPECT_EQ(xSockGetError(), kSockErrNoRequest);
        if (c.found) {
            EXPECT_EQ(r.notes[0].error, 0u);
            ASSERT_GT(r.notes[0].event, sizeof(xHostEntry));
            std::uint32_t address = 0;
            ASSERT_TRUE(xSockHostEntryAddress(buffer, static_cast<int>(r.notes[0].event), address));
            const std::uint8_t loopback[4] = {127, 0, 0, 1};
            EXPECT_EQ(std::memcmp(&address, loopback, 4), 0);
        } else {
            EXPECT_EQ(r.notes[0], (Note{0, Num(SocketError::HostNotFound)}));
            EXPECT_EQ(static_cast<unsigned char>(buffer[0]), 0xABu);
        }
    }
}

TEST_F(xSockTest, ACancelledLookUpIsNeverReportedAndFreesItsHandleAtOnce) {
    Recorder r;
    char buffer[1024];
    std::memset(buffer, 0xAB, sizeof buffer);
    const std::int16_t h = xSockGetHostByName("localhost", buffer, sizeof buffer, &Record,
                                              reinterpret_cast<std::intptr_t>(&r), 0);
    ASSERT_GT(h, 0);
    EXPECT_EQ(xSockCancelAsyncRequest(h), 0);
    // The handle is reused at once by the next item.
    const std::int16_t socket = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
    EXPECT_EQ(socket, h);
    PumpPasses(20);
    EXPECT_TRUE(r.notes.empty());
    for (const char c : buffer) ASSERT_EQ(static_cast<unsigned char>(c), 0xABu);
    xSockClose(socket);
}

TEST_F(xSockTest, UnknownHandlesSetTheLayersOwnCodes) {
    EXPECT_EQ(xSockCancelAsyncRequest(65535), -1);
    EXPECT_EQ(xSockGetError(), kSockErrNoRequest);
    EXPECT_EQ(xSockClose(9), -1);
    EXPECT_EQ(xSockGetError(), kSockErrNoSocket);
    xSockAddr a;
    EXPECT_EQ(xSockGetSockName(9, &a, nullptr), -1);
    EXPECT_EQ(xSockGetError(), kSockErrNoSocket);
    EXPECT_EQ(xSockSend(9, "x", 1, 0, nullptr, 0), -1);
    EXPECT_EQ(xSockGetError(), kSockErrNoSocket);
}

TEST_F(xSockTest, TheLastCleanUpClosesEverySocket) {
    const std::int16_t h = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
    ASSERT_GT(h, 0);
    xSockStartup(nullptr, 0x0101, nullptr, 12);  // a second user
    xSockCleanup();
    EXPECT_EQ(xSockGetSockName(h, nullptr, nullptr), 0);  // still open
    xSockCleanup();
    xSockStartup(nullptr, 0x0101, nullptr, 12);
    EXPECT_EQ(xSockGetSockName(h, nullptr, nullptr), -1);
}

TEST_F(xSockTest, StartupClampsTheSocketLimit) {
    xSockStartupData data;
    xSockCleanup();
    xSockStartup(nullptr, 0x0101, &data, 100);
    EXPECT_EQ(data.maxSockets, 64);
    // 64 + 12 socket items fit before the table first grows; more still work.
    std::vector<std::int16_t> handles;
    for (int i = 0; i < 80; ++i) {
        const std::int16_t h = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
        ASSERT_GT(h, 0);
        handles.push_back(h);
    }
    for (const std::int16_t h : handles) EXPECT_EQ(xSockClose(h), 0);
}

TEST(xSockURLSplitTest, SplitsHostPortAndPath) {
    struct Case {
        const char* url;
        const char* host;
        const char* path;
        std::uint16_t port;  // host order; 4321 stands for "left unchanged"
    };
    const Case cases[] = {
        {"//h:8080/a/b", "h", "a/b", 8080},
        {"h/x", "", "h/x", 4321},
        {"/h/x", "", "h/x", 4321},
        {"http://h", "h", "", 0},
        {"//h/x", "h", "x", 0},
        {"//h//x", "h", "x", 0},
        {"//h:81", "h", "", 81},
        {"//h/a:b", "h", "a:b", 0},
        {"", "", "", 4321},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::string host = "?", path = "?";
        std::uint16_t port = xSockHostToNet16(4321);
        xSockURLSplit(c.url, &host, &path, &port);
        EXPECT_EQ(host, c.host);
        EXPECT_EQ(path, c.path);
        EXPECT_EQ(port, xSockHostToNet16(c.port));
        xSockURLSplit(c.url, nullptr, nullptr, nullptr);
    }
}
