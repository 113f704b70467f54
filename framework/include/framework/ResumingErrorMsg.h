#pragma once

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

// Sent with an empty text by a process that failed while resuming.
class ResumingErrorMsg : public CloneableMsg<ResumingErrorMsg, ErrorMsg> {};
