#include "SdlDisplayDescriptor.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstring>

namespace platform {

int SdlDisplayDescriptor(void* sdlWindow) {
    if (sdlWindow == nullptr) return -1;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(sdlWindow), &info) != SDL_TRUE) return -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    if (info.subsystem == SDL_SYSWM_X11 && info.info.x11.display != nullptr)
        return ConnectionNumber(info.info.x11.display);
#endif
    return -1;
}

bool SdlDisplayIsSilent() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

}  // namespace platform
