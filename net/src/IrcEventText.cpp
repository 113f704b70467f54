#include "net/IrcEventText.h"

#include <strings.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "net/IRCMsg.h"

namespace {

// Appends text at the buffer's zero, keeping the last byte for the terminator.
void Append(char* buffer, std::size_t size, const char* text) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    std::size_t used = ::strnlen(buffer, size - 1);
    while (*text != '\0' && used + 1 < size) {
        buffer[used++] = *text++;
    }
    buffer[used] = '\0';
}

void Start(char* buffer, std::size_t size, const char* a, const char* b, const char* c = nullptr) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    buffer[0] = '\0';
    for (const char* part : {a, b, c}) {
        if (part != nullptr) {
            Append(buffer, size, part);
            Append(buffer, size, " ");
        }
    }
}

// Removes the first occurrence of c at or after from.
void RemoveFirst(char* buffer, std::size_t from, char c) {
    if (buffer == nullptr) {
        return;
    }
    const std::size_t length = std::strlen(buffer);
    char* at = std::strchr(buffer + (from < length ? from : length), c);
    if (at != nullptr) {
        std::memmove(at, at + 1, std::strlen(at + 1) + 1);
    }
}

std::size_t Used(const char* buffer, std::size_t size) {
    return buffer == nullptr || size == 0 ? 0 : ::strnlen(buffer, size);
}

bool IsCtcp(const char* token) {
    return token[0] != '\0' && token[1] == '\1';
}

// A client-to-client request or reply: the request word (token 3 from its third
// character), the sender and the rest, without the byte 1 that opens the word.
void WriteCtcpText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    const char* word = tokens.GetToken(3) + 2;
    Start(buffer, size, "IRC_CTCP", word, sender);
    Append(buffer, size, tokens.GetRestOfLine(4));
    RemoveFirst(buffer, 0, '\1');
}

const char* AfterHash(const char* token) {
    const char* hash = std::strchr(token, '#');
    return hash == nullptr ? "" : hash + 1;
}

}  // namespace

std::int32_t IrcNumber(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
    }
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT_MAX) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        value = INT_MAX;
    }
    return static_cast<std::int32_t>(value);
}

IrcCommand ClassifyIrcLine(const xTokenizer& tokens) {
    if (std::strncmp(tokens.GetToken(0), "PING", 4) == 0) {
        return IrcCommand::kPing;
    }
    const char* command = tokens.GetToken(1);
    if (IrcNumber(command) != 0) {
        return IrcCommand::kNumeric;
    }
    static constexpr struct {
        const char* word;
        IrcCommand command;
    } kCommands[] = {
        {"PRIVMSG", IrcCommand::kPrivmsg}, {"NOTICE", IrcCommand::kNotice}, {"PART", IrcCommand::kPart},
        {"JOIN", IrcCommand::kJoin},       {"NICK", IrcCommand::kNick},     {"KICK", IrcCommand::kKick},
        {"QUIT", IrcCommand::kQuit},       {"MODE", IrcCommand::kMode},
    };
    for (const auto& c : kCommands) {
        if (std::strncmp(command, c.word, std::strlen(c.word)) == 0) {
            return c.command;
        }
    }
    return IrcCommand::kOther;
}

void CopyIrcSender(const xTokenizer& tokens, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    const char* prefix = tokens.GetToken(0);
    if (*prefix != '\0') {
        ++prefix;
    }
    std::size_t n = 0;
    while (prefix[n] != '\0' && prefix[n] != '!' && n + 1 < size) {
        buffer[n] = prefix[n];
        ++n;
    }
    buffer[n] = '\0';
}

std::int16_t WriteNumericReplyText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    const std::int32_t number = IrcNumber(tokens.GetToken(1));
    const bool error = (number >= 400 && number <= 599) || number >= 900;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(number));
    Start(buffer, size, error ? "IRC_ERROR_REPLY" : "IRC_REPLY", sender, digits);
    const std::size_t head = Used(buffer, size);
    Append(buffer, size, tokens.GetRestOfLine(3));
    RemoveFirst(buffer, head, ':');
    return 1;
}

std::int16_t WritePrivmsgText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    if (IsCtcp(tokens.GetToken(3))) {
        WriteCtcpText(buffer, size, sender, tokens);
        return 1;
    }
    const char* target = tokens.GetToken(2);
    if (target[0] == '#') {
        Start(buffer, size, "IRC_PUBLIC_MSG", sender, target);
    } else {
        Start(buffer, size, "IRC_PRIVATE_MSG", sender);
    }
    // The text is the parameter after the target; only a colon that opens it
    // is taken off (a one-word text may come without one).
    const char* text = tokens.GetRestOfLine(3);
    Append(buffer, size, text[0] == ':' ? text + 1 : text);
    return 1;
}

