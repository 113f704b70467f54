#pragma once

// Kept apart from the rest of the SDL layer: the window-system headers it needs
// define macros (None, Status ...) that clash with our own names.

namespace platform {

// The descriptor of the display connection behind an SDL window (X11), or -1
// when the video driver has none that can be watched.
int SdlDisplayDescriptor(void* sdlWindow);

// True for the video drivers that never deliver events of their own (dummy,
// offscreen): nothing from the display can end a wait.
bool SdlDisplayIsSilent();

}  // namespace platform
