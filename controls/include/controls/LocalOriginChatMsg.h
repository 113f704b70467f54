#pragma once

#include <string>
#include <utility>

#include "framework/CloneableMsg.h"

// What a chat line is, by its first word.
enum class ChatCommandKind : int {
    Text = 0,     // no leading "/" (an empty line too)
    Command = 1,  // "/" and any other word, or "/" alone
    Me = 4,
    Private = 5,  // "/msg"
    Ignore = 6,
    Log = 7,
    Save = 8,
};

// One chat line typed by the local player, as the chat box sends it to its
// owner once it has been trimmed and has passed the language filter.
class LocalOriginChatMsg : public CloneableMsg<LocalOriginChatMsg> {
  public:
    explicit LocalOriginChatMsg(std::string text) : text_(std::move(text)) {}
    virtual const std::string& GetText() const { return text_; }
    // The first word (of the line's first 512 characters) decides; the command
    // words are compared ignoring the case of ASCII letters.
    virtual ChatCommandKind Classify() const;

  private:
    std::string text_;
};
