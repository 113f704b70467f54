#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xMsgResource.h"

// Asks that the resource be locked.
class xMsgResourceLockRequest : public CloneableMsg<xMsgResourceLockRequest, xMsgResource> {
  public:
    using CloneableMsg<xMsgResourceLockRequest, xMsgResource>::CloneableMsg;
};
