#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

// Sent with an empty text by a process that failed while paused.
class PausedErrorMsg : public CloneableMsg<PausedErrorMsg, ErrorMsg> {};
