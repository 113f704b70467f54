#pragma once

#include "framework/CloneableMsg.h"

// A double click arrived while the button's double clicks are enabled.
class ButtonDoubleClickedMsg : public CloneableMsg<ButtonDoubleClickedMsg> {};
