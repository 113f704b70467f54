#include "game/view/screens/AdsScreen.h"

#include <algorithm>
#include <limits>

#include "controls/ChatBox.h"
#include "framework/ActOnDrain.h"
#include "framework/Control.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/UIRoot.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/GameViewMsgs.h"
#include "media/Animation.h"
#include "media/AnimationService.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StartSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

// One break's resources: the strip with the intro (animation 1) and the outro,
// the intro's effect (0: none), voice and music, the outro's voice.
struct SetIds {
    std::int32_t strip;
    std::int32_t outroNumber;
    std::int32_t effect;
    std::int32_t introVoice;
    std::int32_t music;
    std::int32_t outroVoice;
};

// SegA1 1800, SegB1-10 1820-1970; AdBreakA 3000, AdBreakB 3001, AdBreakB2
// 3002; R3Intro 2035, R3Extro 2030, R6Intro 2045, R6Extro 2040, FinalIntro
// 2025, FinalExtro1-4 2005-2020; Flash 1040, BuildingCrash 1010, Cloth 1025,
// Applause 1000, FootStomp 1045, TurdSplat 1080, Jabba 1047, Clock 1015.
constexpr SetIds kSetIds[AdsScreen::kSets] = {
    {1800, 28, 0, 2035, 3000, 2030},     {1800, 28, 0, 2045, 3000, 2040},
    {1820, 151, 1040, 2025, 3000, 2010}, {1840, 155, 0, 2025, 3002, 2015},
    {1860, 153, 1010, 2025, 3000, 2010}, {1880, 169, 1025, 2025, 3000, 2015},
    {1900, 277, 1000, 2025, 3001, 2005}, {1920, 179, 1045, 2025, 3000, 2020},
    {1940, 202, 1080, 2025, 3000, 2020}, {1950, 148, 1047, 2025, 3000, 2010},
    {1960, 177, 1015, 2025, 3000, 2020}, {1970, 153, 0, 2025, 3000, 2015},
};
constexpr std::int32_t kIntroNumber = 1;

// The ads: click animation AdClick.srf 15, click effect AdClkSfx.srf, the
// stand-by texts of StandBy.srf in its fields 129 and 130.
constexpr std::int32_t kClickStrip = 31000;
constexpr std::int32_t kClickNumber = 15;
constexpr std::int32_t kClickEffect = 1400;
constexpr std::int32_t kStandByStrip = 3100;
constexpr std::int32_t kStandByNumber = 1;
constexpr std::int32_t kDownloadingNumber = 15;
constexpr std::int16_t kStandByField = 129;
constexpr std::int16_t kDownloadingField = 130;

// The ads' own service mixes at 8 bits.
constexpr int kAdDepth = 8;

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

bool IsFrom(MsgSender* from, Process* process) {
    return process != nullptr && from == static_cast<MsgSender*>(process);
}

}  // namespace

std::vector<AdInfo> AdsScreen::ChooseAdsFrom(const std::vector<AdInfo>& ads, std::int32_t limit) {
    // Sums in 64 bits: durations come from the room bot, and two near 2^31
    // would wrap in 32.
    std::int64_t bestSum = 0;
    std::size_t bestStart = 0;
    std::size_t bestEnd = 0;
    bool found = false;
    for (std::size_t i = 0; i < ads.size(); ++i) {
        std::int64_t sum = 0;
        for (std::size_t j = i; j < ads.size(); ++j) {
            sum += ads[j].GetPlayTime();
            if (sum > limit) break;
            if (sum > bestSum) {
                bestSum = sum;
                bestStart = i;
                bestEnd = j;
                found = true;
            }
        }
    }
    if (!found) return {};
    return std::vector<AdInfo>(ads.begin() + static_cast<std::ptrdiff_t>(bestStart),
                               ads.begin() + static_cast<std::ptrdiff_t>(bestEnd) + 1);
}

std::int32_t AdsScreen::SetOf(std::int32_t breakIndex) {
    return breakIndex >= 0 && breakIndex < kSets ? breakIndex : 0;
}

