#pragma once

#include <memory>
#include <string>

#include "framework/XAppObject.h"
#include "net/Room.h"

class RoomMsgStream;

// Makes rooms from received records; the one registered as "RoomFactory" decides
// the class of every room a room message reads.
class RoomFactory : public XAppObject {
  public:
    static constexpr const char* kName = "RoomFactory";

    // A new room from the stream; throws InvalidRoomMsg for any tag but "R".
    virtual std::unique_ptr<Room> CreateRoom(RoomMsgStream& stream);
    virtual std::string PeekTag(RoomMsgStream& stream);

    static void Provide();
};
