#pragma once

#include "framework/ButtonUpMouseMsg.h"
#include "framework/CloneableMsg.h"

// The right button went up (window message 517).
class RightButtonUpMouseMsg : public CloneableMsg<RightButtonUpMouseMsg, ButtonUpMouseMsg> {
  public:
    using CloneableMsg<RightButtonUpMouseMsg, ButtonUpMouseMsg>::CloneableMsg;
};
