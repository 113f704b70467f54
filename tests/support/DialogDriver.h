#pragma once

// Works dialogs as a user does, through the scripted queue: presses and releases
// at a control's place over the owner window, keys and typed characters on the
// owner window, all routed by the dialog layer like the system's input. After
// each action the serve function runs the program's pump until the queue is idle.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "platform/DialogWindow.h"
#include "platform/FakeMessageQueue.h"

class DialogDriver {
  public:
    DialogDriver(platform::FakeMessageQueue& queue, platform::WindowHandle owner, std::function<void()> serve)
        : queue_(queue), owner_(owner), serve_(std::move(serve)) {}

    // A left click at (x, y) of the owner's client area.
    void ClickAt(int x, int y) {
        using platform::WinMsg;
        queue_.PushInput(platform::FakeMessageQueue::Mouse(owner_, WinMsg::LButtonDown, x, y, 1));
        queue_.PushInput(platform::FakeMessageQueue::Mouse(owner_, WinMsg::LButtonUp, x, y, 0));
        serve_();
    }

    // A click on the control, at `dx` pixels from its left edge (the middle when
    // negative), half-way down.
    void Click(platform::WindowHandle dialog, int controlId, int dx = -1) {
        const platform::DialogPlace p = platform::GetControlPlace(dialog, controlId);
        ASSERT_GT(p.width, 0) << "no control " << controlId;
        ClickAt(p.x + (dx < 0 ? p.width / 2 : dx), p.y + p.height / 2);
    }

    // Opens the list by its arrow (or anywhere on a drop-down list) and clicks the
    // entry, scrolling the open list by its strip until the entry shows.
    void Choose(platform::WindowHandle dialog, int controlId, int index) {
        const platform::DialogPlace c = platform::GetControlPlace(dialog, controlId);
        ClickAt(c.x + c.width - c.height / 2, c.y + c.height / 2);
        for (int guard = 0; guard < 100; ++guard) {
            const platform::DialogState* s = platform::GetDialogState(dialog);
            ASSERT_NE(s, nullptr);
            ASSERT_EQ(s->dropOpen, controlId) << "the list did not open";
            const platform::DialogPlace drop = platform::GetDropPlace(dialog);
            const int rows = (drop.height - 2) / platform::kDropRowHeight;
            if (index >= s->dropTop && index < s->dropTop + rows) {
                ClickAt(drop.x + 20, drop.y + 1 + (index - s->dropTop) * platform::kDropRowHeight +
                                         platform::kDropRowHeight / 2);
                return;
            }
            // The strip's arrow cells scroll a row at a time, its track a page.
            const int stripX = drop.x + drop.width - platform::kDropStripWidth / 2;
            const int strip = platform::kDropStripWidth;
            if (index < s->dropTop - rows)
                ClickAt(stripX, drop.y + strip + 2);
            else if (index < s->dropTop)
                ClickAt(stripX, drop.y + 4);
            else if (index >= s->dropTop + 2 * rows)
                ClickAt(stripX, drop.y + drop.height - strip - 2);
            else
                ClickAt(stripX, drop.y + drop.height - 4);
        }
        FAIL() << "the list never showed entry " << index;
    }

    void Type(const std::string& text) {
        for (const char c : text)
            queue_.PushInput(platform::FakeMessageQueue::Char(owner_, static_cast<std::uint8_t>(c)));
        serve_();
    }

    void Key(platform::VirtualKey key, bool shift = false) {
        using platform::FakeMessageQueue;
        using platform::VirtualKey;
        using platform::WinMsg;
        if (shift) queue_.PushInput(FakeMessageQueue::Key(owner_, WinMsg::KeyDown, VirtualKey::Shift));
        queue_.PushInput(FakeMessageQueue::Key(owner_, WinMsg::KeyDown, key));
        queue_.PushInput(FakeMessageQueue::Key(owner_, WinMsg::KeyUp, key));
        if (shift) queue_.PushInput(FakeMessageQueue::Key(owner_, WinMsg::KeyUp, VirtualKey::Shift));
        serve_();
    }

    // Alt with a letter ('A'-'Z').
    void Alt(char letter) {
        using platform::FakeMessageQueue;
        using platform::VirtualKey;
        using platform::WinMsg;
        const auto vk = static_cast<VirtualKey>(platform::Num(VirtualKey::LetterA) + (letter - 'A'));
        queue_.PushInput(FakeMessageQueue::Key(owner_, WinMsg::SysKeyDown, vk));
        queue_.PushInput(FakeMessageQueue::Key(owner_, WinMsg::SysKeyUp, vk));
        serve_();
    }

  private:
    platform::FakeMessageQueue& queue_;
    platform::WindowHandle owner_;
    std::function<void()> serve_;
};
