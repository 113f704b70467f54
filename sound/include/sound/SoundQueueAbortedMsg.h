#pragma once

#include "framework/QueueAbortedMsg.h"

// A sound queued behind another ended before it was ever heard.
class SoundQueueAbortedMsg : public CloneableMsg<SoundQueueAbortedMsg, QueueAbortedMsg> {};
