#include "game/view/controls/FatChanceControl.h"

#include <algorithm>

#include "framework/LeftButtonDownMouseMsg.h"
#include "framework/MouseReceiverThing.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/PictureRoomMsgs.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Sfx.h"

namespace {

// Animation numbers of Chance.srf per swatch.
constexpr std::array<std::int32_t, 10> kFaceUp = {18, 228, 439, 649, 859, 1069, 1279, 1489, 1699, 1909};
constexpr std::array<std::int32_t, 10> kHighlight = {33, 242, 452, 661, 870, 1079, 1288, 1497, 1706, 1915};
constexpr std::array<std::int32_t, 10> kFaceDown = {47, 256, 466, 675, 884, 1093, 1302, 1511, 1720, 1929};
constexpr std::array<std::int32_t, 10> kArrival = {0, 223, 433, 642, 851, 1060, 1269, 1478, 1687, 1896};
constexpr std::array<std::int32_t, 10> kPicked = {52, 261, 471, 680, 889, 1098, 1307, 1516, 1725, 1934};
// The first value's animation; value k follows 13 k (reveal) or 5 k (shown) later.
constexpr std::array<std::int32_t, 10> kReveal = {61, 270, 480, 689, 898, 1107, 1316, 1525, 1734, 1943};
constexpr std::array<std::int32_t, 10> kShown = {178, 387, 597, 806, 1015, 1224, 1433, 1642, 1851, 2060};
constexpr std::int32_t kRevealStep = 13;
constexpr std::int32_t kShownStep = 5;
constexpr std::int32_t kBoardNumber = 1;

const char* const kNotTheWinner = "Only the round winner can take a fat chance.";
const char* const kOnlyOnce = "You only get one chance.";

std::unique_ptr<Animation> Make(UI* parent, std::int32_t number) {
    return std::make_unique<Animation>(parent, FatChanceControl::kStrip, number);
}

void StartIfStopped(Process* p) {
    if (p != nullptr && p->IsStopped()) p->Start();
}

bool InRange(std::int32_t i, std::int32_t n) {
    return i >= 0 && i < n;
}

}  // namespace

FatChanceControl::FatChanceControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
    : Control(parent, receiver, layer) {
    const std::int32_t above = GetLayer() + 1;
    faceDownSequence_ = std::make_unique<ParallelSequencer>(this);
    revealSequence_ = std::make_unique<ParallelSequencer>(this);
    boardSequence_ = std::make_unique<ParallelSequencer>(this);
    pickSequence_ = std::make_unique<ParallelSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    board_ = Make(this, kBoardNumber);
    board_->SetHoldAtEnd();
    turnSound_ = std::make_unique<Sfx>(this, kTurnSound);
    pickSound_ = std::make_unique<Sfx>(this, kPickSound);
    for (Process* p : std::initializer_list<Process*>{board_.get(), boardSequence_.get(), faceDownSequence_.get(),
                                                      revealSequence_.get(), turnSound_.get(), pickSound_.get(),
                                                      pickSequence_.get()})
        stopper_->Add(p);

    // The hit areas take the highlights' bounds, which the strip answers only
    // while loaded.
    AnimationResource* held = nullptr;
    for (std::int32_t i = 0; i < kSwatches; ++i) {
        Swatch& s = swatches_[static_cast<std::size_t>(i)];
        const std::size_t n = static_cast<std::size_t>(i);
        s.faceUp = Make(this, kFaceUp[n]);
        s.faceUp->SetLayer(above);
        s.highlight = Make(this, kHighlight[n]);
        s.highlight->SetRepeatForever();
        s.highlight->SetLayer(above);
        s.faceDown = Make(this, kFaceDown[n]);
        s.faceDown->SetHoldAtEnd();
        s.faceDown->Hide();
        faceDownSequence_->Add(s.faceDown.get());
        s.picked = Make(this, kPicked[n]);
        s.picked->SetHoldAtEnd();
        s.picked->SetLayer(above);
        s.sequence = std::make_unique<SerialSequencer>(this);
        if (i > 0) {
            s.arrival = Make(this, kArrival[n]);
            stopper_->Add(s.arrival.get());
        }
        for (std::int32_t k = 0; k < kValues; ++k) {
            const std::size_t kk = static_cast<std::size_t>(k);
            s.reveal[kk] = Make(this, kReveal[n] + kRevealStep * k);
            s.shown[kk] = Make(this, kShown[n] + kShownStep * k);
            for (Animation* a : {s.reveal[kk].get(), s.shown[kk].get()}) {
                a->SetHoldAtEnd();
                a->SetLayer(above);
                stopper_->Add(a);
            }
        }
        for (Process* p : std::initializer_list<Process*>{s.faceUp.get(), s.highlight.get(), s.sequence.get(),
                                                          s.faceDown.get()})
            stopper_->Add(p);

        if (held == nullptr && s.highlight->GetResource() != nullptr) {
            held = s.highlight->GetResource();
            held->Load();
        }
        xRect bounds;
        s.highlight->GetCelBounds(bounds);
        s.hitArea = std::make_unique<MouseReceiverThing>(this, GetLayer() + 2, true, bounds, true);
        s.hitArea->AddReceiver(this);
    }
    if (held != nullptr) held->Unload();
}

