#include "controls/RadioContainer.h"

#include "controls/ButtonClickedMsg.h"
#include "controls/RadioButtonControl.h"
#include "controls/ToggleButtonControl.h"

void RadioContainer::AddButton(ToggleButtonControl* button) {
    if (button != nullptr && toggles_.insert(button).second) {
        button->AddReceiver(this);
    }
}

void RadioContainer::AddButton(RadioButtonControl* button) {
    if (button != nullptr && radios_.insert(button).second) {
        button->AddReceiver(this);
    }
}

std::int32_t RadioContainer::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    if (msg.Is<ButtonClickedMsg>()) {
        if (fromQueue) {
            OnClicked(from);
        } else if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
    }
    return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
}

// The sender is looked for among the group's buttons rather than cast: a
// message from anything else changes nothing.
void RadioContainer::OnClicked(MsgSender* from) {
    bool checked = false;
    bool found = false;
    for (ToggleButtonControl* toggle : toggles_) {
        if (static_cast<MsgSender*>(toggle) == from) {
            found = true;
            checked = toggle->IsChecked();
        }
    }
    for (RadioButtonControl* radio : radios_) {
        if (static_cast<MsgSender*>(radio) == from) {
            found = true;
            checked = radio->IsChecked();
        }
    }
    if (!found || !checked) {
        return;
    }
    for (ToggleButtonControl* toggle : toggles_) {
        if (static_cast<MsgSender*>(toggle) != from) {
            toggle->Uncheck();
        }
    }
    for (RadioButtonControl* radio : radios_) {
        if (static_cast<MsgSender*>(radio) != from) {
            radio->Uncheck();
        }
    }
}
