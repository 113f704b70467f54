#pragma once

#include "framework/CloneableMsg.h"

// Sent by a Timer to its receivers when it fires; the sender tells timers apart.
class TimerMsg : public CloneableMsg<TimerMsg> {};
