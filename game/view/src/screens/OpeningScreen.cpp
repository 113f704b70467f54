#include "game/view/screens/OpeningScreen.h"

#include "divir/xRandom.h"
#include "framework/ActOnDrain.h"
#include "framework/Control.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "framework/UIRoot.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/GameViewMsgs.h"
#include "game/view/ResourceCatalogue.h"
#include "media/Animation.h"
#include "media/PaletteResource.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/SerialStartSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

// Instr.srf 1300: the instructions 1 and 1350, the skip hint 1446, the skip 1458.
constexpr std::int32_t kInstructionsStrip = 1300;
constexpr std::int32_t kInstructionsNumber = 1;
constexpr std::int32_t kInstructionsSecondNumber = 1350;
constexpr std::int32_t kSkipHintNumber = 1446;
constexpr std::int32_t kSkipNumber = 1458;
// Instructions.srf, Skip1-4.srf, Welcome1-3.srf, Skip.srf (effect).
constexpr std::int32_t kInstructionsVoice = 2275;
constexpr std::array<std::int32_t, 4> kSkipVoices = {2300, 2305, 2310, 2315};
constexpr std::array<std::int32_t, 3> kWelcomeVoices = {2445, 2450, 2455};
constexpr std::int32_t kSkipEffect = 1058;
// StandBy.srf 3100 with its text fields.
constexpr std::int32_t kStandByStrip = 3100;
constexpr std::int32_t kStandByTitleNumber = 1;
constexpr std::int32_t kStandByLineNumber = 15;
constexpr std::int16_t kStandByTitleField = 129;
constexpr std::int16_t kStandByLineField = 130;
// The ad: AdClick.srf 31000 15, AdClkSfx.srf 1400.
constexpr std::int32_t kClickStrip = 31000;
constexpr std::int32_t kClickNumber = 15;
constexpr std::int32_t kClickEffect = 1400;
// Quonza.srf 2500 and QuonzaM.srf 3010; Intro.srf 1400 and Title.srf 3220.
constexpr std::int32_t kBrandStrip = 2500;
constexpr std::int32_t kBrandMusic = 3010;
constexpr std::int32_t kTitleStrip = 1400;
constexpr std::int32_t kTitleMusic = 3220;
constexpr std::int32_t kBrandPalette = 1000;
constexpr std::uint32_t kSpace = 32;

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

// The state checks every start and stop here makes: a process asked in the
// wrong state refuses, and a refusal must not end the program.
void StartIfStopped(Process* process) {
    if (process != nullptr && process->IsStopped()) process->Start();
}

void StopIfRunning(Process* process) {
    if (process != nullptr && (process->IsStarted() || process->IsPaused())) process->Stop();
}

}  // namespace

