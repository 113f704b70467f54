#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ButtonUpMouseMsg.h"

// The left button went up (window message 514).
class LeftButtonUpMouseMsg : public CloneableMsg<LeftButtonUpMouseMsg, ButtonUpMouseMsg> {
public:
    using CloneableMsg<LeftButtonUpMouseMsg, ButtonUpMouseMsg>::CloneableMsg;
};
