#pragma once

// Stand-in for the preflight screen: the operations the game view calls, doing nothing, apart from
// keeping its start message. It starts and stops at once. The real PreflightScreen takes its place
// with the same name and operations.

#include <cstdint>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class PreflightScreen : public Screen {
  public:
    PreflightScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetStartMsg(const StartPreflightRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartPreflightRoomMsg>& GetStartMsg() const { return start_; }

  private:
    std::optional<StartPreflightRoomMsg> start_;
};
