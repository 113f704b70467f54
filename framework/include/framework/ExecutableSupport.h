#pragma once

#include "framework/Executable.h"

// The executable role's implementation: schedules and unschedules `executable_` in
// the execution service. Built without an owner it schedules itself, and a class
// that inherits it overrides Execute (queue drains, process state handlers).
class ExecutableSupport : public virtual Executable {
  public:
    ExecutableSupport();
    // Throws the integer 0 for a null owner.
    explicit ExecutableSupport(Executable* owner);
    ExecutableSupport(const ExecutableSupport&) = delete;
    ExecutableSupport& operator=(const ExecutableSupport&) = delete;
    // Unschedules; never throws, and never creates the service to do so.
    ~ExecutableSupport() override;

    void Execute() override {}

    void Schedule();
    void Unschedule();
    bool IsScheduled() const;

  private:
    Executable* executable_ = nullptr;
};