FatChanceControl::~FatChanceControl() {
    // The sequencers leave their children, so they go first.
    stopper_.reset();
    boardSequence_.reset();
    pickSequence_.reset();
    revealSequence_.reset();
    faceDownSequence_.reset();
    for (Swatch& s : swatches_) {
        if (s.hitArea) s.hitArea->RemoveReceiver(this);
        s.hitArea.reset();
        s.sequence.reset();
    }
    for (Swatch& s : swatches_) s = Swatch{};
    board_.reset();
    turnSound_.reset();
    pickSound_.reset();
}

Animation* FatChanceControl::GetFaceUp(std::int32_t i) const {
    return InRange(i, kSwatches) ? swatches_[static_cast<std::size_t>(i)].faceUp.get() : nullptr;
}
Animation* FatChanceControl::GetHighlight(std::int32_t i) const {
    return InRange(i, kSwatches) ? swatches_[static_cast<std::size_t>(i)].highlight.get() : nullptr;
}
Animation* FatChanceControl::GetFaceDown(std::int32_t i) const {
    return InRange(i, kSwatches) ? swatches_[static_cast<std::size_t>(i)].faceDown.get() : nullptr;
}
Animation* FatChanceControl::GetArrival(std::int32_t i) const {
    return InRange(i, kSwatches) ? swatches_[static_cast<std::size_t>(i)].arrival.get() : nullptr;
}
Animation* FatChanceControl::GetPicked(std::int32_t i) const {
    return InRange(i, kSwatches) ? swatches_[static_cast<std::size_t>(i)].picked.get() : nullptr;
}
Animation* FatChanceControl::GetReveal(std::int32_t i, std::int32_t k) const {
    if (!InRange(i, kSwatches) || !InRange(k, kValues)) return nullptr;
    return swatches_[static_cast<std::size_t>(i)].reveal[static_cast<std::size_t>(k)].get();
}
Animation* FatChanceControl::GetShown(std::int32_t i, std::int32_t k) const {
    if (!InRange(i, kSwatches) || !InRange(k, kValues)) return nullptr;
    return swatches_[static_cast<std::size_t>(i)].shown[static_cast<std::size_t>(k)].get();
}
MouseReceiverThing* FatChanceControl::GetHitArea(std::int32_t i) const {
    return InRange(i, kSwatches) ? swatches_[static_cast<std::size_t>(i)].hitArea.get() : nullptr;
}

void FatChanceControl::SetEntries(const std::vector<FatChanceEntry>& board) {
    const std::size_t kept = std::min(board.size(), static_cast<std::size_t>(kSwatches));
    entries_.assign(board.begin(), board.begin() + static_cast<std::ptrdiff_t>(kept));
}

