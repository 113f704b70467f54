#pragma once

#include "framework/QueuedMsgReceiverForwarder.h"

#include <cstdint>
#include <set>

class CheckButtonControl;

// Keeps at most one button of a group checked: on the pass after a click has
// checked one of its buttons, it unchecks the others quietly (only their images
// change). It listens to its buttons but owns neither them nor their lifetime,
// and stays their receiver when it goes: their owner makes and destroys the
// group together.
class RadioContainer : public QueuedMsgReceiverForwarder {
  public:
    RadioContainer() = default;

    // A null button, or one already in the group, is ignored.
    void AddButton(CheckButtonControl* button);

    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

  private:
    void OnClicked(MsgSender* from);

    std::set<CheckButtonControl*> buttons_;
};
