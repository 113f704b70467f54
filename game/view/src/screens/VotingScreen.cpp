#include "game/view/screens/VotingScreen.h"

#include <algorithm>
#include <limits>

#include "framework/ActOnDrain.h"
#include "framework/Control.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/RoundIndicator.h"
#include "game/view/controls/TimerControl.h"
#include "media/Animation.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/SerialStartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"

namespace {

constexpr std::int32_t kInstrumentalLoop = 3025;  // CompInstrLoop.srf
// VotingA.srf .. VotingO.srf.
constexpr std::int32_t kTracks[VotingScreen::kTracks] = {3240, 3245, 3250, 3255, 3260, 3270, 3275, 3280,
                                                         3285, 3290, 3295, 3300, 3305, 3310, 3315};
constexpr std::int32_t kVotingCountdown = 2;
constexpr std::int32_t kShortestCountdown = 1000;
constexpr std::int32_t kVotingPictureMode = 5;

template <class T>
bool IsFrom(MsgSender* from, const T* part) {
    return part != nullptr && from == static_cast<const MsgSender*>(part);
}

std::int32_t ToInt(std::uint32_t ms) {
    return static_cast<std::int32_t>(std::min<std::uint32_t>(ms, std::numeric_limits<std::int32_t>::max()));
}

// The indicator plays its transition only from a paused announcement of a
// round or game type.
bool CanPlayTransition(const RoundIndicator& indicator) {
    const Animation* current = indicator.GetCurrent();
    const std::int32_t type = indicator.GetType();
    return indicator.IsStarted() && current != nullptr && current->IsPaused() && type >= 1 &&
           type < RoundIndicator::kTransitionPlayed;
}

}  // namespace

VotingScreen::VotingScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kPhases), shared_(shared) {
    if (shared_ == nullptr) throw 0;
    startSequence_ = std::make_unique<SerialStartSequencer>(this);
    musicSequence_ = std::make_unique<SerialSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    instrumentalLoop_ = std::make_unique<Music>(this, kInstrumentalLoop);
    instrumentalLoop_->LoopForever();
    for (std::size_t i = 0; i < kTracks; ++i) tracks_[i] = std::make_unique<Music>(this, ::kTracks[i]);
}

VotingScreen::~VotingScreen() {
    Unsubscribe();
    // The sequencers leave their children, so they go first.
    stopper_.reset();
    startSequence_.reset();
    musicSequence_.reset();
}

void VotingScreen::Unsubscribe() {
    for (SharedControl slot : {kTimerSlot, kPictureSlot, kRoundIndicatorSlot, kCaptionsSlot}) {
        if (Control* control = At(slot)) control->RemoveReceiver(this);
    }
}

void VotingScreen::OnStarting() {
    waiting_ = Waiting::kNothing;
    if (Control* chat = At(kChatBoxSlot)) chat->OnGainedKeyboardFocus();
    for (SharedControl slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot, kPictureSlot,
                               kTimerSlot, kRoundIndicatorSlot, kCaptionsSlot}) {
        if (Control* control = At(slot)) control->Show();
    }
    for (SharedControl slot : {kFatChanceSlot, kNameAndScoreSlot}) {
        if (Control* control = At(slot)) control->Hide();
    }
    for (SharedControl slot : {kTimerSlot, kPictureSlot, kRoundIndicatorSlot, kCaptionsSlot}) {
        if (Control* control = At(slot)) control->AddReceiver(this);
    }

    musicSequence_->Clear();
    musicSequence_->Add(instrumentalLoop_.get());
    for (auto& track : tracks_) musicSequence_->Add(track.get());
    musicSequence_->Start();

    if (At(kRoundIndicatorSlot)->IsStopped()) {
        StartWithoutIndicator();
    } else {
        PlayIndicatorTransition();
    }
}

void VotingScreen::PlayIndicatorTransition() {
    auto* indicator = dynamic_cast<RoundIndicator*>(At(kRoundIndicatorSlot));
    if (indicator != nullptr && CanPlayTransition(*indicator)) {
        waiting_ = Waiting::kIndicator;
        indicator->PlayTransition();
        return;
    }
    // Nothing to wait for: the indicator is on its way out or shows no
    // announcement that has a transition.
    PlayPictureExit();
}