void FatChanceControl::SetBoard(bool mayChoose, std::int32_t chosen, const std::vector<FatChanceEntry>& board) {
    mayChoose_ = mayChoose;
    chosen_ = chosen;
    SetEntries(board);
}

void FatChanceControl::SetResult(std::int32_t chosen, const std::vector<FatChanceEntry>& board) {
    chosen_ = chosen;
    SetEntries(board);
}

void FatChanceControl::SetChosen(std::int32_t chosen) {
    chosen_ = chosen;
}

bool FatChanceControl::IsChosenOnBoard() const {
    return InRange(chosen_, static_cast<std::int32_t>(entries_.size()));
}

std::int32_t FatChanceControl::ValueOf(std::int32_t swatch) const {
    if (!InRange(swatch, static_cast<std::int32_t>(entries_.size()))) return -1;
    const std::int32_t value = entries_[static_cast<std::size_t>(swatch)].number;
    return InRange(value, kValues) ? value : -1;
}

bool FatChanceControl::HasChosen() {
    return pickSequence_->GetChildCount() > 0;
}

void FatChanceControl::OnStarting() {
    if (pickSequence_->IsStopped()) pickSequence_->Clear();
    lastHighlight_ = nullptr;
    for (Swatch& s : swatches_) {
        s.faceDown->Hide();
        for (auto& shown : s.shown) shown->Hide();
    }
    if (faceDownSequence_->IsStopped()) {
        faceDownSequence_->Start();
    } else if (board_->IsStopped()) {
        board_->Start();
    } else {
        DefaultOnStarting();
    }
}

void FatChanceControl::OnStopping() {
    if (stopper_->IsStopped()) {
        stopper_->Start();
    } else {
        DefaultOnStopping();
    }
}

void FatChanceControl::BuildSelection() {
    // Laid out once per start: a running board is left as it is.
    if (!boardSequence_->IsStopped()) return;
    lastHighlight_ = nullptr;
    boardSequence_->Clear();
    const std::int32_t count = static_cast<std::int32_t>(entries_.size());
    for (std::int32_t i = 0; i < count; ++i) {
        Swatch& s = swatches_[static_cast<std::size_t>(i)];
        if (!s.sequence->IsStopped()) continue;
        s.sequence->Clear();
        const FatChanceEntry& entry = entries_[static_cast<std::size_t>(i)];
        if (!entry.flag) {
            if (s.arrival) s.sequence->Add(s.arrival.get());
            s.faceUp->Show();
            s.sequence->Add(s.faceUp.get());
            s.highlight->Show();
            s.sequence->Add(s.highlight.get());
            lastHighlight_ = s.highlight.get();
        } else {
            const std::int32_t value = ValueOf(i);
            if (value >= 0) {
                Animation* shown = s.shown[static_cast<std::size_t>(value)].get();
                shown->Show();
                shown->SetHoldAtEnd();
                s.sequence->Add(shown);
            } else {
                // A value the board has no face for lies face down (its
                // animation runs with the face-down sequence).
                s.faceDown->Show();
            }
        }
        boardSequence_->Add(s.sequence.get());
    }
    boardSequence_->Start();
}

void FatChanceControl::Choose(ChatBoxLines* chatBox, std::int32_t send) {
    if (chatBox != nullptr) {
        if (!mayChoose_) {
            chatBox->AddSystemLine(kNotTheWinner);
            return;
        }
        if (HasChosen()) {
            chatBox->AddSystemLine(kOnlyOnce);
            return;
        }
    }
    // One pick per segment, and only of a swatch on the board.
    if (HasChosen() || !IsChosenOnBoard() || !pickSequence_->IsStopped()) return;
    const std::int32_t count = static_cast<std::int32_t>(entries_.size());
    for (std::int32_t i = 0; i < count; ++i) {
        if (entries_[static_cast<std::size_t>(i)].flag) continue;
        Swatch& s = swatches_[static_cast<std::size_t>(i)];
        s.faceUp->Hide();
        s.highlight->Hide();
        s.faceDown->Show();
    }
    Swatch& picked = swatches_[static_cast<std::size_t>(chosen_)];
    picked.picked->Show();
    picked.faceDown->Hide();
    pickSequence_->Add(pickSound_.get());
    pickSequence_->Add(picked.picked.get());
    pickSequence_->Start();
    if (send != 0) Send(FatChanceSelectionRoomMsg(-1, chosen_));
}

