#include "game/model/PictureRoom.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "net/RoomMsgStream.h"

namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

PictureRoom::PictureRoom(std::string name, std::string ircHost, std::int32_t ircPort, std::string ircChannel,
                         std::string state, std::int32_t players, bool preflight, std::int32_t playerLimit,
                         std::int32_t round, std::int32_t secondCount, bool languageFiltered, bool excluded)
    : Room(std::move(name), std::move(ircHost), ircPort, std::move(ircChannel), std::move(state), players,
           preflight, playerLimit),
      round_(round),
      secondCount_(secondCount),
      languageFiltered_(languageFiltered),
      excluded_(excluded) {}

PictureRoom::PictureRoom(RoomMsgStream& stream) {
    stream.ExpectTag("PR")
        .ReadInt(round_)
        .ReadInt(secondCount_)
        .ReadBool(languageFiltered_)
        .ReadBool(excluded_);
    ReadRoomFields(stream);
}

std::string PictureRoom::GetStatusText() const {
    if (SameIgnoringCase(GetState(), "dead") || SameIgnoringCase(GetState(), "unknown")) return "Dead";
    return GetState();
}

std::unique_ptr<Room> PictureRoom::Clone() const {
    return std::make_unique<PictureRoom>(*this);
}

void PictureRoom::WriteRoomFields(RoomMsgStream& stream) const {
    stream.WriteString("PR")
        .WriteInt(round_)
        .WriteInt(secondCount_)
        .WriteBool(languageFiltered_)
        .WriteBool(excluded_);
    Room::WriteRoomFields(stream);
}
