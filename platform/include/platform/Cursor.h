#pragma once

// The mouse cursor shown over the game's window. Setting it takes effect at
// once, without moving the pointer.

#include "platform/WinTypes.h"

namespace platform {

// None shows no cursor image over the window (the display count is another
// matter); Arrow and Wait show that system cursor.
void SetGameCursor(SystemCursor cursor);
// The cursor last set (Arrow before any call: a new window shows the arrow).
SystemCursor GetGameCursor();

}  // namespace platform
