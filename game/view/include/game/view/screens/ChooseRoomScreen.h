#pragma once

// Stand-in for the room chooser: the operations the game view calls, doing nothing. It starts and
// stops at once. The real ChooseRoomScreen takes its place with the same name and operations.

#include <cstdint>
#include <string>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"
#include "net/GenericRoomMsgs.h"

class ChooseRoomScreen : public Screen {
  public:
    ChooseRoomScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetAdultAllowed(bool /*allowed*/) {}
    virtual void SetPreflightMode(bool /*preflight*/) {}
    virtual void RoomListBegin(const RoomListBeginRoomMsg& /*msg*/) {}
    virtual void RoomListItem(const RoomListItemRoomMsg& /*msg*/) {}
    virtual void RoomUpdate(const RoomUpdateRoomMsg& /*msg*/) {}
    virtual void PlayerFound(const PlayerFoundRoomMsg& /*msg*/) {}
    virtual void PlayerNotFound(const PlayerNotFoundRoomMsg& /*msg*/) {}
    virtual void ChooseAnotherRoom(const std::string& /*text*/) {}
};
