#pragma once

// Stand-in for the scoring screen: the operations the game view calls, doing nothing, apart from
// keeping its start message. It starts and stops at once. The real ScoringScreen takes its place
// with the same name and operations.

#include <cstdint>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class ScoringScreen : public Screen {
  public:
    ScoringScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetStartMsg(const StartScoreRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartScoreRoomMsg>& GetStartMsg() const { return start_; }

  private:
    std::optional<StartScoreRoomMsg> start_;
};
