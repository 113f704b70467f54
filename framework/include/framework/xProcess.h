#pragma once

#include "framework/xAppThread.h"

#include <cstdint>

// A thread with the lower layer's process vocabulary: its start, pause, resume
// and stop are those of the process part; state tests answer in 16 bits.
class xProcess : public xAppThread {
  public:
    explicit xProcess(UIElement* parent) : xAppThread(parent) {}

    virtual std::int16_t IsStopped16() { return IsStopped() ? 1 : 0; }
    virtual std::int16_t IsStarting16() { return IsStarting() ? 1 : 0; }
    virtual std::int16_t IsStarted16() { return IsStarted() ? 1 : 0; }
    virtual std::int16_t IsPausing16() { return IsPausing() ? 1 : 0; }
    virtual std::int16_t IsPaused16() { return IsPaused() ? 1 : 0; }
    virtual std::int16_t IsResuming16() { return IsResuming() ? 1 : 0; }
    virtual std::int16_t IsStopping16() { return IsStopping() ? 1 : 0; }
    // Started, starting or resuming.
    virtual std::int16_t IsBusy();
    // Calls the process operation numbered 0..6 (Stopped, Start, Started, Pause,
    // Paused, Resume, Stop); any other number raises lower-layer error 7.
    virtual void GotoState(std::int32_t state);
};
