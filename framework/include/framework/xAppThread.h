#pragma once

#include "framework/ExecutableSupport.h"
#include "framework/UIElement.h"

#include <cstdint>

// The lower layer's cooperative thread: a UI element that the scheduler calls
// once per main-loop pass while it runs. It starts unscheduled and stopped;
// running is independent of its process state. Its own step does nothing; each
// derived thread supplies its per-pass work.
class xAppThread : public UIElement, public ExecutableSupport {
  public:
    explicit xAppThread(UIElement* parent) : UIElement(parent) {}
    // The scheduler forgets the thread before its element part goes.
    ~xAppThread() override { Unschedule(); }

    void Execute() override {}

    // Non-zero schedules the thread, zero unschedules it.
    virtual void SetRunning(std::int16_t running);
    virtual void SetSuspended(std::int16_t suspended) { SetRunning(suspended == 0 ? 1 : 0); }
    virtual std::int16_t IsRunning() { return IsScheduled() ? 1 : 0; }
};
