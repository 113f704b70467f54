#pragma once

// The round's captions on screen: the vote list (mode 0), the nobody-composed
// announcement (mode 1) and the results table (mode 2, or the running vote
// list turned into it by Layout). Up to ten captions of one or two lines in
// panels of the voting strip; a click on another player's caption sends a
// VoteRoomMsg, a click on one's own plays its marker and after four seconds
// returns the check to the caption voted for. Then the authors, votes and
// points with their narration.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/CloneableMsg.h"
#include "framework/Control.h"
#include "framework/Msg.h"

class Animation;
class PicturePlayerListControl;
class RadioButtonControl;
class RadioContainer;
class SerialSequencer;
class Sfx;
class StopSequencer;
class Timer;
class Voice;

class CaptionsControlTransitionDoneMsg : public CloneableMsg<CaptionsControlTransitionDoneMsg> {};
class CaptionsControlNobodyVotedDoneMsg : public CloneableMsg<CaptionsControlNobodyVotedDoneMsg> {};

class CaptionsControl : public Control {
  public:
    static constexpr std::int32_t kRows = 10;
    static constexpr std::uint32_t kOwnCaptionMs = 4000;

    enum VoiceIndex : std::int32_t {
        kNobodyComposed = 0,
        kNobodyComposed2,
        kVoteNow,
        kVoteChange,
        kNobodyVoted,
        kNobodyVoted2,
        kShowVotes,
        kVoteTie,
        kShowPoints1,
        kShowPoints2,
        kShowPoints3,
        kShowNoVotes,
        kVoiceCount
    };

    using CaptionList = std::vector<std::unique_ptr<Msg>>;

    struct Caption {
        std::string author;
        std::string line1;
        std::string line2;
    };
    struct Result {
        std::string name;
        std::int32_t votes = 0;
        std::int32_t points = 0;
        bool voted = false;
    };

