#include "net/xIRCQueue.h"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "divir/xError.h"
#include "divir/xTokenizer.h"
#include "divir/xTryFrame.h"
#include "net/xSock.h"

namespace {

constexpr std::intptr_t kTag = 1;
// Read, write, connect and close.
constexpr std::uint32_t kEventMask = 0x33;
constexpr std::uint32_t kRead = 0x01;
constexpr std::uint32_t kWrite = 0x02;
constexpr std::uint32_t kConnect = 0x10;
constexpr std::uint32_t kClose = 0x20;
constexpr std::uint16_t kWouldBlock = 10035;

// Copies at most max characters and a terminating zero.
template <std::size_t N>
void CopyBounded(std::array<char, N>& to, const char* from, std::size_t max = N - 1) {
    std::size_t n = 0;
    if (from != nullptr) {
        while (n < max && n + 1 < N && from[n] != '\0') {
            to[n] = from[n];
            ++n;
        }
    }
    to[n] = '\0';
}

// A dotted IPv4 address (four decimal parts of 0 to 255) in network byte order.
bool ParseDotted(const char* text, std::uint32_t& address) {
    std::uint8_t bytes[4];
    for (int part = 0; part < 4; ++part) {
        if (*text < '0' || *text > '9') return false;
        unsigned value = 0;
        int digits = 0;
        while (*text >= '0' && *text <= '9') {
            value = value * 10 + static_cast<unsigned>(*text++ - '0');
            if (++digits > 3 || value > 255) return false;
        }
        bytes[part] = static_cast<std::uint8_t>(value);
        if (part < 3 && *text++ != '.') return false;
    }
    if (*text != '\0') return false;
    std::memcpy(&address, bytes, 4);
    return true;
}

std::uint32_t NetToHost32(std::uint32_t value) {
    std::uint8_t b[4];
    std::memcpy(b, &value, 4);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) | b[3];
}

}  // namespace

xIRCQueue::xIRCQueue()
    : sendBuffer_(std::make_unique<std::array<char, kChunk>>()),
      receiveBuffer_(std::make_unique<std::array<char, kChunk>>()) {}

xIRCQueue::~xIRCQueue() {
    if (state_ != kUninitialised) {
        Disconnect();
    }
    if (startedSockets_) {
        xSockCleanup();
    }
    batcher_.reset();
}

void xIRCQueue::Init() {
    state_ = kClosed;
    batcher_ = std::make_unique<GameMsgBatcher>(this);
    // Without a socket layer every connection attempt fails with the pending error.
    startedSockets_ = xTry([] { xSockStartup(nullptr, 0x0101, nullptr, 12); }) == 0;
}

void xIRCQueue::Connect(const char* host, std::uint16_t port) {
    Disconnect();
    port_ = port;
    CopyBounded(host_, host, kHostMax);
    // A new connection starts from clean queues: nothing of the last one is sent
    // or read on it.
    sendQueue_.clear();
    receiveQueue_.clear();
    lineLength_ = 0;
    inLine_ = 1;
    if (batcher_) {
        char discard[kLineMax + 1];
        while (batcher_->NextMessage(discard, sizeof discard) == 1) {
        }
    }
    std::uint32_t address = 0;
    if (ParseDotted(host_.data(), address)) {
        ConnectTo(address);
        return;
    }
    state_ = kResolving;
    lookup_ = xSockGetHostByName(host_.data(), hostEntry_.data(), static_cast<int>(hostEntry_.size()), &OnSocketEvent,
                                 kTag, reinterpret_cast<std::intptr_t>(this));
    if (lookup_ == 0) {
        Fail();
    }
}

std::int16_t xIRCQueue::IsConnected() {
    return state_ == kConnected ? 1 : 0;
}

void xIRCQueue::Disconnect() {
    if (state_ == kClosing) {
        return;
    }
    state_ = kClosing;
    if (lookup_ != 0) {
        xSockCancelAsyncRequest(lookup_);
        lookup_ = 0;
    }
    if (socket_ >= 0) {
        xSockClose(socket_);
        socket_ = -1;
    }
    state_ = kClosed;
}

void xIRCQueue::Fail() {
    pendingError_ = kErrIrcConnection;
    Disconnect();
}

void xIRCQueue::SendFormatted(const char* format, ...) {
    char line[kLineMax + 1];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, kLineMax, format, args);
    va_end(args);
    if (n < 0) {
        return;
    }
    // At most 511 bytes of text and the line feed.
    const std::size_t length = ::strnlen(line, kLineMax - 1);
    line[length] = '\n';
    line[length + 1] = '\0';
    SendText(line);
}

void xIRCQueue::SendText(const char* text) {
    if (text == nullptr) {
        return;
    }
    sendQueue_.insert(sendQueue_.end(), text, text + std::strlen(text));
    FlushSendQueue();
}

