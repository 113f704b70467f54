#include "game/view/screens/GameWinnerScreen.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>

#include "divir/xRandom.h"
#include "framework/ActOnDrain.h"
#include "framework/Control.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "game/view/PictureView.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kWrap = 1600;  // Wrap.srf
// The boards by number of entries; entry 0 is made but never shown.
constexpr std::int32_t kWinnerBoards[GameWinnerScreen::kMaxEntries + 1] = {319, 307, 281, 253, 223, 191,
                                                                           157, 121, 83,  43,  1};
constexpr std::int32_t kTieBoards[GameWinnerScreen::kMaxEntries + 1] = {319, 294, 294, 267, 238, 207,
                                                                        174, 139, 102, 63,  22};
constexpr std::int32_t kNoWinnerBoard = 319;
constexpr std::int32_t kWrapUp = 3340;    // WrapUp.srf
constexpr std::int32_t kFanfare = 3130;   // FatChanceNegFanfare.srf
constexpr std::int32_t kApplause = 1000;  // Applause.srf
// In the order of GameWinnerScreen::VoiceIndex: GameOver10to20, GameOver21Plus,
// GameOver5orLess, GameOverDefault, GameOverNoWinner, GameOverNoWinner2,
// WeHaveTie, WeHaveWinner.
constexpr std::int32_t kVoices[GameWinnerScreen::kVoiceCount] = {2240, 2245, 2250, 2255, 2260, 2262, 2265, 2270};

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

}  // namespace

GameWinnerScreen::GameWinnerScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kPhases),
      shared_(shared),
      random_([](std::uint32_t n) { return xRandom(n); }) {
    main_ = std::make_unique<ParallelSequencer>(this);
    controlsStarter_ = std::make_unique<StartSequencer>(this);
    voiceSequence_ = std::make_unique<SerialSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    const auto board = [&](std::int32_t number) {
        auto animation = std::make_unique<Animation>(this, kWrap, number);
        animation->SetHoldAtEnd();
        return animation;
    };
    for (std::size_t n = 0; n <= kMaxEntries; ++n) {
        winnerBoards_[n] = board(kWinnerBoards[n]);
        tieBoards_[n] = board(kTieBoards[n]);
    }
    noWinnerBoard_ = board(kNoWinnerBoard);
    wrapUp_ = std::make_unique<Music>(this, kWrapUp);
    fanfare_ = std::make_unique<Music>(this, kFanfare);
    for (auto& applause : applause_) applause = std::make_unique<Sfx>(this, kApplause);
    applause_[0]->SetLoops(2);
    applause_[1]->SetLoops(1);
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        timers_[i] = std::make_unique<Timer>(this);
        timers_[i]->StartOnce(kApplauseDelays[i]);
    }
    for (std::size_t i = 0; i < kVoiceCount; ++i) voices_[i] = std::make_unique<Voice>(this, kVoices[i]);

    stopper_->Add(main_.get());
    for (auto& applause : applause_) stopper_->Add(applause.get());
    for (auto& timer : timers_) stopper_->Add(timer.get());
}

GameWinnerScreen::~GameWinnerScreen() {
    // The sequencers leave their children, so they go first, the outer ones
    // before the ones they hold.
    stopper_.reset();
    main_.reset();
    voiceSequence_.reset();
    controlsStarter_.reset();
}

GameWinnerScreen::VoiceIndex GameWinnerScreen::LeadComment(bool tie, const std::vector<std::int32_t>& scores) {
    if (tie || scores.size() < 2) return kDefaultComment;
    // Two 32-bit scores can lie more than 2^31 apart.
    const std::int64_t lead = std::int64_t{scores[0]} - std::int64_t{scores[1]};
    if (lead <= 5) return kLead5OrLess;
    if (lead <= 10) return kDefaultComment;
    if (lead <= 20) return kLead10to20;
    return kLead21Plus;
}

void GameWinnerScreen::OnStarting() {
    main_->Clear();
    voiceSequence_->Clear();
    main_->Add(controlsStarter_.get());

    std::vector<std::string> names;
    std::vector<std::int32_t> scores;
    bool tie = false;
    if (start_) {
        names = start_->GetStandings().GetNames();
        scores = start_->GetStandings().GetScores();
        tie = start_->GetFlag();
    }
    // The room is expected to send at most ten; of more, the first ten are
    // shown and the first two judge the lead.
    const std::size_t n = std::min({names.size(), scores.size(), kMaxEntries});
    names.resize(n);
    scores.resize(n);
    if (n == 0 || scores[0] == 0) {
        board_ = noWinnerBoard_.get();
        main_->Add(board_);
        main_->Add(voices_[random_(2) == 1 ? kNoWinner : kNoWinner2].get());
        main_->Add(fanfare_.get());
    } else {
        board_ = tie ? tieBoards_[n].get() : winnerBoards_[n].get();
        voiceSequence_->Add(voices_[tie ? kTie : kWinner].get());
        voiceSequence_->Add(voices_[LeadComment(tie, scores)].get());
        main_->Add(board_);
        main_->Add(wrapUp_.get());
        main_->Add(voiceSequence_.get());
        for (std::size_t i = 0; i < n; ++i) {
            const auto field = static_cast<int>(i);
            board_->SetText(kNameField + field, names[i]);
            char score[16];
            std::snprintf(score, sizeof score, "%d", scores[i]);
            board_->SetText(kScoreField + field, score);
        }
    }

    if (shared_ != nullptr) {
        for (std::size_t slot = kPlayerListSlot; slot <= kControlPanelButtonSlot; ++slot) {
            if (Control* control = (*shared_)[slot]) control->Show();
        }
        for (std::size_t slot = kPictureSlot; slot <= kNameAndScoreSlot; ++slot) {
            if (Control* control = (*shared_)[slot]) control->Hide();
        }
    }
    controlsStarter_->Clear();
    if (shared_ != nullptr) {
        for (std::size_t slot = kBackgroundSlot; slot <= kControlPanelButtonSlot; ++slot) {
            Control* control = (*shared_)[slot];
            if (control != nullptr && control->IsStopped()) controlsStarter_->Add(control);
        }
    }
    main_->Start();
}

void GameWinnerScreen::OnStopping() {
    bool idle = main_->IsStopped();
    for (auto& applause : applause_) idle = idle && applause->IsStopped();
    for (auto& timer : timers_) idle = idle && timer->IsStopped();
    if (idle) {
        ProcessForwarder::OnStopping();
    } else {
        stopper_->Start();
    }
}

// The stopper disarms the timers, and a one-shot timer stays started after it
// fires: each is armed afresh and started only when stopped.
void GameWinnerScreen::StartTimer(std::size_t i) {
    timers_[i]->StartOnce(kApplauseDelays[i]);
    if (timers_[i]->IsStopped()) timers_[i]->Start();
}

void GameWinnerScreen::StartApplause(std::size_t i) {
    if (applause_[i]->IsStopped()) applause_[i]->Start();
}

std::int32_t GameWinnerScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    // The wrap-up music also stops, and a timer may still fire, while the
    // screen stops: the applause then would play over the next screen.
    const bool playing = IsStarting() || IsStarted();
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, main_)) && IsStarting()) ProcessForwarder::OnStarting();
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, wrapUp_)) && playing) {
        StartApplause(0);
        for (std::size_t i = 0; i < timers_.size(); ++i) StartTimer(i);
    }
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        if (wanted(msg.Is<TimerMsg>() && IsFrom(from, timers_[i])) && playing) StartApplause(i + 1);
    }
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, stopper_)) && IsStopping()) ProcessForwarder::OnStopping();
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
