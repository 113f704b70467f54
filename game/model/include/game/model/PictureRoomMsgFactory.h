#pragma once

#include <memory>

#include "net/RoomMsgFactory.h"

// Reads the game's room messages; every other tag goes to the generic factory.
class PictureRoomMsgFactory : public RoomMsgFactory {
  public:
    // The game's message of the stream's tag (exact, case-sensitive), else what the
    // generic factory makes of it. Null when allocation fails.
    std::unique_ptr<RoomMsg> CreateRoomMsg(RoomMsgStream& stream) override;

    // Registers this class as "RoomMsgFactory" (replacing an entry not yet created).
    static void Register();
};
