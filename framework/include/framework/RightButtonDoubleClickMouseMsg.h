#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ButtonDoubleClickMouseMsg.h"

// A right-button double click (window message 518).
class RightButtonDoubleClickMouseMsg : public CloneableMsg<RightButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg> {
public:
    using CloneableMsg<RightButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg>::CloneableMsg;
};
