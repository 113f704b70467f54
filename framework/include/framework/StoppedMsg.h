#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process entering the stopped state.
class StoppedMsg : public CloneableMsg<StoppedMsg> {};
