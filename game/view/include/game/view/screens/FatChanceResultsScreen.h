#pragma once

// The Dar Eradar results segment ("SFCR"): the board turns the chosen swatch
// over, then the screen announces the value (the "You" animation and voice for
// the round winner, the "Plyr" ones for everyone else), plays the win or the
// loss fanfare and writes the winner's new score into the player list; the
// name-and-score board shows it once the screen has started.
//
// A chosen index that names no swatch of the board, or a value outside the
// nine, plays nothing: the start completes and the score is written at once.

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
class ParallelSequencer;
class StartSequencer;
class StopSequencer;
class Voice;

class FatChanceResultsScreen : public OwnTimesScreen {
  public:
    static constexpr std::size_t kValues = 9;

    FatChanceResultsScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~FatChanceResultsScreen() override;

    virtual void SetStartMsg(const StartFatChanceResultsRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartFatChanceResultsRoomMsg>& GetStartMsg() const { return start_; }

    // Own times: middle = segment - first - last (held at 0), total = segment.

    void OnStarting() override;
    void OnStarted() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // The parts, for tests and read-backs; v is 0-8.
    Animation* GetPlayerAnim(std::size_t v) const { return v < kValues ? playerAnim_[v].get() : nullptr; }
    Animation* GetYouAnim(std::size_t v) const { return v < kValues ? youAnim_[v].get() : nullptr; }
    Voice* GetPlayerVoice(std::size_t v) const { return v < kValues ? playerVoice_[v].get() : nullptr; }
    Voice* GetYouVoice(std::size_t v) const { return v < kValues ? youVoice_[v].get() : nullptr; }
    Music* GetWinFanfare() const { return winFanfare_.get(); }
    Music* GetLossFanfare() const { return lossFanfare_.get(); }
    bool IsGain() const { return isGain_; }
    // The chosen swatch's value, or -1 when the message names none of the nine.
    std::int32_t GetValue() const { return value_; }

  private:
    FatChanceControl* FatChance() const;
    void WriteScore();

    SharedControls* shared_;
    std::unique_ptr<ParallelSequencer> mainSequencer_;
    std::unique_ptr<StartSequencer> controlsStarter_;
    std::unique_ptr<StopSequencer> stopper_;
    std::array<std::unique_ptr<Animation>, kValues> playerAnim_;
    std::array<std::unique_ptr<Animation>, kValues> youAnim_;
    std::array<std::unique_ptr<Voice>, kValues> playerVoice_;
    std::array<std::unique_ptr<Voice>, kValues> youVoice_;
    std::unique_ptr<Music> winFanfare_;
    std::unique_ptr<Music> lossFanfare_;
    std::optional<StartFatChanceResultsRoomMsg> start_;
    bool isGain_ = false;
    std::int32_t value_ = -1;
};
