#pragma once

// Stand-in for the composition screen: the operations the game view calls, doing nothing, apart
// from keeping its start message. It starts and stops at once. The real CompositionScreen takes
// its place with the same name and operations.

#include <cstdint>
#include <optional>
#include <string>

#include "framework/Screen.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class CompositionScreen : public Screen {
  public:
    CompositionScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/, PictureRoom* /*room*/)
        : Screen(parent, layer) {}
    virtual void SetStartComp(const StartCompRoomMsg& msg) { start_.emplace(msg); }
    virtual void SubmitCaption(const std::string& /*first*/, const std::string& /*second*/) {}
    const std::optional<StartCompRoomMsg>& GetStartComp() const { return start_; }

  private:
    std::optional<StartCompRoomMsg> start_;
};
