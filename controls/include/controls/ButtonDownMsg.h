#pragma once

#include "framework/CloneableMsg.h"

// The button's state changed to down.
class ButtonDownMsg : public CloneableMsg<ButtonDownMsg> {};
