#pragma once

// The room chooser's copies of the lobby's rooms, in the order the lobby listed
// them, and what each room message does to the chooser's two lists (clean rooms
// and the others). Rooms are held by value and named by index, so a selection
// never outlives the list it was made in.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "game/model/PictureRoom.h"

class Room;

class ChooserRooms {
  public:
    // The "RB" count only reserves room, and at most this much: it comes from
    // the network and the list grows with each "RI" anyway.
    static constexpr std::int32_t kReserveCap = 1024;

    // What a room message did.
    struct Change {
        enum class Kind {
            None,     // ignored: not a game room, preflight-only outside preflight mode, or not listed
            Added,    // a row for the room goes to the list of its clean flag
            Updated,  // the room's row in the list of its clean flag is rewritten
            Moved,    // the clean flag changed: the row leaves the other list for this one
        };
        Kind kind = Kind::None;
        std::size_t index = 0;  // the room's place in the table
    };

    // "RB": forgets every room.
    void Begin(std::int32_t countHint);
    // "RI": a copy of the room is appended.
    Change Add(const Room* room, bool preflightMode);
    // "RU": the first room of that name (exact) takes the new record; a room not
    // listed is not added.
    Change Update(const Room* room, bool preflightMode);

    std::size_t Count() const { return rooms_.size(); }
    const PictureRoom& At(std::size_t index) const { return rooms_.at(index); }
    // The first room of that name (exact), or -1.
    std::ptrdiff_t Find(const std::string& name) const;
    // Every room, in table order (valid until the next change).
    std::vector<const PictureRoom*> All() const;

  private:
    std::vector<PictureRoom> rooms_;
};
