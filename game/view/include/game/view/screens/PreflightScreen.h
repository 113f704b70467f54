#pragma once

// The preflight segment's screen: the segment's picture at once (when its id is
// known), the player list and the chat box, and two push buttons that send the
// chat lines "/n" and "/p" as if the player had typed them; the room bot gives
// them their meaning.

#include <cstdint>
#include <memory>
#include <optional>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class ParallelSequencer;
class PushButtonControl;
class StartSequencer;
class StopSequencer;

class PreflightScreen : public OwnTimesScreen {
  public:
    PreflightScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~PreflightScreen() override;

    virtual void SetStartMsg(const StartPreflightRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartPreflightRoomMsg>& GetStartMsg() const { return start_; }

    // Own times: the middle is what is left of the segment, held at 0.

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // For tests.
    PushButtonControl* GetNextButton() const { return next_.get(); }
    PushButtonControl* GetPreviousButton() const { return previous_.get(); }

  private:
    Control* Shared(SharedControl slot) const { return shared_ != nullptr ? (*shared_)[slot] : nullptr; }

    std::unique_ptr<ParallelSequencer> main_;
    std::unique_ptr<StartSequencer> startSequence_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<PushButtonControl> next_;
    std::unique_ptr<PushButtonControl> previous_;
    SharedControls* shared_;
    std::optional<StartPreflightRoomMsg> start_;
};
