#pragma once

#include "framework/XAppObject.h"

// What the root needs of the master sound service that it owns: one call right
// after creation that readies the output.
class RootSoundService : public virtual XAppObject {
  public:
    virtual void Tick() = 0;
};
