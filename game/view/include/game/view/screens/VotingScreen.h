#pragma once

// The voting segment: the round's captions listed for a vote, with the voting
// music, the round indicator's change to the voting display, the picture's
// exit and the countdown. At the countdown's end the vote buttons go away.
// The captions control keeps running into the scoring segment unless nobody
// composed.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class Control;
class Music;
class SerialSequencer;
class SerialStartSequencer;
class StopSequencer;

class VotingScreen : public OwnTimesScreen {
  public:
    static constexpr std::size_t kTracks = 15;
    // A countdown needs more than this much of the middle phase.
    static constexpr std::uint32_t kShortestCountdownMiddle = 3000;

    VotingScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~VotingScreen() override;

    virtual void SetStartVote(const StartVoteRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartVoteRoomMsg>& GetStartVote() const { return start_; }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // The parts, for tests.
    Music* GetInstrumentalLoop() const { return instrumentalLoop_.get(); }
    Music* GetTrack(std::size_t index) const { return index < kTracks ? tracks_[index].get() : nullptr; }
    SerialSequencer* GetMusicSequence() const { return musicSequence_.get(); }
    SerialStartSequencer* GetStartSequence() const { return startSequence_.get(); }
    StopSequencer* GetStopper() const { return stopper_.get(); }

  private:
    // Where the start stands while it waits.
    enum class Waiting { kNothing, kIndicator, kPicture, kControls };

    Control* At(SharedControl slot) const { return (*shared_)[slot]; }
    bool NobodyComposed() const { return start_.has_value() && start_->GetFlag(); }
    std::int32_t RoundNumber() const { return start_.has_value() ? start_->GetSegmentId() : 0; }
    // The indicator's transition when it can be played, else the next step at once.
    void PlayIndicatorTransition();
    // The picture's exit when the picture can report it, else the next step at once.
    void PlayPictureExit();
    // The controls of the voting display after the transitions.
    void StartControls();
    // The controls of the voting display without a running composition display.
    void StartWithoutIndicator();
    void AddCountdown();
    void FinishStart();
    void Unsubscribe();

    SharedControls* shared_;
    std::unique_ptr<SerialStartSequencer> startSequence_;
    std::unique_ptr<SerialSequencer> musicSequence_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<Music> instrumentalLoop_;
    std::array<std::unique_ptr<Music>, kTracks> tracks_;
    std::optional<StartVoteRoomMsg> start_;
    Waiting waiting_ = Waiting::kNothing;
};
