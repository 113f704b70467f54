#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process entering the paused state.
class PausedMsg : public CloneableMsg<PausedMsg> {};
