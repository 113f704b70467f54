#pragma once

#include "framework/CloneableMsg.h"

// Sent by the lower layer's timer service when one of its countdowns runs out.
class xMsgTimer : public CloneableMsg<xMsgTimer> {};
