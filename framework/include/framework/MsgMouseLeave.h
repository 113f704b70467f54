#pragma once

#include "framework/CloneableMsg.h"

// The pointer has left a mouse-sensitive node. The class is the whole message;
// event handlers get it as an event of code 0, which they drop.
class MsgMouseLeave : public CloneableMsg<MsgMouseLeave> {};
