#pragma once

#include <cstdint>

// The countdown of the lower layer's timer service: a due time on the
// application clock (ms), an interval and a repeat count. A count of n gives
// n + 1 firings; all ones fires until cancelled. The cadence stays fixed to the
// first due time, so after a stall it fires once per step until it has caught up.
class Countdown {
  public:
    static constexpr std::uint32_t kForever = 0xFFFFFFFFu;

    // False, changing nothing, while armed.
    bool Start(std::uint32_t now, std::uint32_t ms, std::uint32_t repeat);
    void Cancel() { armed_ = false; }

    // Armed and the clock strictly past due; the signed difference keeps the
    // test right across the clock's wrap.
    bool IsDue(std::uint32_t now) const { return armed_ && static_cast<std::int32_t>(now - due_) > 0; }
    // Bookkeeping after a firing: counts down or disarms, and moves due on.
    void Fired();

    bool IsArmed() const { return armed_; }
    std::uint32_t Due() const { return due_; }
    std::uint32_t Interval() const { return interval_; }
    std::uint32_t Repeat() const { return repeat_; }

  private:
    bool armed_ = false;
    std::uint32_t due_ = 0;
    std::uint32_t interval_ = 0;
    std::uint32_t repeat_ = 0;
};
