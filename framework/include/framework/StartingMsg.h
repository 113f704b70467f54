#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process when it is asked to start and becomes starting.
class StartingMsg : public CloneableMsg<StartingMsg> {};
