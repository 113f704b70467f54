#include "game/view/controls/CaptionsControl.h"

#include <algorithm>
#include <utility>

#include "controls/ButtonClickedMsg.h"
#include "controls/RadioButtonControl.h"
#include "controls/RadioContainer.h"
#include "divir/xRandom.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/Animation.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kVot = 2900;  // Vot.srf
constexpr std::int32_t kOneLine[10] = {1, 4, 11, 19, 28, 38, 49, 61, 74, 89};
constexpr std::int32_t kTwoLines[10] = {366, 369, 376, 384, 393, 403, 414, 426, 439, 454};
constexpr std::int32_t kResults[10] = {106, 117, 129, 143, 159, 180, 197, 219, 243, 269};
constexpr std::int32_t kOneLineHighlight = 333;
constexpr std::int32_t kTwoLineHighlight = 505;
constexpr std::int32_t kOneLineButton = 300;
constexpr std::int32_t kTwoLineButton = 472;
constexpr std::int32_t kVoteMarker = 538;
constexpr std::int32_t kOwnMarker = 554;
constexpr std::int32_t kNobodyComposedArt[2] = {570, 658};
// In the order of CaptionsControl::VoiceIndex.
constexpr std::int32_t kVoices[CaptionsControl::kVoiceCount] = {2460, 2462, 2470, 2465, 2415, 2417,
                                                                2440, 2442, 2425, 2430, 2435, 2420};
constexpr std::int32_t kSelectCaption = 1057;
constexpr std::int32_t kOwnCaptionSelected = 1048;

// Text items of the panels, by row.
constexpr int kAuthorItem = 194;
constexpr int kNumberItem = 204;
constexpr int kOneLineItem = 214;
constexpr int kTwoLineItem = 224;

std::unique_ptr<Animation> Make(UI* parent, std::int32_t number, std::int32_t layer) {
    auto animation = std::make_unique<Animation>(parent, kVot, number);
    animation->SetHoldAtEnd();
    animation->SetLayer(layer);
    return animation;
}

// A held animation reports paused at its end: it still runs on screen.
bool Running(const Process& p) {
    return p.IsStarted() || p.IsPaused();
}

}  // namespace

CaptionsControl::CaptionsControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
    : Control(parent, receiver, layer), random_([](std::uint32_t n) { return xRandom(n); }) {
    const std::int32_t l = GetLayer();
    for (int r = 0; r < kRows; ++r) oneLine_[r] = Make(this, kOneLine[r], l);
    for (int r = 0; r < kRows; ++r) twoLine_[r] = Make(this, kTwoLines[r], l);
    for (int r = 0; r < kRows; ++r) resultsPanels_[r] = Make(this, kResults[r], l + 5);
    for (int r = 0; r < kRows; ++r) oneLineHighlights_[r] = Make(this, kOneLineHighlight + 3 * r, l + 10);
    for (int r = 0; r < kRows; ++r) twoLineHighlights_[r] = Make(this, kTwoLineHighlight + 3 * r, l + 10);
    voteMarker_ = Make(this, kVoteMarker, l + 2);
    ownMarker_ = Make(this, kOwnMarker, l + 3);
    for (int i = 0; i < 2; ++i) nobodyComposed_[i] = Make(this, kNobodyComposedArt[i], l - 1);
    ownTimer_ = std::make_unique<Timer>(this);
    ownTimer_->StartOnce(kOwnCaptionMs);
    ownTimer_->SetStopWhenFired();
    for (int i = 0; i < kVoiceCount; ++i) voices_[i] = std::make_unique<Voice>(this, kVoices[i]);
    for (auto& effect : selectEffects_) effect = std::make_unique<Sfx>(this, kSelectCaption);
    ownEffect_ = std::make_unique<Sfx>(this, kOwnCaptionSelected);

    oneLineGroup_ = std::make_unique<RadioContainer>();
    twoLineGroup_ = std::make_unique<RadioContainer>();
    auto button = [this, l](std::int32_t number, RadioContainer& group) {
        auto b = std::make_unique<RadioButtonControl>(this, this, l + 2, kVot, 0, 0, 0, number, 0, true);
        b->Hide();
        b->Disable();
        group.AddButton(b.get());
        return b;
    };
    for (int r = 0; r < kRows; ++r) oneLineButtons_[r] = button(kOneLineButton + 3 * r, *oneLineGroup_);
    for (int r = 0; r < kRows; ++r) twoLineButtons_[r] = button(kTwoLineButton + 3 * r, *twoLineGroup_);

    start_ = std::make_unique<SerialSequencer>(this);
    stop_ = std::make_unique<StopSequencer>(this);
    stop_->Add(start_.get());
    stop_->Add(voteMarker_.get());
    stop_->Add(ownMarker_.get());
    stop_->Add(nobodyComposed_[0].get());
    stop_->Add(nobodyComposed_[1].get());
    stop_->Add(ownTimer_.get());
    for (int r = 0; r < kRows; ++r) {
        stop_->Add(oneLineButtons_[r].get());
        stop_->Add(twoLineButtons_[r].get());
        stop_->Add(oneLine_[r].get());
        stop_->Add(twoLine_[r].get());
        stop_->Add(resultsPanels_[r].get());
        stop_->Add(oneLineHighlights_[r].get());
        stop_->Add(twoLineHighlights_[r].get());
    }
}

