#pragma once

#include "controls/CheckButtonControl.h"

#include <cstdint>

// A check button that a click checks and a further click unchecks; in a group
// (RadioContainer) at most one is checked.
class ToggleButtonControl : public CheckButtonControl {
  public:
    using CheckButtonControl::CheckButtonControl;

    // While enabled: checks an unchecked one and shows it down, or unchecks a
    // checked one and shows it up; then sends ButtonClickedMsg.
    void Click() override;
};
