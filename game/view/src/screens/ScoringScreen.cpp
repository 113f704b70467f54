#include "game/view/screens/ScoringScreen.h"

#include <algorithm>

#include "framework/ActOnDrain.h"
#include "framework/Control.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "sequencers/SerialStartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"

namespace {

constexpr std::int32_t kInstrumentalLoop = 3025;  // CompInstrLoop.srf
constexpr std::int32_t kResultsMode = 2;

template <class T>
bool IsFrom(MsgSender* from, const T* part) {
    return part != nullptr && from == static_cast<const MsgSender*>(part);
}

// A time of the schedule: at least its floor, at most the longest step.
double Bounded(double ms) {
    return std::clamp(ms, 0.0, ScoringScreen::kLongestStepMs);
}

double Step(double floor, double scaled) {
    return Bounded(std::max(floor, scaled));
}

std::uint32_t Whole(double ms) {
    return static_cast<std::uint32_t>(Bounded(ms));
}

}  // namespace

ScoringScreen::ScoringScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kPhases), shared_(shared) {
    if (shared_ == nullptr) throw 0;
    startSequence_ = std::make_unique<SerialStartSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    nonVotersTimer_ = std::make_unique<Timer>(this);
    tieTimer_ = std::make_unique<Timer>(this);
    pointsTimer_ = std::make_unique<Timer>(this);
    endTimer_ = std::make_unique<Timer>(this);
    instrumentalLoop_ = std::make_unique<Music>(this, kInstrumentalLoop);
    instrumentalLoop_->LoopForever();
    stopper_->Add(At(kCaptionsSlot));
    stopper_->Add(instrumentalLoop_.get());
    for (Timer* timer : {nonVotersTimer_.get(), tieTimer_.get(), pointsTimer_.get(), endTimer_.get()}) {
        stopper_->Add(timer);
    }
}

ScoringScreen::~ScoringScreen() {
    if (Control* captions = At(kCaptionsSlot)) captions->RemoveReceiver(this);
    stopper_.reset();
    startSequence_.reset();
}

ScoringScreen::Schedule ScoringScreen::ScheduleFor(const StartScoreRoomMsg& msg, std::uint32_t ownMiddle,
                                                   std::uint32_t baseMiddle) {
    const double r = baseMiddle == 0 ? 1.0 : static_cast<double>(ownMiddle) / baseMiddle;
    Schedule s;
    if (msg.GetFlag1()) {
        s.points = Whole(Step(2000, 5000 * r));
        return s;
    }
    const bool tie = msg.GetFlag3();
    if (msg.GetFlag2()) {
        const double d = Step(2000, 5000 * r);
        s.nonVoters = Whole(d);
        if (tie) {
            const double d2 = Bounded(d + Step(3000, 4000 * r));
            s.tie = Whole(d2);
            s.points = Whole(d2 + Step(4000, 5000 * r));
        } else {
            s.points = Whole(d + Step(3000, 4000 * r));
        }
    } else if (tie) {
        const double d = Step(2000, 5000 * r);
        s.tie = Whole(d);
        s.points = Whole(d + Step(4000, 5000 * r));
    } else {
        s.points = Whole(Step(2000, 5000 * r));
    }
    s.highlight = !tie && !msg.GetName().empty();
    s.end = Whole(std::max<double>(kShortestEndMs, static_cast<double>(ownMiddle) + 1000.0));
    return s;
}

void ScoringScreen::Arm(Timer& timer, std::uint32_t ms) {
    if (!timer.IsStopped()) timer.Stop();
    timer.StartOnce(ms);
    timer.Start();
}