void FatChanceControl::Reveal() {
    const std::int32_t count = static_cast<std::int32_t>(entries_.size());
    for (std::int32_t i = 0; i < count; ++i) {
        Swatch& s = swatches_[static_cast<std::size_t>(i)];
        s.faceUp->Hide();
        s.highlight->Hide();
        const std::int32_t value = ValueOf(i);
        if (!entries_[static_cast<std::size_t>(i)].flag || value < 0) {
            s.faceDown->Show();
        } else if (i != chosen_) {
            Animation* shown = s.shown[static_cast<std::size_t>(value)].get();
            if (!shown->IsStarted() && !shown->IsPaused()) {
                shown->Show();
                shown->SetHoldAtEnd();
                StartIfStopped(shown);
            }
        }
    }
    const std::int32_t value = ValueOf(chosen_);
    if (!IsChosenOnBoard() || value < 0 || !revealSequence_->IsStopped()) {
        // Nothing to turn over: the reveal is over at once.
        currentReveal_ = nullptr;
        Send(FatChanceControlRevealDoneMsg());
        return;
    }
    revealSequence_->Clear();
    currentReveal_ = swatches_[static_cast<std::size_t>(chosen_)].reveal[static_cast<std::size_t>(value)].get();
    currentReveal_->Show();
    revealSequence_->Add(currentReveal_);
    revealSequence_->Add(turnSound_.get());
    revealSequence_->Start();
}

void FatChanceControl::Click(std::int32_t swatch) {
    if (!IsStarted() || lastHighlight_ == nullptr || !lastHighlight_->IsStarted() || HasChosen() || !mayChoose_)
        return;
    // A hit area over no swatch of the board picks nothing.
    if (!InRange(swatch, static_cast<std::int32_t>(entries_.size()))) return;
    chosen_ = swatch;
    Choose(nullptr, 1);
}

std::int32_t FatChanceControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto& part) { return part && from == static_cast<MsgSender*>(part.get()); };
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    const bool paused = msg.Is<PausedMsg>();
    const bool fromReveal = currentReveal_ != nullptr && from == static_cast<MsgSender*>(currentReveal_);
    std::int32_t hit = -1;
    if (msg.Is<LeftButtonDownMouseMsg>()) {
        for (std::int32_t i = 0; i < kSwatches; ++i) {
            if (is(swatches_[static_cast<std::size_t>(i)].hitArea)) hit = i;
        }
    }
    const bool ours = (started && (is(faceDownSequence_) || is(board_) || fromReveal)) ||
                      (stopped && is(stopper_)) || (paused && fromReveal) || hit >= 0;
    if (ours) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (started && is(faceDownSequence_)) {
            StartIfStopped(board_.get());
        } else if (started && is(board_)) {
            if (IsStarting()) DefaultOnStarting();
        } else if (stopped && is(stopper_)) {
            if (IsStopping()) DefaultOnStopping();
        } else if (started && fromReveal) {
            if (IsChosenOnBoard()) {
                Swatch& s = swatches_[static_cast<std::size_t>(chosen_)];
                s.faceUp->Hide();
                s.highlight->Hide();
                s.faceDown->Hide();
            }
            for (Swatch& s : swatches_) s.picked->Hide();
        } else if (paused && fromReveal) {
            Send(FatChanceControlRevealDoneMsg());
        } else if (hit >= 0) {
            Click(hit);
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
