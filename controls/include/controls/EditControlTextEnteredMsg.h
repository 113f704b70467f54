#pragma once

#include "framework/CloneableMsg.h"

#include <string>
#include <utility>

// Sent by an edit control when Enter is pressed: the whole text of the field.
class EditControlTextEnteredMsg : public CloneableMsg<EditControlTextEnteredMsg> {
  public:
    explicit EditControlTextEnteredMsg(std::string text) : text_(std::move(text)) {}

    virtual const std::string& GetText() const { return text_; }

  private:
    std::string text_;
};
