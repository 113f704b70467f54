#include "platform/SdlDesktopControl.h"

#include <SDL.h>

namespace platform {

namespace {

bool VideoRunning() {
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

bool SdlDesktopControl::IsScreenSaverEnabled() {
    return VideoRunning() && SDL_IsScreenSaverEnabled() == SDL_TRUE;
}

void SdlDesktopControl::SetScreenSaverEnabled(bool enabled) {
    if (!VideoRunning()) return;
    if (enabled) {
        SDL_EnableScreenSaver();
    } else {
        SDL_DisableScreenSaver();
    }
}

int SdlDesktopControl::ShowCursor(bool show) {
    count_ += show ? 1 : -1;
    if (VideoRunning()) SDL_ShowCursor(count_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return count_;
}

}  // namespace platform
