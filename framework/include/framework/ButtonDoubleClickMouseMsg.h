#pragma once

#include "framework/CloneableMsg.h"
#include "framework/MouseMsg.h"

// Base of the double-click messages; the points as for every mouse message.
class ButtonDoubleClickMouseMsg : public CloneableMsg<ButtonDoubleClickMouseMsg, MouseMsg> {
  public:
    using CloneableMsg<ButtonDoubleClickMouseMsg, MouseMsg>::CloneableMsg;
};
