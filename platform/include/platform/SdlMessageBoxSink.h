#pragma once

// Message boxes on the desktop through SDL. Every box is also written on standard
// error, as the standard-error sink writes it, before it shows: the log of a run
// then holds what the player was told. Without a display (no X11 or Wayland
// display named, SDL's dummy or offscreen video driver, or a display named that
// video cannot start on) a box goes to standard error and answers with its
// default button, as does a box SDL cannot show. SIGINT or SIGTERM while a box
// is up ends the box (it answers with its default button) so that the close is
// served. The executable installs one of these.

#include <cstdint>
#include <string>

#include "platform/MessageBoxSink.h"

namespace platform {

class SdlMessageBoxSink : public MessageBoxSink {
  public:
    BoxAnswer Show(const std::string& title, const std::string& text, std::uint32_t style) override;
    // The desktop has no alert sound to ask for.
    void Beep(std::uint32_t style) override;

    static bool DisplayAvailable();

  private:
    StderrMessageBoxSink fallback_;
};

}  // namespace platform
