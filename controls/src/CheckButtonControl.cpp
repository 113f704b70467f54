#include "controls/CheckButtonControl.h"

CheckButtonControl::CheckButtonControl(UI* parent, MsgReceiver* receiver, std::int32_t layer,
                                       std::int32_t resourceId, std::int32_t reserved1, std::int32_t reserved2,
                                       std::int32_t upAnimation, std::int32_t downAnimation,
                                       std::int32_t hitAreaAnimation, bool startUnchecked)
    : PushButtonControl(parent, receiver, layer, resourceId, reserved1, reserved2, upAnimation, downAnimation,
                        hitAreaAnimation) {
    if (startUnchecked) {
        Uncheck();
    } else {
        Check();
    }
}

void CheckButtonControl::TrackPress(bool held, bool inside) {
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

void CheckButtonControl::Check() {
    if (!IsChecked()) {
        check_ = kChecked;
        SetDownQuiet();
    }
}

void CheckButtonControl::Uncheck() {
    if (!IsUnchecked()) {
        check_ = kUnchecked;
        SetUpQuiet();
    }
}

bool CheckButtonControl::SetCheckedLoudly(bool checked) {
    const std::weak_ptr<void> life = GetLifeToken();
    check_ = checked ? kChecked : kUnchecked;
    if (checked) {
        SetDown();
    } else {
        SetUp();
    }
    return !life.expired();
}
