#pragma once

#include "framework/ButtonDoubleClickMouseMsg.h"
#include "framework/CloneableMsg.h"

// A right-button double click (window message 518).
class RightButtonDoubleClickMouseMsg
    : public CloneableMsg<RightButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg> {
  public:
    using CloneableMsg<RightButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg>::CloneableMsg;
};
