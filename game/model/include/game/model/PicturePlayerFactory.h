#pragma once

#include <memory>

#include "net/PlayerFactory.h"

// Reads "PP" records as PicturePlayer and leaves every other tag to the generic factory.
class PicturePlayerFactory : public PlayerFactory {
  public:
    // Null when allocation fails.
    std::unique_ptr<Player> CreatePlayer(RoomMsgStream& stream) override;

    // Registers this class as "PlayerFactory" (replacing an entry not yet created).
    static void Register();
};
