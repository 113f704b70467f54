#pragma once

#include "framework/CloneableMsg.h"

// Sent by the keyboard service to the receiver that now has the keyboard focus.
class GainedKeyboardFocusMsg : public CloneableMsg<GainedKeyboardFocusMsg> {};
