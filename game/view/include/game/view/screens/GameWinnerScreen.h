#pragma once

// The end of a game: the room's final ranking (up to ten names and scores) on
// a board chosen by the number of entries, a winner or tie announcement with a
// comment on the lead, the wrap-up music and then four staggered rounds of
// applause; with no winner a no-winner board, voice and fanfare instead. The
// game view makes it once per start, hands it each "SGW" segment and shows it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "game/view/screens/OwnTimesScreen.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/SharedControls.h"

class Animation;
class Music;
class ParallelSequencer;
class SerialSequencer;
class Sfx;
class StartSequencer;
class StopSequencer;
class Timer;
class Voice;

class GameWinnerScreen : public OwnTimesScreen {
  public:
    // The boards exist for rankings of 1 to 10 entries; a longer ranking shows
    // its first ten.
    static constexpr std::size_t kMaxEntries = 10;
    static constexpr std::int32_t kNameField = 174;
    static constexpr std::int32_t kScoreField = 184;
    static constexpr std::size_t kApplauseCount = 4;
    // The delays (ms) of the second to fourth applause after the wrap-up music.
    static constexpr std::array<std::uint32_t, kApplauseCount - 1> kApplauseDelays = {333, 750, 1000};

    enum VoiceIndex : std::size_t {
        kLead10to20 = 0,
        kLead21Plus,
        kLead5OrLess,
        kDefaultComment,
        kNoWinner,
        kNoWinner2,
        kTie,
        kWinner,
        kVoiceCount
    };

    GameWinnerScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~GameWinnerScreen() override;

    virtual void SetStartMsg(const StartGameWinnerRoomMsg& msg) { start_.emplace(msg); }
    const std::optional<StartGameWinnerRoomMsg>& GetStartMsg() const { return start_; }

    // Own phase times: first and last as given, the middle what the segment
    // leaves between them (held at 0).

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // The even chance between the two no-winner voices: a draw of 1 from
    // source(2) picks the first. The game's generator unless replaced.
    void SetRandomSource(std::function<std::uint32_t(std::uint32_t)> source) { random_ = std::move(source); }

    // The voice that comments on a winner's lead over the second: a single
    // entry or a tie gets the default comment; the lead is taken in 64 bits.
    static VoiceIndex LeadComment(bool tie, const std::vector<std::int32_t>& scores);

    // For tests.
    Animation* GetWinnerBoard(std::size_t n) const { return n <= kMaxEntries ? winnerBoards_[n].get() : nullptr; }
    Animation* GetTieBoard(std::size_t n) const { return n <= kMaxEntries ? tieBoards_[n].get() : nullptr; }
    Animation* GetNoWinnerBoard() const { return noWinnerBoard_.get(); }
    // The board of the latest start.
    Animation* GetCurrentBoard() const { return board_; }
    Music* GetWrapUp() const { return wrapUp_.get(); }
    Music* GetFanfare() const { return fanfare_.get(); }
    Sfx* GetApplause(std::size_t i) const { return i < kApplauseCount ? applause_[i].get() : nullptr; }
    Timer* GetApplauseTimer(std::size_t i) const { return i < timers_.size() ? timers_[i].get() : nullptr; }
    Voice* GetVoice(std::size_t i) const { return i < kVoiceCount ? voices_[i].get() : nullptr; }
    ParallelSequencer* GetMainSequencer() const { return main_.get(); }

  private:
    void StartTimer(std::size_t i);
    void StartApplause(std::size_t i);

    SharedControls* shared_;
    std::optional<StartGameWinnerRoomMsg> start_;
    std::function<std::uint32_t(std::uint32_t)> random_;

    std::unique_ptr<ParallelSequencer> main_;
    std::unique_ptr<StartSequencer> controlsStarter_;
    std::unique_ptr<SerialSequencer> voiceSequence_;
    std::unique_ptr<StopSequencer> stopper_;
    std::array<std::unique_ptr<Animation>, kMaxEntries + 1> winnerBoards_;
    std::array<std::unique_ptr<Animation>, kMaxEntries + 1> tieBoards_;
    std::unique_ptr<Animation> noWinnerBoard_;
    Animation* board_ = nullptr;
    std::unique_ptr<Music> wrapUp_;
    std::unique_ptr<Music> fanfare_;
    std::array<std::unique_ptr<Sfx>, kApplauseCount> applause_;
    std::array<std::unique_ptr<Timer>, kApplauseCount - 1> timers_;
    std::array<std::unique_ptr<Voice>, kVoiceCount> voices_;
};
