#pragma once

#include "framework/CloneableMsg.h"

#include <cstdint>

// One typed key for the keyboard focus: a character (the low 16 bits of the
// typed character) or a navigation code 16..25, sign-extended from the key
// queue's 16 bits.
class KeyboardCharMsg : public CloneableMsg<KeyboardCharMsg> {
  public:
    explicit KeyboardCharMsg(std::int32_t key) : key_(key) {}

    std::int32_t GetKey() const { return key_; }

  private:
    std::int32_t key_;
};
