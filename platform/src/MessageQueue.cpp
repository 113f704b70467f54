#include "platform/MessageQueue.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace platform {

namespace {

bool InRange(std::uint32_t message, std::uint32_t first, std::uint32_t last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool IsPress(std::uint32_t m) {
    return m == Num(WinMsg::LButtonDown) || m == Num(WinMsg::RButtonDown) || m == Num(WinMsg::MButtonDown);
}

// Each button's double-click message comes two after its down message.
std::uint32_t DoubleClickOf(std::uint32_t press) {
    return press + 2;
}

// Only the keys whose character the platform derives from the key itself; printable
// characters come from the system's text input.
bool HasCharacter(std::uintptr_t vk) {
    return vk == Num(VirtualKey::Back) || vk == Num(VirtualKey::Tab) || vk == Num(VirtualKey::Return) ||
           vk == Num(VirtualKey::Escape);
}

}  // namespace

bool MessageQueue::TakeFrom(std::deque<WinMessage>& queue, WinMessage& out, std::uint32_t first,
                            std::uint32_t last, bool remove) {
    const auto it = std::find_if(queue.begin(), queue.end(),
                                 [&](const WinMessage& m) { return InRange(m.message, first, last); });
    if (it == queue.end()) return false;
    out = *it;
    if (remove) queue.erase(it);
    return true;
}

bool MessageQueue::Peek(WinMessage& out, std::uint32_t first, std::uint32_t last, bool remove) {
    if (pollHook_) pollHook_();
    CollectInput();
    if (TakeFrom(posted_, out, first, last, remove)) return true;
    if (TakeFrom(input_, out, first, last, remove)) return true;
    const std::uint32_t now = Now();
    if (quitPending_ && InRange(Num(WinMsg::Quit), first, last)) {
        out = WinMessage{nullptr, Num(WinMsg::Quit), static_cast<std::uintptr_t>(quitCode_), 0, now, 0, 0};
        if (remove) quitPending_ = false;
        return true;
    }
    if (!invalid_.empty() && InRange(Num(WinMsg::Paint), first, last)) {
        out = WinMessage{invalid_.front(), Num(WinMsg::Paint), 0, 0, now, 0, 0};
        if (remove) invalid_.erase(invalid_.begin());
        return true;
    }
    if (InRange(Num(WinMsg::Timer), first, last)) {
        for (Timer& t : timers_) {
            if (now - t.last >= t.period) {
                out = WinMessage{t.window, Num(WinMsg::Timer), t.id, 0, now, 0, 0};
                if (remove) t.last = now;
                return true;
            }
        }
    }
    return false;
}

bool MessageQueue::HasPending() {
    if (pollHook_) pollHook_();
    CollectInput();
    return !posted_.empty() || !input_.empty() || quitPending_ || !invalid_.empty() || TimeToNextTimer() == 0;
}

std::uint32_t MessageQueue::TimeToNextTimer() {
    std::uint32_t best = std::numeric_limits<std::uint32_t>::max();
    const std::uint32_t now = Now();
    for (const Timer& t : timers_) {
        const std::uint32_t elapsed = now - t.last;
        best = std::min(best, elapsed >= t.period ? 0u : t.period - elapsed);
    }
    return best;
}

bool MessageQueue::Wait(std::uint32_t timeoutMs) {
    const std::uint32_t start = Now();
    for (;;) {
        if (HasPending()) return true;
        const std::uint32_t elapsed = Now() - start;
        if (elapsed >= timeoutMs) return false;
        WaitForInput(std::min(timeoutMs - elapsed, TimeToNextTimer()));
    }
}

bool MessageQueue::Get(WinMessage& out) {
    while (!Peek(out, 0, 0, true)) Wait(std::numeric_limits<std::uint32_t>::max());
    return out.message != Num(WinMsg::Quit);
}

void MessageQueue::Post(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                        std::intptr_t lParam) {
    posted_.push_back(WinMessage{window, message, wParam, lParam, Now(), 0, 0});
}

void MessageQueue::RemovePosted(WindowHandle window, std::uint32_t first, std::uint32_t last) {
    std::erase_if(posted_, [&](const WinMessage& m) {
        return m.window == window && m.message >= first && m.message <= last;
    });
}

void MessageQueue::PostQuit(int exitCode) {
    quitPending_ = true;
    quitCode_ = exitCode;
}

void MessageQueue::Translate(const WinMessage& message) {
    if (message.message != Num(WinMsg::KeyDown) || !HasCharacter(message.wParam)) return;
    // The character keeps the key's lParam: repeat count, scan code and the
    // previous-state bit of an auto-repeat; bit 31 is clear for a press.
    Post(message.window, Num(WinMsg::Char), message.wParam, message.lParam);
}

std::intptr_t MessageQueue::Dispatch(const WinMessage& message) {
    const auto it = windows_.find(message.window);
    if (message.window == nullptr || it == windows_.end() || !it->second.proc) return 0;
    // A copy: the procedure may register or remove windows while it runs.
    const WindowProc proc = it->second.proc;
    return proc(message.window, message.message, message.wParam, message.lParam);
}

void MessageQueue::RegisterWindow(WindowHandle window, WindowClass windowClass) {
    if (window != nullptr) windows_[window] = std::move(windowClass);
}

void MessageQueue::UnregisterWindow(WindowHandle window) {
    windows_.erase(window);
    std::erase(invalid_, window);
    if (window != nullptr) std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
    if (lastPress_.window == window) lastPress_.valid = false;
}

bool MessageQueue::IsRegistered(WindowHandle window) const {
    return windows_.contains(window);
}

void MessageQueue::Invalidate(WindowHandle window) {
    if (window != nullptr && std::find(invalid_.begin(), invalid_.end(), window) == invalid_.end())
        invalid_.push_back(window);
}

std::uintptr_t MessageQueue::StartThreadTimer(std::uint32_t periodMs) {
    if (periodMs == 0) return 0;
    const std::uintptr_t id = nextTimerId_++;
    timers_.push_back(Timer{nullptr, id, periodMs, Now()});
    return id;
}

bool MessageQueue::SetWindowTimer(WindowHandle window, std::uintptr_t id, std::uint32_t periodMs) {
    if (window == nullptr || periodMs == 0) return false;
    KillWindowTimer(window, id);
    timers_.push_back(Timer{window, id, periodMs, Now()});
    return true;
}

void MessageQueue::KillWindowTimer(WindowHandle window, std::uintptr_t id) {
    std::erase_if(timers_,
                  [&](const Timer& t) { return t.window != nullptr && t.window == window && t.id == id; });
}

void MessageQueue::AddInput(WinMessage message) {
    if (inputRouter_) inputRouter_(message);
    const std::uint32_t m = message.message;
    if (m == Num(WinMsg::MouseMove) && !input_.empty() && input_.back().message == m &&
        input_.back().window == message.window) {
        input_.back() = message;
        return;
    }
    if (IsPress(m)) {
        const auto it = windows_.find(message.window);
        const bool wants = it != windows_.end() && it->second.doubleClicks;
        const Press& p = lastPress_;
        if (wants && p.valid && p.window == message.window && p.message == m &&
            message.time - p.time <= kDoubleClickMs &&
            std::abs(LowWord(message.lParam) - p.x) <= kDoubleClickSlop &&
            std::abs(HighWord(message.lParam) - p.y) <= kDoubleClickSlop) {
            message.message = DoubleClickOf(m);
            // A third press starts a new pair.
            lastPress_.valid = false;
        } else {
            lastPress_ = Press{message.window,           m,   message.time, LowWord(message.lParam),
                               HighWord(message.lParam), true};
        }
    }
    input_.push_back(message);
}

}  // namespace platform