void VotingScreen::PlayPictureExit() {
    auto* picture = dynamic_cast<PictureControl*>(At(kPictureSlot));
    // Only a started picture control reports its exit.
    if (picture != nullptr && picture->IsStarted()) {
        waiting_ = Waiting::kPicture;
        picture->PlayExit();
        return;
    }
    StartControls();
}

void VotingScreen::AddCountdown() {
    auto* timer = dynamic_cast<TimerControl*>(At(kTimerSlot));
    if (timer == nullptr || !timer->IsStopped()) return;
    startSequence_->Add(timer);
    timer->SetCountdown(std::max(kShortestCountdown, ToInt(GetMiddleTime())), ToInt(GetBaseMiddleTime()),
                        kVotingCountdown);
}

void VotingScreen::StartControls() {
    waiting_ = Waiting::kControls;
    startSequence_->Clear();
    for (SharedControl slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        startSequence_->Add(At(slot));
    }
    if (!NobodyComposed()) AddCountdown();
    if (auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot))) {
        if (captions->IsStopped()) {
            captions->SetMode(NobodyComposed() ? 1 : 0);
            startSequence_->Add(captions);
        }
    }
    startSequence_->Start();
}

void VotingScreen::StartWithoutIndicator() {
    waiting_ = Waiting::kControls;
    startSequence_->Clear();
    startSequence_->Add(At(kBackgroundSlot));
    auto* indicator = dynamic_cast<RoundIndicator*>(At(kRoundIndicatorSlot));
    if (indicator != nullptr && indicator->IsStopped()) {
        indicator->SetRound(RoundIndicator::kTransitionPlayed, RoundNumber(), false);
        startSequence_->Add(indicator);
    }
    for (SharedControl slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        startSequence_->Add(At(slot));
    }
    if (GetMiddleTime() > kShortestCountdownMiddle) {
        if (!NobodyComposed()) AddCountdown();
        if (auto* picture = dynamic_cast<PictureControl*>(At(kPictureSlot));
            picture && picture->IsStopped()) {
            picture->SetMode(kVotingPictureMode);
            startSequence_->Add(picture);
        }
        if (auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot));
            captions && captions->IsStopped()) {
            captions->SetMode(NobodyComposed() ? 1 : 0);
            startSequence_->Add(captions);
        }
    }
    startSequence_->Start();
}

void VotingScreen::FinishStart() {
    waiting_ = Waiting::kNothing;
    if (!NobodyComposed()) instrumentalLoop_->EndLoops();
    ProcessForwarder::OnStarting();
    if (!NobodyComposed() && GetMiddleTime() > kShortestCountdownMiddle) {
        auto* timer = dynamic_cast<TimerControl*>(At(kTimerSlot));
        // The countdown runs only on a started timer.
        if (timer != nullptr && timer->IsStarted()) timer->StartCountdown();
    }
}

void VotingScreen::OnStopping() {
    waiting_ = Waiting::kNothing;
    stopper_->Clear();
    // With captions to vote on, the list runs on into the scoring segment.
    if (NobodyComposed()) stopper_->Add(At(kCaptionsSlot));
    for (SharedControl slot : {kTimerSlot, kPictureSlot, kRoundIndicatorSlot}) stopper_->Add(At(slot));
    stopper_->Add(musicSequence_.get());
    stopper_->Start();
}

std::int32_t VotingScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    // A report counts only while the start waits for it.
    if (wanted(msg.Is<RoundIndicatorTransitionDoneMsg>() && IsFrom(from, At(kRoundIndicatorSlot))) &&
        IsStarting() && waiting_ == Waiting::kIndicator) {
        PlayPictureExit();
    }
    if (wanted(msg.Is<PictureControlTransitionDoneMsg>() && IsFrom(from, At(kPictureSlot))) && IsStarting() &&
        waiting_ == Waiting::kPicture) {
        StartControls();
    }
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, startSequence_.get())) && IsStarting() &&
        waiting_ == Waiting::kControls) {
        FinishStart();
    }
    if (wanted(msg.Is<TimerControlExpiredMsg>() && IsFrom(from, At(kTimerSlot)))) {
        if (auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot))) captions->HideVoteButtons();
    }
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, stopper_.get()))) {
        if (IsStopping()) {
            Unsubscribe();
            ProcessForwarder::OnStopping();
        } else if (IsStarted()) {
            Stop();
        }
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
