#include "controls/RadioButtonControl.h"

#include "controls/ButtonClickedMsg.h"

void RadioButtonControl::Click() {
    if (!IsEnabled()) {
        return;
    }
    if (IsUnchecked() && !SetCheckedLoudly(true)) {
        return;
    }
    Send(ButtonClickedMsg());
}
