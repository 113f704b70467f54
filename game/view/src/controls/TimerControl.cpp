#include "game/view/controls/TimerControl.h"

#include <algorithm>
#include <vector>

#include "divir/xError.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

constexpr std::int32_t kStrip = 1200;  // Intrfce.srf
constexpr std::int32_t kEffect = 1070;  // TimerOn.srf
constexpr std::int32_t kVoice = 2050;   // Go.srf

// Whole seconds, rounded up.
std::int32_t CeilSeconds(std::int32_t ms) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(ms) + 999) / 1000);
}

// Holds the animations' strips loaded while the countdown is laid out: a
// strip answers its cel counts only while loaded.
class HoldLoaded {
  public:
    explicit HoldLoaded(std::initializer_list<Animation*> animations) {
        for (Animation* animation : animations) {
            if (AnimationResource* resource = animation->GetResource()) {
                resource->Load();
                held_.push_back(resource);
            }
        }
    }
    ~HoldLoaded() {
        for (AnimationResource* resource : held_) resource->Unload();
    }
    HoldLoaded(const HoldLoaded&) = delete;
    HoldLoaded& operator=(const HoldLoaded&) = delete;

  private:
    std::vector<AnimationResource*> held_;
};

std::unique_ptr<Animation> Make(UI* parent, std::int32_t number, std::int32_t layer, bool hidden) {
    auto animation = std::make_unique<Animation>(parent, kStrip, number);
    animation->SetLayer(layer);
    if (hidden) animation->Hide();
    return animation;
}

}  // namespace

TimerControl::TimerControl(UI* parent, MsgReceiver* receiver, std::int32_t layer)
    : Control(parent, receiver, layer) {
    const std::int32_t l = GetLayer();
    frame_ = Make(this, 80, l, true);
    numberStill_ = Make(this, 199, l + 3, true);
    sweep_ = Make(this, 99, l + 1, false);
    runningNumber_ = Make(this, 199, l + 2, false);
    ending1_ = Make(this, 309, l + 2, true);
    ending2_ = Make(this, 314, l + 2, true);
    closing_ = Make(this, 319, l + 2, false);
    for (Animation* held : {frame_.get(), sweep_.get(), runningNumber_.get(), ending1_.get(), ending2_.get(),
                            closing_.get()})
        held->SetHoldAtEnd();
    effect_ = std::make_unique<Sfx>(this, kEffect);
    voice_ = std::make_unique<Voice>(this, kVoice);
    stopSequencer_ = std::make_unique<StopSequencer>(this);
    opening_ = std::make_unique<ParallelSequencer>(this);
    countdown_ = std::make_unique<ParallelSequencer>(this);
    for (Process* child : std::initializer_list<Process*>{
             frame_.get(), numberStill_.get(), sweep_.get(), runningNumber_.get(), ending1_.get(),
             ending2_.get(), closing_.get(), effect_.get(), voice_.get(), countdown_.get(), opening_.get()})
        stopSequencer_->Add(child);
}

TimerControl::~TimerControl() {
    // The sequencers leave their children, so they go first.
    stopSequencer_.reset();
    opening_.reset();
    countdown_.reset();
    frame_.reset();
    numberStill_.reset();
    sweep_.reset();
    runningNumber_.reset();
    ending1_.reset();
    ending2_.reset();
    closing_.reset();
    effect_.reset();
    voice_.reset();
}

Animation* TimerControl::GetEnding(std::int32_t kind) const {
    if (kind == 1) return ending1_.get();
    if (kind == 2) return ending2_.get();
    return nullptr;
}

void TimerControl::HideAll() {
    for (Animation* animation : {frame_.get(), numberStill_.get(), sweep_.get(), runningNumber_.get(),
                                 ending1_.get(), ending2_.get(), closing_.get()})
        animation->Hide();
}

