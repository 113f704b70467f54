#pragma once

#include "framework/Countdown.h"
#include "framework/xService.h"

#include <cstdint>

// A service holding one countdown on the application clock that sends
// xMsgTimer to its receivers (its parent first) when it runs out: once, a given
// number of times more, or for ever. It ticks on every pass for its whole life.
class xTimerService : public xService {
  public:
    explicit xTimerService(UIElement* parent);

    void Execute() override;

    // Starts the process first if it is stopped. -1 while a countdown runs
    // (nothing changes), else 0. A repeat count of n gives n + 1 firings;
    // all ones fires until cancelled.
    std::int32_t StartTimer(std::uint32_t ms, std::uint32_t repeat);
    std::int32_t CancelTimer();
    // Replaces any running countdown with a single firing after ms.
    std::int32_t RestartTimer(std::uint32_t ms);

    bool IsArmed() const { return countdown_.IsArmed(); }

  private:
    Countdown countdown_;
};
