#pragma once

// The round's on-screen countdown: a frame that opens with an effect, a sweep
// that runs through all its cels over the countdown's seconds, a number that
// advances one cel a second, and, by the countdown's kind, an ending (with the
// "Go" voice for kind 1) followed by a closing animation. It tells its
// receivers TimerControlExpiredMsg when the number reaches its last cel; the
// running flag says whether a countdown is under way.

#include <cstdint>
#include <memory>

#include "framework/CloneableMsg.h"
#include "framework/Control.h"

class Animation;
class ParallelSequencer;
class StopSequencer;
class Sfx;
class Voice;

class TimerControlExpiredMsg : public CloneableMsg<TimerControlExpiredMsg> {};

class TimerControl : public Control {
  public:
    TimerControl(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~TimerControl() override;

    // Prepares a countdown of the phase's remaining time against its full
    // length; kind 1 composition, 2 voting, 3 selection. A countdown of no
    // whole second or under 3000 ms shows no timer.
    virtual void SetCountdown(std::int32_t remainingMs, std::int32_t baseMs, std::int32_t kind);
    // Only while started (error 7 otherwise, nothing changes).
    virtual void StartCountdown();
    virtual bool IsRunning() { return running_; }

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // What the countdown was set up with: -1 seconds when none.
    std::int32_t GetSeconds() const { return seconds_; }
    std::int32_t GetKind() const { return kind_; }
    bool IsTooShort() const { return tooShort_; }
    // The parts, for the screens' tests and read-backs.
    Animation* GetFrame() const { return frame_.get(); }
    Animation* GetNumberStill() const { return numberStill_.get(); }
    Animation* GetSweep() const { return sweep_.get(); }
    Animation* GetRunningNumber() const { return runningNumber_.get(); }
    Animation* GetEnding(std::int32_t kind) const;
    Animation* GetClosing() const { return closing_.get(); }
    Sfx* GetEffect() const { return effect_.get(); }
    Voice* GetVoice() const { return voice_.get(); }
    ParallelSequencer* GetOpeningSequencer() const { return opening_.get(); }
    ParallelSequencer* GetCountdownSequencer() const { return countdown_.get(); }

  private:
    void HideAll();

    std::unique_ptr<Animation> frame_;
    std::unique_ptr<Animation> numberStill_;
    std::unique_ptr<Animation> sweep_;
    std::unique_ptr<Animation> runningNumber_;
    std::unique_ptr<Animation> ending1_;
    std::unique_ptr<Animation> ending2_;
    std::unique_ptr<Animation> closing_;
    std::unique_ptr<StopSequencer> stopSequencer_;
    std::unique_ptr<ParallelSequencer> opening_;
    std::unique_ptr<ParallelSequencer> countdown_;
    std::unique_ptr<Sfx> effect_;
    std::unique_ptr<Voice> voice_;
    std::int32_t seconds_ = -1;
    std::int32_t kind_ = 0;
    bool tooShort_ = false;
    bool running_ = false;
};
