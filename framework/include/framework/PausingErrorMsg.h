#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

// Sent with an empty text by a process that failed while pausing.
class PausingErrorMsg : public CloneableMsg<PausingErrorMsg, ErrorMsg> {};