OpeningScreen::OpeningScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : Screen(parent, layer), shared_(shared), random_([](std::uint32_t n) { return xRandom(n); }) {
    main_ = std::make_unique<SerialSequencer>(this);
    controlsStarter_ = std::make_unique<SerialStartSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);
    instructionsGroup_ = std::make_unique<ParallelSequencer>(this);
    instructionsPictures_ = std::make_unique<SerialSequencer>(this);
    skipSounds_ = std::make_unique<SerialSequencer>(this);
    skipGroup_ = std::make_unique<ParallelSequencer>(this);
    standBy_ = std::make_unique<ParallelSequencer>(this);
    brand_ = std::make_unique<ParallelSequencer>(this);
    title_ = std::make_unique<ParallelSequencer>(this);
    standByTimer_ = std::make_unique<Timer>(this);

    const std::int32_t own = GetLayer();
    instructions_ = std::make_unique<Animation>(this, kInstructionsStrip, kInstructionsNumber);
    instructions_->SetLayer(own + 1);
    instructionsSecond_ = std::make_unique<Animation>(this, kInstructionsStrip, kInstructionsSecondNumber);
    instructionsSecond_->SetLayer(own);
    skipAnimation_ = std::make_unique<Animation>(this, kInstructionsStrip, kSkipNumber);
    skipAnimation_->SetHoldAtEnd();
    skipAnimation_->SetLayer(own);
    skipHint_ = std::make_unique<Animation>(this, kInstructionsStrip, kSkipHintNumber);
    skipHint_->SetHoldAtEnd();
    skipHint_->SetLayer(own);
    instructionsVoice_ = std::make_unique<Voice>(this, kInstructionsVoice);
    for (std::size_t i = 0; i < skipVoices_.size(); ++i) skipVoices_[i] = std::make_unique<Voice>(this, kSkipVoices[i]);
    for (std::size_t i = 0; i < welcomeVoices_.size(); ++i) {
        welcomeVoices_[i] = std::make_unique<Voice>(this, kWelcomeVoices[i]);
    }
    skipEffect_ = std::make_unique<Sfx>(this, kSkipEffect);
    standByTitle_ = std::make_unique<Animation>(this, kStandByStrip, kStandByTitleNumber);
    standByTitle_->SetRepeatForever();
    standByTitle_->SetText(kStandByTitleField, kStandByText);
    standByLine_ = std::make_unique<Animation>(this, kStandByStrip, kStandByLineNumber);
    standByLine_->SetHoldAtEnd();
    standByLine_->SetText(kStandByLineField, kDownloadingText);
    brandAnimation_ = std::make_unique<Animation>(this, kBrandStrip, 1);
    brandMusic_ = std::make_unique<Music>(this, kBrandMusic);
    titleAnimation_ = std::make_unique<Animation>(this, kTitleStrip, 1);
    titleAnimation_->SetHoldAtEnd();
    titleMusic_ = std::make_unique<Music>(this, kTitleMusic);
    brandPalette_ = std::make_unique<PaletteResource>(std::string(kPalettePath), kBrandPalette);

    instructionsPictures_->Add(instructions_.get());
    instructionsPictures_->Add(instructionsSecond_.get());
    instructionsGroup_->Add(instructionsVoice_.get());
    instructionsGroup_->Add(instructionsPictures_.get());
    standBy_->Add(standByTitle_.get());
    standBy_->Add(standByLine_.get());
    ad_ = std::make_unique<AdProcess>(this, this, own, kClickStrip, kClickNumber, kClickEffect, kStandByStrip,
                                      kStandByTitleNumber, kStandByLineNumber, kStandByTitleField,
                                      kStandByLineField);
    brand_->Add(brandAnimation_.get());
    brand_->Add(brandMusic_.get());
    title_->Add(titleAnimation_.get());
    title_->Add(titleMusic_.get());
    main_->Add(instructionsGroup_.get());
    main_->Add(standBy_.get());
    main_->Add(brand_.get());
    main_->Add(ad_.get());
    main_->Add(title_.get());
    skipGroup_->Add(skipSounds_.get());
    skipGroup_->Add(skipAnimation_.get());
    stopper_->Add(main_.get());
    stopper_->Add(skipGroup_.get());
    stopper_->Add(skipHint_.get());
}

OpeningScreen::~OpeningScreen() {
    // The sequencers leave their children, so they go first.
    stopper_.reset();
    main_.reset();
    controlsStarter_.reset();
    skipGroup_.reset();
    skipSounds_.reset();
    instructionsGroup_.reset();
    instructionsPictures_.reset();
    standBy_.reset();
    brand_.reset();
    title_.reset();
    standByTimer_.reset();
    ad_.reset();
    instructions_.reset();
    instructionsSecond_.reset();
    skipAnimation_.reset();
    skipHint_.reset();
    standByTitle_.reset();
    standByLine_.reset();
    brandAnimation_.reset();
    titleAnimation_.reset();
    instructionsVoice_.reset();
    for (auto& voice : skipVoices_) voice.reset();
    for (auto& voice : welcomeVoices_) voice.reset();
    skipEffect_.reset();
    brandMusic_.reset();
    titleMusic_.reset();
    brandPalette_.reset();
}

