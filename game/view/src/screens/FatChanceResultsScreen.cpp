#include "game/view/screens/FatChanceResultsScreen.h"

#include "framework/Control.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kStrip = 1500;  // Chance.srf
// Per value: six gains (1, 2, 3, 4, 6, 8), then three losses (1, 2, 4).
constexpr std::array<std::int32_t, 9> kPlayerAnims = {2226, 2238, 2250, 2262, 2274, 2286, 2154, 2166, 2178};
constexpr std::array<std::int32_t, 9> kYouAnims = {2298, 2310, 2322, 2334, 2346, 2358, 2190, 2202, 2214};
// PlyrReceive1-8, PlyrLose1-4 and YouReceive1-8, YouLose1-4.
constexpr std::array<std::int32_t, 9> kPlayerVoices = {2110, 2115, 2120, 2125, 2130, 2135, 2095, 2100, 2105};
constexpr std::array<std::int32_t, 9> kYouVoices = {2165, 2170, 2175, 2180, 2185, 2190, 2150, 2155, 2160};
constexpr std::int32_t kWinFanfare = 3330;   // WinFanfare.srf
constexpr std::int32_t kLossFanfare = 3130;  // FatChanceNegFanfare.srf
constexpr std::int32_t kLastGain = 5;

void StartIfStopped(Process* p) {
    if (p != nullptr && p->IsStopped()) p->Start();
}

}  // namespace

FatChanceResultsScreen::FatChanceResultsScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kSegment), shared_(shared) {
    mainSequencer_ = std::make_unique<ParallelSequencer>(this);
    controlsStarter_ = std::make_unique<StartSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    mainSequencer_->Add(controlsStarter_.get());
    for (std::size_t v = 0; v < kValues; ++v) {
        playerAnim_[v] = std::make_unique<Animation>(this, kStrip, kPlayerAnims[v]);
        playerAnim_[v]->SetHoldAtEnd();
        stopper_->Add(playerAnim_[v].get());
        youAnim_[v] = std::make_unique<Animation>(this, kStrip, kYouAnims[v]);
        youAnim_[v]->SetHoldAtEnd();
        stopper_->Add(youAnim_[v].get());
        playerVoice_[v] = std::make_unique<Voice>(this, kPlayerVoices[v]);
        stopper_->Add(playerVoice_[v].get());
        youVoice_[v] = std::make_unique<Voice>(this, kYouVoices[v]);
        stopper_->Add(youVoice_[v].get());
    }
    winFanfare_ = std::make_unique<Music>(this, kWinFanfare);
    stopper_->Add(winFanfare_.get());
    lossFanfare_ = std::make_unique<Music>(this, kLossFanfare);
    stopper_->Add(lossFanfare_.get());
    if (shared_ != nullptr) {
        stopper_->Add((*shared_)[kNameAndScoreSlot]);
        stopper_->Add((*shared_)[kFatChanceSlot]);
    }
}

FatChanceResultsScreen::~FatChanceResultsScreen() {
    if (shared_ != nullptr) {
        if (Control* board = (*shared_)[kFatChanceSlot]) board->RemoveReceiver(this);
    }
    // The sequencers leave their children, so they go first.
    stopper_.reset();
    mainSequencer_.reset();
    controlsStarter_.reset();
    for (std::size_t v = 0; v < kValues; ++v) {
        playerAnim_[v].reset();
        youAnim_[v].reset();
        playerVoice_[v].reset();
        youVoice_[v].reset();
    }
    winFanfare_.reset();
    lossFanfare_.reset();
}

FatChanceControl* FatChanceResultsScreen::FatChance() const {
    return shared_ != nullptr ? dynamic_cast<FatChanceControl*>((*shared_)[kFatChanceSlot]) : nullptr;
}

void FatChanceResultsScreen::WriteScore() {
    if (!start_ || shared_ == nullptr) return;
    if (auto* list = dynamic_cast<PicturePlayerListControl*>((*shared_)[kPlayerListSlot]))
        list->SetPlayerScore(start_->GetSelectorName(), start_->GetNumber2());
}

