#include "platform/Cursor.h"

#include <SDL.h>

#include <memory>

namespace platform {
namespace {

struct CursorDeleter {
    void operator()(SDL_Cursor* c) const { SDL_FreeCursor(c); }
};
using CursorPtr = std::unique_ptr<SDL_Cursor, CursorDeleter>;

SystemCursor current = SystemCursor::Arrow;

// System cursors are made on first use and kept for the run; without a video
// subsystem (or when the driver has no cursors) there is none to show, and only
// the choice is remembered.
SDL_Cursor* SystemCursorFor(SystemCursor cursor) {
    static CursorPtr arrow;
    static CursorPtr wait;
    CursorPtr& slot = cursor == SystemCursor::Wait ? wait : arrow;
    if (!slot && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        slot.reset(SDL_CreateSystemCursor(cursor == SystemCursor::Wait ? SDL_SYSTEM_CURSOR_WAIT
                                                                       : SDL_SYSTEM_CURSOR_ARROW));
    }
    return slot.get();
}

}  // namespace

void SetGameCursor(SystemCursor cursor) {
    current = cursor;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return;
    }
    if (cursor == SystemCursor::None) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    if (SDL_Cursor* c = SystemCursorFor(cursor)) {
        SDL_SetCursor(c);
    }
    SDL_ShowCursor(SDL_ENABLE);
}

SystemCursor GetGameCursor() {
    return current;
}

}  // namespace platform
