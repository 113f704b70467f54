#pragma once

#include "controls/CheckButtonControl.h"

#include <cstdint>

// A check button for a group in which one button is checked (RadioContainer):
// a click checks it and a click on a checked one changes nothing.
class RadioButtonControl : public CheckButtonControl {
  public:
    using CheckButtonControl::CheckButtonControl;

    // While enabled: when unchecked, checks it and shows it down; then sends
    // ButtonClickedMsg.
    void Click() override;
};
