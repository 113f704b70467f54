#pragma once

// The scoring segment: the round's captions turn into the results table, and
// the narration steps (non-voters, tie, points) are timed from the start
// message's flags, scaled by how much of its middle phase the segment still
// has. At the end the round's points go to the player list and the screen
// stops its own presentation; it stays started until the view stops it.

#include <cstdint>
#include <memory>
#include <optional>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class Control;
class Music;
class SerialStartSequencer;
class StopSequencer;
class Timer;

class ScoringScreen : public OwnTimesScreen {
  public:
    // The delays of one round's narration from the completed start, in ms; 0
    // for a step that is not scheduled.
    struct Schedule {
        std::uint32_t nonVoters = 0;
        std::uint32_t tie = 0;
        std::uint32_t points = 0;
        std::uint32_t end = 0;
        bool highlight = false;
    };
    // The longest step a schedule holds.
    static constexpr double kLongestStepMs = 2147483647.0;
    static constexpr std::uint32_t kShortestEndMs = 1000;

    ScoringScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~ScoringScreen() override;

    virtual void SetStartMsg(const StartScoreRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartScoreRoomMsg>& GetStartMsg() const { return start_; }

    // The narration of a start message's flags for an own and a base middle
    // phase: r = own / base (1 when the base is 0), each step at least its
    // floor, bounded, then truncated to whole ms.
    static Schedule ScheduleFor(const StartScoreRoomMsg& msg, std::uint32_t ownMiddle,
                                std::uint32_t baseMiddle);

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // The parts, for tests.
    Timer* GetNonVotersTimer() const { return nonVotersTimer_.get(); }
    Timer* GetTieTimer() const { return tieTimer_.get(); }
    Timer* GetPointsTimer() const { return pointsTimer_.get(); }
    Timer* GetEndTimer() const { return endTimer_.get(); }
    Music* GetInstrumentalLoop() const { return instrumentalLoop_.get(); }
    StopSequencer* GetStopper() const { return stopper_.get(); }

  private:
    Control* At(SharedControl slot) const { return (*shared_)[slot]; }
    void StartControls();
    void StartNarration();
    void StartStopper();
    static void Arm(Timer& timer, std::uint32_t ms);

    SharedControls* shared_;
    std::unique_ptr<SerialStartSequencer> startSequence_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<Timer> nonVotersTimer_;
    std::unique_ptr<Timer> tieTimer_;
    std::unique_ptr<Timer> pointsTimer_;
    std::unique_ptr<Timer> endTimer_;
    std::unique_ptr<Music> instrumentalLoop_;
    std::optional<StartScoreRoomMsg> start_;
    bool waitingForLayout_ = false;
};
