#include "framework/Timer.h"

#include "framework/AppTime.h"
#include "framework/TimerMsg.h"

namespace {

// Wrap-safe "now is before due" on the 32-bit clock.
bool IsBefore(std::uint32_t now, std::uint32_t due) {
    return static_cast<std::int32_t>(now - due) < 0;
}

}  // namespace

Timer::Timer(MsgReceiver* listener) {
    if (listener != nullptr) {
        AddReceiver(listener);
    }
}

void Timer::Arm() {
    due_ = GetAppTime() + interval_;
    ++armings_;
    Schedule();
}

void Timer::OnStarting() {
    if ((stopWhenFired_ || mode_ == kOnce || mode_ == kRepeating) && interval_ > 0) {
        Arm();
    }
    Started();
}

void Timer::OnStopping() {
    Cancel();
    Unschedule();
    Stopped();
}

void Timer::StartOnce(std::uint32_t ms) {
    if (ms == 0) {
        return;
    }
    mode_ = kOnce;
    interval_ = ms;
    if (IsStarted()) {
        Arm();
    }
}

void Timer::StartRepeating(std::uint32_t ms) {
    if (ms == 0) {
        return;
    }
    mode_ = kRepeating;
    interval_ = ms;
    if (IsStarted()) {
        Arm();
    }
}

void Timer::Cancel() {
    if (!stopWhenFired_) {
        mode_ = kIdle;
        interval_ = 0;
    }
    due_ = 0;
    Unschedule();
}

void Timer::Execute() {
    if (IsBefore(GetAppTime(), due_)) {
        return;
    }
    const std::uint32_t armings = armings_;
    // A receiver may destroy the timer from inside TimerMsg.
    const LifeWatch life = WatchLife();
    Send(TimerMsg());
    if (!life.IsAlive()) {
        return;
    }
    if (armings_ != armings) {
        // A receiver armed the timer again from inside the send; that arming
        // stands.
        return;
    }
    if (stopWhenFired_) {
        Unschedule();
        if (IsStarted()) {
            Stop();
        }
    } else if (mode_ == kOnce) {
        mode_ = kIdle;
        Unschedule();
    } else {
        // Measured from after the send: missed periods are not made up.
        due_ = GetAppTime() + interval_;
    }
}
