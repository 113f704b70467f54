#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xMsgResource.h"

// Asks that the resource be updated.
class xMsgResourceUpdateRequest : public CloneableMsg<xMsgResourceUpdateRequest, xMsgResource> {
  public:
    using CloneableMsg<xMsgResourceUpdateRequest, xMsgResource>::CloneableMsg;
};
