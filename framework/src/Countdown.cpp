#include "framework/Countdown.h"

bool Countdown::Start(std::uint32_t now, std::uint32_t ms, std::uint32_t repeat) {
    if (armed_) {
        return false;
    }
    interval_ = ms;
    due_ = now + ms;
    armed_ = true;
    repeat_ = repeat;
    return true;
}

void Countdown::Fired() {
    if (repeat_ != kForever) {
        if (static_cast<std::int32_t>(repeat_) <= 0) {
            armed_ = false;
            return;
        }
        --repeat_;
    }
    due_ += interval_;
}
