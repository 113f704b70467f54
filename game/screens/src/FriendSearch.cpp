#include "game/screens/FriendSearch.h"

#include "game/model/PictureRoom.h"

namespace {

std::string NotFoundText(const std::string& name) {
    return "Could not find player with username '" + name + "'.";
}

}  // namespace

std::string TrimSearchName(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

FriendSearchOutcome FriendFound(const std::string& searchName, const PictureRoom& room, bool adultAllowed,
                                bool preflightMode) {
    using Kind = FriendSearchOutcome::Kind;
    FriendSearchOutcome out;
    if (room.GetState() == "Listing rooms") {
        out.kind = Kind::Choosing;
        out.message = "'" + searchName + "' is currently choosing a room.";
        return out;
    }
    if ((!adultAllowed && !room.IsLanguageFiltered()) || (!preflightMode && room.GetPreflight())) {
        out.kind = Kind::NotFound;
        out.message = NotFoundText(searchName);
        return out;
    }
    out.kind = room.GetState() == "Full" ? Kind::RoomFull : Kind::Found;
    out.holdsRoom = true;
    return out;
}

FriendSearchOutcome FriendNotFound(const std::string& searchName) {
    FriendSearchOutcome out;
    out.message = NotFoundText(searchName);
    out.hint = "Make sure you typed your friend's username correctly.";
    return out;
}
