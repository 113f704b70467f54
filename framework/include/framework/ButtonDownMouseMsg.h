#pragma once

#include "framework/CloneableMsg.h"
#include "framework/MouseMsg.h"

// The mouse button went down.
class ButtonDownMouseMsg : public CloneableMsg<ButtonDownMouseMsg, MouseMsg> {
  public:
    using CloneableMsg<ButtonDownMouseMsg, MouseMsg>::CloneableMsg;
};
