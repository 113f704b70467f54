#pragma once

#include <cstddef>
#include <cstdint>

#include "divir/xTokenizer.h"
#include "framework/xEvent.h"

// The IRC client's two-step reading of server lines, as pure functions over
// text: a server line becomes an event text (a type word in capitals, the
// sender's nick and the command's arguments), and an event text becomes an
// event of code 88. xIrcClientQueue and xIrcClient are built on these.
//
// Every writer keeps within its buffer and always leaves it zero-terminated.

// The server commands the parser tells apart.
enum class IrcCommand { kOther, kPing, kNumeric, kPrivmsg, kNotice, kPart, kJoin, kNick, kKick, kQuit, kMode };

// The command of a tokenized server line: a "PING" (token 0), a numeric reply
// (token 1 reads as a number other than 0), or one of the commands by name
// (token 1, case-sensitive, compared by the word's own length).
IrcCommand ClassifyIrcLine(const xTokenizer& tokens);

// The numeric value of a text as far as it reads as a decimal number (an
// optional sign, then digits), clamped to the 32-bit range; 0 for none.
std::int32_t IrcNumber(const char* text);

// The sender of a line: token 0 without its first character, cut at "!".
void CopyIrcSender(const xTokenizer& tokens, char* buffer, std::size_t size);

// The event texts written for each command; each returns 1.
std::int16_t WriteNumericReplyText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
std::int16_t WritePrivmsgText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
std::int16_t WriteNoticeText(char* buffer, std::size_t size, const char* sender, const xTokenizer& tokens);
// The PART, JOIN, NICK, KICK and QUIT texts: the type word, the sender and the
// line from token 2 on.
std::int16_t WriteCommandText(const char* type, char* buffer, std::size_t size, const char* sender,
                              const xTokenizer& tokens);

// The whole first step for one line: 1 with the event text in the buffer, or
// with an empty buffer for a "PING" or a "MODE"; 0 with an empty buffer for any
// other command.
std::int16_t WriteIrcEventText(const char* line, char* buffer, std::size_t size);

// The second step: fills the event (code 88, parameter 0 the nick, parameter 1
// the kind, then the kind's parameters) from one of the eight event-text types
// and returns 88; any other text leaves the event empty and returns 0.
std::int32_t ParseIrcEventText(const char* text, xEvent& event);
