#include "game/view/controls/RoundIndicator.h"

#include <algorithm>

#include "framework/PausedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kComp = 1000;   // Comp.srf
constexpr std::int32_t kFinal = 1700;  // Final.srf
// Game types 2..5: Bill.srf, CopyF.srf, Slim.srf, TabH.srf.
constexpr std::int32_t kTypeStrips[4] = {1780, 1720, 1760, 1740};
constexpr std::int32_t kTypeAlternates[4] = {59, 59, 59, 58};
constexpr std::int32_t kRoundNumbers[6] = {1, 20, 40, 60, 80, 100};
constexpr std::int32_t kRoundAlternates[6] = {15, 35, 55, 75, 95, 113};
constexpr std::int32_t kRoundTransitions[6] = {280, 300, 320, 340, 360, 380};
constexpr std::int32_t kTypeTransitions[4] = {200, 220, 240, 260};
constexpr std::int32_t kFinished = 400;
// Zeravizuvu.srf, CopyFits.srf, Duzarezuri.srf, TabHeads.srf.
constexpr std::int32_t kEffects[4] = {1005, 1030, 1060, 1065};
// FinalRndIntro.srf, then ZeravizuvuVoice1, CopyFitsVoice1, SlimerickVoiceA1, TabHeadsVoice1.
constexpr std::int32_t kVoices[5] = {2208, 2195, 2205, 2225, 2235};
constexpr std::int32_t kMusic = 3105;  // FatChanceB.srf

std::unique_ptr<Animation> Make(UI* parent, std::int32_t strip, std::int32_t number, std::int32_t layer,
                                bool held = true) {
    auto animation = std::make_unique<Animation>(parent, strip, number);
    animation->SetLayer(layer);
    if (held) animation->SetHoldAtEnd();
    return animation;
}

bool IsGameType(std::int32_t type) {
    return type >= 2 && type <= 5;
}

}  // namespace

RoundIndicator::RoundIndicator(UI* parent, MsgReceiver* receiver, std::int32_t layer)
    : Control(parent, receiver, layer) {
    const std::int32_t l = GetLayer();
    for (int i = 0; i < 6; ++i) rounds_[i] = Make(this, kComp, kRoundNumbers[i], l);
    for (int i = 0; i < 6; ++i) roundAlternates_[i] = Make(this, kComp, kRoundAlternates[i], l);
    finalIntro_ = Make(this, kFinal, 1, l, false);
    for (int i = 0; i < 4; ++i) {
        types_[i] = Make(this, kTypeStrips[i], 1, l);
        typeAlternates_[i] = Make(this, kTypeStrips[i], kTypeAlternates[i], l);
    }
    for (int i = 0; i < 6; ++i) roundTransitions_[i] = Make(this, kComp, kRoundTransitions[i], l + 1);
    for (int i = 0; i < 4; ++i) typeTransitions_[i] = Make(this, kComp, kTypeTransitions[i], l + 1);
    finished_ = Make(this, kComp, kFinished, l + 1);
    for (int i = 0; i < 4; ++i) effects_[i] = std::make_unique<Sfx>(this, kEffects[i]);
    for (int i = 0; i < 5; ++i) voices_[i] = std::make_unique<Voice>(this, kVoices[i]);
    music_ = std::make_unique<Music>(this, kMusic);
    music_->SetLoops(1);

    main_ = std::make_unique<ParallelSequencer>(this);
    stopSequencer_ = std::make_unique<StopSequencer>(this);
    a_ = std::make_unique<SerialSequencer>(this);
    b_ = std::make_unique<SerialSequencer>(this);
    c_ = std::make_unique<SerialSequencer>(this);
    main_->Add(c_.get());
    main_->Add(b_.get());
    main_->Add(a_.get());

    for (int i = 0; i < 6; ++i) {
        stopSequencer_->Add(rounds_[i].get());
        stopSequencer_->Add(roundAlternates_[i].get());
        stopSequencer_->Add(roundTransitions_[i].get());
    }
    for (int i = 0; i < 4; ++i) {
        stopSequencer_->Add(types_[i].get());
        stopSequencer_->Add(typeAlternates_[i].get());
    }
    for (auto& transition : typeTransitions_) stopSequencer_->Add(transition.get());
    stopSequencer_->Add(finished_.get());
    for (auto& effect : effects_) stopSequencer_->Add(effect.get());
    for (auto& voice : voices_) stopSequencer_->Add(voice.get());
    stopSequencer_->Add(music_.get());
    stopSequencer_->Add(main_.get());
    stopSequencer_->Add(a_.get());
    stopSequencer_->Add(b_.get());
    stopSequencer_->Add(c_.get());
}

