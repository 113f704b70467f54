#include "game/view/screens/RoundWinnerScreen.h"

#include <string>

#include "divir/xRandom.h"
#include "framework/ActOnDrain.h"
#include "framework/Control.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kComp = 1000;  // Comp.srf
constexpr std::int32_t kIntro = 410;
constexpr std::int32_t kOneLinePanel = 426;
constexpr std::int32_t kTwoLinePanel = 432;
constexpr std::int32_t kWinFanfare = 3330;       // WinFanfare.srf
constexpr std::int32_t kNoWinnerFanfare = 3130;  // FatChanceNegFanfare.srf
// RoundLosersFC, RoundWinnerFC, RoundLosers1, RoundLosers2, RoundWinner1..3, NoWinner1..3.
constexpr std::int32_t kVoices[RoundWinnerScreen::kVoiceCount] = {2472, 2473, 2485, 2488, 2490,
                                                                  2492, 2495, 2475, 2480, 2482};
constexpr std::int32_t kWinnerPictureMode = 6;
// Rules in place of the missing caption, ended by a code that draws nothing.
const std::string kRuleEnd = "\x06";
const std::string kNoCaptionOneLine = std::string(2, '\xFE') + kRuleEnd;
const std::string kNoCaptionLineOne = std::string(10, '\xFE') + kRuleEnd;
const std::string kNoCaptionLineTwo = std::string(6, '\xFE') + kRuleEnd;
const std::string kNoWinner = "No winner.";

template <class T>
bool IsFrom(MsgSender* from, const T* part) {
    return part != nullptr && from == static_cast<const MsgSender*>(part);
}

}  // namespace

RoundWinnerScreen::RoundWinnerScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : OwnTimesScreen(parent, layer, Total::kPhases),
      shared_(shared),
      random_([](std::uint32_t n) { return xRandom(n); }) {
    if (shared_ == nullptr) throw 0;
    mainSequencer_ = std::make_unique<ParallelSequencer>(this);
    controlsStarter_ = std::make_unique<StartSequencer>(this);
    voiceSequence_ = std::make_unique<SerialSequencer>(this);
    musicSequence_ = std::make_unique<SerialSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    winFanfare_ = std::make_unique<Music>(this, kWinFanfare);
    noWinnerFanfare_ = std::make_unique<Music>(this, kNoWinnerFanfare);
    // Under the picture's frame.
    const std::int32_t layerBelowPicture =
        At(kPictureSlot) != nullptr ? At(kPictureSlot)->GetLayer() - 1 : -1;
    intro_ = std::make_unique<Animation>(this, kComp, kIntro);
    intro_->SetHoldAtEnd();
    intro_->SetLayer(layerBelowPicture);
    for (auto* panel : {&oneLinePanel_, &twoLinePanel_}) {
        *panel =
            std::make_unique<Animation>(this, kComp, panel == &oneLinePanel_ ? kOneLinePanel : kTwoLinePanel);
        (*panel)->SetLayer(layerBelowPicture);
        (*panel)->SetHoldAtEnd();
    }
    for (std::size_t i = 0; i < kVoiceCount; ++i) voices_[i] = std::make_unique<Voice>(this, kVoices[i]);
    stopper_->Add(mainSequencer_.get());
    stopper_->Add(voiceSequence_.get());
    stopper_->Add(musicSequence_.get());
    stopper_->Add(oneLinePanel_.get());
    stopper_->Add(twoLinePanel_.get());
    stopper_->Add(intro_.get());
    stopper_->Add(At(kPictureSlot));
}

RoundWinnerScreen::~RoundWinnerScreen() {
    // The sequencers leave their children, so they go first, the outer ones
    // before the ones they hold.
    stopper_.reset();
    mainSequencer_.reset();
    controlsStarter_.reset();
    voiceSequence_.reset();
    musicSequence_.reset();
}

bool RoundWinnerScreen::IsLocalPlayer(const std::string& name) const {
    const auto* list = dynamic_cast<const PicturePlayerListControl*>(At(kPlayerListSlot));
    // Compared exactly: a name that differs in letter case is another player's.
    return list != nullptr && name == list->GetLocalPlayerName();
}

