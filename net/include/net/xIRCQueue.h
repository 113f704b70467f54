#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "divir/xAppObject.h"
#include "net/GameMsgBatcher.h"

class xTokenizer;

// The line transport of the IRC client: one stream socket of the lower layer's
// asynchronous sockets, a byte queue each way, received bytes cut into lines of
// at most 512 bytes, "PING" and client-to-client requests answered here, and
// every received line handed upward with each room-message batch split into
// single messages. It never blocks: the socket layer reports through a
// callback served from the message pump, and the owner pulls lines once per pass.
//
// A transport failure never unwinds from here: it sets the pending error 16,
// shared by every queue of the program, which the owner raises on its next pass.
class xIRCQueue : public xAppObject {
  public:
    static constexpr std::size_t kLineMax = 512;
    static constexpr std::size_t kHostMax = 63;
    static constexpr std::size_t kSenderMax = 63;
    static constexpr std::size_t kChunk = 16384;

    // Connection states.
    static constexpr std::int32_t kUninitialised = 0;
    static constexpr std::int32_t kClosed = 1;
    static constexpr std::int32_t kResolving = 2;
    static constexpr std::int32_t kResolved = 3;
    static constexpr std::int32_t kConnecting = 4;
    static constexpr std::int32_t kConnected = 5;
    static constexpr std::int32_t kClosing = 6;

    xIRCQueue();
    ~xIRCQueue() override;

    xIRCQueue(const xIRCQueue&) = delete;
    xIRCQueue& operator=(const xIRCQueue&) = delete;

    // Called once by the owner right after construction.
    void Init();

    // Starts connecting, by dotted address at once or after a host look-up;
    // the outcome arrives through the socket callback.
    virtual void Connect(const char* host, std::uint16_t port);
    virtual std::int16_t IsConnected();
    // Closes the socket and cancels a look-up in flight.
    virtual void Disconnect();
    // One line: the text cut to 511 bytes and a line feed.
    virtual void SendFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    virtual void SendText(const char* text);
    // 1 with the next line (or what HandleLine makes of it) in the buffer, 0 when none.
    virtual std::int16_t ReadMessage(char* buffer, std::size_t size);
    // Raises and clears the shared pending error, if any.
    virtual void RaisePendingError();
    // 1 with the next complete non-empty line.
    virtual std::int16_t PumpReceived(const char** line);
    // Answers "PING" and client-to-client requests; copies the line into the buffer.
    virtual std::int16_t HandleLine(const char* line, char* buffer, std::size_t size);

    // The connected socket's local IPv4 address (host byte order) and port; 0
    // when there is no socket or the socket layer cannot tell.
    std::uint32_t GetLocalAddress();
    std::uint16_t GetLocalPort();
    std::int16_t GetLocalName(std::uint32_t& address, std::uint16_t& port);

    std::int32_t GetState() const { return state_; }
    const char* GetSender() const { return sender_.data(); }

    static std::int16_t GetPendingError() { return pendingError_; }
    static void SetPendingError(std::int16_t code) { pendingError_ = code; }

    // The socket layer's callback: tag 1 and this queue as the context.
    static void OnSocketEvent(std::intptr_t tag, std::uint32_t event, std::intptr_t queue, std::uint32_t error);

  protected:
    void ConnectTo(std::uint32_t addressNetworkOrder);
    void ReceiveBytes();
    void FlushSendQueue();
    void ReplyToCtcp(const char* nick, const xTokenizer& tokens);

    // Bytes as if read from the socket (tests feed lines through this).
    void AppendReceived(const char* bytes, std::size_t length);
    std::size_t PendingReceivedBytes() const { return receiveQueue_.size(); }
    // The bytes still waiting to be sent.
    std::string PendingSendText() const { return std::string(sendQueue_.begin(), sendQueue_.end()); }

  private:
    // A transport failure: the pending error 16, the socket closed.
    void Fail();
    void HandleSocketEvent(std::uint32_t event, std::uint32_t error);

    std::int16_t socket_ = -1;
    std::int16_t lookup_ = 0;
    std::int32_t state_ = kUninitialised;
    std::array<char, 1024> hostEntry_{};
    std::array<char, kHostMax + 1> host_{};
    std::uint16_t port_ = 0;
    std::deque<char> receiveQueue_;
    std::deque<char> sendQueue_;
    // 0 while the rest of an over-long line is skipped to its end.
    std::int16_t inLine_ = 1;
    std::array<char, kLineMax + 1> line_{};
    std::size_t lineLength_ = 0;
    std::unique_ptr<std::array<char, kChunk>> sendBuffer_;
    std::unique_ptr<std::array<char, kChunk>> receiveBuffer_;
    std::array<char, kSenderMax + 1> sender_{};
    std::unique_ptr<GameMsgBatcher> batcher_;
    bool startedSockets_ = false;

    static inline std::int16_t pendingError_ = 0;
};
