#pragma once

// The thread's message pump. The main loop serves one message per pass through
// PumpMessages; key readers, the keyboard service, the edit control and the
// file-update service call it again from inside their own work, so it is
// re-entrant. Besides dispatching, it feeds the lower layer's key queue, routes
// the close command to the application object, offers messages to the one
// registered modeless dialog and turns Escape into a control-panel toggle.

#include <cstdint>

#include "platform/MessageQueue.h"
#include "platform/WinTypes.h"

class XApplication;

// The module instance the program was started with; other code names windows and
// resources after it.
extern const void* xInstance;
// 1 when the system is of the NT family; set by the program's entry.
extern std::uint8_t xIsWindowsNT;
// 1 while a pump call made by the main loop runs with the program in the background.
extern std::uint8_t xAppInBackground;
// Escape typed and not yet handled by the pump.
extern std::uint8_t xEscapePending;
// 1 while the pump runs its Escape handling, so a nested pump does not run it again.
extern std::uint8_t xEscapeHandling;
// 1 while a close command (the window's or a signal's) that arrived before the
// application object had started waits to be served; the pump serves it once
// the application has started. Several such closes are one request.
extern std::uint8_t xClosePending;
// The one registered modeless dialog, null for none.
extern platform::WindowHandle xModelessDialog;

// The queue served is platform::MessageQueue::Current(); without one the pump
// serves no message.
// Serves at most one message (keyboard first, then mouse, then any other; waits
// for one only in the background), then a pending close once the application has
// started, then the pending Escape handling.
void PumpMessages();
// The treatment of one message taken from the queue.
void DispatchAppMessage(const platform::WinMessage& message);

// Registers the modeless dialog unless one is registered already.
void xSetModelessDialog(platform::WindowHandle dialog);
// Unregisters the dialog if it is the registered one.
void xClearModelessDialog(platform::WindowHandle dialog);

// The application object, created on first use through the object registry.
XApplication* GetApplicationObject();
bool IsApplicationCreated();
