#pragma once

#include "framework/CloneableMsg.h"

// Sent by the keyboard service to the receiver that lost the keyboard focus.
class LostKeyboardFocusMsg : public CloneableMsg<LostKeyboardFocusMsg> {};
