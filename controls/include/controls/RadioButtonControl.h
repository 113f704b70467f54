#pragma once

#include "controls/PushButtonControl.h"

#include <cstdint>

// A push button with a checked state, for a group in which one button is checked
// (RadioContainer): a click checks it and a click on a checked one changes
// nothing. While checked it stays down through a press.
class RadioButtonControl : public PushButtonControl {
  public:
    enum CheckState : std::int32_t { kNoCheck = 0, kUnchecked = 1, kChecked = 2 };

    // The push button's arguments, then whether it starts unchecked (else
    // checked).
    RadioButtonControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                       std::int32_t reserved1, std::int32_t reserved2, std::int32_t upAnimation,
                       std::int32_t downAnimation, std::int32_t hitAreaAnimation, bool startUnchecked);

    // While enabled: when unchecked, checks it and shows it down; then sends
    // ButtonClickedMsg.
    void Click() override;
    void TrackPress(bool held, bool inside) override;

    virtual bool IsUnchecked() { return check_ == kUnchecked; }
    virtual bool IsChecked() { return check_ == kChecked; }
    // Quiet: only the images change.
    void Check();
    void Uncheck();

  private:
    std::int32_t check_ = kNoCheck;
};
