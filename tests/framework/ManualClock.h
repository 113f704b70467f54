#pragma once

#include <cstdint>

#include "framework/AppTime.h"

// Installs a tick source that moves only when the test says so; the system clock
// comes back when it goes out of scope.
class ManualClock {
  public:
    explicit ManualClock(std::uint32_t start = 1000) : ticks_(start) {
        SetAppTickSource([this] { return ticks_; });
    }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;
    ~ManualClock() { SetAppTickSource(nullptr); }

    void Advance(std::uint32_t ms) { ticks_ += ms; }
    void Set(std::uint32_t ticks) { ticks_ = ticks; }

  private:
    std::uint32_t ticks_;
};
