#pragma once

// The screen saver and cursor through SDL, once SDL's video is running; before
// that there is nothing to switch and only the cursor count is kept.

#include "platform/DesktopControl.h"

namespace platform {

class SdlDesktopControl : public DesktopControl {
  public:
    bool IsScreenSaverEnabled() override;
    void SetScreenSaverEnabled(bool enabled) override;
    int ShowCursor(bool show) override;

  private:
    int count_ = 0;
};

}  // namespace platform
