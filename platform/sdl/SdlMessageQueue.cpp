#include "platform/SdlMessageQueue.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "SdlDisplayDescriptor.h"
#include "platform/AsyncSockets.h"
#include "CloseSignals.h"
#include "platform/Cp1252.h"
#include "platform/GameWindow.h"

namespace platform {

namespace {

// The queue that registers the game windows' procedures as they come and go.
SdlMessageQueue* gLiveQueue = nullptr;

// The game windows alive, oldest first: the first one's display connection is watched.
std::vector<WindowHandle> gGameWindows;

void OnGameWindow(WindowHandle window, WindowProcedure procedure, bool created) {
    if (created)
        gGameWindows.push_back(window);
    else
        std::erase(gGameWindows, window);
    if (gLiveQueue == nullptr) return;
    if (created)
        gLiveQueue->RegisterWindow(window, WindowClass{procedure, true});
    else
        gLiveQueue->UnregisterWindow(window);
}

// Slice of the wait when the display's events cannot be watched by descriptor
// (a video driver other than X11), or while a test's wait hook waits.
constexpr std::uint32_t kHookSliceMs = 10;

WindowHandle WindowOf(std::uint32_t windowId) {
    return static_cast<WindowHandle>(SDL_GetWindowFromID(windowId));
}

// The client size as WM_SIZE carries it: a game window's client pixels, which
// stay the presentation's size however large the window is shown.
std::intptr_t ClientSize(WindowHandle window) {
    if (IsGameWindow(window)) return MakeLParam(ClientWidth(window), ClientHeight(window));
    int w = 0, h = 0;
    if (window != nullptr) SDL_GetWindowSize(static_cast<SDL_Window*>(window), &w, &h);
    return MakeLParam(w, h);
}

std::uint32_t KeypadKey(SDL_Keycode sym, bool numLock) {
    struct Pad {
        SDL_Keycode sym;
        VirtualKey off;  // the navigation key when Num Lock is off
        std::uint32_t on;
    };
    static constexpr Pad kPad[] = {
        {SDLK_KP_0, VirtualKey::Insert, 0}, {SDLK_KP_1, VirtualKey::End, 1},
        {SDLK_KP_2, VirtualKey::Down, 2},   {SDLK_KP_3, VirtualKey::Next, 3},
        {SDLK_KP_4, VirtualKey::Left, 4},   {SDLK_KP_5, VirtualKey::Clear, 5},
        {SDLK_KP_6, VirtualKey::Right, 6},  {SDLK_KP_7, VirtualKey::Home, 7},
        {SDLK_KP_8, VirtualKey::Up, 8},     {SDLK_KP_9, VirtualKey::Prior, 9},
    };
    for (const Pad& p : kPad)
        if (p.sym == sym) return numLock ? Num(VirtualKey::Numpad0) + p.on : Num(p.off);
    if (sym == SDLK_KP_PERIOD) return numLock ? Num(VirtualKey::Decimal) : Num(VirtualKey::Delete);
    if (sym == SDLK_KP_ENTER) return Num(VirtualKey::Return);
    return 0;
}

// The platform's virtual key of an SDL key; 0 for keys the game never sees.
std::uint32_t VirtualKeyOf(const SDL_Keysym& key) {
    const SDL_Keycode sym = key.sym;
    if (sym >= SDLK_a && sym <= SDLK_z)
        return Num(VirtualKey::LetterA) + static_cast<std::uint32_t>(sym - SDLK_a);
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return Num(VirtualKey::Digit0) + static_cast<std::uint32_t>(sym - SDLK_0);
    if (sym >= SDLK_F1 && sym <= SDLK_F12)
        return Num(VirtualKey::F1) + static_cast<std::uint32_t>(sym - SDLK_F1);
    if (const std::uint32_t pad = KeypadKey(sym, (key.mod & KMOD_NUM) != 0)) return pad;
    switch (sym) {
        case SDLK_BACKSPACE:
            return Num(VirtualKey::Back);
        case SDLK_TAB:
            return Num(VirtualKey::Tab);
        case SDLK_RETURN:
            return Num(VirtualKey::Return);
        case SDLK_ESCAPE:
            return Num(VirtualKey::Escape);
        case SDLK_SPACE:
            return Num(VirtualKey::Space);
        case SDLK_PAGEUP:
            return Num(VirtualKey::Prior);
        case SDLK_PAGEDOWN:
            return Num(VirtualKey::Next);
        case SDLK_END:
            return Num(VirtualKey::End);
        case SDLK_HOME:
            return Num(VirtualKey::Home);
        case SDLK_LEFT:
            return Num(VirtualKey::Left);
        case SDLK_UP:
            return Num(VirtualKey::Up);
        case SDLK_RIGHT:
            return Num(VirtualKey::Right);
        case SDLK_DOWN:
            return Num(VirtualKey::Down);
        case SDLK_INSERT:
            return Num(VirtualKey::Insert);
        case SDLK_DELETE:
            return Num(VirtualKey::Delete);
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return Num(VirtualKey::Shift);
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return Num(VirtualKey::Control);
        case SDLK_LALT:
        case SDLK_RALT:
            return Num(VirtualKey::Menu);
        default:
            return 0;
    }
}

std::uint32_t ModifierKeys() {
    const SDL_Keymod mod = SDL_GetModState();
    std::uint32_t keys = 0;
    if (mod & KMOD_SHIFT) keys |= Num(MouseKeys::Shift);
    if (mod & KMOD_CTRL) keys |= Num(MouseKeys::Control);
    return keys;
}

std::uint32_t ButtonBit(std::uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return Num(MouseKeys::LButton);
        case SDL_BUTTON_RIGHT:
            return Num(MouseKeys::RButton);
        case SDL_BUTTON_MIDDLE:
            return Num(MouseKeys::MButton);
        default:
            return 0;
    }
}

WinMsg ButtonMessage(std::uint8_t button, bool down) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return down ? WinMsg::LButtonDown : WinMsg::LButtonUp;
        case SDL_BUTTON_RIGHT:
            return down ? WinMsg::RButtonDown : WinMsg::RButtonUp;
        default:
            return down ? WinMsg::MButtonDown : WinMsg::MButtonUp;
    }
}

}  // namespace

