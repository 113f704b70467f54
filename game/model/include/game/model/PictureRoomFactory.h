#pragma once

#include <memory>

#include "net/RoomFactory.h"

// Reads "PR" records as PictureRoom and leaves every other tag to the generic factory.
class PictureRoomFactory : public RoomFactory {
  public:
    // Null when allocation fails.
    std::unique_ptr<Room> CreateRoom(RoomMsgStream& stream) override;

    // Registers this class as "RoomFactory" (replacing an entry not yet created).
    static void Register();
};
