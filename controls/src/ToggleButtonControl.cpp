#include "controls/ToggleButtonControl.h"

#include "controls/ButtonClickedMsg.h"

ToggleButtonControl::ToggleButtonControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                         std::int32_t resourceId, std::int32_t reserved1,
                                         std::int32_t reserved2, std::int32_t upAnimation,
                                         std::int32_t downAnimation, std::int32_t hitAreaAnimation,
                                         bool startUnchecked)
    : PushButtonControl(parent, receiver, layer, resourceId, reserved1, reserved2, upAnimation, downAnimation,
                        hitAreaAnimation) {
    if (startUnchecked) {
        Uncheck();
    } else {
        Check();
    }
}

void ToggleButtonControl::Click() {
    if (!IsEnabled()) {
        return;
    }
    const std::weak_ptr<void> life = GetLifeToken();
    if (IsUnchecked()) {
        check_ = kChecked;
        SetDown();
    } else {
        check_ = kUnchecked;
        SetUp();
    }
    if (life.expired()) {
        return;
    }
    Send(ButtonClickedMsg());
}

void ToggleButtonControl::TrackPress(bool held, bool inside) {
    if (!held && inside) {
        Click();
    } else if (IsUnchecked()) {
        if (held && inside) {
            SetDown();
        } else {
            SetUp();
        }
    }
}

void ToggleButtonControl::Check() {
    if (!IsChecked()) {
        check_ = kChecked;
        SetDownQuiet();
    }
}

void ToggleButtonControl::Uncheck() {
    if (!IsUnchecked()) {
        check_ = kUnchecked;
        SetUpQuiet();
    }
}