void xIRCQueue::ConnectTo(std::uint32_t addressNetworkOrder) {
    state_ = kConnecting;
    socket_ = xSockCreate(kSockFamilyInet, kSockStream, 0, 0);
    if (socket_ < 0) {
        socket_ = -1;
        Fail();
        return;
    }
    const std::int32_t dontLinger = 1;
    xSockAddr address;
    address.family = kSockFamilyInet;
    address.port = xSockHostToNet16(port_);
    address.address = addressNetworkOrder;
    if (xSockSelect(socket_, &OnSocketEvent, kEventMask, kTag, reinterpret_cast<std::intptr_t>(this)) != 0 ||
        xSockSetSockOpt(socket_, kSockLevelSocket, kSockOptDontLinger, &dontLinger, sizeof dontLinger) != 0) {
        Fail();
        return;
    }
    if (xSockConnect(socket_, &address, sizeof address) != 0 && xSockGetError() != kWouldBlock) {
        Fail();
    }
}

void xIRCQueue::OnSocketEvent(std::intptr_t tag, std::uint32_t event, std::intptr_t queue, std::uint32_t error) {
    auto* self = reinterpret_cast<xIRCQueue*>(queue);
    if (self == nullptr) {
        return;
    }
    if (tag != kTag) {
        pendingError_ = kErrIrcConnection;
        return;
    }
    self->HandleSocketEvent(event, error);
}

void xIRCQueue::HandleSocketEvent(std::uint32_t event, std::uint32_t error) {
    switch (state_) {
        case kResolving: {
            // A look-up reports once; its handle is free from here on.
            lookup_ = 0;
            std::uint32_t address = 0;
            if (error != 0 || !xSockHostEntryAddress(hostEntry_.data(), static_cast<int>(event), address)) {
                Fail();
                return;
            }
            state_ = kResolved;
            ConnectTo(address);
            return;
        }
        case kConnecting:
            if (error != 0) {
                Fail();
            } else if ((event & kConnect) != 0) {
                state_ = kConnected;
            }
            return;
        case kConnected:
            if (error != 0) {
                Fail();
                return;
            }
            if ((event & ~(kRead | kWrite | kClose)) != 0 || event == 0) {
                pendingError_ = kErrIrcConnection;
                return;
            }
            if ((event & kRead) != 0) ReceiveBytes();
            if ((event & kWrite) != 0) FlushSendQueue();
            if ((event & kClose) != 0) Disconnect();
            return;
        case kClosing:
        case kClosed:
            // What still arrives for a connection that is gone.
            return;
        default:
            pendingError_ = kErrIrcConnection;
            return;
    }
}

void xIRCQueue::ReceiveBytes() {
    if (socket_ < 0) {
        return;
    }
    const std::int32_t n = xSockRecv(socket_, receiveBuffer_->data(), static_cast<std::int32_t>(kChunk), 0, nullptr,
                                     nullptr);
    if (n > 0) {
        receiveQueue_.insert(receiveQueue_.end(), receiveBuffer_->data(), receiveBuffer_->data() + n);
    } else if (n < 0 && xSockGetError() != kWouldBlock) {
        Fail();
    }
}

void xIRCQueue::FlushSendQueue() {
    // Until the connection is up the bytes wait; the write notification that
    // follows the connect sends them.
    if (socket_ < 0 || state_ != kConnected) {
        return;
    }
    // A write notification comes only after a send that would block, so sending
    // goes on until the socket refuses or the queue is empty.
    while (!sendQueue_.empty()) {
        const std::size_t taken = sendQueue_.size() < kChunk ? sendQueue_.size() : kChunk;
        std::copy(sendQueue_.begin(), sendQueue_.begin() + static_cast<std::ptrdiff_t>(taken), sendBuffer_->begin());
        const std::int32_t sent =
            xSockSend(socket_, sendBuffer_->data(), static_cast<std::int32_t>(taken), 0, nullptr, 0);
        if (sent < 0) {
            if (xSockGetError() != kWouldBlock) {
                Fail();
            }
            return;
        }
        // What the socket did not take stays at the front, in order.
        sendQueue_.erase(sendQueue_.begin(), sendQueue_.begin() + sent);
    }
}

void xIRCQueue::AppendReceived(const char* bytes, std::size_t length) {
    receiveQueue_.insert(receiveQueue_.end(), bytes, bytes + length);
}

std::int16_t xIRCQueue::PumpReceived(const char** line) {
    while (!receiveQueue_.empty()) {
        const char c = receiveQueue_.front();
        receiveQueue_.pop_front();
        if (c == '\r' || c == '\n') {
            const bool complete = inLine_ != 0 && lineLength_ > 0;
            inLine_ = 1;
            if (complete) {
                line_[lineLength_] = '\0';
                lineLength_ = 0;
                if (line != nullptr) *line = line_.data();
                return 1;
            }
            continue;
        }
        if (inLine_ == 0) {
            continue;
        }
        if (lineLength_ == kLineMax) {
            // A line may hold 512 bytes: the rest of this one is dropped, and the
            // connection counts as failed.
            pendingError_ = kErrIrcConnection;
            lineLength_ = 0;
            inLine_ = 0;
            return 0;
        }
        line_[lineLength_++] = c;
    }
    return 0;
}