void FatChanceResultsScreen::OnStarting() {
    if (shared_ != nullptr) {
        SharedControls& c = *shared_;
        for (std::size_t slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot})
            if (c[slot]) c[slot]->Show();
        for (std::size_t slot : {kPictureSlot, kTimerSlot})
            if (c[slot]) c[slot]->Hide();
        for (std::size_t slot : {kFatChanceSlot, kNameAndScoreSlot})
            if (c[slot]) c[slot]->Show();
        if (controlsStarter_->IsStopped()) {
            controlsStarter_->Clear();
            for (std::size_t slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot,
                                     kFatChanceSlot, kNameAndScoreSlot})
                if (c[slot] && c[slot]->IsStopped()) controlsStarter_->Add(c[slot]);
        }
        if (c[kFatChanceSlot]) c[kFatChanceSlot]->AddReceiver(this);
    }
    if (mainSequencer_->IsStopped()) mainSequencer_->Start();

    // The board the room sent, as far as the Dar Eradar board keeps it.
    value_ = -1;
    isGain_ = false;
    std::int32_t chosen = -1;
    if (start_) {
        chosen = start_->GetNumber1();
        const auto& entries = start_->GetEntries();
        const std::size_t kept = std::min<std::size_t>(entries.size(), FatChanceControl::kSwatches);
        if (chosen >= 0 && static_cast<std::size_t>(chosen) < kept) {
            const std::int32_t value = entries[static_cast<std::size_t>(chosen)].number;
            if (value >= 0 && value < static_cast<std::int32_t>(kValues)) value_ = value;
        }
    }
    isGain_ = value_ >= 0 && value_ <= kLastGain;
    if (FatChanceControl* board = FatChance()) board->SetChosen(chosen);
}

void FatChanceResultsScreen::OnStarted() {
    if (start_ && shared_ != nullptr) {
        if (auto* nas = dynamic_cast<NameAndScoreControl*>((*shared_)[kNameAndScoreSlot]))
            nas->SetScore(start_->GetNumber2());
    }
    ProcessForwarder::OnStarted();
}

void FatChanceResultsScreen::OnStopping() {
    if (stopper_->IsStopped()) {
        stopper_->Start();
    } else {
        ProcessForwarder::OnStopping();
    }
}

std::int32_t FatChanceResultsScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto* part) { return part != nullptr && from == static_cast<const MsgSender*>(part); };
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    Control* board = shared_ != nullptr ? (*shared_)[kFatChanceSlot] : nullptr;
    bool fromVoice = false;
    if (stopped) {
        for (std::size_t v = 0; v < kValues; ++v) fromVoice = fromVoice || is(playerVoice_[v].get()) || is(youVoice_[v].get());
    }
    const bool ours = (started && is(mainSequencer_.get())) ||
                      (msg.Is<FatChanceControlRevealDoneMsg>() && is(board)) ||
                      (stopped && (fromVoice || is(stopper_.get()) || is(winFanfare_.get()) ||
                                   is(lossFanfare_.get())));
    if (ours) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (started && is(mainSequencer_.get())) {
            if (FatChanceControl* control = FatChance()) control->Reveal();
        } else if (msg.Is<FatChanceControlRevealDoneMsg>()) {
            if (IsStarting()) {
                if (value_ >= 0) {
                    const std::size_t v = static_cast<std::size_t>(value_);
                    FatChanceControl* control = FatChance();
                    const bool winner = control != nullptr && control->MayChoose();
                    StartIfStopped(winner ? youAnim_[v].get() : playerAnim_[v].get());
                    StartIfStopped(winner ? youVoice_[v].get() : playerVoice_[v].get());
                } else {
                    WriteScore();
                }
                ProcessForwarder::OnStarting();
            }
        } else if (fromVoice) {
            // A voice the stop cut short starts no fanfare over the next screen.
            if (IsStopping() || IsStopped()) {
                WriteScore();
            } else {
                StartIfStopped(isGain_ ? winFanfare_.get() : lossFanfare_.get());
            }
        } else if (stopped && is(stopper_.get())) {
            if (!IsStopping()) {
                if (IsStarted()) Stop();
            } else {
                if (board != nullptr) board->RemoveReceiver(this);
                ProcessForwarder::OnStopping();
            }
        } else if (stopped && (is(winFanfare_.get()) || is(lossFanfare_.get()))) {
            WriteScore();
        }
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
