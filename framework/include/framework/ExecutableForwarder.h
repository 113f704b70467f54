#pragma once

#include <memory>

#include "framework/Executable.h"
#include "framework/ExecutableSupport.h"

// A reusable base for a class that the execution service runs: it creates the
// ExecutableSupport with the class as the executable to schedule. The derived
// class writes Execute; destroying it unschedules it.
class ExecutableForwarder : public virtual Executable {
  public:
    ExecutableForwarder() : executableSupport_(std::make_unique<ExecutableSupport>(this)) {}
    ExecutableForwarder(const ExecutableForwarder&) = delete;
    ExecutableForwarder& operator=(const ExecutableForwarder&) = delete;
    ~ExecutableForwarder() override = default;

    virtual void Schedule() { executableSupport_->Schedule(); }
    virtual void Unschedule() { executableSupport_->Unschedule(); }
    virtual bool IsScheduled() const { return executableSupport_->IsScheduled(); }

  private:
    std::unique_ptr<ExecutableSupport> executableSupport_;
};
