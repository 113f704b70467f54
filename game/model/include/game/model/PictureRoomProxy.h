#pragma once

#include <cstdint>
#include <string>

#include "net/RoomProxy.h"

class ComplaintRoomMsg;
class PictureViewedRoomMsg;

// The game's room proxy: the generic one, unchanged, with the five messages the
// game sends to the room bot. Like every send, they are dropped silently until
// the bot is known. The callers put the kept segment id into the first three
// and send the last two only while the proxy is started.
class PictureRoomProxy : public RoomProxy {
  public:
    using RoomProxy::RoomProxy;

    virtual void SendComp(std::int32_t segmentId, const std::string& line1, const std::string& line2);
    virtual void SendVote(std::int32_t segmentId, const std::string& authorName);
    virtual void SendFatChanceSelection(std::int32_t segmentId, std::int32_t entry);
    virtual void SendComplaint(const ComplaintRoomMsg& msg);
    virtual void SendPictureViewed(const PictureViewedRoomMsg& msg);
};