Control* OpeningScreen::Shared(std::size_t slot) const {
    return shared_ != nullptr ? (*shared_)[slot] : nullptr;
}

bool OpeningScreen::IsSponsorAdPlaying() {
    return main_->GetCurrentChild() == static_cast<Process*>(ad_.get());
}

bool OpeningScreen::IsBrandIntroPlaying() {
    return main_->GetCurrentChild() == static_cast<Process*>(brand_.get());
}

void OpeningScreen::SetSponsorAd(const AdInfo& ad) {
    if (completed_) return;
    // An ad process at work keeps what it plays.
    if (!adReady_ && ad_->IsStopped()) {
        ad_->Load(ad);
        adReady_ = true;
    }
    if (instructions_->IsStarted()) StartIfStopped(skipHint_.get());
    standByTitle_->Hide();
    standByLine_->Hide();
    if (standByTimer_->IsStarted()) standByTimer_->Stop();
    StopIfRunning(standBy_.get());
}

void OpeningScreen::OnKeyboardChar(const KeyboardCharMsg& msg) {
    Process* current = main_->GetCurrentChild();
    if (current == static_cast<Process*>(ad_.get())) {
        ad_->ClickIfEnabled(msg);
        return;
    }
    Control* chat = Shared(kChatBoxSlot);
    if (completed_ || (chat != nullptr && chat->IsVisible()) || msg.GetKey() != kSpace) return;
    if (current == static_cast<Process*>(title_.get()) && title_->IsStarted()) {
        if (titleAnimation_->IsStarted()) {
            titleAnimation_->Pause();
            titleAnimation_->Hide();
        }
        if (titleMusic_->IsStarted()) titleMusic_->Stop();
        return;
    }
    if (adReady_ && current == static_cast<Process*>(instructionsGroup_.get()) && instructionsGroup_->IsStarted() &&
        instructionsPictures_->GetCurrentChild() == static_cast<Process*>(instructions_.get()) &&
        instructions_->IsStarted() && skipGroup_->IsStopped()) {
        instructions_->Pause();
        instructions_->Hide();
        // The voice may have ended already.
        StopIfRunning(instructionsVoice_.get());
        StopIfRunning(skipHint_.get());
        skipSounds_->Clear();
        skipSounds_->Add(skipEffect_.get());
        skipSounds_->Add(skipVoices_[random_(static_cast<std::uint32_t>(skipVoices_.size())) % skipVoices_.size()].get());
        skipGroup_->Start();
    }
}

void OpeningScreen::OnStarting() {
    for (std::size_t slot = kPlayerListSlot; slot <= kNameAndScoreSlot; ++slot) {
        if (Control* control = Shared(slot); control != nullptr) control->Hide();
    }
    if (completed_) {
        ProcessForwarder::OnStarting();
        Send(OpeningCompleteMsg());
        return;
    }
    main_->Start();
}

void OpeningScreen::OnStopping() {
    if (standByTimer_->IsStarted()) standByTimer_->Stop();
    if (!main_->IsStopped()) {
        StartIfStopped(stopper_.get());
    } else {
        ProcessForwarder::OnStopping();
    }
}

void OpeningScreen::OnStopSequenceDone() {
    if (IsStopping()) {
        ProcessForwarder::OnStopping();
    } else if (IsStarted()) {
        Stop();
    }
}

// The skip voice has ended: what the skip paused goes on, and the
// instructions end. A skip cut short by the screen's stop is left to it.
void OpeningScreen::OnSkipVoiceDone() {
    if (IsStopping() || IsStopped()) return;
    if (skipAnimation_->IsPaused()) {
        skipAnimation_->Resume();
    } else {
        // Not held yet: it would hold for ever once the instructions are gone.
        StopIfRunning(skipAnimation_.get());
    }
    if (instructions_->IsPaused()) instructions_->Resume();
    StopIfRunning(instructionsGroup_.get());
}