SdlMessageQueue::SdlMessageQueue() {
    // First, so that a close asked for while SDL starts is not lost (nor one
    // that was held for the handlers, see close_signals::Install).
    close_signals::Install();
    // Signals are ours to turn into the close message, and closing one window is
    // not the end of the program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    video_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    SDL_InitSubSystem(SDL_INIT_EVENTS);
    if (video_) SDL_StartTextInput();
    gLiveQueue = this;
    SetWindowLifeHook(&OnGameWindow);
}

SdlMessageQueue::~SdlMessageQueue() {
    SetWindowLifeHook(nullptr);
    gLiveQueue = nullptr;
    // The signal handlers stay: a close asked for from here on finds the
    // program closing already.
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
    if (video_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::uint32_t SdlMessageQueue::Now() {
    return SDL_GetTicks();
}

bool SdlMessageQueue::IsForeground() {
    SDL_Window* focus = SDL_GetKeyboardFocus();
    return focus != nullptr && IsRegistered(focus) && (SDL_GetWindowFlags(focus) & SDL_WINDOW_MINIMIZED) == 0;
}

void SdlMessageQueue::CollectInput() {
    if (close_signals::Take()) {
        Post(nullptr, Num(WinMsg::SysCommand), Num(SysCommand::Close), 0);
    }
    // Messages the platform sends straight to a window procedure; delivered once
    // SDL's queue is read, so a procedure that pumps does not nest in the poll.
    std::vector<WinMessage> sent;
    SDL_Event e;
    while (SDL_PollEvent(&e) == 1) {
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const std::uint32_t vk = VirtualKeyOf(e.key.keysym);
                if (vk == 0) break;
                const bool down = e.type == SDL_KEYDOWN;
                // Keys with Alt are the system's; AltGr (Ctrl+Alt to the platform,
                // or SDL's mode key) types characters and is not.
                const Uint16 mod = e.key.keysym.mod;
                const bool system = vk == Num(VirtualKey::Menu) ||
                                    ((mod & KMOD_ALT) != 0 && (mod & (KMOD_CTRL | KMOD_MODE)) == 0);
                const WinMsg m = system ? (down ? WinMsg::SysKeyDown : WinMsg::SysKeyUp)
                                        : (down ? WinMsg::KeyDown : WinMsg::KeyUp);
                // Repeat count 1; bit 30 the key's previous state; bit 31 set on release.
                std::uint32_t bits = 1;
                if (!down || e.key.repeat) bits |= 1u << 30;
                if (!down) bits |= 1u << 31;
                AddInput(WinMessage{WindowOf(e.key.windowID), Num(m), vk,
                                    static_cast<std::intptr_t>(static_cast<std::int32_t>(bits)),
                                    e.key.timestamp, 0, 0});
                break;
            }
            case SDL_TEXTINPUT:
                // Bounded by the event's own text area: a pushed event need not end in a NUL.
                for (const char c :
                     Utf8ToCp1252(std::string_view(e.text.text, strnlen(e.text.text, sizeof e.text.text))))
                    AddInput(WinMessage{WindowOf(e.text.windowID), Num(WinMsg::Char),
                                        static_cast<unsigned char>(c), 1, e.text.timestamp, 0, 0});
                break;
            case SDL_MOUSEMOTION:
                AddInput(WinMessage{WindowOf(e.motion.windowID), Num(WinMsg::MouseMove),
                                    buttons_ | ModifierKeys(), MakeLParam(e.motion.x, e.motion.y),
                                    e.motion.timestamp, e.motion.x, e.motion.y});
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP: {
                const bool down = e.type == SDL_MOUSEBUTTONDOWN;
                if (down)
                    buttons_ |= ButtonBit(e.button.button);
                else
                    buttons_ &= ~ButtonBit(e.button.button);
                if (ButtonBit(e.button.button) == 0) break;
                AddInput(WinMessage{WindowOf(e.button.windowID), Num(ButtonMessage(e.button.button, down)),
                                    buttons_ | ModifierKeys(), MakeLParam(e.button.x, e.button.y),
                                    e.button.timestamp, e.button.x, e.button.y});
                break;
            }
            case SDL_WINDOWEVENT: {
                const WindowHandle window = WindowOf(e.window.windowID);
                // Only live windows are remembered, so a new window at a freed address starts fresh.
                std::erase_if(minimised_, [this](WindowHandle w) { return !IsRegistered(w); });
                const bool wasMinimised =
                    std::find(minimised_.begin(), minimised_.end(), window) != minimised_.end();
                const auto send = [&](WinMsg m, std::uintptr_t wParam, std::intptr_t lParam) {
                    sent.push_back(WinMessage{window, Num(m), wParam, lParam, e.window.timestamp, 0, 0});
                };
                switch (e.window.event) {
                    case SDL_WINDOWEVENT_CLOSE:
                        Post(window, Num(WinMsg::SysCommand), Num(SysCommand::Close), 0);
                        break;
                    case SDL_WINDOWEVENT_EXPOSED:
                        Invalidate(window);
                        break;
                    case SDL_WINDOWEVENT_FOCUS_GAINED:
                    case SDL_WINDOWEVENT_FOCUS_LOST: {
                        const ActivateState state = e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED
                                                        ? ActivateState::Active
                                                        : ActivateState::Inactive;
                        // The other window is not known here: 0.
                        send(WinMsg::Activate, Num(state) | (wasMinimised ? 1u << 16 : 0u), 0);
                        break;
                    }
                    case SDL_WINDOWEVENT_MINIMIZED:
                        if (!wasMinimised && IsRegistered(window)) minimised_.push_back(window);
                        // A minimised window has an empty client area.
                        send(WinMsg::Size, Num(SizeKind::Minimized), 0);
                        break;
                    case SDL_WINDOWEVENT_RESTORED:
                    case SDL_WINDOWEVENT_MAXIMIZED:
                        std::erase(minimised_, window);
                        send(WinMsg::Size,
                             Num(e.window.event == SDL_WINDOWEVENT_RESTORED ? SizeKind::Restored
                                                                            : SizeKind::Maximized),
                             ClientSize(window));
                        // The platform repaints the whole client area of a window it shows again.
                        Invalidate(window);
                        break;
                    default:
                        break;
                }
                break;
            }
            case SDL_QUIT:
                Post(nullptr, Num(WinMsg::SysCommand), Num(SysCommand::Close), 0);
                break;
            default:
                break;
        }
    }
    for (const WinMessage& m : sent) Dispatch(m);
}

void SdlMessageQueue::WaitForInput(std::uint32_t maxMs) {
    if (waitHook()) {
        waitHook()(std::min(maxMs, kHookSliceMs));
        return;
    }
    // One blocking wait on everything that can wake the program: the display
    // connection, the sockets and the look-up wake-up; the thread timer bounds
    // maxMs, and a signal ends the wait early. SDL's queue was emptied by the
    // collection just before, so nothing is waiting there.
    std::vector<WaitDescriptor> descriptors;
    GatherWaitDescriptors(descriptors);
    std::uint32_t limit = maxMs;
    if (video_ && !gGameWindows.empty()) {
        const int display = SdlDisplayDescriptor(gGameWindows.front());
        if (display >= 0)
            descriptors.push_back(WaitDescriptor{display, true, false});
        else if (!SdlDisplayIsSilent())
            limit = std::min(limit, kHookSliceMs);
    }
    WaitForDescriptors(descriptors, limit);
}

}  // namespace platform
