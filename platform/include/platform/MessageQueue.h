#pragma once

// The thread's window-message queue with the observable behaviour the game was
// written against: messages keep their Windows numbers because callers filter by
// number. Retrieval order for an unfiltered peek: posted messages, then input
// (keyboard and mouse, in arrival order), then WM_QUIT, then WM_PAINT and WM_TIMER,
// which are only made when nothing else is pending and are merged (one paint per
// invalidated window, one timer message however many periods were missed).
// Consecutive mouse moves to one window are merged to the latest.
//
// A backend (SDL, or the scripted fake of the tests) supplies the clock, the
// system's input and the blocking wait.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "platform/WinTypes.h"

namespace platform {

using WindowProc = std::function<std::intptr_t(WindowHandle window, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam)>;

// What a window asks of the queue when it is registered.
struct WindowClass {
    WindowProc proc;
    bool doubleClicks = false;  // a second press close in time and place becomes a double click
};

// Offered a message for a modeless dialog; true when the dialog took it.
using DialogFilter = std::function<bool(WindowHandle dialog, const WinMessage& message)>;

// Called while the queue blocks, with the longest time it may take in ms; the
// sockets layer watches its descriptors here and posts its notifications, which
// ends the wait.
using WaitHook = std::function<void(std::uint32_t maxMs)>;

// Sees every keyboard and mouse message as it enters the queue and may send it
// to another window (the dialog layer: mouse input to the dialog under the
// pointer, in that dialog's coordinates; keys to the active dialog).
using InputRouter = std::function<void(WinMessage& message)>;

// Called whenever the queue collects input, before the backend's own input: the
// sockets layer posts the notifications of what is ready now. It never blocks.
using PollHook = std::function<void()>;

// A descriptor that a backend's blocking wait watches besides the display's own
// events: readable, writable, or both.
struct WaitDescriptor {
    int fd = -1;
    bool read = false;
    bool write = false;
};
// Adds the descriptors that can wake the program (sockets, the look-up wake-up).
using WaitDescriptorSource = std::function<void(std::vector<WaitDescriptor>& out)>;

class MessageQueue {
  public:
    // Double clicks: the second press of the same button within this time (ms)...
    static constexpr std::uint32_t kDoubleClickMs = 500;
    // ...and within this many pixels of the first, either way on each axis.
    static constexpr std::int32_t kDoubleClickSlop = 2;

    // The thread's queue: the program's entry installs it for the run, and window
    // code registers its windows there. Null when none is installed.
    static MessageQueue* Current() { return Installed(); }
    // Installs a borrowed queue (null uninstalls); returns the one before.
    static MessageQueue* Install(MessageQueue* queue) {
        MessageQueue* before = Installed();
        Installed() = queue;
        return before;
    }

    MessageQueue() = default;
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;
    virtual ~MessageQueue() = default;

    // The first pending message whose number lies in [first, last] (both 0: any),
    // taken out of the queue when remove is set. False when there is none.
    bool Peek(WinMessage& out, std::uint32_t first, std::uint32_t last, bool remove);
    // Blocks until a message is pending and takes it; false when it is WM_QUIT.
    bool Get(WinMessage& out);
    // Blocks until a message is pending or timeoutMs has passed; true when one is.
    bool Wait(std::uint32_t timeoutMs);

    void Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    // WM_QUIT with the exit code as wParam, made once nothing is posted or input.
    void PostQuit(int exitCode);
    // Posts the character message of a key-down that has one (Backspace, Tab,
    // Enter, Escape); a later peek serves it.
    void Translate(const WinMessage& message);
    // Calls the window procedure registered for the message's window; 0 without one.
    std::intptr_t Dispatch(const WinMessage& message);

    void RegisterWindow(WindowHandle window, WindowClass windowClass);
    void UnregisterWindow(WindowHandle window);
    bool IsRegistered(WindowHandle window) const;
    // Asks for one WM_PAINT for the window; taking it out of the queue validates.
    void Invalidate(WindowHandle window);

    // A thread timer without window: WM_TIMER (wParam = its id) once periodMs has
    // passed since it was started or last taken. Returns the id, 0 on failure.
    virtual std::uintptr_t StartThreadTimer(std::uint32_t periodMs);

    // A window timer: WM_TIMER to the window (wParam = id) once periodMs has passed
    // since it was set or last taken. Setting an id the window has restarts it.
    // False for a null window or a period of 0. A window's timers end when it is
    // unregistered.
    bool SetWindowTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs);
    void KillWindowTimer(WindowHandle window, std::uintptr_t id);

    void SetInputRouter(InputRouter router) { inputRouter_ = std::move(router); }

    void SetWaitHook(WaitHook hook) { waitHook_ = std::move(hook); }
    void SetPollHook(PollHook hook) { pollHook_ = std::move(hook); }
    void SetWaitDescriptorSource(WaitDescriptorSource source) { waitDescriptors_ = std::move(source); }
    // The descriptors the blocking wait watches, from the installed source.
    void GatherWaitDescriptors(std::vector<WaitDescriptor>& out) const {
        if (waitDescriptors_) waitDescriptors_(out);
    }

    // Drops the posted messages of that window whose number lies in [first, last]:
    // a closed socket's handle and descriptor are reused at once, and a stale
    // notification must not reach the next owner.
    void RemovePosted(WindowHandle window, std::uint32_t first, std::uint32_t last);

    // The dialog layer installs its filter; without one no dialog takes anything.
    void SetDialogFilter(DialogFilter filter) { dialogFilter_ = std::move(filter); }
    bool IsDialogMessage(WindowHandle dialog, const WinMessage& message) {
        return dialogFilter_ && dialog != nullptr && dialogFilter_(dialog, message);
    }

    // The program is in the foreground when one of its windows has keyboard focus
    // and is not minimised.
    virtual bool IsForeground() = 0;
    // The tick count in ms that stamps messages and drives timers and double clicks.
    virtual std::uint32_t Now() = 0;

  protected:
    // Moves what the system has delivered into the queue through AddInput and Post.
    virtual void CollectInput() = 0;
    // Blocks until the system may have input or maxMs has passed.
    virtual void WaitForInput(std::uint32_t maxMs) = 0;

    // Appends a keyboard or mouse message, merging mouse moves and making double clicks.
    void AddInput(WinMessage message);
    const WaitHook& waitHook() const { return waitHook_; }

  private:
    static MessageQueue*& Installed() {
        static MessageQueue* installed = nullptr;
        return installed;
    }

    struct Timer {
        WindowHandle window;  // null for a thread timer
        std::uintptr_t id;
        std::uint32_t period;
        std::uint32_t last;
    };
    struct Press {
        WindowHandle window = nullptr;
        std::uint32_t message = 0;
        std::uint32_t time = 0;
        std::int32_t x = 0;
        std::int32_t y = 0;
        bool valid = false;
    };

    bool TakeFrom(std::deque<WinMessage>& queue, WinMessage& out, std::uint32_t first, std::uint32_t last,
                  bool remove);
    bool HasPending();
    std::uint32_t TimeToNextTimer();

    std::deque<WinMessage> posted_;
    std::deque<WinMessage> input_;
    std::vector<WindowHandle> invalid_;
    std::vector<Timer> timers_;
    std::map<WindowHandle, WindowClass> windows_;
    bool quitPending_ = false;
    int quitCode_ = 0;
    Press lastPress_;
    std::uintptr_t nextTimerId_ = 1;
    WaitHook waitHook_;
    PollHook pollHook_;
    WaitDescriptorSource waitDescriptors_;
    DialogFilter dialogFilter_;
    InputRouter inputRouter_;
};

}  // namespace platform
