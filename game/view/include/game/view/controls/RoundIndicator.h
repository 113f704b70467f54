#pragma once

// Stand-in for the round indicator: the operations the game view calls, doing nothing. It starts
// and stops at once. The real RoundIndicator takes its place with the same name and operations.

#include <cstdint>

#include "framework/Control.h"

class RoundIndicator : public Control {
  public:
    RoundIndicator(UI* parent, MsgReceiver* receiver, std::int32_t layer)
        : Control(parent, receiver, layer) {}
};
