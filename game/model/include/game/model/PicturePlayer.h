#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/Player.h"

// A player of the game ("PP" record: the score, then the generic "P" record).
class PicturePlayer : public Player {
  public:
    PicturePlayer(std::string name, std::int32_t score) : Player(std::move(name)), score_(score) {}
    // Reads a "PP" record; throws InvalidRoomMsg.
    explicit PicturePlayer(RoomMsgStream& stream);
    PicturePlayer(const PicturePlayer&) = default;
    PicturePlayer& operator=(const PicturePlayer&) = default;

    std::int32_t GetScore() const { return score_; }

    std::unique_ptr<Player> Clone() const override;

  protected:
    void WritePlayerFields(RoomMsgStream& stream) const override;

  private:
    std::int32_t score_ = 0;
};
