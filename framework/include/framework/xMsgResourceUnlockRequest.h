#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xMsgResource.h"

// Asks that the resource be unlocked.
class xMsgResourceUnlockRequest : public CloneableMsg<xMsgResourceUnlockRequest, xMsgResource> {
  public:
    using CloneableMsg<xMsgResourceUnlockRequest, xMsgResource>::CloneableMsg;
};
