#pragma once

#include <string>
#include <utility>

#include "framework/CloneableMsg.h"

// A failure reported as a message. The only kind of object the upper layer throws
// (with its text); the failure messages of processes, downloads and rooms derive
// from it.
class ErrorMsg : public CloneableMsg<ErrorMsg> {
  public:
    ErrorMsg() = default;
    explicit ErrorMsg(std::string text) : text_(std::move(text)) {}

    virtual const std::string& GetText() const { return text_; }

  private:
    std::string text_;
};