std::int16_t WriteNoticeText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens) {
    if (IsCtcp(tokens.GetToken(3))) {
        WriteCtcpText(buffer, size, sender, tokens);
        return 1;
    }
    Start(buffer, size, "IRC_NOTICE", sender);
    Append(buffer, size, tokens.GetRestOfLine(3));
    return 1;
}

std::int16_t WriteCommandText(const char* type, char* buffer, std::size_t size, const char* sender,
                              const xTokenizer& tokens) {
    Start(buffer, size, type, sender);
    Append(buffer, size, tokens.GetRestOfLine(2));
    return 1;
}

std::int16_t WriteIrcEventText(const char* line, char* buffer, std::size_t size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    buffer[0] = '\0';
    xTokenizer tokens;
    tokens.TokenizeLine(line, xTokenizer::kMaxLine);
    const IrcCommand command = ClassifyIrcLine(tokens);
    char sender[64];
    CopyIrcSender(tokens, sender, sizeof sender);
    switch (command) {
        case IrcCommand::kPing:
        case IrcCommand::kMode:
            return 1;
        case IrcCommand::kNumeric:
            return WriteNumericReplyText(buffer, size, sender, tokens);
        case IrcCommand::kPrivmsg:
            return WritePrivmsgText(buffer, size, sender, tokens);
        case IrcCommand::kNotice:
            return WriteNoticeText(buffer, size, sender, tokens);
        case IrcCommand::kPart:
            return WriteCommandText("IRC_PART", buffer, size, sender, tokens);
        case IrcCommand::kJoin:
            return WriteCommandText("IRC_JOIN", buffer, size, sender, tokens);
        case IrcCommand::kNick:
            return WriteCommandText("IRC_NICK", buffer, size, sender, tokens);
        case IrcCommand::kKick:
            return WriteCommandText("IRC_KICK", buffer, size, sender, tokens);
        case IrcCommand::kQuit:
            return WriteCommandText("IRC_QUIT", buffer, size, sender, tokens);
        case IrcCommand::kOther:
            break;
    }
    return 0;
}

std::int32_t ParseIrcEventText(const char* text, xEvent& event) {
    event = xEvent::Empty();
    xTokenizer tokens;
    tokens.TokenizeLine(text, xTokenizer::kMaxLine);
    static constexpr struct {
        const char* type;
        std::int16_t kind;
    } kTypes[] = {
        {"IRC_PRIVATE_MSG", IRCMsg::kPrivate}, {"IRC_PUBLIC_MSG", IRCMsg::kPublic}, {"IRC_JOIN", IRCMsg::kJoin},
        {"IRC_PART", IRCMsg::kPart},           {"IRC_QUIT", IRCMsg::kQuit},         {"IRC_KICK", IRCMsg::kKick},
        {"IRC_REPLY", IRCMsg::kServerReply},   {"IRC_ERROR_REPLY", IRCMsg::kErrorReply},
    };
    const char* type = tokens.GetToken(0);
    for (const auto& t : kTypes) {
        if (::strcasecmp(type, t.type) != 0) {
            continue;
        }
        event.SetCode(xEventCode::kIrc);
        event.SetStringParam(0, tokens.GetToken(1));
        event.SetShortParam(1, t.kind);
        switch (t.kind) {
            case IRCMsg::kPrivate:
            case IRCMsg::kQuit:
                event.SetStringParam(2, tokens.GetRestOfLine(2));
                break;
            case IRCMsg::kPublic:
                event.SetStringParam(2, tokens.GetRestOfLine(3));
                event.SetStringParam(3, AfterHash(tokens.GetToken(2)));
                break;
            case IRCMsg::kJoin:
            case IRCMsg::kPart:
                event.SetStringParam(2, AfterHash(tokens.GetToken(2)));
                break;
            case IRCMsg::kKick:
                event.SetStringParam(2, tokens.GetToken(3));
                event.SetStringParam(3, AfterHash(tokens.GetToken(2)));
                event.SetStringParam(4, tokens.GetRestOfLine(4));
                break;
            case IRCMsg::kServerReply:
                event.SetUShortParam(2, static_cast<std::uint16_t>(IrcNumber(tokens.GetToken(2))));
                break;
            case IRCMsg::kErrorReply:
                event.SetUShortParam(2, static_cast<std::uint16_t>(IrcNumber(tokens.GetToken(2))));
                event.SetStringParam(3, tokens.GetRestOfLine(3));
                break;
            default:
                break;
        }
        return xEventCode::kIrc;
    }
    return 0;
}
