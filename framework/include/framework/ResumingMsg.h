#pragma once

#include "framework/CloneableMsg.h"

// Sent by a process when it is asked to resume and becomes resuming.
class ResumingMsg : public CloneableMsg<ResumingMsg> {};
