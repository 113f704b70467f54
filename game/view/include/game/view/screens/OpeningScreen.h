#pragma once

// The presentation between entering a room and the room's first segment: the
// instructions (skippable with the space bar once the sponsor ad is at hand),
// a stand-by display while the ad still downloads, the brand intro in its own
// palette, the sponsor ad, the title intro, and a spoken welcome while the
// player list, chat box and control-panel button appear. It ends by sending
// OpeningCompleteMsg to the view, once per completion. A stand-by that finds
// no ad gives up after 30 s and the opening goes on without one.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/Screen.h"
#include "game/view/SharedControls.h"
#include "media/xPalette.h"
#include "resource/AdInfo.h"

class AdProcess;
class Animation;
class Music;
class PaletteResource;
class ParallelSequencer;
class SerialSequencer;
class SerialStartSequencer;
class Sfx;
class StopSequencer;
class Timer;
class Voice;

class OpeningScreen : public Screen {
  public:
    static constexpr const char* kStandByText = "Please Stand By...";
    static constexpr const char* kDownloadingText = "Downloading sponsor advertisement.";
    // How long the stand-by display waits for an ad that does not come.
    static constexpr std::uint32_t kStandByLimitMs = 30000;

    // shared: the view's ten shared controls; may be null in tests.
    OpeningScreen(UI* parent, std::int32_t layer, SharedControls* shared);
    ~OpeningScreen() override;

    // The downloaded sponsor ad: loaded once, it ends the stand-by display.
    virtual void SetSponsorAd(const AdInfo& ad);
    virtual bool IsSponsorAdPlaying();
    virtual bool IsBrandIntroPlaying();

    void OnKeyboardChar(const KeyboardCharMsg& msg) override;
    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // Where the skip and welcome voices are drawn from (n -> 0 .. n - 1);
    // generator B unless replaced.
    void SetRandomSource(std::function<std::uint32_t(std::uint32_t)> source) { random_ = std::move(source); }

    // For tests.
    bool IsCompleted() const { return completed_; }
    bool IsAdReady() const { return adReady_; }
    SerialSequencer* GetMainSequence() const { return main_.get(); }
    AdProcess* GetAdProcess() const { return ad_.get(); }
    Animation* GetInstructionsAnimation() const { return instructions_.get(); }
    Animation* GetSkipAnimation() const { return skipAnimation_.get(); }
    Animation* GetSkipHint() const { return skipHint_.get(); }
    Animation* GetTitleAnimation() const { return titleAnimation_.get(); }
    Animation* GetBrandAnimation() const { return brandAnimation_.get(); }
    ParallelSequencer* GetStandByGroup() const { return standBy_.get(); }
    ParallelSequencer* GetInstructionsGroup() const { return instructionsGroup_.get(); }
    ParallelSequencer* GetSkipGroup() const { return skipGroup_.get(); }
    Voice* GetInstructionsVoice() const { return instructionsVoice_.get(); }
    Voice* GetSkipVoice(std::size_t i) const { return skipVoices_.at(i).get(); }
    Voice* GetWelcomeVoice(std::size_t i) const { return welcomeVoices_.at(i).get(); }
    Music* GetTitleMusic() const { return titleMusic_.get(); }

  private:
    Control* Shared(std::size_t slot) const;
    void OnStopSequenceDone();
    void OnSkipVoiceDone();
    void CompleteOpening();
    void OnTitlePaused();
    void InstallBrandPalette();
    void RestorePalette();

    std::unique_ptr<SerialSequencer> main_;
    std::unique_ptr<SerialStartSequencer> controlsStarter_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<ParallelSequencer> instructionsGroup_;
    std::unique_ptr<SerialSequencer> instructionsPictures_;
    std::unique_ptr<SerialSequencer> skipSounds_;
    std::unique_ptr<ParallelSequencer> skipGroup_;
    std::unique_ptr<Animation> instructions_;
    std::unique_ptr<Animation> instructionsSecond_;
    std::unique_ptr<Animation> skipAnimation_;
    std::unique_ptr<Animation> skipHint_;
    std::unique_ptr<Voice> instructionsVoice_;
    std::array<std::unique_ptr<Voice>, 4> skipVoices_;
    std::array<std::unique_ptr<Voice>, 3> welcomeVoices_;
    std::unique_ptr<Sfx> skipEffect_;
    std::unique_ptr<ParallelSequencer> standBy_;
    std::unique_ptr<Animation> standByTitle_;
    std::unique_ptr<Animation> standByLine_;
    std::unique_ptr<AdProcess> ad_;
    std::unique_ptr<ParallelSequencer> brand_;
    std::unique_ptr<Animation> brandAnimation_;
    std::unique_ptr<Music> brandMusic_;
    std::unique_ptr<ParallelSequencer> title_;
    std::unique_ptr<Animation> titleAnimation_;
    std::unique_ptr<Music> titleMusic_;
    std::unique_ptr<PaletteResource> brandPalette_;
    std::unique_ptr<Timer> standByTimer_;
    xPalette saved_;
    bool paletteSaved_ = false;
    SharedControls* shared_;
    std::function<std::uint32_t(std::uint32_t)> random_;
    bool completed_ = false;
    bool adReady_ = false;
};
