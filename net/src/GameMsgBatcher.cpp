#include "net/GameMsgBatcher.h"

#include <cstring>

#include "divir/xError.h"
#include "divir/xTokenizer.h"
#include "net/xIRCQueue.h"

namespace {

constexpr char kSeparator = 3;
constexpr char kSeparatorEnd = 4;

}  // namespace

GameMsgBatcher::GameMsgBatcher(xIRCQueue* owner) : owner_(owner) {}

GameMsgBatcher::~GameMsgBatcher() {
    Flush();
}

void GameMsgBatcher::Clear() {
    received_[0] = '\0';
    receivedLength_ = 0;
    headerLength_ = 0;
    cursor_ = 0;
}

void GameMsgBatcher::Feed(const char* text) {
    if (text == nullptr) {
        return;
    }
    const std::size_t length = ::strnlen(text, kLineMax + 1);
    if (receivedLength_ != 0 || length > kLineMax) {
        xThrow(kErrBadState);
        return;
    }
    if (length == 0) {
        return;
    }
    std::memcpy(received_.data(), text, length);
    received_[length] = '\0';
    receivedLength_ = length;
    // Any line but a private message is one message: all header.
    headerLength_ = length;
    cursor_ = length;

    xTokenizer tokens;
    tokens.TokenizeLine(received_.data(), static_cast<std::int16_t>(length));
    if (std::strncmp(tokens.GetToken(0), "PRIVMSG", 7) != 0 || tokens.GetTokenCount() < 3) {
        return;
    }
    // The text is the parameter after the target: from its colon when it has
    // one, else the single word that stands there.
    const std::size_t textStart = length - std::strlen(tokens.GetRestOfLine(2));
    if (received_[textStart] == ':') {
        headerLength_ = textStart + 1;
    } else {
        headerLength_ = textStart;
    }
    cursor_ = headerLength_;
}

std::int16_t GameMsgBatcher::NextMessage(char* buffer, std::size_t size) {
    if (receivedLength_ == 0) {
        return 0;
    }
    std::size_t out = 0;
    auto put = [&](char c) {
        if (buffer != nullptr && out + 1 < size) {
            buffer[out++] = c;
        }
    };
    for (std::size_t i = 0; i < headerLength_; ++i) {
        put(received_[i]);
    }
    std::size_t p = cursor_;
    bool endedAtPair = false;
    while (p < receivedLength_) {
        const char c = received_[p];
        const char next = p + 1 < receivedLength_ ? received_[p + 1] : '\0';
        if (c == kSeparator && next == kSeparatorEnd) {
            endedAtPair = true;
            break;
        }
        if ((c == kSeparator || c == kSeparatorEnd) && next == c) {
            put(c);
            p += 2;
            continue;
        }
        put(c);
        ++p;
    }
    if (buffer != nullptr && size > 0) {
        buffer[out] = '\0';
    }
    if (endedAtPair) {
        cursor_ = p + 2;
    } else {
        Clear();
    }
    return 1;
}

void GameMsgBatcher::Flush() {
    if (!outgoing_.empty() && owner_ != nullptr) {
        const std::string line = "PRIVMSG " + target_ + " :" + outgoing_ + "\n";
        owner_->SendText(line.c_str());
    }
    target_.clear();
    outgoing_.clear();
}
