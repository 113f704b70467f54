#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ButtonUpMouseMsg.h"

// The right button went up (window message 517).
class RightButtonUpMouseMsg : public CloneableMsg<RightButtonUpMouseMsg, ButtonUpMouseMsg> {
public:
    using CloneableMsg<RightButtonUpMouseMsg, ButtonUpMouseMsg>::CloneableMsg;
};
