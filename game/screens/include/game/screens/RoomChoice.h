#pragma once

// How the room chooser weighs rooms: whether a room can be joined, its score for
// "choose for me", and the draw among the best. Pure: the random numbers come
// from the caller (in the program, the general generator, xRandom).

#include <cstdint>
#include <functional>
#include <vector>

class PictureRoom;

// Gives 0 .. n - 1, each with the same chance.
using RoomRandom = std::function<std::uint32_t(std::uint32_t n)>;

// False for no room, for a status of "full", "listing rooms", "dead" or
// "unknown" in any letter case (ASCII), and for a room with no free place.
bool IsJoinableRoom(const PictureRoom* room);

// The player band (a draw of 0..99 against the band's threshold, or -10) plus
// the bonus of the points a round still to play (a draw where a band matches).
std::int32_t ScoreRoom(const PictureRoom& room, const RoomRandom& random);

// Among the joinable rooms of the tab (clean or not) that are not highlighted,
// one of those with the best score, each with the same chance; null when there
// is none. Rooms are scored in the order given.
const PictureRoom* ChooseRoomForMe(const std::vector<const PictureRoom*>& rooms, bool cleanTab,
                                   const RoomRandom& random);
