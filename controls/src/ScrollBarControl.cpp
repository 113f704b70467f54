#include "controls/ScrollBarControl.h"

#include "controls/ButtonClickedMsg.h"
#include "controls/PushButtonControl.h"
#include "controls/ScrollBarPositionMsg.h"
#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/LeftButtonUpMouseMsg.h"
#include "framework/MouseReceiverThing.h"
#include "framework/MoveMouseMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"

#include <algorithm>

ScrollBarControl::ScrollBarControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                   std::int32_t resourceId, std::int32_t firstUp, std::int32_t firstDown,
                                   std::int32_t firstHitArea, std::int32_t secondUp, std::int32_t secondDown,
                                   std::int32_t secondHitArea, std::int32_t, std::int32_t thumb,
                                   std::int32_t thumbHitArea, std::int32_t track)
    : Control(parent, receiver, layer) {
    sequencer_ = std::make_unique<ParallelSequencer>(this);
    first_ = std::make_unique<PushButtonControl>(this, this, GetLayer() + 1, resourceId, 0, 0, firstUp,
                                                 firstDown, firstHitArea);
    second_ = std::make_unique<PushButtonControl>(this, this, GetLayer() + 1, resourceId, 0, 0, secondUp,
                                                  secondDown, secondHitArea);
    thumb_ = std::make_unique<PushButtonControl>(this, this, GetLayer(), resourceId, 0, 0, thumb, thumb,
                                                 thumbHitArea);
    first_->EnableAutoRepeat();
    second_->EnableAutoRepeat();
    sequencer_->Add(first_.get());
    sequencer_->Add(second_.get());
    sequencer_->Add(thumb_.get());

    if (track != 0) {
        Animation art(this, resourceId, track);
        art.GetCelRect(track_, 0);
    } else {
        const xRect above = first_->GetBounds();
        track_ = {above.left, above.bottom, above.right, second_->GetBounds().top};
    }
    trackNode_ = std::make_unique<MouseReceiverThing>(this, layer + 2, true, track_, true);
    trackNode_->AddReceiver(this);
    thumbHome_ = thumb_->GetBounds();
}

ScrollBarControl::~ScrollBarControl() {
    sequencer_.reset();
    first_.reset();
    second_.reset();
    thumb_.reset();
    trackNode_.reset();
}

std::int32_t ScrollBarControl::GetTravel() const {
    return (track_.bottom - track_.top) - (thumbHome_.bottom - thumbHome_.top) + 1;
}

void ScrollBarControl::SetRange(std::int32_t count, std::int32_t top, std::int32_t pageSize) {
    if (pageSize > count || pageSize + top > count) {
        count_ = top_ = pageSize_ = 0;
        return;
    }
    const bool changed = count != count_ || top != top_ || pageSize != pageSize_;
    count_ = count;
    top_ = top;
    pageSize_ = pageSize;
    if (changed) {
        UpdateThumb();
    }
}

void ScrollBarControl::MoveTo(std::int32_t top) {
    top_ = top;
    const std::weak_ptr<void> life = life_;
    Send(ScrollBarPositionMsg(top_));
    if (!life.expired() && !dragging_) {
        UpdateThumb();
    }
}

void ScrollBarControl::LineUp() {
    if (top_ > 0) {
        MoveTo(top_ - 1);
    }
}

void ScrollBarControl::LineDown() {
    if (top_ + pageSize_ < count_) {
        MoveTo(top_ + 1);
    }
}

void ScrollBarControl::PageUp() {
    const std::int32_t step = std::max(pageSize_ - 1, 1);
    if (top_ > 0) {
        MoveTo(top_ >= step ? top_ - step : 0);
    }
}

void ScrollBarControl::PageDown() {
    const std::int32_t step = std::max(pageSize_ - 1, 1);
    const std::int32_t last = count_ - pageSize_;
    if (top_ < last) {
        MoveTo(std::min(top_ + step, last));
    }
}

void ScrollBarControl::UpdateThumb() {
    const std::int32_t range = count_ - pageSize_;
    std::int32_t offset = 0;
    if (top_ == 0) {
        offset = 0;
    } else if (top_ == range) {
        offset = GetTravel() - 1;
    } else {
        offset = ThumbOffsetFor(top_);
    }
    PlaceThumb(offset);
}

// (travel - 1) * top / range, 0 for an empty range.
std::int32_t ScrollBarControl::ThumbOffsetFor(std::int32_t top) const {
    const std::int32_t range = count_ - pageSize_;
    if (range < 1) {
        return 0;
    }
    return static_cast<std::int32_t>(std::int64_t{GetTravel() - 1} * top / range);
}

