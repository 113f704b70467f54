#pragma once

#include "framework/CloneableMsg.h"

class Resource;

// Base of the resource service's requests about one resource (not owned).
class xMsgResource : public CloneableMsg<xMsgResource> {
  public:
    xMsgResource() = default;
    explicit xMsgResource(Resource* resource) : resource_(resource) {}

    Resource* GetResource() const { return resource_; }

  private:
    Resource* resource_ = nullptr;
};
