#pragma once

// A room as the room messages carry it ("R" record). The game derives its own room
// with its own record and registers its own RoomFactory.

#include <cstdint>
#include <memory>
#include <string>

class RoomMsgStream;

class Room {
  public:
    Room() = default;
    Room(std::string name, std::string ircHost, std::int32_t ircPort, std::string ircChannel,
         std::string state, std::int32_t players, bool preflight, std::int32_t playerLimit);
    // Reads an "R" record; throws InvalidRoomMsg.
    explicit Room(RoomMsgStream& stream);
    Room(const Room&) = default;
    Room& operator=(const Room&) = default;
    virtual ~Room() = default;

    virtual std::unique_ptr<Room> Clone() const;
    virtual std::string Write(RoomMsgStream* extra) const;

    const std::string& GetName() const { return name_; }
    const std::string& GetIrcHost() const { return ircHost_; }
    std::int32_t GetIrcPort() const { return ircPort_; }
    // Without the leading "#".
    const std::string& GetIrcChannel() const { return ircChannel_; }
    const std::string& GetState() const { return state_; }
    std::int32_t GetPlayers() const { return players_; }
    bool GetPreflight() const { return preflight_; }
    std::int32_t GetPlayerLimit() const { return playerLimit_; }

  protected:
    virtual void WriteRoomFields(RoomMsgStream& stream) const;
    // Reads the "R" record into this room (for a derived record that embeds it).
    void ReadRoomFields(RoomMsgStream& stream);

  private:
    std::string name_ = "Unknown";
    std::string ircHost_;
    std::int32_t ircPort_ = 0;
    std::string ircChannel_;
    // "full", "listing rooms", "dead" and "unknown" mark a room that cannot be entered.
    std::string state_;
    std::int32_t players_ = 0;
    bool preflight_ = false;
    std::int32_t playerLimit_ = 0;
};

void WriteRoom(RoomMsgStream& stream, const Room* room);
// Reads a room record through the registered "RoomFactory".
void ReadRoom(RoomMsgStream& stream, std::unique_ptr<Room>& out);
