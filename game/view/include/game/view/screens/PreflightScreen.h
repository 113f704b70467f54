#pragma once

// The preflight segment's screen: the segment's picture at once (when its id is
// known), the player list and the chat box, and two push buttons that send the
// chat lines "/n" and "/p" as if the player had typed them; the room bot gives
// them their meaning.

#include <cstdint>
#include <memory>
#include <optional>

#include "framework/Screen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class ParallelSequencer;
class PushButtonControl;
class StartSequencer;
class StopSequencer;

class PreflightScreen : public Screen {
  public:
    PreflightScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~PreflightScreen() override;

    virtual void SetStartMsg(const StartPreflightRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartPreflightRoomMsg>& GetStartMsg() const { return start_; }

    // Own times: the middle is what is left of the segment, held at 0.
    void SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                         std::uint32_t last) override;
    std::uint32_t GetTotalTime() override { return total_; }
    std::uint32_t GetFirstTime() override { return first_; }
    std::uint32_t GetMiddleTime() override { return middle_; }
    std::uint32_t GetLastTime() override { return last_; }

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
    std::uint32_t total_ = 0;
    std::uint32_t first_ = 0;
    std::uint32_t middle_ = 0;
    std::uint32_t last_ = 0;
};
