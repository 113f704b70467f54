#include "net/xIRCQueue.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <string>

#include "LoopbackPeer.h"
#include "PumpFixture.h"
#include "divir/xError.h"
#include "net/xSock.h"

namespace {

// The line connection over real loopback sockets, served by the program's pump.
class xIRCQueueSocketTest : public PumpFixture {
  public:
    void SetUp() override {
        PumpFixture::SetUp();
        xIRCQueue::SetPendingError(0);
        queue_ = std::make_unique<xIRCQueue>();
        queue_->Init();
    }
    void TearDown() override {
        queue_.reset();
        if (peer_ >= 0) ::close(peer_);
        xIRCQueue::SetPendingError(0);
        PumpFixture::TearDown();
    }

    // Connects the queue to the listener and accepts it.
    void Connect() {
        queue_->Connect("127.0.0.1", listener_.port());
        EXPECT_EQ(queue_->GetState(), xIRCQueue::kConnecting);
        peer_ = listener_.Accept();
        ASSERT_GE(peer_, 0);
        ::fcntl(peer_, F_SETFL, ::fcntl(peer_, F_GETFL) | O_NONBLOCK);
        ASSERT_TRUE(PumpUntil([&] { return queue_->IsConnected() == 1; }));
    }

    // Whatever the peer has received so far.
    std::string Drain() {
        std::string got;
        char buffer[65536];
        ssize_t n;
        while ((n = ::recv(peer_, buffer, sizeof buffer, 0)) > 0) got.append(buffer, static_cast<std::size_t>(n));
        return got;
    }

    struct Queue : xIRCQueue {
        using xIRCQueue::PendingSendText;
    };
    std::string Pending() { return static_cast<Queue&>(*queue_).PendingSendText(); }

    LoopbackListener listener_;
    std::unique_ptr<xIRCQueue> queue_;
    int peer_ = -1;
};

// More than the socket takes at once: what it refuses waits at the front, and
// write notifications send it on, every byte once and in order.
TEST_F(xIRCQueueSocketTest, PartialSendsKeepTheRestInOrder) {
    Connect();
    std::string expected;
    for (int i = 0; i < 16000; ++i) {
        const std::string body = std::to_string(i) + std::string(480, static_cast<char>('a' + i % 26));
        queue_->SendFormatted("PRIVMSG x :%s", body.c_str());
        expected += "PRIVMSG x :" + body + "\n";
    }
    const std::string held = Pending();
    ASSERT_FALSE(held.empty());
    EXPECT_EQ(expected.substr(expected.size() - held.size()), held);
    std::string got;
    ASSERT_TRUE(PumpUntil([&] {
        got += Drain();
        return got.size() >= expected.size();
    }, 100000));
    EXPECT_TRUE(got == expected);
    EXPECT_TRUE(Pending().empty());
    EXPECT_EQ(xIRCQueue::GetPendingError(), 0);
}

TEST_F(xIRCQueueSocketTest, LinesArriveAndTheLocalNameIsKnown) {
    Connect();
    SendAll(peer_, ":srv 001 n :hi\r\nPING :x\r\n:srv 002 n :two");
    char buffer[513];
    std::vector<std::string> lines;
    ASSERT_TRUE(PumpUntil([&] {
        while (queue_->ReadMessage(buffer, sizeof buffer) == 1) lines.emplace_back(buffer);
        return lines.size() == 2;
    }));
    EXPECT_EQ(lines, (std::vector<std::string>{":srv 001 n :hi", "PING :x"}));
    ASSERT_TRUE(PumpUntil([&] { return Drain() == "PONG :x\n"; }));

    sockaddr_in remote{};
    socklen_t length = sizeof remote;
    ASSERT_EQ(::getpeername(peer_, reinterpret_cast<sockaddr*>(&remote), &length), 0);
    EXPECT_EQ(queue_->GetLocalAddress(), 0x7F000001u);
    EXPECT_EQ(queue_->GetLocalPort(), ntohs(remote.sin_port));
}

TEST_F(xIRCQueueSocketTest, ServerClosingEndsTheConnectionQuietly) {
    Connect();
    ::close(peer_);
    peer_ = -1;
    ASSERT_TRUE(PumpUntil([&] { return queue_->GetState() == xIRCQueue::kClosed; }));
    EXPECT_EQ(xIRCQueue::GetPendingError(), 0);
    EXPECT_EQ(queue_->GetLocalPort(), 0);
}

TEST_F(xIRCQueueSocketTest, ResetAndRefusedConnectionsLeaveThePendingError) {
    Connect();
    ResetAndClose(peer_);
    peer_ = -1;
    ASSERT_TRUE(PumpUntil([&] { return xIRCQueue::GetPendingError() == kErrIrcConnection; }));
    EXPECT_EQ(queue_->IsConnected(), 0);

    xIRCQueue::SetPendingError(0);
    queue_->Connect("127.0.0.1", UnusedLoopbackPort());
    ASSERT_TRUE(PumpUntil([&] { return xIRCQueue::GetPendingError() == kErrIrcConnection; }));
    EXPECT_EQ(queue_->IsConnected(), 0);

    xIRCQueue::SetPendingError(0);
    queue_->Connect("no-such-host.invalid", 6667);
    EXPECT_EQ(queue_->GetState(), xIRCQueue::kResolving);
    ASSERT_TRUE(PumpUntil([&] { return xIRCQueue::GetPendingError() == kErrIrcConnection; }));
}

// A disconnect while the look-up runs cancels it: nothing arrives later.
TEST_F(xIRCQueueSocketTest, DisconnectCancelsALookUp) {
    queue_->Connect("localhost", listener_.port());
    EXPECT_EQ(queue_->GetState(), xIRCQueue::kResolving);
    queue_->Disconnect();
    EXPECT_EQ(queue_->GetState(), xIRCQueue::kClosed);
    PumpPasses(20);
    EXPECT_EQ(queue_->GetState(), xIRCQueue::kClosed);
    EXPECT_EQ(xIRCQueue::GetPendingError(), 0);
}

TEST_F(xIRCQueueSocketTest, DontLingerIsASocketOption) {
    const std::int16_t h = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
    ASSERT_GT(h, 0);
    const std::int32_t on = 1;
    EXPECT_EQ(xSockSetSockOpt(h, kSockLevelSocket, kSockOptDontLinger, &on, sizeof on), 0);
    EXPECT_EQ(xSockGetError(), 0);
    EXPECT_EQ(xSockSetSockOpt(h, kSockLevelSocket, kSockOptDontLinger, &on, 2), -1);
    EXPECT_EQ(kSockOptDontLinger, -129);
    xSockClose(h);
}

}  // namespace
