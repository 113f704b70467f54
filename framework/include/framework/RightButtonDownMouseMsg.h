#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ButtonDownMouseMsg.h"

// The right button went down (window message 516).
class RightButtonDownMouseMsg : public CloneableMsg<RightButtonDownMouseMsg, ButtonDownMouseMsg> {
public:
    using CloneableMsg<RightButtonDownMouseMsg, ButtonDownMouseMsg>::CloneableMsg;
};
