#include "controls/ToggleButtonControl.h"

#include "controls/ButtonClickedMsg.h"

void ToggleButtonControl::Click() {
    if (!IsEnabled()) {
        return;
    }
    if (!SetCheckedLoudly(IsUnchecked())) {
        return;
    }
    Send(ButtonClickedMsg());
}
