#pragma once

// The lower layer's dealings with the desktop: message boxes, the busy phase
// around the program's run, the mouse cursor and the web browser.

#include <cstdint>

#include "platform/WinTypes.h"

// A box with the stop icon and an OK button; nothing when text or caption is null.
// The owner window is accepted and not needed.
void xGripe(platform::WindowHandle owner, const char* text, const char* caption);
// The same with OK and Cancel: 0 only for Cancel; 1 without showing anything when
// text or caption is null.
std::int16_t xGripeOkCancel(platform::WindowHandle owner, const char* text, const char* caption);

// Called when the game's application object is created / destroyed. The screen
// saver is switched off for the run and back on after it when it was on. There is
// no separate ad-control program to tell and no thread priority to change here.
void xBeginBusyPhase();
void xEndBusyPhase();

// Shows (non-zero) or hides the mouse cursor; returns the previous state.
std::int16_t xShowCursor(std::int16_t show);

// Opens an http or https address in the user's browser; anything else, and any
// failure, is ignored.
void LaunchURL(const char* url);
