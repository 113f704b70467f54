#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process entering the started state.
class StartedMsg : public CloneableMsg<StartedMsg> {};
