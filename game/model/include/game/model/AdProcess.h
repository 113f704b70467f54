#pragma once

// Plays one sponsor ad: the animation and sound of the ad's own .srf file in
// the ad folder, or, while that file has not been downloaded yet, a two-line
// stand-by text for about as long as the ad would have run. The player may
// click a running ad once per showing (the mouse is captured while it runs;
// a screen may route key presses through ClickIfEnabled): a click effect and
// animation play and the listener gets AdSelectedMsg. When a downloaded ad
// ends the listener gets AdViewedMsg with whether it was clicked.
//
// The folder of the downloaded ads is shared by every ad process. The
// application object names it once the dispatch step has succeeded and lets it
// go when it is destroyed; while ad processes live the folder text is kept,
// and a release asked for meanwhile happens when the last of them goes.

#include <cstdint>
#include <memory>
#include <string>

#include "framework/MouseReceiver.h"
#include "framework/ProcessNode.h"
#include "media/xPalette.h"
#include "resource/AdInfo.h"

class Animation;
class AnimationResource;
class AnimationService;
class KeyboardCharMsg;
class MouseReceiverSupport;
class ParallelSequencer;
class Sfx;
class Sound;
class StopSequencer;
class Timer;
class xSimpleResFile;

class AdProcess : public ProcessNode, public MouseReceiver {
  public:
    // The texts of the stand-by display.
    static constexpr const char* kStandByText = "Please Stand By...";
    static constexpr const char* kDownloadingText = "Downloading advertisement.";
    // The ad file's animation: "off4" strip 30000, first cel 200; its sound "snd " 1.
    static constexpr std::int32_t kAdStrip = 30000;
    static constexpr std::int32_t kAdAnimation = 200;
    static constexpr std::int32_t kAdSound = 1;
    static constexpr std::uint32_t kClickDelayMs = 1000;

    // The click animation plays one layer above the ad. With a record the ad
    // is loaded at once; a null service means the root's.
    AdProcess(UI* parent, MsgReceiver* listener, std::int32_t layer, std::int32_t clickId,
              std::int32_t clickNumber, std::int32_t clickEffectId, std::int32_t textId,
              std::int32_t standByNumber, std::int32_t downloadingNumber, std::int16_t firstField,
              std::int16_t secondField, const AdInfo* ad = nullptr, AnimationService* service = nullptr);
    ~AdProcess() override;

    virtual void Load(const AdInfo& ad);
    // The next start keeps clicks off for its first second.
    virtual void SetClickDelay() { clickDelay_ = true; }
    virtual void ClearClickDelay() { clickDelay_ = false; }
    virtual void OnClick();
    virtual void ClickIfEnabled(const KeyboardCharMsg& msg);
    virtual void EnableClick() { clicksEnabled_ = true; }
    virtual void DisableClick() { clicksEnabled_ = false; }
    virtual bool IsClickEnabled() const { return clicksEnabled_; }

    // Creates the folder text if missing and assigns the given text.
    static void SetAdFolder(const std::string& folder);
    // Discards the folder text now, or, while an ad process lives, when the
    // last one goes.
    static void ClearAdFolder();
    // The folder text; "Ads\" until one is set, and again once it is discarded.
    static std::string GetAdFolder();
    static bool HasAdFolder();
    static std::int32_t LiveCount();

    // Process: an ad cannot be paused.
    void Pause() override {}
    bool IsPausable() const override { return false; }
    void OnStarting() override;
    void OnStopping() override;
    void OnStopped() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // MouseReceiver: through the support that exists while a showing runs.
    void CaptureMouse() override;
    void ReleaseMouse() override;
    UI* GetMouseCapture() override;
    void UpdateMouseLayer() override;

    // The parts, for tests and the screens.
    const AdInfo& GetAdInfo() const { return ad_; }
    bool IsDownloading() const { return downloading_; }
    bool WasClicked() const { return clicked_; }
    Animation* GetMainAnimation() const { return main_.get(); }
    Animation* GetSecondText() const { return second_.get(); }
    Animation* GetClickAnimation() const { return click_.get(); }
    Sound* GetAdSound() const { return sound_.get(); }

  private:
    void ReleaseAd();

    std::unique_ptr<MouseReceiverSupport> mouse_;
    std::unique_ptr<StopSequencer> stopSequencer_;
    std::unique_ptr<ParallelSequencer> sequencer_;
    std::unique_ptr<Timer> timer_;
    AdInfo ad_;
    std::unique_ptr<AnimationResource> resource_;
    std::unique_ptr<xSimpleResFile> file_;
    std::unique_ptr<Animation> main_;
    std::unique_ptr<Sound> sound_;
    std::unique_ptr<Animation> click_;
    std::unique_ptr<Sfx> clickEffect_;
    std::unique_ptr<Animation> second_;
    std::int32_t textId_;
    std::int32_t standByNumber_;
    std::int32_t downloadingNumber_;
    std::int16_t firstField_;
    std::int16_t secondField_;
    bool downloading_ = false;
    bool clicked_ = false;
    bool clicksEnabled_ = true;
    bool clickDelay_ = false;
    bool waitCursorShown_ = false;
    // Started with no ad loaded: the start and the stop complete at once.
    bool empty_ = false;
    AnimationService* service_;
    xPalette saved_;
};
