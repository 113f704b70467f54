#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/Room.h"

// A room of the game ("PR" record: how far its game has gone, a count the room
// chooser weighs rooms by, the language-filter and excluded flags, then the
// generic "R" record).
class PictureRoom : public Room {
  public:
    PictureRoom() = default;
    PictureRoom(std::string name, std::string ircHost, std::int32_t ircPort, std::string ircChannel,
                std::string state, std::int32_t players, bool preflight, std::int32_t playerLimit,
                std::int32_t round, std::int32_t secondCount, bool languageFiltered, bool excluded);
    // Reads a "PR" record; throws InvalidRoomMsg.
    explicit PictureRoom(RoomMsgStream& stream);
    PictureRoom(const PictureRoom&) = default;
    PictureRoom& operator=(const PictureRoom&) = default;

    std::int32_t GetRound() const { return round_; }
    std::int32_t GetSecondCount() const { return secondCount_; }
    bool IsLanguageFiltered() const { return languageFiltered_; }
    bool IsExcluded() const { return excluded_; }
    // "Dead" for a room whose state is "dead" or "unknown" in any letter case,
    // else the state unchanged.
    std::string GetStatusText() const;

    std::unique_ptr<Room> Clone() const override;

  protected:
    void WriteRoomFields(RoomMsgStream& stream) const override;

  private:
    std::int32_t round_ = 0;
    std::int32_t secondCount_ = 0;
    bool languageFiltered_ = false;
    bool excluded_ = false;
};