// A thumb as tall as the track, or taller, has the one offset 0.
void ScrollBarControl::PlaceThumb(std::int32_t offset) {
    const std::int32_t last = std::max(GetTravel() - 1, 0);
    offset = std::clamp(offset, 0, last);
    if (reversed_) {
        offset = last - offset;
    }
    thumb_->SetBounds(thumbHome_.Offset({0, static_cast<std::int16_t>(offset)}));
}

// The row for a pointer y in the track node's coordinates during a drag; 0 when
// the thumb has no travel or the range is empty.
std::int32_t ScrollBarControl::PositionAt(std::int32_t y) const {
    const std::int32_t last = GetTravel() - 1;
    const std::int32_t range = count_ - pageSize_;
    if (last < 1 || count_ < 1 || pageSize_ < 1 || range < 1) {
        return 0;
    }
    y = std::clamp(y - grab_, 0, last);
    if (reversed_) {
        y = last - y;
    }
    return static_cast<std::int32_t>(std::int64_t{y} * range / last);
}

void ScrollBarControl::OnTrackPress(std::int32_t y) {
    const xRect thumb = thumb_->GetBounds();
    const std::int32_t t = track_.top;
    if (y > thumb.bottom - t) {
        if (reversed_) {
            PageUp();
        } else {
            PageDown();
        }
    } else if (y < thumb.top - t) {
        if (reversed_) {
            PageDown();
        } else {
            PageUp();
        }
    } else if (GetTravel() > 1) {
        grab_ = y + t - thumb.top;
        dragging_ = true;
        lastSent_ = top_;
        trackNode_->CaptureMouse();
    }
}

void ScrollBarControl::OnTrackMove(std::int32_t y) {
    if (!dragging_) {
        return;
    }
    const std::int32_t position = PositionAt(y);
    if (position == lastSent_) {
        return;
    }
    top_ = position;
    const std::weak_ptr<void> life = life_;
    Send(ScrollBarPositionMsg(top_));
    if (life.expired()) {
        return;
    }
    lastSent_ = position;
    PlaceThumb(ThumbOffsetFor(top_));
}

void ScrollBarControl::OnTrackRelease(std::int32_t y) {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    trackNode_->ReleaseMouse();
    top_ = PositionAt(y);
    const std::weak_ptr<void> life = life_;
    Send(ScrollBarPositionMsg(top_));
    if (!life.expired()) {
        PlaceThumb(ThumbOffsetFor(top_));
    }
}

void ScrollBarControl::SetLayer(std::int32_t layer) {
    thumb_->SetLayer(layer);
    first_->SetLayer(layer);
    second_->SetLayer(layer);
    trackNode_->SetLayer(layer + 2);
    DefaultSetLayer(layer);
}

void ScrollBarControl::OnStarting() {
    sequencer_->Start();
}

void ScrollBarControl::OnStopping() {
    sequencer_->Stop();
}

std::int32_t ScrollBarControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const std::weak_ptr<void> life = life_;
    const bool fromTrack = from == static_cast<MsgSender*>(trackNode_.get());
    if (!fromQueue) {
        if (from == static_cast<MsgSender*>(sequencer_.get()) && msg.Is<StartedMsg>()) {
            DefaultOnStarting();
        } else if (from == static_cast<MsgSender*>(sequencer_.get()) && msg.Is<StoppedMsg>()) {
            DefaultOnStopping();
        } else if (msg.Is<ButtonClickedMsg>() && from == static_cast<MsgSender*>(first_.get())) {
            if (reversed_) {
                LineDown();
            } else {
                LineUp();
            }
        } else if (msg.Is<ButtonClickedMsg>() && from == static_cast<MsgSender*>(second_.get())) {
            if (reversed_) {
                LineUp();
            } else {
                LineDown();
            }
        } else if (fromTrack && (msg.Is<MoveMouseMsg>() || msg.Is<LeftButtonUpMouseMsg>() ||
                                 msg.Is<LeftButtonDownMouseMsg>())) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        }
        if (life.expired()) {
            return 0;
        }
    } else if (fromTrack) {
        if (const auto* move = dynamic_cast<const MoveMouseMsg*>(&msg)) {
            OnTrackMove(move->GetPoint().y);
        } else if (const auto* up = dynamic_cast<const LeftButtonUpMouseMsg*>(&msg)) {
            OnTrackRelease(up->GetPoint().y);
        } else if (const auto* down = dynamic_cast<const LeftButtonDownMouseMsg*>(&msg)) {
            OnTrackPress(down->GetPoint().y);
        }
        if (life.expired()) {
            return 0;
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
