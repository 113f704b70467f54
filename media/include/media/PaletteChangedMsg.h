#pragma once

#include "framework/CloneableMsg.h"

// Sent by the screen canvas after the screen palette was replaced.
class PaletteChangedMsg : public CloneableMsg<PaletteChangedMsg> {};
