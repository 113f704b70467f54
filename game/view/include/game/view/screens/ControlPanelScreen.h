#pragma once

// Stand-in for the control-panel screen: the operations the game view calls, doing nothing. It
// starts and stops at once. The real ControlPanelScreen takes its place with the same name and
// operations.

#include <cstdint>

#include "framework/Screen.h"
#include "game/model/PictureRoom.h"
#include "game/view/SharedControls.h"

class ControlPanelScreen : public Screen {
  public:
    ControlPanelScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/, PictureRoom* /*room*/)
        : Screen(parent, layer) {}
    virtual void EnableNewRoomToggle() {}
    virtual void DisableNewRoomToggle() {}
};
