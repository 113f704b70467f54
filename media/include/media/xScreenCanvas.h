#pragma once

#include "media/WinScreenCanvas.h"

// The lower layer's name for the screen canvas; it adds nothing.
class xScreenCanvas : public WinScreenCanvas {};