void TimerControl::SetCountdown(std::int32_t remainingMs, std::int32_t baseMs, std::int32_t kind) {
    const std::int32_t full = CeilSeconds(baseMs);
    // A base under a second or a time below zero gives no whole second: held
    // at 0, which shows no timer (the sweep's rate would divide by it).
    seconds_ = std::max(0, std::min(CeilSeconds(remainingMs), full));
    running_ = false;
    kind_ = kind;
    if (remainingMs < 3000 || seconds_ == 0) {
        tooShort_ = true;
        HideAll();
        return;
    }
    tooShort_ = false;
    if (kind == 1) {
        frame_->Show();
        ending1_->Show();
        ending2_->Hide();
    } else if (kind == 2) {
        frame_->Show();
        ending2_->Show();
        ending1_->Hide();
    } else if (kind == 3) {
        frame_->Show();
        ending1_->Hide();
        ending2_->Hide();
    }
    const HoldLoaded loaded{frame_.get(), sweep_.get(), runningNumber_.get(), numberStill_.get()};
    opening_->Clear();
    opening_->Add(frame_.get());
    if (seconds_ == full) {
        frame_->SetFrame(0);
        opening_->Add(effect_.get());
    } else {
        frame_->SetFrame(frame_->GetCelCount() - 1);
    }
    opening_->Add(numberStill_.get());
    closing_->Show();

    // More seconds than the number has cels start on its first cel.
    const std::int32_t startCel = std::max(0, sweep_->GetCelCount() - seconds_ - 1);
    runningNumber_->SetRate(1.0f);
    runningNumber_->SetFrame(startCel);
    runningNumber_->Show();
    numberStill_->SetFrame(startCel);
    numberStill_->Show();
    sweep_->SetRate(static_cast<float>(sweep_->GetCelCount()) / static_cast<float>(seconds_));
    sweep_->Show();
}

void TimerControl::StartCountdown() {
    if (!IsStarted()) {
        xThrow(kErrBadState);
        return;
    }
    running_ = true;
    countdown_->Clear();
    countdown_->Add(sweep_.get());
    countdown_->Add(runningNumber_.get());
    if (kind_ == 1) {
        countdown_->Add(ending1_.get());
        if (!tooShort_) countdown_->Add(voice_.get());
    } else if (kind_ == 2) {
        countdown_->Add(ending2_.get());
    }
    countdown_->Start();
}

void TimerControl::OnStarting() {
    if (seconds_ < 0) {
        xThrow(kErrBadState);
        return;
    }
    if (tooShort_) {
        DefaultOnStarting();
        return;
    }
    opening_->Start();
}

void TimerControl::OnStopping() {
    stopSequencer_->Start();
}

std::int32_t TimerControl::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto& part) { return from == static_cast<MsgSender*>(part.get()); };
    const bool paused = msg.Is<PausedMsg>();
    const bool started = msg.Is<StartedMsg>();
    const bool stopped = msg.Is<StoppedMsg>();

    if (started && is(numberStill_)) {
        // Held on its start cel until the running number takes over.
        if (!fromQueue) numberStill_->Pause();
        return Control::HandleMsg(msg, from, fromQueue, queued);
    }
    const bool ours = (paused && (is(frame_) || is(runningNumber_))) || (started && is(runningNumber_)) ||
                      (stopped && (is(ending1_) || is(ending2_) || is(stopSequencer_)));
    if (ours) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (paused && is(frame_)) {
            if (IsStarting()) DefaultOnStarting();
        } else if (started && is(runningNumber_)) {
            numberStill_->Hide();
        } else if (paused && is(runningNumber_)) {
            if (IsStarted()) {
                Send(TimerControlExpiredMsg());
                running_ = false;
            }
        } else if (stopped && (is(ending1_) || is(ending2_))) {
            if (IsStarted() && closing_->IsStopped()) closing_->Start();
        } else if (stopped && is(stopSequencer_)) {
            if (IsStopping()) {
                DefaultOnStopping();
                seconds_ = -1;
                kind_ = 0;
            }
        }
    }
    return Control::HandleMsg(msg, from, fromQueue, queued);
}
