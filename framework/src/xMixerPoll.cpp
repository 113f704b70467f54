#include "framework/xMixerPoll.h"

void xMixerPoll(std::uint32_t /*ms*/) {}
