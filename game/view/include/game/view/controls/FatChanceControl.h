#pragma once

// Stand-in for the Dar Eradar control: the operations the game view calls, doing nothing. It
// starts and stops at once. The real FatChanceControl takes its place with the same name and
// operations.

#include <cstdint>
#include <vector>

#include "framework/Control.h"
#include "game/view/controls/ChatBoxLines.h"
#include "net/FatChanceEntry.h"

class FatChanceControl : public Control {
  public:
    FatChanceControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
        : Control(parent, receiver, layer) {}

    virtual void SetBoard(bool /*localIsWinner*/, std::int32_t /*preset*/,
                          const std::vector<FatChanceEntry>& /*board*/) {}
    virtual void SetResult(std::int32_t /*chosen*/, const std::vector<FatChanceEntry>& /*board*/) {}
    // A pick from the chat; the answers go to the chat box.
    virtual void Choose(ChatBoxLines* /*chatBox*/, std::int32_t /*send*/) {}
};
