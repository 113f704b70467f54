#pragma once

#include "framework/ButtonUpMouseMsg.h"
#include "framework/CloneableMsg.h"

// The left button went up (window message 514).
class LeftButtonUpMouseMsg : public CloneableMsg<LeftButtonUpMouseMsg, ButtonUpMouseMsg> {
  public:
    using CloneableMsg<LeftButtonUpMouseMsg, ButtonUpMouseMsg>::CloneableMsg;
};
