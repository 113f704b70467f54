#pragma once

// Stand-in for the Dar Eradar selection screen: the operations the game view calls, doing nothing,
// apart from keeping its start message. It starts and stops at once. The real
// FatChanceSelectionScreen takes its place with the same name and operations.

#include <cstdint>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class FatChanceSelectionScreen : public Screen {
  public:
    FatChanceSelectionScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/)
        : Screen(parent, layer) {}
    virtual void SetStartMsg(const StartFatChanceSelectionRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartFatChanceSelectionRoomMsg>& GetStartMsg() const { return start_; }

  private:
    std::optional<StartFatChanceSelectionRoomMsg> start_;
};
