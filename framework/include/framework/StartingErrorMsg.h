#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

// Sent with an empty text by a process that failed while starting.
class StartingErrorMsg : public CloneableMsg<StartingErrorMsg, ErrorMsg> {};