void ScoringScreen::OnStarting() {
    waitingForLayout_ = false;
    for (SharedControl slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot, kCaptionsSlot}) {
        if (Control* control = At(slot)) control->Show();
    }
    for (SharedControl slot :
         {kPictureSlot, kTimerSlot, kRoundIndicatorSlot, kFatChanceSlot, kNameAndScoreSlot}) {
        if (Control* control = At(slot)) control->Hide();
    }
    auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot));
    if (captions != nullptr) captions->AddReceiver(this);
    if (instrumentalLoop_->IsStopped()) instrumentalLoop_->Start();
    if (captions != nullptr && !captions->IsStopped()) {
        // The vote list turns into the results table; the start goes on when it reports.
        waitingForLayout_ = true;
        captions->Layout();
        return;
    }
    StartControls();
}

void ScoringScreen::StartControls() {
    startSequence_->Clear();
    for (SharedControl slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        startSequence_->Add(At(slot));
    }
    auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot));
    if (captions != nullptr && captions->IsStopped()) {
        captions->SetMode(kResultsMode);
        startSequence_->Add(captions);
    }
    startSequence_->Start();
}

void ScoringScreen::StartNarration() {
    StartScoreRoomMsg none(false, false, false, 0, "", 0, 0, 0, 0, 0);
    const StartScoreRoomMsg& msg = start_.has_value() ? *start_ : none;
    const Schedule s = ScheduleFor(msg, GetMiddleTime(), GetBaseMiddleTime());
    // The view set the captions' nobody-voted flag before the screen showed, but
    // captions stopped with voting (nobody composed) forgot it, and without its
    // narration nothing would end a nobody-voted segment: it is set again here.
    auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot));
    if (captions != nullptr) captions->SetScoreFlag(msg.GetFlag1());
    if (s.nonVoters != 0) Arm(*nonVotersTimer_, s.nonVoters);
    if (s.tie != 0) Arm(*tieTimer_, s.tie);
    if (s.points != 0) Arm(*pointsTimer_, s.points);
    if (s.highlight && captions != nullptr) captions->HighlightCaption(msg.GetName());
    if (s.end != 0) Arm(*endTimer_, s.end);
    ProcessForwarder::OnStarting();
}

void ScoringScreen::StartStopper() {
    if (stopper_->IsStopped()) stopper_->Start();
}

void ScoringScreen::OnStopping() {
    if (endTimer_->IsStopped() && stopper_->IsStopped() && At(kCaptionsSlot)->IsStopped()) {
        At(kCaptionsSlot)->RemoveReceiver(this);
        ProcessForwarder::OnStopping();
    }
    // Otherwise the stop completes when the stopper has stopped everything.
}

std::int32_t ScoringScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    auto* captions = dynamic_cast<CaptionsControl*>(At(kCaptionsSlot));
    const bool fromCaptions = IsFrom(from, At(kCaptionsSlot));
    const bool timer = msg.Is<TimerMsg>();
    if (wanted(msg.Is<CaptionsControlTransitionDoneMsg>() && fromCaptions) && IsStarting() &&
        waitingForLayout_) {
        waitingForLayout_ = false;
        StartControls();
    }
    if (wanted(msg.Is<CaptionsControlNobodyVotedDoneMsg>() && fromCaptions)) StartStopper();
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, startSequence_.get())) && IsStarting()) StartNarration();
    if (wanted(timer && IsFrom(from, nonVotersTimer_.get())) && captions != nullptr)
        captions->EndTransition();
    if (wanted(timer && IsFrom(from, tieTimer_.get())) && captions != nullptr && start_.has_value()) {
        captions->SelectCaption(start_->GetNumber(), start_->GetName());
    }
    if (wanted(timer && IsFrom(from, pointsTimer_.get())) && captions != nullptr) captions->BeginTransition();
    if (wanted(timer && IsFrom(from, endTimer_.get()))) {
        if (captions != nullptr) {
            captions->UpdatePlayerScores(dynamic_cast<PicturePlayerListControl*>(At(kPlayerListSlot)));
        }
        StartStopper();
    }
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, stopper_.get())) && IsStopping()) {
        if (Control* control = At(kCaptionsSlot)) control->RemoveReceiver(this);
        ProcessForwarder::OnStopping();
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
