#pragma once

// A message queue for tests: a manual clock, input injected by hand or scripted
// to arrive at a given time, and a foreground flag. Waiting advances the clock
// instead of sleeping.

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/MessageQueue.h"

namespace platform {

class FakeMessageQueue : public MessageQueue {
  public:
    bool IsForeground() override { return foreground_; }
    std::uint32_t Now() override { return now_; }

    void SetForeground(bool foreground) { foreground_ = foreground; }
    // Makes the system refuse new thread timers.
    void RefuseTimers(bool refuse) { refuseTimers_ = refuse; }
    std::uintptr_t StartThreadTimer(std::uint32_t periodMs) override {
        return refuseTimers_ ? 0 : MessageQueue::StartThreadTimer(periodMs);
    }
    void Advance(std::uint32_t ms) { now_ += ms; }

    // Input that the system delivers now, or once the clock reaches `at`.
    void PushInput(const WinMessage& message) { Schedule(now_, message); }
    void Schedule(std::uint32_t at, WinMessage message) {
        message.time = at;
        const auto later = std::find_if(script_.begin(), script_.end(), [&](const auto& s) {
            return static_cast<std::int32_t>(s.first - at) > 0;
        });
        script_.insert(later, {at, message});
    }
    // The window manager's close, as the SDL layer reports it.
    void PushClose(WindowHandle window) { Post(window, Num(WinMsg::SysCommand), Num(SysCommand::Close), 0); }

    // How often and for how long the queue blocked.
    const std::vector<std::uint32_t>& waits() const { return waits_; }

    static WinMessage Key(WindowHandle w, WinMsg m, VirtualKey vk) {
        const bool up = m == WinMsg::KeyUp || m == WinMsg::SysKeyUp;
        const std::uint32_t bits = up ? 0xC0000001u : 0x00000001u;
        return WinMessage{w, Num(m), Num(vk), static_cast<std::intptr_t>(static_cast<std::int32_t>(bits)),
                          0, 0,      0};
    }
    static WinMessage Char(WindowHandle w, std::uint8_t c) {
        return WinMessage{w, Num(WinMsg::Char), c, 1, 0, 0, 0};
    }
    static WinMessage Mouse(WindowHandle w, WinMsg m, std::int32_t x, std::int32_t y,
                            std::uint32_t keys = 0) {
        return WinMessage{w, Num(m), keys, MakeLParam(x, y), 0, x, y};
    }

  protected:
    void CollectInput() override {
        for (auto it = script_.begin(); it != script_.end();) {
            if (static_cast<std::int32_t>(now_ - it->first) >= 0) {
                AddInput(it->second);
                it = script_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void WaitForInput(std::uint32_t maxMs) override {
        std::uint32_t step = maxMs;
        for (const auto& s : script_) step = std::min(step, s.first - now_);
        if (waitHook()) waitHook()(step);
        // Nothing could ever wake the queue: a test would hang here otherwise.
        if (step == UINT32_MAX) throw std::logic_error("FakeMessageQueue: waiting with nothing to wake it");
        waits_.push_back(step);
        now_ += step;
    }

  private:
    std::uint32_t now_ = 1000;
    bool foreground_ = true;
    bool refuseTimers_ = false;
    std::vector<std::pair<std::uint32_t, WinMessage>> script_;
    std::vector<std::uint32_t> waits_;
};

}  // namespace platform
