#include "controls/RadioContainer.h"

#include <algorithm>

#include "controls/ButtonClickedMsg.h"
#include "controls/CheckButtonControl.h"

void RadioContainer::AddButton(CheckButtonControl* button) {
    if (button != nullptr && buttons_.insert(button).second) {
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
    const auto clicked = std::find_if(buttons_.begin(), buttons_.end(), [from](CheckButtonControl* button) {
        return static_cast<MsgSender*>(button) == from;
    });
    if (clicked == buttons_.end() || !(*clicked)->IsChecked()) {
        return;
    }
    for (CheckButtonControl* button : buttons_) {
        if (button != *clicked) {
            button->Uncheck();
        }
    }
}
