#include "platform/Display.h"

#include <SDL.h>

namespace platform {

std::optional<DisplayMode> DesktopDisplayMode() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return std::nullopt;
    std::optional<DisplayMode> result;
    SDL_DisplayMode mode{};
    if (SDL_GetNumVideoDisplays() > 0 && SDL_GetDesktopDisplayMode(0, &mode) == 0)
        result = DisplayMode{static_cast<int>(SDL_BITSPERPIXEL(mode.format)), mode.w, mode.h};
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return result;
}

}  // namespace platform
