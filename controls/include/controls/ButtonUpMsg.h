#pragma once

#include "framework/CloneableMsg.h"

// The button's state changed to up.
class ButtonUpMsg : public CloneableMsg<ButtonUpMsg> {};
