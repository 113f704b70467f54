#include "game/view/screens/FatChanceSelectionScreen.h"

#include <algorithm>

#include "divir/xRandom.h"
#include "framework/AppTime.h"
#include "framework/Control.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/controls/TimerControl.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kStrip = 1500;  // Chance.srf
constexpr std::int32_t kSecondHalfAnim = 2141;
constexpr std::int32_t kWinnerAnim = 2126;
constexpr std::int32_t kOthersAnim = 2114;
// Voice ids in the screen's voice order: FCOthers1-3, FCWinner, FCTooSlow1-2, SecondHalf1-2.
constexpr std::array<std::int32_t, 8> kVoiceIds = {2065, 2066, 2067, 2090, 2080, 2085, 2140, 2145};
constexpr std::int32_t kMusicB = 3105;  // FatChanceB.srf
constexpr std::int32_t kMusicC = 3110;  // FatChanceC.srf
constexpr std::int32_t kCountdownKind = 3;
constexpr std::uint32_t kShortestCountdown = 1000;  // ms

void StartIfStopped(Process* p) {
    if (p != nullptr && p->IsStopped()) p->Start();
}

void StopIfRunning(Process* p) {
    if (p != nullptr && (p->IsStarted() || p->IsPaused())) p->Stop();
}

std::int32_t ClampToInt(std::uint32_t ms) {
    return static_cast<std::int32_t>(std::min<std::uint32_t>(ms, 0x7FFFFFFFu));
}

}  // namespace

FatChanceSelectionScreen::FatChanceSelectionScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kSegment), shared_(shared) {
    mainSequencer_ = std::make_unique<ParallelSequencer>(this);
    controlsStarter_ = std::make_unique<StartSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    voiceSequence_ = std::make_unique<SerialSequencer>(this);
    musicSequence_ = std::make_unique<SerialSequencer>(this);
    mainSequencer_->Add(controlsStarter_.get());
    mainSequencer_->Add(musicSequence_.get());
    winnerAnim_ = std::make_unique<Animation>(this, kStrip, kWinnerAnim);
    secondHalfAnim_ = std::make_unique<Animation>(this, kStrip, kSecondHalfAnim);
    othersAnim_ = std::make_unique<Animation>(this, kStrip, kOthersAnim);
    for (Animation* a : {winnerAnim_.get(), secondHalfAnim_.get(), othersAnim_.get()}) a->SetHoldAtEnd();
    for (std::size_t i = 0; i < voices_.size(); ++i) voices_[i] = std::make_unique<Voice>(this, kVoiceIds[i]);
    musicB_ = std::make_unique<Music>(this, kMusicB);
    musicC_ = std::make_unique<Music>(this, kMusicC);
    musicSequence_->Add(musicB_.get());
    for (Process* p : std::initializer_list<Process*>{
             mainSequencer_.get(), winnerAnim_.get(), secondHalfAnim_.get(), voices_[kWinner].get(),
             voices_[kOthers1].get(), voices_[kOthers2].get(), voices_[kOthers3].get(), othersAnim_.get(),
             voiceSequence_.get(), musicSequence_.get(), musicC_.get()})
        stopper_->Add(p);
    if (shared_ != nullptr) stopper_->Add((*shared_)[kTimerSlot]);
}

FatChanceSelectionScreen::~FatChanceSelectionScreen() {
    if (shared_ != nullptr) {
        for (std::size_t slot : {static_cast<std::size_t>(kTimerSlot), static_cast<std::size_t>(kNameAndScoreSlot)})
            if (Control* c = (*shared_)[slot]) c->RemoveReceiver(this);
    }
    // The sequencers leave their children, so they go first.
    stopper_.reset();
    mainSequencer_.reset();
    controlsStarter_.reset();
    voiceSequence_.reset();
    musicSequence_.reset();
    winnerAnim_.reset();
    secondHalfAnim_.reset();
    othersAnim_.reset();
    for (auto& v : voices_) v.reset();
    musicB_.reset();
    musicC_.reset();
}

FatChanceControl* FatChanceSelectionScreen::FatChance() const {
    return shared_ != nullptr ? dynamic_cast<FatChanceControl*>((*shared_)[kFatChanceSlot]) : nullptr;
}

TimerControl* FatChanceSelectionScreen::Timer() const {
    return shared_ != nullptr ? dynamic_cast<TimerControl*>((*shared_)[kTimerSlot]) : nullptr;
}

NameAndScoreControl* FatChanceSelectionScreen::NameAndScore() const {
    return shared_ != nullptr ? dynamic_cast<NameAndScoreControl*>((*shared_)[kNameAndScoreSlot]) : nullptr;
}

bool FatChanceSelectionScreen::IsWinner() const {
    FatChanceControl* board = FatChance();
    return board != nullptr && board->MayChoose();
}

