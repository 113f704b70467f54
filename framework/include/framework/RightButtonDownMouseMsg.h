#pragma once

#include "framework/ButtonDownMouseMsg.h"
#include "framework/CloneableMsg.h"

// The right button went down (window message 516).
class RightButtonDownMouseMsg : public CloneableMsg<RightButtonDownMouseMsg, ButtonDownMouseMsg> {
  public:
    using CloneableMsg<RightButtonDownMouseMsg, ButtonDownMouseMsg>::CloneableMsg;
};
