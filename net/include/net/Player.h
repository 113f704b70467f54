#pragma once

// A player as the room messages carry it ("P" record: the name). The game derives
// its own player with its own record and registers its own PlayerFactory.

#include <memory>
#include <string>

class RoomMsgStream;

class Player {
  public:
    explicit Player(std::string name = "Unknown");
    // Reads a "P" record; throws InvalidRoomMsg.
    explicit Player(RoomMsgStream& stream);
    Player(const Player&) = default;
    Player& operator=(const Player&) = default;
    virtual ~Player() = default;

    virtual const std::string& GetName() const { return name_; }
    virtual std::unique_ptr<Player> Clone() const;
    // Writes the record into a stream of its own, appends it to `extra` when
    // given, and returns the text.
    virtual std::string Write(RoomMsgStream* extra) const;

  protected:
    // The "P" record; a derived class writes its own record instead.
    virtual void WritePlayerFields(RoomMsgStream& stream) const;
    // Reads the "P" record into this player (for a derived record that embeds it).
    void ReadPlayerFields(RoomMsgStream& stream);

  private:
    std::string name_;
};

// Writes the player's own record into the stream (a null player as the default one).
void WritePlayer(RoomMsgStream& stream, const Player* player);
// Reads a player record through the registered "PlayerFactory".
void ReadPlayer(RoomMsgStream& stream, std::unique_ptr<Player>& out);
