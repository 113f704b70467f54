#pragma once

#include "framework/CloneableMsg.h"
#include "framework/MouseMsg.h"

// The mouse moved.
class MoveMouseMsg : public CloneableMsg<MoveMouseMsg, MouseMsg> {
  public:
    using CloneableMsg<MoveMouseMsg, MouseMsg>::CloneableMsg;
};
