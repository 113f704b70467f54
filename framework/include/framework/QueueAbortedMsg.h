#pragma once

#include "framework/CloneableMsg.h"

// Something queued to play was dropped before it ever started. No fields.
class QueueAbortedMsg : public CloneableMsg<QueueAbortedMsg> {};
