#pragma once

// The round-winner segment: an intro, then a panel with the winning caption
// and "Well done, <name>!" (or "No winner." over rules), a fanfare and a
// spoken comment chosen by who won, by the start message's flags and partly at
// random.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class Animation;
class Control;
class Music;
class ParallelSequencer;
class SerialSequencer;
class StartSequencer;
class StopSequencer;
class Voice;

class RoundWinnerScreen : public OwnTimesScreen {
  public:
    enum VoiceIndex : std::size_t {
        kLosersOffer = 0,
        kWinnerOffer,
        kLosers1,
        kLosers2,
        kWinner1,
        kWinner2,
        kWinner3,
        kNoWinner1,
        kNoWinner2,
        kNoWinner3,
        kVoiceCount
    };
    // Text fields of the panels: the caption's one line, its two lines, the headline.
    static constexpr int kOneLineField = 170;
    static constexpr int kLineOneField = 171;
    static constexpr int kLineTwoField = 172;
    static constexpr int kHeadlineField = 173;

    RoundWinnerScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~RoundWinnerScreen() override;

    virtual void SetStartMsg(const StartRoundWinnerRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartRoundWinnerRoomMsg>& GetStartMsg() const { return start_; }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // Where random choices come from (n -> 0 .. n - 1); generator B unless replaced.
    void SetRandomSource(std::function<std::uint32_t(std::uint32_t)> source) { random_ = std::move(source); }

    // The parts, for tests and read-backs.
    Animation* GetIntro() const { return intro_.get(); }
    Animation* GetOneLinePanel() const { return oneLinePanel_.get(); }
    Animation* GetTwoLinePanel() const { return twoLinePanel_.get(); }
    Music* GetWinFanfare() const { return winFanfare_.get(); }
    Music* GetNoWinnerFanfare() const { return noWinnerFanfare_.get(); }
    Voice* GetVoice(VoiceIndex which) const { return which < kVoiceCount ? voices_[which].get() : nullptr; }
    SerialSequencer* GetVoiceSequence() const { return voiceSequence_.get(); }
    SerialSequencer* GetMusicSequence() const { return musicSequence_.get(); }

  private:
    Control* At(SharedControl slot) const { return (*shared_)[slot]; }
    std::uint32_t Random(std::uint32_t n) const { return random_ ? random_(n) % (n == 0 ? 1 : n) : 0; }
    bool IsLocalPlayer(const std::string& name) const;

    SharedControls* shared_;
    std::unique_ptr<ParallelSequencer> mainSequencer_;
    std::unique_ptr<StartSequencer> controlsStarter_;
    std::unique_ptr<SerialSequencer> voiceSequence_;
    std::unique_ptr<SerialSequencer> musicSequence_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<Music> winFanfare_;
    std::unique_ptr<Music> noWinnerFanfare_;
    std::unique_ptr<Animation> intro_;
    std::unique_ptr<Animation> oneLinePanel_;
    std::unique_ptr<Animation> twoLinePanel_;
    std::array<std::unique_ptr<Voice>, kVoiceCount> voices_;
    std::optional<StartRoundWinnerRoomMsg> start_;
    std::function<std::uint32_t(std::uint32_t)> random_;
};
