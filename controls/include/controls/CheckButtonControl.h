#pragma once

#include "controls/PushButtonControl.h"

#include <cstdint>

// A push button with a checked state, shown down while checked and up while
// unchecked; while checked it stays down through a press. What a click does to
// the state is the kind's own (RadioButtonControl, ToggleButtonControl).
class CheckButtonControl : public PushButtonControl {
  public:
    enum CheckState : std::int32_t { kNoCheck = 0, kUnchecked = 1, kChecked = 2 };

    // The push button's arguments, then whether it starts unchecked (else
    // checked).
    CheckButtonControl(UI* parent, MsgReceiver* receiver, std::int32_t layer, std::int32_t resourceId,
                       std::int32_t reserved1, std::int32_t reserved2, std::int32_t upAnimation,
                       std::int32_t downAnimation, std::int32_t hitAreaAnimation, bool startUnchecked);

    void TrackPress(bool held, bool inside) override;

    virtual bool IsUnchecked() { return check_ == kUnchecked; }
    virtual bool IsChecked() { return check_ == kChecked; }
    // Quiet: only the images change.
    void Check();
    void Uncheck();

  protected:
    // Checks or unchecks it and shows it down or up, as a click does: the
    // image's messages go out. False when that destroyed the button.
    bool SetCheckedLoudly(bool checked);

  private:
    std::int32_t check_ = kNoCheck;
};
