#pragma once

#include "framework/ButtonDownMouseMsg.h"
#include "framework/CloneableMsg.h"

// The left button went down (window message 513).
class LeftButtonDownMouseMsg : public CloneableMsg<LeftButtonDownMouseMsg, ButtonDownMouseMsg> {
  public:
    using CloneableMsg<LeftButtonDownMouseMsg, ButtonDownMouseMsg>::CloneableMsg;
};
