#pragma once

#include "framework/CloneableMsg.h"

#include <string>
#include <utility>

// One chat line typed by the local player, as the chat box sends it to its
// owner once it has been trimmed and has passed the language filter.
class LocalOriginChatMsg : public CloneableMsg<LocalOriginChatMsg> {
  public:
    explicit LocalOriginChatMsg(std::string text) : text_(std::move(text)) {}

    virtual const std::string& GetText() const { return text_; }

  private:
    std::string text_;
};
