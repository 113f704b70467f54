#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process when it is asked to pause and becomes pausing.
class PausingMsg : public CloneableMsg<PausingMsg> {};
