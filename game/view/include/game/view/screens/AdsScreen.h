#pragma once

// The sponsor-ad break: an intro (animation, music, effect and voice), as many
// of the room's ads as fit into the segment, each played by an AdProcess, then
// an outro (animation and voice). The ads draw through an animation service of
// the screen's own; while they run the view's service stops drawing, and when
// they end the view's takes over again with the whole picture. The view hears
// AdsStartingMsg and AdsStoppedMsg around the break and every ad's
// AdViewedMsg and AdSelectedMsg.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Screen.h"
#include "game/view/SharedControls.h"
#include "resource/AdInfo.h"

class AdProcess;
class Animation;
class AnimationService;
class Music;
class ParallelSequencer;
class SerialSequencer;
class Sfx;
class StartSequencer;
class Voice;

class AdsScreen : public Screen {
  public:
    static constexpr std::int32_t kSets = 12;
    // The ads' own layer.
    static constexpr std::int32_t kAdLayer = 2000;
    // Each phase around the ads lasts its voice and this much more.
    static constexpr std::uint32_t kVoiceMarginMs = 300;

    // shared: the view's ten shared controls; may be null in tests.
    AdsScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~AdsScreen() override;

    // The break's set: stored here, checked where it is used.
    virtual void SetBreakIndex(std::int32_t index) { breakIndex_ = index; }
    virtual void SetAdList(const std::vector<AdInfo>& ads) { ads_ = ads; }
    // Of all runs of consecutive ads, the one whose summed play time is the
    // largest not above the limit; the first found wins a tie, a run summing to
    // 0 or less is never chosen, and with none fitting the result is empty.
    virtual std::vector<AdInfo> ChooseAds(const std::vector<AdInfo>& ads, std::int32_t limit) {
        return ChooseAdsFrom(ads, limit);
    }
    // One AdProcess per ad, in order; only the first has the click delay.
    virtual void BuildAdSequence(const std::vector<AdInfo>& ads);
    // Deletes the ads, while their sequence is stopped.
    virtual void StopAds();

    static std::vector<AdInfo> ChooseAdsFrom(const std::vector<AdInfo>& ads, std::int32_t limit);
    // The intro and outro set a break plays: its index, or set 0 for an index
    // outside 0-11.
    static std::int32_t SetOf(std::int32_t breakIndex);

    // The phase times: intro and outro from their voices, the ads' from the
    // chosen ads; the total is their sum.
    void SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                         std::uint32_t last) override;
    std::uint32_t GetTotalTime() override { return total_; }
    std::uint32_t GetFirstTime() override { return intro_; }
    std::uint32_t GetMiddleTime() override { return adsTime_; }
    std::uint32_t GetLastTime() override { return outro_; }
    // During the ads a key is a click on the ad that runs; else it goes to the chat box.
    void OnKeyboardChar(const KeyboardCharMsg& msg) override;

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // For tests.
    AnimationService* GetAdService() const { return service_.get(); }
    SerialSequencer* GetAdSequence() const { return adSequence_.get(); }
    SerialSequencer* GetMainSequence() const { return main_.get(); }
    std::int32_t GetBreakIndex() const { return breakIndex_; }
    std::size_t GetAdCount() const { return adProcesses_.size(); }
    AdProcess* GetAd(std::size_t i) const { return i < adProcesses_.size() ? adProcesses_[i].get() : nullptr; }
    Animation* GetIntroAnimation(std::int32_t set) const;
    Animation* GetOutroAnimation(std::int32_t set) const;

  private:
    struct Intro {
        std::unique_ptr<Animation> animation;
        std::unique_ptr<SerialSequencer> sounds;
        std::unique_ptr<Voice> voice;
        std::unique_ptr<Sfx> effect;
        std::unique_ptr<Music> music;
        std::unique_ptr<ParallelSequencer> group;
    };
    struct Outro {
        std::unique_ptr<Animation> animation;
        std::unique_ptr<Voice> voice;
        std::unique_ptr<ParallelSequencer> group;
    };

    Control* Shared(std::size_t slot) const;
    void Subscribe();
    void Unsubscribe();
    void HandDrawingTo(bool ads);
    void FinishStop();
    void StartOutro();
    ParallelSequencer* CurrentOutro() const;

    std::unique_ptr<SerialSequencer> main_;
    std::unique_ptr<StartSequencer> starter_;
    std::unique_ptr<AnimationService> service_;
    std::unique_ptr<SerialSequencer> adSequence_;
    std::vector<std::unique_ptr<AdProcess>> adProcesses_;
    std::array<Intro, kSets> intros_;
    std::array<Outro, kSets> outros_;
    SharedControls* shared_;
    std::vector<AdInfo> ads_;
    std::uint32_t total_ = 0;
    std::uint32_t intro_ = 0;
    std::uint32_t adsTime_ = 0;
    std::uint32_t outro_ = 0;
    std::int32_t breakIndex_ = 0;
    bool subscribed_ = false;
    // The ads have ended and the outro waits for the background's return.
    bool awaitingOutro_ = false;
    // The outro this screen started has not reported its end yet.
    bool outroRunning_ = false;
};
