#pragma once

// The Dar Eradar selection segment ("SFCS"): the round winner picks a swatch
// of the board against the countdown while the others watch. The screen plays
// the Dar Eradar music and, once the name-and-score board has come up, the
// announcement (a voice for the winner or for the others, and a second-half
// voice with the message's flag) with its animation; when the voices end it
// lays out the board, plays the second music and runs the winner's countdown.
// A winner who has not picked when the segment ends gets the preset swatch
// played (nothing is sent) and a too-slow voice before the screen stops.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class Animation;
class FatChanceControl;
class Music;
class NameAndScoreControl;
class ParallelSequencer;
class SerialSequencer;
class StartSequencer;
class StopSequencer;
class TimerControl;
class Voice;

class FatChanceSelectionScreen : public OwnTimesScreen {
  public:
    // The voices in their order of construction.
    enum VoiceSlot : std::size_t {
        kOthers1 = 0,
        kOthers2,
        kOthers3,
        kWinner,
        kTooSlow1,
        kTooSlow2,
        kSecondHalf1,
        kSecondHalf2,
        kVoiceCount
    };

    FatChanceSelectionScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~FatChanceSelectionScreen() override;

    virtual void SetStartMsg(const StartFatChanceSelectionRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartFatChanceSelectionRoomMsg>& GetStartMsg() const { return start_; }

    // Own times: middle = segment - first - last (held at 0), total = segment.

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // The parts, for tests and read-backs.
    Voice* GetVoice(VoiceSlot slot) const { return voices_[slot].get(); }
    Animation* GetWinnerAnim() const { return winnerAnim_.get(); }
    Animation* GetOthersAnim() const { return othersAnim_.get(); }
    Animation* GetSecondHalfAnim() const { return secondHalfAnim_.get(); }
    Music* GetMusicB() const { return musicB_.get(); }
    Music* GetMusicC() const { return musicC_.get(); }
    SerialSequencer* GetVoiceSequence() const { return voiceSequence_.get(); }
    StopSequencer* GetStopper() const { return stopper_.get(); }
    bool IsCountdownStarted() const { return countdownStarted_; }

  private:
    FatChanceControl* FatChance() const;
    TimerControl* Timer() const;
    NameAndScoreControl* NameAndScore() const;
    bool IsWinner() const;
    bool HasSecondHalf() const { return start_.has_value() && start_->GetFlag(); }
    void OnVoicesEnded();
    void StartCountdownWhenReady();

    SharedControls* shared_;
    std::unique_ptr<ParallelSequencer> mainSequencer_;
    std::unique_ptr<StartSequencer> controlsStarter_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<SerialSequencer> voiceSequence_;
    std::unique_ptr<SerialSequencer> musicSequence_;
    std::unique_ptr<Animation> winnerAnim_;
    std::unique_ptr<Animation> secondHalfAnim_;
    std::unique_ptr<Animation> othersAnim_;
    std::array<std::unique_ptr<Voice>, kVoiceCount> voices_;
    std::unique_ptr<Music> musicB_;
    std::unique_ptr<Music> musicC_;
    std::optional<StartFatChanceSelectionRoomMsg> start_;
    // The countdown waits for both the voices' end and the timer's opening.
    bool voicesEnded_ = false;
    bool countdownStarted_ = false;
};