CaptionsControl::~CaptionsControl() {
    // The sequencers leave their children, so they go first, the outer one
    // before the one it holds.
    stop_.reset();
    start_.reset();
}

Animation* CaptionsControl::GetListPanel(bool twoLines, std::int32_t row) const {
    if (row < 0 || row >= kRows) return nullptr;
    return twoLines ? twoLine_[row].get() : oneLine_[row].get();
}

Animation* CaptionsControl::GetResultsPanel(std::int32_t row) const {
    return row >= 0 && row < kRows ? resultsPanels_[row].get() : nullptr;
}

Animation* CaptionsControl::GetHighlight(bool twoLines, std::int32_t row) const {
    if (row < 0 || row >= kRows) return nullptr;
    return twoLines ? twoLineHighlights_[row].get() : oneLineHighlights_[row].get();
}

RadioButtonControl* CaptionsControl::GetButton(bool twoLines, std::int32_t row) const {
    if (row < 0 || row >= kRows) return nullptr;
    return twoLines ? twoLineButtons_[row].get() : oneLineButtons_[row].get();
}

Animation* CaptionsControl::ListPanelOfCount() const {
    return Count() >= 1 ? GetListPanel(twoLines_, Count() - 1) : nullptr;
}

Animation* CaptionsControl::ResultsPanelOfCount() const {
    return Count() >= 1 ? GetResultsPanel(Count() - 1) : nullptr;
}

Animation* CaptionsControl::HighlightOf(std::int32_t row) const {
    return GetHighlight(twoLines_, row);
}

RadioButtonControl* CaptionsControl::ButtonOf(std::int32_t row) const {
    return GetButton(twoLines_, row);
}

void CaptionsControl::ShowCompList(const CaptionList& captions) {
    captions_.clear();
    for (const auto& msg : captions) {
        const auto* item = dynamic_cast<const CompListItemRoomMsg*>(msg.get());
        if (item == nullptr) continue;
        // There are ten rows; the rest are not shown.
        if (Count() == kRows) break;
        captions_.push_back({item->GetAuthorName(), item->GetLine1(), item->GetLine2()});
    }
    // Fisher-Yates: every order equally likely.
    for (std::size_t i = captions_.size(); i > 1; --i) {
        const std::size_t j = random_(static_cast<std::uint32_t>(i)) % i;
        std::swap(captions_[i - 1], captions_[j]);
    }
    Animation* panel = ListPanelOfCount();
    if (panel == nullptr) return;
    for (std::int32_t r = 0; r < Count(); ++r) {
        const Caption& c = captions_[static_cast<std::size_t>(r)];
        const int style = IsOwn(c.author) ? 1 : 0;
        if (!twoLines_) {
            panel->SetText(kOneLineItem + r, c.line1);
            panel->SetItemColourFromPalette(kOneLineItem + r, style);
        } else {
            panel->SetText(kTwoLineItem + 2 * r, c.line1);
            panel->SetText(kTwoLineItem + 2 * r + 1, c.line2);
            panel->SetItemColourFromPalette(kTwoLineItem + 2 * r, style);
            panel->SetItemColourFromPalette(kTwoLineItem + 2 * r + 1, style);
        }
    }
}

void CaptionsControl::ShowResultsList(const CaptionList& results) {
    results_.clear();
    for (const auto& msg : results) {
        const auto* item = dynamic_cast<const ResultsListItemRoomMsg*>(msg.get());
        if (item == nullptr) continue;
        results_.push_back({item->GetName(), item->GetVotes(), item->GetPoints(), item->GetFlag()});
    }
    Animation* panel = ResultsPanelOfCount();
    if (panel == nullptr) return;
    for (const Result& result : results_) {
        const std::int32_t r = FindCaptionRow(result.name);
        if (r < 0) continue;
        const int style = IsOwn(result.name) ? 1 : 0;
        panel->SetText(kAuthorItem + r, result.name);
        panel->SetItemColourFromPalette(kAuthorItem + r, style);
        panel->SetText(kNumberItem + r, std::to_string(result.votes));
        panel->SetItemColourFromPalette(kNumberItem + r, style);
    }
}

