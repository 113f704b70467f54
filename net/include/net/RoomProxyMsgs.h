#pragma once

// What a room proxy tells its receivers besides the room messages themselves.

#include <string>
#include <utility>

#include "framework/CloneableMsg.h"
#include "framework/ErrorMsg.h"

// The proxy's queue has become non-empty, or still holds messages after one was
// dispatched.
class RoomMsgAvailableMsg : public CloneableMsg<RoomMsgAvailableMsg> {};

class LostRoomBotErrorMsg : public CloneableMsg<LostRoomBotErrorMsg, ErrorMsg> {
  public:
    LostRoomBotErrorMsg(std::string botNick, std::string channel)
        : CloneableMsg("Room bot unexpectedly parted from channel."),
          botNick_(std::move(botNick)),
          channel_(std::move(channel)) {}
    const std::string& GetBotNick() const { return botNick_; }
    const std::string& GetChannel() const { return channel_; }

  private:
    std::string botNick_;
    std::string channel_;
};

class LeaveRoomErrorMsg : public CloneableMsg<LeaveRoomErrorMsg, ErrorMsg> {
  public:
    explicit LeaveRoomErrorMsg(std::string reason)
        : CloneableMsg("Client unexpectedly asked to leave room."), reason_(std::move(reason)) {}
    const std::string& GetReason() const { return reason_; }

  private:
    std::string reason_;
};
