#pragma once

// Stand-in for the Dar Eradar results screen: the operations the game view calls, doing nothing,
// apart from keeping its start message. It starts and stops at once. The real
// FatChanceResultsScreen takes its place with the same name and operations.

#include <cstdint>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class FatChanceResultsScreen : public Screen {
  public:
    FatChanceResultsScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/)
        : Screen(parent, layer) {}
    virtual void SetStartMsg(const StartFatChanceResultsRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartFatChanceResultsRoomMsg>& GetStartMsg() const { return start_; }

  private:
    std::optional<StartFatChanceResultsRoomMsg> start_;
};
