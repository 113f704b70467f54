#pragma once

#include <cstdint>

#include "framework/ExecutableForwarder.h"
#include "framework/MsgReceiver.h"
#include "framework/ProcessForwarder.h"

// A process that sends TimerMsg to its receivers once (one-shot) or again and
// again (repeating) when an interval of the application clock has passed. It is
// polled by the execution service while armed, so it fires on the first run at or
// after its due time, at most once per run. Intervals are in milliseconds.
//
// Typical use: construct with the listener, StartOnce or StartRepeating, then
// Start; the listener tells its timers apart by the sender of TimerMsg.
class Timer : public ProcessForwarder, public ExecutableForwarder {
  public:
    // A non-null listener becomes the first receiver. The timer starts stopped,
    // idle and unscheduled.
    explicit Timer(MsgReceiver* listener = nullptr);

    bool IsPausable() const override { return false; }
    bool HasBeenResumed() const override { return Process::HasBeenResumed(); }
    void SetResumed() override { Process::SetResumed(); }
    // Arms the recorded mode and interval, then reaches started at once.
    void OnStarting() override;
    // Cancels, then reaches stopped.
    void OnStopping() override;
    // The tick.
    void Execute() override;

    // 0 is ignored. Records the mode and interval; while started also arms from
    // now (so calling either on an armed timer re-arms it).
    virtual void StartOnce(std::uint32_t ms);
    virtual void StartRepeating(std::uint32_t ms);
    // A timer that stops its own process each time it fires; its mode and
    // interval survive the stop, so a later Start re-arms the same delay.
    virtual void SetStopWhenFired() { stopWhenFired_ = true; }
    virtual void ClearStopWhenFired() { stopWhenFired_ = false; }
    virtual bool GetStopWhenFired() const { return stopWhenFired_; }
    virtual std::uint32_t GetInterval() const { return interval_; }
    virtual bool IsOnce() const { return mode_ == kOnce; }
    virtual bool IsRepeating() const { return mode_ == kRepeating; }
    virtual bool IsIdle() const { return mode_ == kIdle; }
    // Disarms: idle with interval 0 unless stop-when-fired is set; unscheduled.
    virtual void Cancel();

  private:
    enum Mode : std::int32_t { kIdle = 0, kOnce = 1, kRepeating = 2 };

    void Arm();

    std::int32_t mode_ = kIdle;
    bool stopWhenFired_ = false;
    std::uint32_t interval_ = 0;
    std::uint32_t due_ = 0;
    // Counts armings, so the tick can tell that a receiver re-armed the timer
    // from inside its own TimerMsg and leave that arming alone.
    std::uint32_t armings_ = 0;
};
