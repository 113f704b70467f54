#pragma once

#include <cstdint>

// Refills the wave-output mixer when it is due or when less than `ms` of sound is
// buffered; long downloads and long file reads call it between pieces. No result,
// no failure. The mixer lives above the framework: while it is open it installs
// the hook that does the work; with no hook installed there is nothing to refill.
void xMixerPoll(std::uint32_t ms);

using xMixerPollHook = void (*)(std::uint32_t ms);

// Installs the hook (null removes it); returns the one installed before.
xMixerPollHook xMixerSetPollHook(xMixerPollHook hook);