void RoundWinnerScreen::OnStarting() {
    oneLinePanel_->Hide();
    twoLinePanel_->Hide();
    intro_->Show();
    for (SharedControl slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot, kPictureSlot}) {
        if (Control* control = At(slot)) control->Show();
    }
    for (SharedControl slot :
         {kTimerSlot, kRoundIndicatorSlot, kCaptionsSlot, kFatChanceSlot, kNameAndScoreSlot}) {
        if (Control* control = At(slot)) control->Hide();
    }
    if (Control* captions = At(kCaptionsSlot); captions != nullptr && captions->IsStarted()) captions->Stop();

    controlsStarter_->Clear();
    for (SharedControl slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        if (Control* control = At(slot); control != nullptr && control->IsStopped())
            controlsStarter_->Add(control);
    }
    if (auto* picture = dynamic_cast<PictureControl*>(At(kPictureSlot)); picture && picture->IsStopped()) {
        picture->SetMode(kWinnerPictureMode);
        controlsStarter_->Add(picture);
    }

    StartRoundWinnerRoomMsg none("", "", "", PictureInfo(), false, false, false, 0, 0, 0, 0, 0);
    const StartRoundWinnerRoomMsg& msg = start_.has_value() ? *start_ : none;
    const std::string& winner = msg.GetWinnerName();
    const bool noOffer = msg.GetFlag1();
    const bool twoLines = msg.GetFlag2();
    const bool thirdComment = msg.GetFlag3();
    Animation* panel = twoLines ? twoLinePanel_.get() : oneLinePanel_.get();

    voiceSequence_->Clear();
    musicSequence_->Clear();
    mainSequencer_->Clear();
    mainSequencer_->Add(voiceSequence_.get());
    mainSequencer_->Add(musicSequence_.get());
    mainSequencer_->Add(controlsStarter_.get());
    mainSequencer_->Add(intro_.get());
    mainSequencer_->Add(panel);

    if (!winner.empty()) {
        musicSequence_->Add(winFanfare_.get());
        if (IsLocalPlayer(winner)) {
            const std::uint32_t draw = Random(5);
            voiceSequence_->Add(voices_[draw == 0 ? kWinner1 : draw <= 2 ? kWinner2 : kWinner3].get());
            if (!noOffer) voiceSequence_->Add(voices_[kWinnerOffer].get());
        } else {
            voiceSequence_->Add(voices_[Random(2) == 1 ? kLosers1 : kLosers2].get());
            if (!noOffer) voiceSequence_->Add(voices_[kLosersOffer].get());
        }
        const std::string headline = "Well done, " + winner + "!";
        if (twoLines) {
            twoLinePanel_->SetText(kLineOneField, msg.GetLine1());
            twoLinePanel_->SetText(kLineTwoField, msg.GetLine2());
        } else {
            oneLinePanel_->SetText(kOneLineField, msg.GetLine1());
        }
        panel->SetText(kHeadlineField, headline);
    } else {
        musicSequence_->Add(noWinnerFanfare_.get());
        VoiceIndex voice = kNoWinner2;
        if (thirdComment) {
            voice = kNoWinner3;
        } else if (!noOffer) {
            voice = Random(2) == 1 ? kNoWinner1 : kNoWinner2;
        }
        voiceSequence_->Add(voices_[voice].get());
        if (twoLines) {
            twoLinePanel_->SetText(kLineOneField, kNoCaptionLineOne);
            twoLinePanel_->SetText(kLineTwoField, kNoCaptionLineTwo);
        } else {
            oneLinePanel_->SetText(kOneLineField, kNoCaptionOneLine);
        }
        panel->SetText(kHeadlineField, kNoWinner);
    }
    mainSequencer_->Start();
}

void RoundWinnerScreen::OnStopping() {
    if (mainSequencer_->IsStopped()) {
        ProcessForwarder::OnStopping();
        return;
    }
    if (stopper_->IsStopped()) stopper_->Start();
}

std::int32_t RoundWinnerScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool stopped = msg.Is<StoppedMsg>();
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, mainSequencer_.get())) && IsStarting()) {
        ProcessForwarder::OnStarting();
    }
    if (wanted(stopped && IsFrom(from, musicSequence_.get())) && IsStopping() && stopper_->IsStopped()) {
        stopper_->Start();
    }
    if (wanted(stopped && IsFrom(from, stopper_.get())) && IsStopping()) ProcessForwarder::OnStopping();
    if (wanted(msg.Is<PausedMsg>() && IsFrom(from, intro_.get()))) {
        intro_->Hide();
        oneLinePanel_->Show();
        twoLinePanel_->Show();
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
