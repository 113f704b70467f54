#pragma once

// The message queue over SDL's events. Keyboard: key-downs and key-ups carry the
// platform's virtual keys (keypad navigation when Num Lock is off), text input
// arrives as WM_CHAR in Windows-1252, auto-repeat repeats both. Mouse: SDL's
// window coordinates, which the renderer's logical size already maps to the
// 640x480 presentation. The window manager's close, SDL_QUIT, SIGINT and SIGTERM
// all arrive as WM_SYSCOMMAND SC_CLOSE. Focus, minimise and restore are sent to
// the window procedure while the queue collects input, as the platform sends
// them (WM_ACTIVATE, WM_SIZE); a restored or exposed window gets one WM_PAINT of
// its whole client area. A WindowHandle here is the SDL_Window*.
// Game windows (GameWindow.h) made while the queue lives are registered with their
// procedures and double clicks.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/MessageQueue.h"

namespace platform {

class SdlMessageQueue : public MessageQueue {
  public:
    // Installs the SIGINT/SIGTERM handlers (kept until the process ends, so a
    // late signal never kills a program that is closing) and initialises SDL's
    // event and (when it can) video subsystems; the destructor shuts SDL down.
    SdlMessageQueue();
    ~SdlMessageQueue() override;

    bool IsForeground() override;
    std::uint32_t Now() override;
    // False when no video driver could start: only posted messages, timers and
    // signals then reach the queue.
    bool HasVideo() const { return video_; }

  protected:
    void CollectInput() override;
    void WaitForInput(std::uint32_t maxMs) override;

  private:
    bool video_ = false;
    std::uint32_t buttons_ = 0;  // MouseKeys bits of the buttons held
    // Windows minimised as far as their events have told; WM_ACTIVATE reports it.
    std::vector<WindowHandle> minimised_;
};

}  // namespace platform