    CaptionsControl(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~CaptionsControl() override;

    virtual void SetMode(std::int32_t mode) { mode_ = mode; }
    virtual void SetScoreFlag(bool nobodyVoted) { nobodyVoted_ = nobodyVoted; }
    virtual void SetCount(std::int32_t pointsKind) { pointsKind_ = pointsKind; }
    virtual void SetLocalPlayerName(const std::string& name) { localName_ = name; }
    virtual void SetListFlag(bool twoLines) { twoLines_ = twoLines; }
    // Turns the running vote list into the results table. Without a table to
    // show (nothing listed, nobody composed) it clears the list's buttons,
    // markers and voices and reports the transition done at once.
    virtual void Layout();
    virtual void BeginTransition();
    virtual void EndTransition();
    virtual void SelectCaption(std::int32_t topVotes, const std::string& winner);
    virtual void HighlightCaption(const std::string& name);
    // Takes the CompListItemRoomMsg entries (the first ten) in a random order.
    virtual void ShowCompList(const CaptionList& captions);
    // Takes the ResultsListItemRoomMsg entries.
    virtual void ShowResultsList(const CaptionList& results);
    // 1-based; outside 1..count nothing happens.
    virtual void VoteFor(std::int32_t number);
    virtual void HideVoteButtons();
    virtual void UpdatePlayerScores(PicturePlayerListControl* players);
    virtual void ShowPoints();
    virtual void ShowNonVoters();
    virtual std::int32_t FindCaptionRow(const std::string& name) const;
    virtual void OnCaptionClicked(std::int32_t row);
    virtual void ShowVoteButtons();
    virtual void PostTransitionDone();
    virtual void EndTie();

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // Where random choices come from (n -> 0 .. n - 1); generator B unless replaced.
    void SetRandomSource(std::function<std::uint32_t(std::uint32_t)> source) { random_ = std::move(source); }

    // The parts and state, for tests.
    std::int32_t GetMode() const { return mode_; }
    std::int32_t GetPointsKind() const { return pointsKind_; }
    std::int32_t GetSelectedRow() const { return selectedRow_; }
    std::int32_t GetSentVoteRow() const { return sentVoteRow_; }
    const std::vector<Caption>& GetCaptions() const { return captions_; }
    const std::vector<Result>& GetResults() const { return results_; }
    Animation* GetListPanel(bool twoLines, std::int32_t row) const;
    Animation* GetResultsPanel(std::int32_t row) const;
    Animation* GetHighlight(bool twoLines, std::int32_t row) const;
    RadioButtonControl* GetButton(bool twoLines, std::int32_t row) const;
    Animation* GetCurrentListPanel() const { return currentList_; }
    Animation* GetCurrentResultsPanel() const { return currentResults_; }
    Animation* GetVoteMarker() const { return voteMarker_.get(); }
    Animation* GetOwnMarker() const { return ownMarker_.get(); }
    Animation* GetNobodyComposed(std::int32_t which) const { return nobodyComposed_[which & 1].get(); }
    Timer* GetOwnCaptionTimer() const { return ownTimer_.get(); }
    Voice* GetVoice(VoiceIndex which) const { return voices_[which].get(); }
    Sfx* GetSelectEffect(std::int32_t which) const { return selectEffects_[static_cast<std::size_t>(which)].get(); }
    Sfx* GetOwnEffect() const { return ownEffect_.get(); }
    SerialSequencer* GetStartSequencer() const { return start_.get(); }

  private:
    std::int32_t Count() const { return static_cast<std::int32_t>(captions_.size()); }
    Animation* ListPanelOfCount() const;
    Animation* ResultsPanelOfCount() const;
    Animation* HighlightOf(std::int32_t row) const;
    RadioButtonControl* ButtonOf(std::int32_t row) const;
    bool IsOwn(const std::string& author) const { return author == localName_; }
    void ShowVoteMarker();
    void ShowOwnMarker();
    void RestoreSentVote();
    void WriteListStyle(std::int32_t row, std::int32_t style);

    Animation* currentList_ = nullptr;
    Animation* currentResults_ = nullptr;
    std::array<std::unique_ptr<Animation>, kRows> oneLine_;
    std::array<std::unique_ptr<Animation>, kRows> twoLine_;
    std::array<std::unique_ptr<Animation>, kRows> resultsPanels_;
    std::array<std::unique_ptr<Animation>, kRows> oneLineHighlights_;
    std::array<std::unique_ptr<Animation>, kRows> twoLineHighlights_;
    std::unique_ptr<Animation> voteMarker_;
    std::unique_ptr<Animation> ownMarker_;
    std::array<std::unique_ptr<Animation>, 2> nobodyComposed_;
    std::unique_ptr<Timer> ownTimer_;
    std::array<std::unique_ptr<Voice>, kVoiceCount> voices_;
    std::array<std::unique_ptr<Sfx>, 3> selectEffects_;
    std::unique_ptr<Sfx> ownEffect_;
    std::unique_ptr<RadioContainer> oneLineGroup_;
    std::unique_ptr<RadioContainer> twoLineGroup_;
    std::array<std::unique_ptr<RadioButtonControl>, kRows> oneLineButtons_;
    std::array<std::unique_ptr<RadioButtonControl>, kRows> twoLineButtons_;
    std::unique_ptr<SerialSequencer> start_;
    std::unique_ptr<StopSequencer> stop_;

    std::int32_t mode_ = -1;
    std::vector<Caption> captions_;
    std::vector<Result> results_;
    std::int32_t selectedRow_ = -1;
    bool firstSelection_ = true;
    std::int32_t pointsKind_ = -1;
    bool nobodyVoted_ = false;
    bool narrationPending_ = false;
    std::string localName_;
    std::int32_t sentVoteRow_ = -1;
    bool twoLines_ = false;
    bool timerFired_ = false;
    std::string tieWinner_;
    std::function<std::uint32_t(std::uint32_t)> random_;
};
