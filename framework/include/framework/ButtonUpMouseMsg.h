#pragma once

#include "framework/CloneableMsg.h"
#include "framework/MouseMsg.h"

// The mouse button came up.
class ButtonUpMouseMsg : public CloneableMsg<ButtonUpMouseMsg, MouseMsg> {
  public:
    using CloneableMsg<ButtonUpMouseMsg, MouseMsg>::CloneableMsg;
};
