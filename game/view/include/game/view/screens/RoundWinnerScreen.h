#pragma once

// Stand-in for the round-winner screen: the operations the game view calls, doing nothing, apart
// from keeping its start message. It starts and stops at once. The real RoundWinnerScreen takes
// its place with the same name and operations.

#include <cstdint>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class RoundWinnerScreen : public Screen {
  public:
    RoundWinnerScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetStartMsg(const StartRoundWinnerRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartRoundWinnerRoomMsg>& GetStartMsg() const { return start_; }

  private:
    std::optional<StartRoundWinnerRoomMsg> start_;
};
