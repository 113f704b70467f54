#include "platform/Cursor.h"

#include <SDL.h>

namespace platform {
namespace {

SystemCursor current = SystemCursor::Arrow;

// The window's cursor images. "None" is a blank image rather than a hidden
// cursor, so that it stays apart from the cursor's display count (which the
// desktop control keeps with SDL_ShowCursor). Images are made on first use and
// belong to SDL, which frees them when its video ends; they are forgotten
// whenever video is found not running. A driver without cursor images (the
// dummy one) leaves only the choice remembered.
SDL_Cursor* arrowImage = nullptr;
SDL_Cursor* waitImage = nullptr;
SDL_Cursor* blankImage = nullptr;

SDL_Cursor* ImageFor(SystemCursor cursor) {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        arrowImage = waitImage = blankImage = nullptr;
        return nullptr;
    }
    switch (cursor) {
        case SystemCursor::None:
            if (blankImage == nullptr) {
                const Uint8 bits[1] = {0};
                blankImage = SDL_CreateCursor(bits, bits, 8, 1, 0, 0);
            }
            return blankImage;
        case SystemCursor::Wait:
            if (waitImage == nullptr) {
                waitImage = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT);
            }
            return waitImage;
        case SystemCursor::Arrow:
        default:
            if (arrowImage == nullptr) {
                arrowImage = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
            }
            return arrowImage;
    }
}

}  // namespace

void SetGameCursor(SystemCursor cursor) {
    current = cursor;
    if (SDL_Cursor* image = ImageFor(cursor)) {
        SDL_SetCursor(image);
    }
}

SystemCursor GetGameCursor() { return current; }

}  // namespace platform
