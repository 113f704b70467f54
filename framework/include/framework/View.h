#pragma once

#include "framework/ProcessForwarder.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "framework/UIRoot.h"

#include <cstdint>

class Screen;

// The root of the visible tree that plays screens one after another: at most one
// screen is current and at most one waits as the next. The next one starts
// only once the current one has stopped, and the time it is given is shortened
// by the current one's last phase. When the current screen has started and
// nothing waits, the view sends ReadyToPlayNextScreenMsg to its receivers.
//
// The view never makes or deletes a screen, and it hears a screen's state
// messages only as one of that screen's receivers: whoever makes the screens
// subscribes the view to each.
class View : public UIRoot, public ProcessForwarder, public QueuedMsgReceiverForwarder {
  public:
    // The five display arguments go to the root; the view then holds the
    // keyboard focus.
    View(const char* name, std::int32_t depth, std::int32_t width, std::int32_t height, bool fullScreen);
    ~View() override = default;

    virtual bool IsReadyForScreen();
    virtual Screen* GetCurrentScreen() { return current_; }
    virtual Screen* GetNextScreen() { return pending_; }
    // Times in ms. With no current screen the screen gets the segment time
    // delay + last and starts at once. Otherwise it waits as the next screen with
    // delay + last less the current screen's last phase (never below 0), and the
    // current one is asked to stop once it has started. Throws the integer 0
    // when a screen already waits.
    virtual void ShowScreen(Screen* screen, std::uint32_t delay, std::uint32_t first, std::uint32_t middle,
                            std::uint32_t last);

    // The current screen's StartedMsg and StoppedMsg are queued and acted on
    // when the queue drains, if their sender is still the current screen then.
    // A current screen that stops while the view runs and nothing waits throws
    // the integer 0.
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;
    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        return QueuedMsgReceiverForwarder::Receive(msg, from);
    }

    // Process: the interface's defaults, not the support's history.
    bool HasBeenResumed() const override { return false; }
    void SetResumed() override {}

  protected:
    // For an owner that deletes its screens: the view no longer has a current
    // or a next screen.
    void ForgetScreens() {
        current_ = nullptr;
        pending_ = nullptr;
    }

  private:
    bool IsFromCurrent(MsgSender* from) const;
    void OnCurrentStarted();
    void OnCurrentStopped();

    Screen* current_ = nullptr;
    Screen* pending_ = nullptr;
};
