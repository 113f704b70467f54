#include "net/Room.h"

#include <utility>

#include "framework/ObjectRegistry.h"
#include "net/RoomFactory.h"
#include "net/RoomMsgStream.h"

Room::Room(std::string name, std::string ircHost, std::int32_t ircPort, std::string ircChannel,
           std::string state, std::int32_t players, bool preflight, std::int32_t playerLimit)
    : name_(std::move(name)),
      ircHost_(std::move(ircHost)),
      ircPort_(ircPort),
      ircChannel_(std::move(ircChannel)),
      state_(std::move(state)),
      players_(players),
      preflight_(preflight),
      playerLimit_(playerLimit) {}

Room::Room(RoomMsgStream& stream) {
    ReadRoomFields(stream);
}

void Room::ReadRoomFields(RoomMsgStream& stream) {
    stream.ExpectTag("R")
        .ReadString(name_)
        .ReadString(ircHost_)
        .ReadInt(ircPort_)
        .ReadString(ircChannel_)
        .ReadString(state_)
        .ReadInt(players_)
        .ReadBool(preflight_)
        .ReadInt(playerLimit_);
}

std::unique_ptr<Room> Room::Clone() const {
    return std::make_unique<Room>(*this);
}

std::string Room::Write(RoomMsgStream* extra) const {
    RoomMsgStream stream;
    WriteRoomFields(stream);
    if (extra != nullptr) extra->Append(stream);
    return stream.GetText();
}

void Room::WriteRoomFields(RoomMsgStream& stream) const {
    stream.WriteString("R")
        .WriteString(name_)
        .WriteString(ircHost_)
        .WriteInt(ircPort_)
        .WriteString(ircChannel_)
        .WriteString(state_)
        .WriteInt(players_)
        .WriteBool(preflight_)
        .WriteInt(playerLimit_);
}

void WriteRoom(RoomMsgStream& stream, const Room* room) {
    if (room != nullptr) {
        room->Write(&stream);
    } else {
        Room().Write(&stream);
    }
}

void ReadRoom(RoomMsgStream& stream, std::unique_ptr<Room>& out) {
    out = ObjectRegistry::GetAs<RoomFactory>(RoomFactory::kName).CreateRoom(stream);
}
