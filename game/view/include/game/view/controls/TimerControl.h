#pragma once

// Stand-in for the timer control: the operations the game view calls, doing nothing. It starts and
// stops at once. The real TimerControl takes its place with the same name and operations.

#include <cstdint>

#include "framework/Control.h"

class TimerControl : public Control {
  public:
    TimerControl(UI* parent, MsgReceiver* receiver, std::int32_t layer) : Control(parent, receiver, layer) {}

    virtual bool IsRunning() { return false; }
};