void CaptionsControl::ShowPoints() {
    Animation* panel = ResultsPanelOfCount();
    if (panel == nullptr) return;
    for (const Result& result : results_) {
        const std::int32_t r = FindCaptionRow(result.name);
        if (r >= 0) panel->SetText(kNumberItem + r, std::to_string(result.points));
    }
}

void CaptionsControl::WriteListStyle(std::int32_t row, std::int32_t style) {
    Animation* panel = ListPanelOfCount();
    if (panel == nullptr) return;
    if (!twoLines_) {
        panel->SetItemColourFromPalette(kOneLineItem + row, style);
    } else {
        panel->SetItemColourFromPalette(kTwoLineItem + 2 * row, style);
        panel->SetItemColourFromPalette(kTwoLineItem + 2 * row + 1, style);
    }
}

void CaptionsControl::ShowNonVoters() {
    Animation* panel = ResultsPanelOfCount();
    if (panel == nullptr) return;
    for (const Result& result : results_) {
        if (result.votes == 0 || result.voted) continue;
        const std::int32_t r = FindCaptionRow(result.name);
        if (r < 0) continue;
        panel->SetText(kNumberItem + r, "0");
        panel->SetItemColourFromPalette(kAuthorItem + r, 2);
        panel->SetItemColourFromPalette(kNumberItem + r, 2);
        WriteListStyle(r, 2 + (r % 2 == 1 ? 1 : 0));
    }
}

void CaptionsControl::SelectCaption(std::int32_t topVotes, const std::string& winner) {
    tieWinner_ = winner;
    for (const Result& result : results_) {
        if (result.votes != topVotes || !result.voted) continue;
        Animation* highlight = HighlightOf(FindCaptionRow(result.name));
        // Two results by one author share a row: its highlight starts once.
        if (highlight != nullptr && highlight->IsStopped()) highlight->Start();
    }
    Voice* tie = voices_[kVoteTie].get();
    if (tie->IsStopped()) tie->Start();
}

void CaptionsControl::EndTie() {
    for (const Result& result : results_) {
        if (result.name == tieWinner_) continue;
        Animation* highlight = HighlightOf(FindCaptionRow(result.name));
        if (highlight != nullptr && Running(*highlight)) highlight->Stop();
    }
}

void CaptionsControl::HighlightCaption(const std::string& name) {
    for (const Result& result : results_) {
        if (result.name != name) continue;
        Animation* highlight = HighlightOf(FindCaptionRow(result.name));
        if (highlight != nullptr && highlight->IsStopped()) highlight->Start();
    }
}

void CaptionsControl::UpdatePlayerScores(PicturePlayerListControl* players) {
    if (players == nullptr) return;
    for (const Result& result : results_) players->SetPlayerScore(result.name, result.points);
}

std::int32_t CaptionsControl::FindCaptionRow(const std::string& name) const {
    for (std::int32_t r = 0; r < Count(); ++r)
        if (captions_[static_cast<std::size_t>(r)].author == name) return r;
    return -1;
}

void CaptionsControl::VoteFor(std::int32_t number) {
    if (number < 1 || number > Count()) return;
    if (RadioButtonControl* b = ButtonOf(number - 1)) b->Click();
}

void CaptionsControl::ShowVoteMarker() {
    ownMarker_->Hide();
    voteMarker_->Show();
    if (Running(*ownMarker_)) ownMarker_->Stop();
    if (voteMarker_->IsStopped()) voteMarker_->Start();
}

void CaptionsControl::ShowOwnMarker() {
    voteMarker_->Hide();
    ownMarker_->Show();
    if (Running(*voteMarker_)) voteMarker_->Stop();
    if (ownMarker_->IsStopped()) ownMarker_->Start();
}

