#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ButtonDoubleClickMouseMsg.h"

// A left-button double click (window message 515).
class LeftButtonDoubleClickMouseMsg : public CloneableMsg<LeftButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg> {
public:
    using CloneableMsg<LeftButtonDoubleClickMouseMsg, ButtonDoubleClickMouseMsg>::CloneableMsg;
};