AdsScreen::AdsScreen(UI* parent, std::int32_t layer, SharedControls* shared)
    : Screen(parent, layer), shared_(shared) {
    main_ = std::make_unique<SerialSequencer>(this);
    starter_ = std::make_unique<StartSequencer>(this);
    service_ = std::make_unique<AnimationService>(dynamic_cast<UIRoot*>(GetRoot()), false, kAdDepth);
    adSequence_ = std::make_unique<SerialSequencer>(this);

    const std::int32_t animationLayer = GetLayer() - 100;
    for (std::int32_t i = 0; i < kSets; ++i) {
        const SetIds& ids = kSetIds[i];
        Intro& in = intros_[static_cast<std::size_t>(i)];
        in.animation = std::make_unique<Animation>(this, ids.strip, kIntroNumber);
        in.animation->SetHoldAtEnd();
        in.animation->SetLayer(animationLayer);
        in.voice = std::make_unique<Voice>(this, ids.introVoice);
        if (ids.effect != 0) in.effect = std::make_unique<Sfx>(this, ids.effect);
        in.music = std::make_unique<Music>(this, ids.music);
        in.sounds = std::make_unique<SerialSequencer>(this);
        in.sounds->Add(in.music.get());
        if (in.effect) in.sounds->Add(in.effect.get());
        in.sounds->Add(in.voice.get());
        in.group = std::make_unique<ParallelSequencer>(this);
        in.group->Add(in.animation.get(), true);
        in.group->Add(in.sounds.get());

        Outro& out = outros_[static_cast<std::size_t>(i)];
        out.animation = std::make_unique<Animation>(this, ids.strip, ids.outroNumber);
        out.animation->SetHoldAtEnd();
        out.animation->SetLayer(animationLayer);
        out.voice = std::make_unique<Voice>(this, ids.outroVoice);
        out.group = std::make_unique<ParallelSequencer>(this);
        out.group->Add(out.animation.get(), true);
        out.group->Add(out.voice.get());
    }
}

AdsScreen::~AdsScreen() {
    // Never leave the view without drawing.
    if (service_ && service_->IsDrawingEnabled()) HandDrawingTo(false);
    main_.reset();
    starter_.reset();
    adSequence_.reset();
    adProcesses_.clear();
    for (Intro& in : intros_) {
        in.group.reset();
        in.sounds.reset();
        in.animation.reset();
        in.voice.reset();
        in.effect.reset();
        in.music.reset();
    }
    for (Outro& out : outros_) {
        out.group.reset();
        out.animation.reset();
        out.voice.reset();
    }
    Unsubscribe();
    service_.reset();
}

Animation* AdsScreen::GetIntroAnimation(std::int32_t set) const {
    return intros_[static_cast<std::size_t>(SetOf(set))].animation.get();
}

Animation* AdsScreen::GetOutroAnimation(std::int32_t set) const {
    return outros_[static_cast<std::size_t>(SetOf(set))].animation.get();
}

Control* AdsScreen::Shared(std::size_t slot) const {
    return shared_ != nullptr ? (*shared_)[slot] : nullptr;
}

void AdsScreen::Subscribe() {
    if (Control* background = Shared(kBackgroundSlot); background != nullptr && !subscribed_) {
        background->AddReceiver(this);
        subscribed_ = true;
    }
}

void AdsScreen::Unsubscribe() {
    if (Control* background = Shared(kBackgroundSlot); background != nullptr && subscribed_) {
        background->RemoveReceiver(this);
    }
    subscribed_ = false;
}

