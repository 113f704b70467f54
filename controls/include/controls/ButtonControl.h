#pragma once

#include "framework/Control.h"
#include "framework/MouseReceiver.h"
#include "framework/xPoint.h"

#include <cstdint>
#include <memory>

class MouseReceiverSupport;
class ParallelSequencer;
class Timer;

// A control that turns mouse presses into button messages: it tracks a press
// from the left button's going down to its release, shows itself down while
// the pointer is held over it, and sends ButtonClickedMsg when the release
// happens over it. It can repeat clicks while held (auto-repeat: first after
// the delay, then every interval) and can report double clicks. Only its
// subclasses are made; PushButtonControl gives it its look.
//
// Its repeat timer runs in its sequencer, so it starts and stops with the
// button; the button reports started and stopped once the sequencer has.
class ButtonControl : public Control, public MouseReceiver {
  public:
    enum State : std::int32_t { kNone = 0, kUp = 1, kDown = 2 };

    static constexpr std::int32_t kDefaultRepeatDelayMs = 500;
    static constexpr std::int32_t kDefaultRepeatIntervalMs = 300;

    ~ButtonControl() override;

    virtual bool IsUp() { return state_ == kUp; }
    virtual bool IsDown() { return state_ == kDown; }
    // Sends ButtonClickedMsg while enabled.
    virtual void Click();
    virtual void EnableDoubleClick() { doubleClicks_ = true; }
    virtual void DisableDoubleClick() { doubleClicks_ = false; }
    virtual bool IsDoubleClickEnabled() { return doubleClicks_; }
    // Each sends ButtonUpMsg or ButtonDownMsg when the state changes; the quiet
    // forms send nothing.
    virtual void SetUp();
    virtual void SetDown();
    virtual void SetUpQuiet() { state_ = kUp; }
    virtual void SetDownQuiet() { state_ = kDown; }
    // One step of a press: the button held or released, the pointer over the
    // button or not.
    virtual void TrackPress(bool held, bool inside);

    // There is no way back: a button that repeats always does.
    void EnableAutoRepeat() { autoRepeat_ = true; }
    void SetAutoRepeatDelay(std::int32_t ms) { repeatDelay_ = ms; }
    void SetAutoRepeatInterval(std::int32_t ms) { repeatInterval_ = ms; }

    // Redrawing also files the button with the mouse service at its layer;
    // filing it is a redraw.
    void Redraw() override;

    void CaptureMouse() override;
    void ReleaseMouse() override;
    UI* GetMouseCapture() override;
    void UpdateMouseLayer() override;

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  protected:
    // Layer 0; the subclass sets its own. Throws what the parts throw, once
    // those already made are released.
    ButtonControl(UI* parent, MsgReceiver* receiver);

    std::int32_t GetState() const { return state_; }
    void SetState(std::int32_t state) { state_ = state; }
    std::int32_t GetStateAtPress() const { return stateAtPress_; }
    bool IsAutoRepeatEnabled() const { return autoRepeat_; }
    Timer& GetRepeatTimer() { return *timer_; }
    // Both points in the button's own coordinates, all four edges inside.
    bool IsInside(xPoint point);
    // To restore is to bring back the state the press began with; to invert is
    // to show the other one.
    void Restore();
    void Invert();

    // Expires when the button is destroyed: a send may destroy its sender.
    std::weak_ptr<void> GetLifeToken() const { return life_; }

  private:
    void BeginPress();
    void OnMouseMove(xPoint point);
    void OnLeftButtonUp(xPoint point);
    void OnCaptureChanged();
    void OnDoubleClick();
    void OnRepeatTimer();
    bool HoldsCapture();

    std::shared_ptr<char> life_ = std::make_shared<char>();
    std::unique_ptr<MouseReceiverSupport> mouse_;
    bool pointerInside_ = false;
    bool autoRepeat_ = false;
    std::unique_ptr<Timer> timer_;
    std::int32_t repeatDelay_ = kDefaultRepeatDelayMs;
    std::int32_t repeatInterval_ = kDefaultRepeatIntervalMs;
    std::unique_ptr<ParallelSequencer> sequencer_;
    std::int32_t state_ = kNone;
    std::int32_t stateAtPress_ = kNone;
    bool doubleClicks_ = false;
};
