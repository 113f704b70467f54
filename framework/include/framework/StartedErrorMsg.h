#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

// Sent with an empty text by a process that failed while started.
class StartedErrorMsg : public CloneableMsg<StartedErrorMsg, ErrorMsg> {};
