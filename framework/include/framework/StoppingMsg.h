#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process when it is asked to stop and becomes stopping.
class StoppingMsg : public CloneableMsg<StoppingMsg> {};