void CaptionsControl::OnCaptionClicked(std::int32_t row) {
    if (row == selectedRow_ || row < 0 || row >= Count()) return;
    selectedRow_ = row;
    const std::string& author = captions_[static_cast<std::size_t>(row)].author;
    if (IsOwn(author)) {
        if (ownEffect_->IsStopped()) ownEffect_->Start();
        ShowOwnMarker();
        // A second own caption (the list is the bot's) clicked while the
        // timer runs gives it its four seconds again.
        if (ownTimer_->IsStopped())
            ownTimer_->Start();
        else
            ownTimer_->StartOnce(kOwnCaptionMs);
        return;
    }
    if (ownTimer_->IsStarted()) ownTimer_->Stop();
    timerFired_ = false;
    for (auto& effect : selectEffects_) {
        if (effect->IsStopped()) {
            effect->Start();
            break;
        }
    }
    if (firstSelection_) {
        firstSelection_ = false;
        if (voices_[kVoteNow]->IsStarted()) voices_[kVoteNow]->Stop();
        if (voices_[kVoteChange]->IsStopped()) voices_[kVoteChange]->Start();
    }
    ShowVoteMarker();
    if (sentVoteRow_ != row) {
        sentVoteRow_ = row;
        Send(VoteRoomMsg(-1, author));
    }
}

void CaptionsControl::RestoreSentVote() {
    for (std::int32_t r = 0; r < Count(); ++r)
        if (RadioButtonControl* b = ButtonOf(r)) b->Uncheck();
    if (sentVoteRow_ >= 0)
        if (RadioButtonControl* b = ButtonOf(sentVoteRow_)) b->Check();
    selectedRow_ = sentVoteRow_;
    ShowVoteMarker();
}

void CaptionsControl::ShowVoteButtons() {
    if (mode_ != 0) return;
    for (std::int32_t r = 0; r < Count(); ++r) {
        RadioButtonControl* b = ButtonOf(r);
        if (b == nullptr) continue;
        b->Uncheck();
        b->Show();
        b->Enable();
    }
}

void CaptionsControl::HideVoteButtons() {
    for (int r = 0; r < kRows; ++r) {
        for (auto* b : {oneLineButtons_[r].get(), twoLineButtons_[r].get()}) {
            b->Disable();
            b->Hide();
        }
    }
}

void CaptionsControl::Layout() {
    narrationPending_ = false;
    const bool table = IsStarted() && currentList_ != nullptr && currentList_->IsPaused() && Count() >= 1 &&
                       Count() <= kRows && !results_.empty() && results_.size() <= kRows;
    HideVoteButtons();
    if (Running(*voteMarker_)) voteMarker_->Stop();
    voteMarker_->Hide();
    if (ownTimer_->IsStarted()) ownTimer_->Stop();
    if (Running(*ownMarker_)) ownMarker_->Stop();
    ownMarker_->Hide();
    if (voices_[kVoteChange]->IsStarted()) voices_[kVoteChange]->Stop();
    if (voices_[kVoteNow]->IsStarted()) voices_[kVoteNow]->Stop();
    if (!table) {
        // Nothing to lay out (nobody composed, or no results): the scoring
        // screen waits for the table's entry, so it is told at once.
        currentResults_ = nullptr;
        Send(CaptionsControlTransitionDoneMsg());
        return;
    }
    currentResults_ = ResultsPanelOfCount();
    if (voices_[kShowVotes]->IsStopped()) voices_[kShowVotes]->Start();
}

void CaptionsControl::BeginTransition() {
    if (nobodyVoted_) {
        Voice* v = voices_[random_(2) != 0 ? kNobodyVoted : kNobodyVoted2].get();
        if (v->IsStopped()) v->Start();
        return;
    }
    if (pointsKind_ < 1 || pointsKind_ > 3) {
        // No narration for this kind: the points show at once.
        narrationPending_ = false;
        ShowPoints();
        return;
    }
    narrationPending_ = true;
    Voice* v = voices_[kShowPoints1 + (pointsKind_ - 1)].get();
    if (v->IsStopped()) v->Start();
}

void CaptionsControl::EndTransition() {
    Voice* v = voices_[kShowNoVotes].get();
    if (v->IsStopped()) v->Start();
    narrationPending_ = true;
}

void CaptionsControl::PostTransitionDone() {
    if (!IsStarting()) Send(CaptionsControlTransitionDoneMsg());
}

void CaptionsControl::OnStarting() {
    selectedRow_ = -1;
    firstSelection_ = true;
    narrationPending_ = false;
    sentVoteRow_ = -1;
    timerFired_ = false;
    if (Count() > kRows) throw 0;
    start_->Clear();
    HideVoteButtons();
    currentList_ = nullptr;
    switch (mode_) {
        case 0:
            for (int r = 0; r < kRows; ++r)
                if (ButtonOf(r)->IsStopped()) ButtonOf(r)->Start();
            currentList_ = ListPanelOfCount();
            // An empty list starts with its voice alone.
            if (currentList_ != nullptr) start_->Add(currentList_, true);
            start_->Add(voices_[kVoteNow].get());
            break;
        case 1:
            start_->Add(voices_[random_(2) != 0 ? kNobodyComposed : kNobodyComposed2].get());
            break;
        case 2:
            currentList_ = ListPanelOfCount();
            currentResults_ = ResultsPanelOfCount();
            if (currentList_ != nullptr) start_->Add(currentList_, true);
            start_->Add(voices_[kShowVotes].get());
            break;
        default:
            throw 0;
    }
    start_->Start();
}

