#include "framework/AppTime.h"

#include <chrono>
#include <utility>

namespace {

std::uint32_t SystemTicks() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

struct Clock {
    AppTickSource source;
    std::uint32_t base = 0;
};

Clock& TheClock() {
    static Clock clock;
    return clock;
}

std::uint32_t Ticks() {
    const Clock& clock = TheClock();
    return clock.source ? clock.source() : SystemTicks();
}

}  // namespace

std::uint32_t GetAppTime() {
    return Ticks() - TheClock().base;
}

std::uint32_t RebaseAppTime() {
    const std::uint32_t reading = GetAppTime();
    TheClock().base += reading;
    return reading;
}

void SetAppTickSource(AppTickSource source) {
    TheClock().source = std::move(source);
    TheClock().base = 0;
}
