#pragma once

#include <cstdint>

// Refills the wave-output mixer when it is due or when less than `ms` of sound is
// buffered; long downloads call it between pieces. No result, no failure. Until
// the sound subsystem's mixer exists there is nothing to refill.
void xMixerPoll(std::uint32_t ms);
