#pragma once

#include "framework/ButtonDoubleClickMouseMsg.h"
#include "framework/CloneableMsg.h"

// A left-button double click (window message 515).
class LeftButtonDoubleClickMouseMsg
    : public CloneableMsg<LeftButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg> {
  public:
    using CloneableMsg<LeftButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg>::CloneableMsg;
};
