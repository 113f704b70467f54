#include "platform/SdlMessageBoxSink.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "CloseSignals.h"
#include "platform/GameWindow.h"

namespace platform {

namespace {

constexpr std::uint32_t kIconMask = 0xF0;
constexpr std::uint32_t kButtonMask = 0x0F;

Uint32 IconFlags(std::uint32_t style) {
    switch (style & kIconMask) {
        case Num(BoxStyle::IconStop):
            return SDL_MESSAGEBOX_ERROR;
        case Num(BoxStyle::IconExclamation):
            return SDL_MESSAGEBOX_WARNING;
        default:
            return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace

bool SdlMessageBoxSink::DisplayAvailable() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
        return false;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

BoxAnswer SdlMessageBoxSink::Show(const std::string& title, const std::string& text, std::uint32_t style) {
    // SDL's own box on a display server that does not answer (gone, or starting over)
    // can crash inside SDL: such a box goes to standard error too.
    if (!DisplayAvailable() || !DisplayInUse()) {
        return fallback_.Show(title, text, style);
    }
    StderrMessageBoxSink::Print(title, text);
    const bool okCancel = (style & kButtonMask) == Num(BoxStyle::OkCancel);
    // SDL lays buttons out in array order; OK is the default (Return), Cancel answers Escape.
    const Uint32 okFlags = okCancel ? Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT}
                                    : Uint32{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT} |
                                          Uint32{SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT};
    SDL_MessageBoxButtonData buttons[2] = {
        {okFlags, static_cast<int>(BoxAnswer::Ok), "OK"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(BoxAnswer::Cancel), "Cancel"},
    };
    SDL_MessageBoxData box{};
    box.flags = IconFlags(style);
    // Parented to the game window, so that a box stays in front of it even when
    // the window covers the display; the dialogs over it sit in that window too.
    box.window = static_cast<SDL_Window*>(MainGameWindow());
    box.title = title.c_str();
    box.message = text.c_str();
    box.numbuttons = okCancel ? 2 : 1;
    box.buttons = buttons;
    int pressed = -1;
    int shown = -1;
    {
        // A close signal ends the box (SDL shows it from a helper child).
        const close_signals::BoxScope scope;
        if (!scope.Interrupted()) shown = SDL_ShowMessageBox(&box, &pressed);
        if (scope.Interrupted()) return DefaultBoxAnswer(style);
    }
    if (shown != 0) {
        return DefaultBoxAnswer(style);  // written on standard error above
    }
    if (pressed == static_cast<int>(BoxAnswer::Cancel) || (pressed < 0 && okCancel)) {
        return BoxAnswer::Cancel;
    }
    return BoxAnswer::Ok;
}

void SdlMessageBoxSink::Beep(std::uint32_t /*style*/) {}

}  // namespace platform
