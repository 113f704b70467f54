#pragma once

#include <cstdint>
#include <functional>

// The application clock: milliseconds of the tick source less a base tick, as an
// unsigned 32-bit difference (it wraps after about 49 days, as the tick count
// does). Every due time of a timer and every drain deadline is a value of it.

// The tick source: a millisecond count that only moves forward (modulo 2^32).
using AppTickSource = std::function<std::uint32_t()>;

// The current application time.
std::uint32_t GetAppTime();

// Adds the current reading to the base so that GetAppTime reads 0 right after;
// returns the reading it had before. The game's application object calls it once,
// when it is constructed.
std::uint32_t RebaseAppTime();

// Replaces the tick source (an empty function restores the system's monotonic
// millisecond clock) and sets the base back to 0. Tests install a manual clock.
void SetAppTickSource(AppTickSource source);
