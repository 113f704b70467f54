#include "controls/PushButtonControl.h"

#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"

namespace {

xRect CelZero(Animation& animation) {
    xRect rect;
    return animation.GetCelRect(rect, 0);
}

}  // namespace

PushButtonControl::PushButtonControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                     std::int32_t resourceId, std::int32_t, std::int32_t,
                                     std::int32_t upAnimation, std::int32_t downAnimation,
                                     std::int32_t hitAreaAnimation)
    : ButtonControl(parent, receiver) {
    images_ = std::make_unique<ParallelSequencer>(this);

    down_ = std::make_unique<Animation>(this, resourceId, downAnimation);
    down_->SetHoldAtEnd();
    down_->Hide();
    down_->SetLayer(layer + 1);
    images_->Add(down_.get());

    xRect rect = CelZero(*down_);
    if (hitAreaAnimation != 0) {
        Animation hitArea(this, resourceId, hitAreaAnimation);
        rect = CelZero(hitArea);
    }
    const xRect here = GetBounds();
    const xPoint offset{static_cast<std::int16_t>(here.left - rect.left),
                        static_cast<std::int16_t>(here.top - rect.top)};
    down_->MoveBy(offset);

    if (upAnimation != 0) {
        up_ = std::make_unique<Animation>(this, resourceId, upAnimation);
        up_->SetHoldAtEnd();
        up_->MoveBy(offset);
        up_->Show();
        up_->SetLayer(layer + 1);
        images_->Add(up_.get());
    }

    SetBounds(rect);
    SetLayer(layer);
}

PushButtonControl::~PushButtonControl() {
    images_.reset();
    up_.reset();
    down_.reset();
}

void PushButtonControl::SetUp() {
    if (IsEnabled() && !IsUp()) {
        const std::weak_ptr<void> life = GetLifeToken();
        ButtonControl::SetUp();
        if (!life.expired()) {
            UpdateImages();
        }
    }
}

void PushButtonControl::SetDown() {
    if (IsEnabled() && !IsDown()) {
        const std::weak_ptr<void> life = GetLifeToken();
        ButtonControl::SetDown();
        if (!life.expired()) {
            UpdateImages();
        }
    }
}

void PushButtonControl::SetUpQuiet() {
    if (!IsUp()) {
        ButtonControl::SetUpQuiet();
        UpdateImages();
    }
}

void PushButtonControl::SetDownQuiet() {
    if (!IsDown()) {
        ButtonControl::SetDownQuiet();
        UpdateImages();
    }
}

void PushButtonControl::UpdateImages() {
    if (IsUp()) {
        if (up_ != nullptr) {
            up_->Show();
        }
        down_->Hide();
    } else if (IsDown()) {
        if (up_ != nullptr) {
            up_->Hide();
        }
        down_->Show();
    }
}

void PushButtonControl::OnStarting() {
    images_->Start();
}

void PushButtonControl::OnStopping() {
    images_->Stop();
}

std::int32_t PushButtonControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const bool fromImages = from == static_cast<MsgSender*>(images_.get());
    if (fromImages && (msg.Is<StartedMsg>() || msg.Is<StoppedMsg>())) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (msg.Is<StartedMsg>()) {
            ButtonControl::OnStarting();
            UpdateImages();
        } else {
            ButtonControl::OnStopping();
        }
    }
    return ButtonControl::HandleMsg(msg, from, fromQueue, queued);
}
