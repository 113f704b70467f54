#pragma once

#include "framework/CloneableMsg.h"

// The button was clicked while enabled (a release over it, or a repeat while held).
class ButtonClickedMsg : public CloneableMsg<ButtonClickedMsg> {};