std::int16_t xIRCQueue::ReadMessage(char* buffer, std::size_t size) {
    if (!batcher_) {
        return 0;
    }
    char message[kLineMax + 1];
    if (batcher_->NextMessage(message, sizeof message) == 0) {
        const char* line = nullptr;
        if (PumpReceived(&line) == 0) {
            return 0;
        }
        xTokenizer tokens;
        tokens.TokenizeLine(line, static_cast<std::int16_t>(kLineMax));
        // The prefix's nick (with its colon); a line without one has its command here.
        const char* prefix = tokens.GetToken(0);
        const std::size_t nick = std::strcspn(prefix, "!");
        CopyBounded(sender_, prefix, nick < kSenderMax ? nick : kSenderMax);
        if (tokens.GetToken(1)[0] == '\0') {
            return 0;
        }
        batcher_->Feed(tokens.GetRestOfLine(1));
        if (batcher_->NextMessage(message, sizeof message) == 0) {
            return 0;
        }
    }
    char full[kSenderMax + 1 + kLineMax + 1];
    std::snprintf(full, sizeof full, "%s %s", sender_.data(), message);
    if (HandleLine(full, buffer, size) == 0) {
        return 0;
    }
    return buffer != nullptr && size > 0 && buffer[0] != '\0' ? 1 : 0;
}

void xIRCQueue::RaisePendingError() {
    if (pendingError_ != 0) {
        const std::int16_t code = pendingError_;
        pendingError_ = 0;
        xThrow(code);
    }
}

std::int16_t xIRCQueue::HandleLine(const char* line, char* buffer, std::size_t size) {
    if (buffer != nullptr && size > 0) {
        std::snprintf(buffer, size, "%s", line);
    }
    xTokenizer tokens;
    tokens.TokenizeLine(line, static_cast<std::int16_t>(kLineMax));
    if (std::strncmp(tokens.GetToken(0), "PING", 4) == 0) {
        SendFormatted("PONG %s", tokens.GetToken(1));
    } else if (::strncasecmp(tokens.GetToken(1), "PRIVMSG", 7) == 0) {
        const char* prefix = tokens.GetToken(0);
        if (*prefix != '\0') ++prefix;
        char nick[kSenderMax + 1];
        const std::size_t n = std::strcspn(prefix, "!");
        std::snprintf(nick, sizeof nick, "%.*s", static_cast<int>(n < kSenderMax ? n : kSenderMax), prefix);
        ReplyToCtcp(nick, tokens);
    }
    return 1;
}

void xIRCQueue::ReplyToCtcp(const char* nick, const xTokenizer& tokens) {
    const char* text = tokens.GetToken(3);
    if (text[0] == '\0' || text[1] != '\1' || text[2] == 'A') {
        return;
    }
    const char* word = text + 2;
    auto is = [word](const char* request) { return ::strncasecmp(word, request, std::strlen(request)) == 0; };
    if (is("PING")) {
        SendFormatted("NOTICE %s :\1PONG\1", nick);
    } else if (is("VERSION")) {
        SendFormatted("NOTICE %s :\1VERSION XAPP Test IRC 1.0\1", nick);
    } else if (is("PID")) {
        SendFormatted("NOTICE %s :\1PID %d\1", nick, 0);
    } else if (is("FINGER")) {
        SendFormatted("NOTICE %s :\1FINGER %s (%s@%s) Idle %d seconds\1", nick, "NA", "NA", "xIRCQueue Client", 0);
    } else if (is("CLIENTINFO")) {
        SendFormatted("NOTICE %s :\1CLIENTINFO %s\1", nick, "VERSION FINGER CLIENTINFO PID ERRMSG no dcc yet...");
    } else if (is("ERRMSG")) {
        SendFormatted("NOTICE %s :\1%s %s %s %s\1", nick, tokens.GetToken(3), tokens.GetToken(4), tokens.GetToken(5),
                      tokens.GetToken(6));
    } else if (is("DCC")) {
        SendFormatted("NOTICE %s :\1DCC not supported\1", nick);
    } else {
        SendFormatted("NOTICE %s :\1ERRMSG %s\1", nick, "This client does not know that request.");
    }
}

std::int16_t xIRCQueue::GetLocalName(std::uint32_t& address, std::uint16_t& port) {
    address = 0;
    port = 0;
    if (socket_ < 0) {
        return 0;
    }
    xSockAddr local;
    int length = sizeof local;
    if (xSockGetSockName(socket_, &local, &length) != 0) {
        return 0;
    }
    address = NetToHost32(local.address);
    port = xSockHostToNet16(local.port);
    return 1;
}

std::uint32_t xIRCQueue::GetLocalAddress() {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    GetLocalName(address, port);
    return address;
}

std::uint16_t xIRCQueue::GetLocalPort() {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    GetLocalName(address, port);
    return port;
}
