#pragma once

#include "framework/XAppObject.h"

// An object that wants one step of work on each run of the execution service
// while it is scheduled.
class Executable : public virtual XAppObject {
  public:
    virtual void Execute() = 0;
};