void CaptionsControl::OnStopping() {
    Hide();
    captions_.clear();
    results_.clear();
    mode_ = -1;
    nobodyVoted_ = false;
    pointsKind_ = -1;
    HideVoteButtons();
    stop_->Start();
}

std::int32_t CaptionsControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto* part) { return part != nullptr && from == static_cast<const MsgSender*>(part); };
    auto isVoice = [&](VoiceIndex v) { return is(voices_[v].get()); };
    const bool started = msg.Is<StartedMsg>();
    const bool paused = msg.Is<PausedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    const bool clicked = msg.Is<ButtonClickedMsg>();
    const bool timer = msg.Is<TimerMsg>();

    std::int32_t listPanel = -1, resultsPanel = -1, button = -1;
    if (paused) {
        for (int r = 0; r < kRows; ++r) {
            if (is(oneLine_[r].get()) || is(twoLine_[r].get())) listPanel = r;
            if (is(resultsPanels_[r].get())) resultsPanel = r;
        }
    }
    if (clicked) {
        for (int r = 0; r < kRows; ++r) {
            if (is(oneLineButtons_[r].get()) || is(twoLineButtons_[r].get())) button = r;
        }
    }
    const bool ours =
        (stopped && (is(start_.get()) || is(stop_.get()) || is(ownTimer_.get()) || isVoice(kShowPoints1) ||
                     isVoice(kShowPoints2) || isVoice(kShowPoints3) || isVoice(kShowNoVotes) ||
                     isVoice(kNobodyVoted) || isVoice(kNobodyVoted2) || isVoice(kVoteTie))) ||
        (started && (isVoice(kVoteNow) || isVoice(kNobodyComposed) || isVoice(kNobodyComposed2) ||
                     isVoice(kShowVotes))) ||
        listPanel >= 0 || resultsPanel >= 0 || button >= 0 || (timer && is(ownTimer_.get()));
    if (!ours) return Control::HandleMsg(msg, from, fromQueue, queued);
    if (!fromQueue) {
        if (!queued) {
            QueueMsg(msg, from);
            queued = true;
        }
        return Control::HandleMsg(msg, from, fromQueue, queued);
    }

    if (stopped && is(start_.get())) {
        if (IsStarting()) DefaultOnStarting();
    } else if (started && isVoice(kVoteNow)) {
        if (voteMarker_->IsStopped()) {
            voteMarker_->Show();
            voteMarker_->Start();
        }
    } else if (started && isVoice(kNobodyComposed)) {
        if (nobodyComposed_[0]->IsStopped()) nobodyComposed_[0]->Start();
    } else if (started && isVoice(kNobodyComposed2)) {
        if (nobodyComposed_[1]->IsStopped()) nobodyComposed_[1]->Start();
    } else if (started && isVoice(kShowVotes)) {
        if (currentResults_ != nullptr && currentResults_->IsStopped()) currentResults_->Start();
    } else if (listPanel >= 0) {
        ShowVoteButtons();
    } else if (resultsPanel >= 0) {
        PostTransitionDone();
    } else if (button >= 0) {
        OnCaptionClicked(button);
    } else if (stopped && (isVoice(kShowPoints1) || isVoice(kShowPoints2) || isVoice(kShowPoints3))) {
        if (narrationPending_) ShowPoints();
        narrationPending_ = false;
    } else if (stopped && isVoice(kShowNoVotes)) {
        if (narrationPending_) ShowNonVoters();
        narrationPending_ = false;
    } else if (stopped && (isVoice(kNobodyVoted) || isVoice(kNobodyVoted2))) {
        Send(CaptionsControlNobodyVotedDoneMsg());
    } else if (stopped && isVoice(kVoteTie)) {
        EndTie();
    } else if (stopped && is(stop_.get())) {
        if (IsStopping()) DefaultOnStopping();
    } else if (timer) {
        timerFired_ = true;
    } else if (stopped && is(ownTimer_.get())) {
        if (timerFired_) {
            timerFired_ = false;
            RestoreSentVote();
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