void AdsScreen::SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                                std::uint32_t last) {
    Screen::SetSegmentTimes(segment, first, middle, last);
    const std::size_t set = static_cast<std::size_t>(SetOf(breakIndex_));
    intro_ = intros_[set].voice->GetSoundLength() + kVoiceMarginMs;
    outro_ = outros_[set].voice->GetSoundLength() + kVoiceMarginMs;
    // A total shorter than the intro and outro leaves a negative limit: no ads.
    const std::int64_t limit = static_cast<std::int64_t>(segment) - outro_ - intro_;
    const std::int32_t clamped = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(limit, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    const std::vector<AdInfo> chosen = ChooseAds(ads_, clamped);
    BuildAdSequence(chosen);
    std::int64_t sum = 0;
    for (const AdInfo& ad : chosen) sum += ad.GetPlayTime();
    adsTime_ = static_cast<std::uint32_t>(std::clamp<std::int64_t>(sum, 0, std::numeric_limits<std::int32_t>::max()));
    total_ = intro_ + adsTime_ + outro_;
}

void AdsScreen::BuildAdSequence(const std::vector<AdInfo>& ads) {
    StopAds();
    // Ads can only be put in while the sequence is stopped.
    if (!adSequence_->IsStopped()) return;
    for (const AdInfo& ad : ads) {
        auto process = std::make_unique<AdProcess>(this, this, kAdLayer, kClickStrip, kClickNumber, kClickEffect,
                                                   kStandByStrip, kStandByNumber, kDownloadingNumber,
                                                   kStandByField, kDownloadingField, &ad, service_.get());
        if (adProcesses_.empty()) process->SetClickDelay();
        adSequence_->Add(process.get());
        adProcesses_.push_back(std::move(process));
    }
}

void AdsScreen::StopAds() {
    if (!adSequence_->IsStopped()) return;
    adSequence_->Clear();
    adProcesses_.clear();
}

void AdsScreen::OnKeyboardChar(const KeyboardCharMsg& msg) {
    if (adSequence_->IsStarted()) {
        if (auto* ad = dynamic_cast<AdProcess*>(adSequence_->GetCurrentChild()); ad != nullptr) {
            ad->ClickIfEnabled(msg);
        }
        return;
    }
    if (auto* chat = dynamic_cast<ChatBox*>(Shared(kChatBoxSlot)); chat != nullptr) chat->OnKeyboardChar(msg);
}

void AdsScreen::OnStarting() {
    for (std::size_t slot : {kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        if (Control* control = Shared(slot); control != nullptr) control->Show();
    }
    for (std::size_t slot :
         {kPictureSlot, kTimerSlot, kRoundIndicatorSlot, kCaptionsSlot, kFatChanceSlot, kNameAndScoreSlot}) {
        if (Control* control = Shared(slot); control != nullptr) control->Hide();
    }
    Subscribe();
    starter_->Clear();
    for (std::size_t slot : {kBackgroundSlot, kPlayerListSlot, kChatBoxSlot, kControlPanelButtonSlot}) {
        if (Control* control = Shared(slot); control != nullptr && control->IsStopped()) starter_->Add(control);
    }
    main_->Clear();
    main_->Add(starter_.get());
    main_->Add(intros_[static_cast<std::size_t>(SetOf(breakIndex_))].group.get());
    main_->Add(adSequence_.get());
    main_->Start();
}

ParallelSequencer* AdsScreen::CurrentOutro() const {
    return outros_[static_cast<std::size_t>(SetOf(breakIndex_))].group.get();
}

void AdsScreen::FinishStop() {
    StopAds();
    Unsubscribe();
    ProcessForwarder::OnStopping();
}

void AdsScreen::OnStopping() {
    // Once the outro has played the stop completes at once; otherwise the
    // break runs on and the outro's end completes it.
    if (main_->IsStopped() && CurrentOutro()->IsStopped() && !awaitingOutro_) FinishStop();
}

void AdsScreen::HandDrawingTo(bool ads) {
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    auto* view = root != nullptr ? dynamic_cast<AnimationService*>(root->GetAnimationService()) : nullptr;
    if (ads) {
        if (view != nullptr) view->SetDrawingEnabled(false);
        service_->SetDrawingEnabled(true);
    } else {
        service_->SetDrawingEnabled(false);
        // Turned on again, the view's service puts its whole picture on the screen.
        if (view != nullptr) view->SetDrawingEnabled(true);
    }
}

void AdsScreen::StartOutro() {
    awaitingOutro_ = false;
    ParallelSequencer* outro = CurrentOutro();
    if (outro->IsStopped()) {
        outroRunning_ = true;
        outro->Start();
    }
    for (std::size_t slot : {kChatBoxSlot, kPlayerListSlot, kControlPanelButtonSlot}) {
        if (Control* control = Shared(slot); control != nullptr) control->Show();
    }
}

std::int32_t AdsScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    Control* background = Shared(kBackgroundSlot);
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, main_))) Send(AdsStartingMsg());
    if (wanted(msg.Is<StartingMsg>() && IsFrom(from, adSequence_))) {
        for (std::size_t slot : {kControlPanelButtonSlot, kPlayerListSlot, kChatBoxSlot}) {
            if (Control* control = Shared(slot); control != nullptr) control->Hide();
        }
        if (background != nullptr && background->IsStarted()) background->Stop();
    }
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, adSequence_))) {
        HandDrawingTo(true);
        if (IsStarting()) ProcessForwarder::OnStarting();
    }
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, adSequence_))) HandDrawingTo(false);
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, main_))) {
        // The outro follows the background's return; a background that is
        // not stopped (or none at all) lets it start at once.
        awaitingOutro_ = true;
        if (background == nullptr || background->IsStarted()) {
            StartOutro();
        } else if (background->IsStopped()) {
            background->Start();
        }
    }
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, background)) && main_->IsStopped() && awaitingOutro_) {
        StartOutro();
    }
    // A background still stopping when the ads ended is started once it has stopped.
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, background)) && main_->IsStopped() && awaitingOutro_ &&
        background->IsStopped()) {
        background->Start();
    }
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, CurrentOutro())) && outroRunning_) {
        outroRunning_ = false;
        Send(AdsStoppedMsg());
        if (IsStopping()) FinishStop();
    }
    if (wanted(msg.Is<AdViewedMsg>() || msg.Is<AdSelectedMsg>())) Send(msg);
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
