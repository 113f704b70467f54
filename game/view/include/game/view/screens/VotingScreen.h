#pragma once

// Stand-in for the voting screen: the operations the game view calls, doing nothing, apart from
// keeping its start message. It starts and stops at once. The real VotingScreen takes its place
// with the same name and operations.

#include <cstdint>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class VotingScreen : public Screen {
  public:
    VotingScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetStartVote(const StartVoteRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartVoteRoomMsg>& GetStartVote() const { return start_; }

  private:
    std::optional<StartVoteRoomMsg> start_;
};