RoundIndicator::~RoundIndicator() {
    // The sequencers leave their children, so they go first, the outer ones
    // before the ones they hold.
    stopSequencer_.reset();
    main_.reset();
    a_.reset();
    b_.reset();
    c_.reset();
}

Animation* RoundIndicator::GetRoundAnimation(std::int32_t round) const {
    return round >= 1 && round <= 6 ? rounds_[round - 1].get() : nullptr;
}

Animation* RoundIndicator::GetRoundTransition(std::int32_t round) const {
    return round >= 1 && round <= 6 ? roundTransitions_[round - 1].get() : nullptr;
}

Animation* RoundIndicator::GetTypeAnimation(std::int32_t type) const {
    return IsGameType(type) ? types_[type - 2].get() : nullptr;
}

Animation* RoundIndicator::GetTypeTransition(std::int32_t type) const {
    return IsGameType(type) ? typeTransitions_[type - 2].get() : nullptr;
}

Sfx* RoundIndicator::GetTypeEffect(std::int32_t type) const {
    return IsGameType(type) ? effects_[type - 2].get() : nullptr;
}

Voice* RoundIndicator::GetTypeVoice(std::int32_t type) const {
    return IsGameType(type) ? voices_[type - 1].get() : nullptr;
}

SerialSequencer* RoundIndicator::GetSequencer(char name) const {
    switch (name) {
        case 'A': return a_.get();
        case 'B': return b_.get();
        case 'C': return c_.get();
        default: return nullptr;
    }
}

void RoundIndicator::SetRound(std::int32_t type, std::int32_t round, bool alternate) {
    if (!IsStopped()) throw 0;
    type_ = type;
    round_ = std::clamp(round, 1, 6);
    alternate_ = alternate;
}

void RoundIndicator::OnStarting() {
    if (type_ == 0 || round_ == -1) throw 0;
    alternate_ = false;
    a_->Clear();
    b_->Clear();
    c_->Clear();
    current_ = nullptr;
    if (type_ == kOrdinary) {
        current_ = rounds_[round_ - 1].get();
        c_->Add(current_, true);
    } else if (IsGameType(type_)) {
        const int g = type_ - 2;
        current_ = types_[g].get();
        c_->Add(finalIntro_.get());
        c_->Add(current_, true);
        a_->Add(music_.get());
        b_->Add(voices_[0].get());
        b_->Add(effects_[g].get());
        b_->Add(voices_[g + 1].get());
    } else if (type_ == kTransitionPlayed) {
        current_ = finished_.get();
        c_->Add(current_, true);
    }
    if (current_ == nullptr) throw 0;
    main_->Start();
}

void RoundIndicator::PlayTransition() {
    if (!IsStarted() || current_ == nullptr || !current_->IsPaused() || type_ == 0 || type_ == kTransitionPlayed)
        throw 0;
    alternate_ = false;
    next_ = nullptr;
    if (type_ == kOrdinary)
        next_ = roundTransitions_[round_ - 1].get();
    else if (IsGameType(type_))
        next_ = typeTransitions_[type_ - 2].get();
    if (next_ == nullptr) throw 0;
    // Queuing a segment behind a held animation releases its hold, so the
    // current animation is resumed first and the transition queued behind it
    // in the same pass: it follows on where the announcement ends.
    current_->Resume();
    next_->PlayAfter(current_);
    type_ = kTransitionPlayed;
}

void RoundIndicator::Refresh() {
    if (IsStarting()) DefaultOnStarting();
}

void RoundIndicator::OnStopping() {
    Hide();
    stopSequencer_->Start();
}

std::int32_t RoundIndicator::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto& part) { return from == static_cast<MsgSender*>(part.get()); };
    const bool stopped = msg.Is<StoppedMsg>();
    const bool paused = msg.Is<PausedMsg>();
    bool fromTransition = false;
    if (paused) {
        for (auto& t : roundTransitions_) fromTransition = fromTransition || is(t);
        for (auto& t : typeTransitions_) fromTransition = fromTransition || is(t);
    }
    const bool ours = (stopped && (is(main_) || is(stopSequencer_))) || fromTransition;
    if (ours) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (stopped && is(main_)) {
            Refresh();
        } else if (fromTransition) {
            Send(RoundIndicatorTransitionDoneMsg());
        } else if (IsStopping()) {
            DefaultOnStopping();
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
