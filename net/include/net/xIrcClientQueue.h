#pragma once

#include <cstddef>
#include <cstdint>

#include "net/xIRCQueue.h"

class xTokenizer;

// The IRC client's line connection: each received line, once the base has
// answered what it answers, is rewritten as an event text ("IRC_PUBLIC_MSG",
// "IRC_JOIN" ...: the type word, the sender's nick and the command's
// arguments), which is what ReadMessage then yields. A "PING", a "MODE" or a
// command outside the list leaves no text.
class xIrcClientQueue : public xIRCQueue {
  public:
    xIrcClientQueue() = default;
    ~xIrcClientQueue() override = default;

    std::int16_t HandleLine(const char* line, char* buffer, std::size_t size) override { return ParseLine(line, buffer, size); }
    std::int16_t ParseLine(const char* line, char* buffer, std::size_t size);

    // Each writes its event text into the buffer and returns 1. sender: the
    // line's prefix without its colon, cut at "!".
    virtual std::int16_t OnNumericReply(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnPrivmsg(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnNotice(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnPart(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnJoin(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnNick(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnKick(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    virtual std::int16_t OnQuit(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
    // Leaves the buffer empty.
    virtual std::int16_t OnMode(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
};
