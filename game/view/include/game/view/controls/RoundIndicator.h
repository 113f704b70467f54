#pragma once

// Announces the round about to be played: an ordinary round's number, or for
// a special game type the final-round introduction with its music, the spoken
// announcement and the type's own animation, effect and voice. It then stays
// on its announcement until PlayTransition plays the transition that clears
// it, and tells its receivers RoundIndicatorTransitionDoneMsg when that
// transition has reached its end.

#include <array>
#include <cstdint>
#include <memory>

#include "framework/CloneableMsg.h"
#include "framework/Control.h"

class Animation;
class Music;
class ParallelSequencer;
class SerialSequencer;
class Sfx;
class StopSequencer;
class Voice;

class RoundIndicatorTransitionDoneMsg : public CloneableMsg<RoundIndicatorTransitionDoneMsg> {};

class RoundIndicator : public Control {
  public:
    // Types: 0 none, 1 ordinary round, 2 Zeravizuvu, 3 CopyFits, 4 Duzarezuri,
    // 5 TabHeads, 6 transition played (a start shows the finished picture).
    static constexpr std::int32_t kOrdinary = 1;
    static constexpr std::int32_t kTransitionPlayed = 6;

    RoundIndicator(UI* parent, MsgReceiver* receiver, std::int32_t layer);
    ~RoundIndicator() override;

    // Only while stopped (the integer 0 is thrown otherwise). The round is
    // held to 1..6: there are six round animations and transitions.
    virtual void SetRound(std::int32_t type, std::int32_t round, bool alternate);
    // Only while started, on a paused announcement of types 1 to 5 (the
    // integer 0 is thrown otherwise).
    virtual void PlayTransition();
    // Completes a pending start.
    virtual void Refresh();

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    std::int32_t GetType() const { return type_; }
    std::int32_t GetRound() const { return round_; }
    // The parts, for tests: round 1..6, game type 2..5.
    Animation* GetCurrent() const { return current_; }
    Animation* GetRoundAnimation(std::int32_t round) const;
    Animation* GetRoundTransition(std::int32_t round) const;
    Animation* GetTypeAnimation(std::int32_t type) const;
    Animation* GetTypeTransition(std::int32_t type) const;
    Animation* GetFinalIntro() const { return finalIntro_.get(); }
    Animation* GetFinished() const { return finished_.get(); }
    Sfx* GetTypeEffect(std::int32_t type) const;
    Voice* GetTypeVoice(std::int32_t type) const;
    Voice* GetIntroVoice() const { return voices_[0].get(); }
    Music* GetMusic() const { return music_.get(); }
    SerialSequencer* GetSequencer(char name) const;

  private:
    Animation* current_ = nullptr;
    Animation* next_ = nullptr;
    std::array<std::unique_ptr<Animation>, 6> rounds_;
    std::array<std::unique_ptr<Animation>, 6> roundAlternates_;
    std::unique_ptr<Animation> finalIntro_;
    std::array<std::unique_ptr<Animation>, 4> types_;
    std::array<std::unique_ptr<Animation>, 4> typeAlternates_;
    std::array<std::unique_ptr<Animation>, 6> roundTransitions_;
    std::array<std::unique_ptr<Animation>, 4> typeTransitions_;
    std::unique_ptr<Animation> finished_;
    std::array<std::unique_ptr<Sfx>, 4> effects_;
    // The final-round introduction, then one per game type.
    std::array<std::unique_ptr<Voice>, 5> voices_;
    std::unique_ptr<Music> music_;
    std::unique_ptr<ParallelSequencer> main_;
    std::unique_ptr<StopSequencer> stopSequencer_;
    std::unique_ptr<SerialSequencer> a_;
    std::unique_ptr<SerialSequencer> b_;
    std::unique_ptr<SerialSequencer> c_;
    bool alternate_ = false;
    std::int32_t type_ = 0;
    std::int32_t round_ = -1;
};
