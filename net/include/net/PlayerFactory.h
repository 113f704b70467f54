#pragma once

#include <memory>
#include <string>

#include "framework/XAppObject.h"
#include "net/Player.h"

class RoomMsgStream;

// Makes players from received records; the one registered as "PlayerFactory"
// decides the class of every player a room message reads.
class PlayerFactory : public XAppObject {
  public:
    static constexpr const char* kName = "PlayerFactory";

    // A new player from the stream; throws InvalidRoomMsg for any tag but "P".
    virtual std::unique_ptr<Player> CreatePlayer(RoomMsgStream& stream);
    // The next token, not consumed; throws InvalidRoomMsg when none is left.
    virtual std::string PeekTag(RoomMsgStream& stream);

    // Offers this class for the name (SingletonDefaults), replaceable until first use.
    static void Provide();
};
