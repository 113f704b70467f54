#include "controls/ButtonControl.h"

#include "controls/ButtonClickedMsg.h"
#include "controls/ButtonDoubleClickedMsg.h"
#include "controls/ButtonDownMsg.h"
#include "controls/ButtonUpMsg.h"
#include "framework/CaptureChangedMouseMsg.h"
#include "framework/LeftButtonDoubleClickMouseMsg.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/LeftButtonUpMouseMsg.h"
#include "framework/MouseReceiverSupport.h"
#include "framework/MoveMouseMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "sequencers/ParallelSequencer.h"

ButtonControl::ButtonControl(UI* parent, MsgReceiver* receiver) : Control(parent, receiver, 0) {
    sequencer_ = std::make_unique<ParallelSequencer>(this);
    mouse_ = std::make_unique<MouseReceiverSupport>(this, GetLayer());
    timer_ = std::make_unique<Timer>(this);
    sequencer_->Add(timer_.get());
}

ButtonControl::~ButtonControl() {
    sequencer_.reset();
    timer_.reset();
    mouse_.reset();
}

void ButtonControl::Click() {
    if (IsEnabled()) {
        Send(ButtonClickedMsg());
    }
}

void ButtonControl::SetUp() {
    if (!IsUp()) {
        state_ = kUp;
        Send(ButtonUpMsg());
    }
}

void ButtonControl::SetDown() {
    if (!IsDown()) {
        state_ = kDown;
        Send(ButtonDownMsg());
    }
}

void ButtonControl::Restore() {
    if (stateAtPress_ == kUp) {
        SetUp();
    } else {
        SetDown();
    }
}

void ButtonControl::Invert() {
    if (stateAtPress_ == kUp) {
        SetDown();
    } else {
        SetUp();
    }
}

void ButtonControl::TrackPress(bool held, bool inside) {
    if (held) {
        if (inside) {
            Invert();
        } else {
            Restore();
        }
        return;
    }
    if (inside && !(autoRepeat_ && !timer_->IsOnce())) {
        // Once the repeats have clicked, the release does not click again.
        const std::weak_ptr<void> life = GetLifeToken();
        Click();
        if (life.expired()) {
            return;
        }
    }
    Restore();
}

// Also asked while the parts are being made, before the support exists.
void ButtonControl::Redraw() {
    Control::Redraw();
    if (mouse_ != nullptr) {
        mouse_->UpdateMouseLayer();
    }
}

void ButtonControl::CaptureMouse() {
    mouse_->CaptureMouse();
}

void ButtonControl::ReleaseMouse() {
    mouse_->ReleaseMouse();
}

UI* ButtonControl::GetMouseCapture() {
    return mouse_->GetMouseCapture();
}

void ButtonControl::UpdateMouseLayer() {
    Redraw();
}

void ButtonControl::OnStarting() {
    sequencer_->Start();
    if (state_ == kNone) {
        SetUpQuiet();
    }
}

void ButtonControl::OnStopping() {
    sequencer_->Stop();
}

bool ButtonControl::IsInside(xPoint point) {
    const xRect bounds = GetBounds();
    return point.x >= 0 && point.x <= bounds.Width() && point.y >= 0 && point.y <= bounds.Height();
}

bool ButtonControl::HoldsCapture() {
    return GetMouseCapture() == static_cast<UI*>(this);
}

void ButtonControl::BeginPress() {
    pointerInside_ = true;
    stateAtPress_ = state_;
    const std::weak_ptr<void> life = GetLifeToken();
    TrackPress(true, true);
    if (life.expired()) {
        return;
    }
    CaptureMouse();
    if (autoRepeat_) {
        timer_->StartOnce(static_cast<std::uint32_t>(repeatDelay_));
    }
}

void ButtonControl::OnMouseMove(xPoint point) {
    if (!HoldsCapture()) {
        return;
    }
    const bool inside = IsInside(point);
    if (inside && !pointerInside_) {
        pointerInside_ = true;
        TrackPress(true, true);
    } else if (!inside && pointerInside_) {
        pointerInside_ = false;
        TrackPress(true, false);
    }
}

void ButtonControl::OnLeftButtonUp(xPoint point) {
    if (!HoldsCapture()) {
        return;
    }
    pointerInside_ = IsInside(point);
    const std::weak_ptr<void> life = GetLifeToken();
    TrackPress(false, pointerInside_);
    if (life.expired()) {
        return;
    }
    timer_->Cancel();
    // The capture-changed message this causes finds the look already restored.
    ReleaseMouse();
}

void ButtonControl::OnCaptureChanged() {
    pointerInside_ = false;
    TrackPress(false, false);
}

void ButtonControl::OnDoubleClick() {
    if (doubleClicks_) {
        // No press is tracked: the release that follows finds no capture.
        Send(ButtonDoubleClickedMsg());
    } else {
        BeginPress();
    }
}

void ButtonControl::OnRepeatTimer() {
    if (IsDown()) {
        const std::weak_ptr<void> life = GetLifeToken();
        Click();
        if (life.expired()) {
            return;
        }
    }
    if (!timer_->IsRepeating()) {
        timer_->StartRepeating(static_cast<std::uint32_t>(repeatInterval_));
    }
}

std::int32_t ButtonControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const std::weak_ptr<void> life = GetLifeToken();
    if (!fromQueue) {
        if (msg.Is<LeftButtonDownMouseMsg>()) {
            BeginPress();
        } else if (msg.Is<LeftButtonDoubleClickMouseMsg>()) {
            OnDoubleClick();
        } else if (const auto* up = dynamic_cast<const LeftButtonUpMouseMsg*>(&msg)) {
            OnLeftButtonUp(up->GetPoint());
        } else if (const auto* move = dynamic_cast<const MoveMouseMsg*>(&msg)) {
            OnMouseMove(move->GetPoint());
        } else if (msg.Is<CaptureChangedMouseMsg>()) {
            OnCaptureChanged();
        } else if (msg.Is<TimerMsg>() && from == static_cast<MsgSender*>(timer_.get())) {
            OnRepeatTimer();
        }
        if (life.expired()) {
            return 0;
        }
    }
    const bool fromSequencer = from == static_cast<MsgSender*>(sequencer_.get());
    if (fromSequencer && (msg.Is<StartedMsg>() || msg.Is<StoppedMsg>())) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (msg.Is<StartedMsg>()) {
            DefaultOnStarting();
        } else {
            DefaultOnStopping();
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
