#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xMsgResource.h"

#include <cstdint>

// Asks that the resource be updated. The resource service's own requests name
// the catalogue entry whose file is to be replaced.
class xMsgResourceUpdateRequest : public CloneableMsg<xMsgResourceUpdateRequest, xMsgResource> {
  public:
    using CloneableMsg<xMsgResourceUpdateRequest, xMsgResource>::CloneableMsg;
    explicit xMsgResourceUpdateRequest(std::int32_t entry) : entry_(entry) {}
    std::int32_t GetEntry() const { return entry_; }

  private:
    std::int32_t entry_ = -1;
};