void FatChanceSelectionScreen::OnStarting() {
    const bool winner = IsWinner();
    voicesEnded_ = false;
    countdownStarted_ = false;
    if (voiceSequence_->IsStopped()) voiceSequence_->Clear();
    if (shared_ != nullptr) {
        SharedControls& c = *shared_;
        for (std::size_t slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot})
            if (c[slot]) c[slot]->Show();
        if (c[kPictureSlot]) c[kPictureSlot]->Hide();
        if (TimerControl* timer = Timer()) {
            if (winner) {
                const std::uint32_t remaining = std::max(GetMiddleTime(), kShortestCountdown);
                timer->SetCountdown(ClampToInt(remaining), ClampToInt(GetBaseMiddleTime()), kCountdownKind);
                timer->Show();
            } else {
                timer->Hide();
            }
        }
        if (c[kFatChanceSlot]) c[kFatChanceSlot]->Show();
        if (c[kNameAndScoreSlot]) c[kNameAndScoreSlot]->Show();
        if (controlsStarter_->IsStopped()) {
            controlsStarter_->Clear();
            for (std::size_t slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot})
                if (c[slot] && c[slot]->IsStopped()) controlsStarter_->Add(c[slot]);
            if (winner && c[kTimerSlot] && c[kTimerSlot]->IsStopped()) controlsStarter_->Add(c[kTimerSlot]);
        }
        StartIfStopped(c[kNameAndScoreSlot]);
        if (c[kTimerSlot]) c[kTimerSlot]->AddReceiver(this);
        if (c[kNameAndScoreSlot]) c[kNameAndScoreSlot]->AddReceiver(this);
    }
    if (voiceSequence_->IsStopped()) {
        if (winner) {
            voiceSequence_->Add(voices_[kWinner].get());
        } else {
            const std::uint32_t pick = xRandom(10);
            voiceSequence_->Add(voices_[pick <= 3 ? kOthers1 : pick <= 6 ? kOthers2 : kOthers3].get());
        }
        if (HasSecondHalf())
            voiceSequence_->Add(voices_[(GetAppTime() & 1u) != 0 ? kSecondHalf1 : kSecondHalf2].get());
    }
    if (NameAndScoreControl* nas = NameAndScore()) {
        if (start_) nas->SetNameAndScore(start_->GetSelectorName(), start_->GetNumber1());
    }
    if (mainSequencer_->IsStopped()) {
        mainSequencer_->Start();
    } else {
        ProcessForwarder::OnStarting();
    }
}

void FatChanceSelectionScreen::OnStopping() {
    FatChanceControl* board = FatChance();
    UI* parent = GetParent();
    if (board != nullptr && board->MayChoose() && !board->HasChosen() && parent != nullptr && parent->IsVisible()) {
        board->Choose(nullptr, 0);
        StartIfStopped(voices_[(GetAppTime() & 1u) != 0 ? kTooSlow1 : kTooSlow2].get());
        return;
    }
    if (stopper_->IsStopped()) {
        stopper_->Start();
    } else {
        ProcessForwarder::OnStopping();
    }
}

void FatChanceSelectionScreen::OnVoicesEnded() {
    if (musicSequence_->IsStarted()) musicSequence_->Stop();
    // Not once the stop has begun: the board would cover the automatic pick.
    if (!stopper_->IsStopped() || IsStopping() || IsStopped()) return;
    voicesEnded_ = true;
    StartIfStopped(musicC_.get());
    if (FatChanceControl* board = FatChance()) board->BuildSelection();
    if (IsWinner()) {
        StartCountdownWhenReady();
        if (HasSecondHalf()) {
            StopIfRunning(winnerAnim_.get());
            StartIfStopped(secondHalfAnim_.get());
        }
    }
}

void FatChanceSelectionScreen::StartCountdownWhenReady() {
    TimerControl* timer = Timer();
    if (countdownStarted_ || !voicesEnded_ || timer == nullptr || !timer->IsStarted() || !IsWinner()) return;
    if (!(IsStarting() || IsStarted()) || !stopper_->IsStopped()) return;
    countdownStarted_ = true;
    timer->StartCountdown();
}

std::int32_t FatChanceSelectionScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto* part) { return part != nullptr && from == static_cast<const MsgSender*>(part); };
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    Control* nas = shared_ != nullptr ? (*shared_)[kNameAndScoreSlot] : nullptr;
    Control* timer = shared_ != nullptr ? (*shared_)[kTimerSlot] : nullptr;
    Control* board = shared_ != nullptr ? (*shared_)[kFatChanceSlot] : nullptr;
    const bool ours = (started && (is(mainSequencer_.get()) || is(nas) || is(timer))) ||
                      (stopped && (is(stopper_.get()) || is(voiceSequence_.get()) ||
                                   is(voices_[kTooSlow1].get()) || is(voices_[kTooSlow2].get()))) ||
                      (msg.Is<FatChanceSelectionRoomMsg>() && is(board));
    if (ours) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (started && is(mainSequencer_.get())) {
            if (IsStarting()) ProcessForwarder::OnStarting();
        } else if (stopped && is(stopper_.get())) {
            if (!IsStopping()) {
                if (IsStarted()) Stop();
            } else {
                if (timer != nullptr) timer->RemoveReceiver(this);
                ProcessForwarder::OnStopping();
            }
        } else if (msg.Is<FatChanceSelectionRoomMsg>()) {
            Send(msg);
            StopIfRunning(musicC_.get());
        } else if (started && is(nas)) {
            // The board's start belongs to this segment only while the screen runs.
            if (IsStarting() || IsStarted()) {
                StartIfStopped(IsWinner() ? winnerAnim_.get() : othersAnim_.get());
                StartIfStopped(voiceSequence_.get());
                StartIfStopped(board);
            }
        } else if (started && is(timer)) {
            StartCountdownWhenReady();
        } else if (stopped && is(voiceSequence_.get())) {
            OnVoicesEnded();
        } else if (stopped && (is(voices_[kTooSlow1].get()) || is(voices_[kTooSlow2].get()))) {
            StartIfStopped(stopper_.get());
        }
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
