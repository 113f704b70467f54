#pragma once

// The game's one window: a client area of fixed size, drawn through a back buffer
// that the program presents once per pass. The window procedure receives the
// Windows-era messages (WinTypes.h) for it.

#include "platform/Surface.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

namespace platform {

using WindowProcedure = std::intptr_t (*)(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam);

// What the display offers: the whole screen and the part of it that windows may
// use (without task bars), in pixels, and the desktop's bits per pixel.
struct ScreenMetrics {
    int screenWidth = 0;
    int screenHeight = 0;
    int workWidth = 0;
    int workHeight = 0;
    int bitsPerPixel = 0;
};

ScreenMetrics GetScreenMetrics();

// Whether video runs on a display server that answered (video is started if it was not):
// false without one, or when SDL fell back to its off-screen driver.
bool DisplayInUse();

struct GameWindowDesc {
    std::string title;
    int clientWidth = 640;
    int clientHeight = 480;
    // Framed, movable window; otherwise the window covers the display and the
    // client area is scaled to it (mouse coordinates come back in client pixels).
    bool framed = true;
    // 8: the back buffer holds palette indices; anything else: 32-bit pixels.
    int depth = 8;
    WindowProcedure procedure = nullptr;
    // Handed to the procedure as lParam of the Create message, before any other;
    // a Size message with the client size follows it.
    void* createParam = nullptr;
};

// Told of every game window made (after its Create message) and destroyed (after
// its Destroy message); the message queue registers the procedure through it.
// Double clicks are wanted by every game window.
using WindowLifeHook = void (*)(WindowHandle window, WindowProcedure procedure, bool created);
void SetWindowLifeHook(WindowLifeHook hook);

// Null when the window cannot be made. Shows the arrow cursor.
WindowHandle CreateGameWindow(const GameWindowDesc& desc);
// Sends Destroy to the procedure, then closes the window.
void DestroyGameWindow(WindowHandle window);
bool IsGameWindow(WindowHandle window);
// The oldest game window alive (the one message boxes are parented to); null for none.
WindowHandle MainGameWindow();

// The procedure's own word, read back by it on every message.
void SetWindowData(WindowHandle window, void* data);
void* GetWindowData(WindowHandle window);
WindowProcedure GetWindowProcedure(WindowHandle window);
// The answer the platform gives to messages that nobody handles.
std::intptr_t DefaultWindowProcedure(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);

// Client area size in client pixels.
int ClientWidth(WindowHandle window);
int ClientHeight(WindowHandle window);
bool IsCoveringDisplay(WindowHandle window);

// The back buffer (top-down, client size). Writers mark it changed, wholly or
// by rectangles: the next present converts and hands on only those.
Surface* GetBackBuffer(WindowHandle window);
void MarkBackBufferChanged(WindowHandle window);
void MarkBackBufferChanged(WindowHandle window, int x, int y, int width, int height);
// What the last present handed on: the whole frame, or so many rectangles
// covering so many pixels (none when nothing had changed).
struct PresentStats {
    bool whole = false;
    int rectangles = 0;
    long pixels = 0;
};
PresentStats LastPresentStats(WindowHandle window);
// The window whose back buffer the surface is (a drawing context's window); null
// for any other surface.
WindowHandle WindowFromSurface(const Surface* surface);
// New colours for an 8-bit back buffer: the whole picture is converted again at
// the next present, so a palette swap recolours the screen at once.
void SetBackBufferColours(WindowHandle window, const ColourTable& colours);
// Shows the back buffer when it changed since the last present. Dialogs shown
// over the window (DialogWindow.h) are laid over the converted picture: while
// any is up, every present hands on the whole composed frame.
void PresentWindow(WindowHandle window);
// What the last present handed to the screen, dialogs included, into a 32-bit
// surface of the client size; false for another size or depth.
bool CopyPresentedFrame(WindowHandle window, Surface& out);
// Once per pass: presents every game window.
void PresentAllWindows();

// A message box with no owner window.
void ShowWarningBox(const std::string& text, const std::string& title);

}  // namespace platform
