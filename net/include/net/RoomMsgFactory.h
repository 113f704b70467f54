#pragma once

#include <memory>
#include <string>

#include "framework/XAppObject.h"
#include "net/RoomMsg.h"

class RoomMsgStream;

// Turns a received room text into its message. The object registered as
// "RoomMsgFactory" is the one the room proxies use; a game registers its own
// before first use, tests its own tags and hands the rest to this class.
class RoomMsgFactory : public XAppObject {
  public:
    static constexpr const char* kName = "RoomMsgFactory";

    // The message of the stream's tag, owned by the caller; null for an unknown tag
    // (the stream is then left before it). A known tag whose fields fail throws
    // InvalidRoomMsg, as does a stream with no token left.
    virtual std::unique_ptr<RoomMsg> CreateRoomMsg(RoomMsgStream& stream);
    // The next token, not consumed.
    virtual std::string PeekTag(RoomMsgStream& stream);

    // Offers this class for the name (SingletonDefaults), replaceable until first use.
    static void Provide();
};

// The registered "RoomMsgFactory", created on first use.
RoomMsgFactory& GetRoomMsgFactory();
