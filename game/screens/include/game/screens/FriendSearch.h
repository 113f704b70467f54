#pragma once

// What the find-my-friend control makes of a search and of the lobby's answer:
// the name searched, and for a found player the display, the room held and the
// voice. Pure: the control shows and plays what this says.

#include <string>

class PictureRoom;

// Leading and trailing spaces (" " only) removed; spaces only give "".
std::string TrimSearchName(const std::string& text);

struct FriendSearchOutcome {
    enum class Kind {
        Found,     // the board shows the room; the room is held
        RoomFull,  // the same, status exactly "Full": the room-full comment, then "try again"
        Choosing,  // status exactly "Listing rooms": the friend is still choosing
        NotFound,  // no room the player may join, or no player
    };
    Kind kind = Kind::NotFound;
    std::string message;  // the message line
    std::string hint;     // the hint line
    bool holdsRoom = false;
};

// The answer "found" for the searched name: a friend still choosing, or in an
// adult room the player may not enter, or in a preflight-only room outside
// preflight mode, yields no room.
FriendSearchOutcome FriendFound(const std::string& searchName, const PictureRoom& room, bool adultAllowed,
                                bool preflightMode);
// The answer "not found".
FriendSearchOutcome FriendNotFound(const std::string& searchName);