void OpeningScreen::CompleteOpening() {
    if (completed_) return;
    completed_ = true;
    Send(OpeningCompleteMsg());
}

void OpeningScreen::OnTitlePaused() {
    StartIfStopped(welcomeVoices_[random_(static_cast<std::uint32_t>(welcomeVoices_.size())) % welcomeVoices_.size()].get());
    for (std::size_t slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        if (Control* control = Shared(slot); control != nullptr) control->Show();
    }
    if (controlsStarter_->IsStopped()) {
        controlsStarter_->Clear();
        for (std::size_t slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
            controlsStarter_->Add(Shared(slot));
        }
        controlsStarter_->Start();
    }
}

void OpeningScreen::InstallBrandPalette() {
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    if (root == nullptr) return;
    if (xPalette* canvas = root->GetCanvasMember(); canvas != nullptr) {
        saved_.CopyFrom(*canvas);
        paletteSaved_ = true;
    }
    // A palette that cannot be read leaves the screen as it is.
    try {
        brandPalette_->Load();
    } catch (int) {
        return;
    }
    if (brandPalette_->IsLoaded()) root->ClearScreen(*brandPalette_);
}

void OpeningScreen::RestorePalette() {
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    if (root != nullptr && paletteSaved_) root->ClearScreen(saved_);
}

std::int32_t OpeningScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();
    const bool starting = msg.Is<StartingMsg>();
    if (wanted(msg.Is<PausedMsg>() && IsFrom(from, titleAnimation_))) OnTitlePaused();
    if (wanted(started && IsFrom(from, main_)) && IsStarting()) ProcessForwarder::OnStarting();
    if (wanted(started && IsFrom(from, standBy_))) {
        if (adReady_) {
            StopIfRunning(standBy_.get());
        } else {
            standByTimer_->StartOnce(kStandByLimitMs);
            if (standByTimer_->IsStopped()) standByTimer_->Start();
        }
    }
    if (wanted(msg.Is<TimerMsg>() && IsFrom(from, standByTimer_))) {
        if (standByTimer_->IsStarted()) standByTimer_->Stop();
        StopIfRunning(standBy_.get());
    }
    if (wanted(starting && IsFrom(from, instructions_)) && adReady_) StartIfStopped(skipHint_.get());
    if (wanted(stopped && IsFrom(from, instructions_))) {
        StopIfRunning(skipHint_.get());
        StopIfRunning(Shared(kBackgroundSlot));
    }
    if (wanted(starting && IsFrom(from, ad_))) Send(SponsorAdStartingMsg());
    if (wanted(msg.Is<AdViewedMsg>() && IsFrom(from, ad_))) Send(msg);
    if (wanted(msg.Is<AdSelectedMsg>() && IsFrom(from, ad_))) Send(msg);
    if (wanted(stopped && IsFrom(from, ad_))) {
        Send(SponsorAdStoppedMsg());
        StartIfStopped(Shared(kBackgroundSlot));
    }
    if (wanted(starting && IsFrom(from, brand_))) Send(QuonzaStartingMsg());
    if (wanted(stopped && IsFrom(from, brand_))) Send(QuonzaStoppedMsg());
    if (wanted(stopped && IsFrom(from, stopper_))) OnStopSequenceDone();
    for (const auto& voice : skipVoices_) {
        if (wanted(stopped && IsFrom(from, voice))) OnSkipVoiceDone();
    }
    for (const auto& voice : welcomeVoices_) {
        if (wanted(stopped && IsFrom(from, voice))) CompleteOpening();
    }
    // The palette changes act at once: queued, the ad that follows the brand
    // intro would save the brand palette before it was restored.
    if (!fromQueue && started && IsFrom(from, brandAnimation_)) InstallBrandPalette();
    if (!fromQueue && stopped && IsFrom(from, brandAnimation_)) RestorePalette();
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
