#include "net/xIrcClientQueue.h"

#include "divir/xTokenizer.h"
#include "net/IrcEventText.h"

std::int16_t xIrcClientQueue::ParseLine(const char* line, char* buffer, std::size_t size) {
    xIRCQueue::HandleLine(line, buffer, size);
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    buffer[0] = '\0';
    xTokenizer tokens;
    tokens.TokenizeLine(line, xTokenizer::kMaxLine);
    const IrcCommand command = ClassifyIrcLine(tokens);
    if (command == IrcCommand::kPing) {
        return 1;
    }
    char sender[kSenderMax + 1];
    CopyIrcSender(tokens, sender, sizeof sender);
    switch (command) {
        case IrcCommand::kNumeric:
            return OnNumericReply(buffer, size, sender, tokens);
        case IrcCommand::kPrivmsg:
            return OnPrivmsg(buffer, size, sender, tokens);
        case IrcCommand::kNotice:
            return OnNotice(buffer, size, sender, tokens);
        case IrcCommand::kPart:
            return OnPart(buffer, size, sender, tokens);
        case IrcCommand::kJoin:
            return OnJoin(buffer, size, sender, tokens);
        case IrcCommand::kNick:
            return OnNick(buffer, size, sender, tokens);
        case IrcCommand::kKick:
            return OnKick(buffer, size, sender, tokens);
        case IrcCommand::kQuit:
            return OnQuit(buffer, size, sender, tokens);
        case IrcCommand::kMode:
            return OnMode(buffer, size, sender, tokens);
        default:
            return 0;
    }
}

std::int16_t xIrcClientQueue::OnNumericReply(char* buffer, std::size_t size, const char* sender,
                                             const xTokenizer& tokens) {
    return WriteNumericReplyText(buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnPrivmsg(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WritePrivmsgText(buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnNotice(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WriteNoticeText(buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnPart(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WriteCommandText("IRC_PART", buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnJoin(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WriteCommandText("IRC_JOIN", buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnNick(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WriteCommandText("IRC_NICK", buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnKick(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WriteCommandText("IRC_KICK", buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnQuit(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    return WriteCommandText("IRC_QUIT", buffer, size, sender, tokens);
}

std::int16_t xIrcClientQueue::OnMode(char* buffer, std::size_t size, const char*, const xTokenizer&) {
    if (buffer != nullptr && size > 0) {
        buffer[0] = '\0';
    }
    return 1;
}
