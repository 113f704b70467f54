#pragma once

#include "framework/CloneableMsg.h"

// The pointer has come over a mouse-sensitive node. The class is the whole
// message; event handlers get it as an event of code 0, which they drop.
class MsgMouseEnter : public CloneableMsg<MsgMouseEnter> {};
