#include "game/model/AdProcess.h"

#include "divir/xFilePath.h"
#include "framework/ButtonDownMouseMsg.h"
#include "framework/MouseReceiverSupport.h"
#include "framework/PausedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "framework/TimerMsg.h"
#include "framework/UIRoot.h"
#include "game/model/AdFiles.h"
#include "game/model/PictureViewMsgs.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "resource/xSimpleResFile.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/Sfx.h"
#include "sound/Sound.h"

namespace {

std::unique_ptr<std::string> g_folder;
std::int32_t g_live = 0;
// ClearAdFolder was asked for while ad processes lived.
bool g_clearPending = false;

constexpr double kAdFrameRate = 15.0;

}  // namespace

void AdProcess::SetAdFolder(const std::string& folder) {
    if (!g_folder) g_folder = std::make_unique<std::string>();
    *g_folder = folder;
    g_clearPending = false;
}

void AdProcess::ClearAdFolder() {
    if (g_live == 0) {
        g_folder.reset();
        g_clearPending = false;
    } else {
        g_clearPending = true;
    }
}

std::string AdProcess::GetAdFolder() {
    return g_folder ? *g_folder : std::string("Ads\\");
}

bool AdProcess::HasAdFolder() {
    return g_folder != nullptr;
}

std::int32_t AdProcess::LiveCount() {
    return g_live;
}

AdProcess::AdProcess(UI* parent, MsgReceiver* listener, std::int32_t layer, std::int32_t clickId,
                     std::int32_t clickNumber, std::int32_t clickEffectId, std::int32_t textId,
                     std::int32_t standByNumber, std::int32_t downloadingNumber, std::int16_t firstField,
                     std::int16_t secondField, const AdInfo* ad, AnimationService* service)
    : ProcessNode(parent),
      textId_(textId),
      standByNumber_(standByNumber),
      downloadingNumber_(downloadingNumber),
      firstField_(firstField),
      secondField_(secondField),
      service_(service) {
    stopSequencer_ = std::make_unique<StopSequencer>(this);
    sequencer_ = std::make_unique<ParallelSequencer>(this);
    timer_ = std::make_unique<Timer>(this);
    if (listener != nullptr) AddReceiver(listener);
    click_ = std::make_unique<Animation>(this, clickId, clickNumber, service_);
    clickEffect_ = std::make_unique<Sfx>(this, clickEffectId);
    SetLayer(layer);
    click_->SetLayer(layer + 1);
    if (ad != nullptr) Load(*ad);
    ++g_live;
    if (g_live == 1 && !g_folder) SetAdFolder("Ads\\");
}

AdProcess::~AdProcess() {
    // The sequencers leave their children, so they go first.
    stopSequencer_.reset();
    sequencer_.reset();
    timer_.reset();
    if (mouse_) mouse_->ReleaseMouse();
    ReleaseAd();
    click_.reset();
    clickEffect_.reset();
    mouse_.reset();
    --g_live;
    if (g_live == 0 && g_clearPending) {
        g_folder.reset();
        g_clearPending = false;
    }
}

void AdProcess::ReleaseAd() {
    sound_.reset();
    if (file_) file_->Close(0);
    file_.reset();
    main_.reset();
    second_.reset();
    resource_.reset();
}

void AdProcess::Load(const AdInfo& ad) {
    sequencer_->Clear();
    stopSequencer_->Clear();
    ReleaseAd();
    ad_ = ad;
    const std::string path = AdFilePath(GetAdFolder(), ad_.GetName());
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    bool present = false;
    if (!path.empty() && root != nullptr) {
        resource_ = std::make_unique<AnimationResource>(path, kAdStrip, root, kAdAnimation, kAdFrameRate);
        resource_->Load();
        present = resource_->GetLoadedFlag();
    }
    if (present) {
        downloading_ = false;
        main_ = std::make_unique<Animation>(this, resource_.get(), service_);
        file_ = std::make_unique<xSimpleResFile>("AdProcess");
        file_->OpenAt(0, xFileSpec(path.c_str()), 0);
        sound_ = std::make_unique<Sound>(this, kAdSound, "snd ", file_.get());
        sequencer_->Add(main_.get());
        sequencer_->Add(sound_.get());
        stopSequencer_->Add(main_.get());
        stopSequencer_->Add(sound_.get());
        stopSequencer_->Add(click_.get());
        stopSequencer_->Add(clickEffect_.get());
    } else {
        downloading_ = true;
        main_ = std::make_unique<Animation>(this, textId_, standByNumber_, service_);
        main_->SetLayer(GetLayer());
        main_->SetText(firstField_, kStandByText);
        // The cel count is only known while the strip is read.
        std::int32_t cels = 0;
        if (AnimationResource* text = main_->GetResource(); text != nullptr) {
            text->Load();
            cels = text->GetLoadedFlag() ? main_->GetCelCount() : 0;
            text->Unload();
        }
        main_->SetRepeats(StandByRepeats(ad_.GetPlayTime(), main_->GetRate(), cels));
        second_ = std::make_unique<Animation>(this, textId_, downloadingNumber_, service_);
        second_->SetLayer(GetLayer());
        second_->SetHoldAtEnd();
        second_->SetText(secondField_, kDownloadingText);
        sequencer_->Add(main_.get());
        sequencer_->Add(second_.get());
        stopSequencer_->Add(main_.get());
        stopSequencer_->Add(second_.get());
    }
    if (main_ && !downloading_) main_->SetLayer(GetLayer());
    if (resource_) resource_->Unload();
}

void AdProcess::OnStarting() {
    clicked_ = false;
    if (!main_) {
        // Nothing loaded: the showing is over as soon as it begins.
        empty_ = true;
        Started();
        if (IsStarted()) Stop();
        return;
    }
    empty_ = false;
    sequencer_->Start();
    mouse_ = std::make_unique<MouseReceiverSupport>(this, GetLayer());
    mouse_->CaptureMouse();
    if (clickDelay_) {
        clicksEnabled_ = false;
        timer_->StartOnce(kClickDelayMs);
        if (timer_->IsStopped()) timer_->Start();
        clickDelay_ = false;
    } else {
        clicksEnabled_ = true;
    }
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    if (root != nullptr) {
        if (!downloading_) {
            if (xPalette* canvas = root->GetCanvasMember(); canvas != nullptr) saved_ = *canvas;
            root->ClearScreen(xPalette::Default());
        }
        waitCursorShown_ = root->IsWaitCursor();
        if (waitCursorShown_) root->SetArrowCursor();
    }
}

void AdProcess::OnStopping() {
    if (timer_->IsStarted()) timer_->Stop();
    if (mouse_) {
        mouse_->ReleaseMouse();
        mouse_.reset();
    }
    if (empty_) {
        Stopped();
        return;
    }
    stopSequencer_->Start();
}

void AdProcess::OnStopped() {
    if (waitCursorShown_) {
        if (auto* root = dynamic_cast<UIRoot*>(GetRoot()); root != nullptr) root->SetWaitCursor();
        waitCursorShown_ = false;
    }
}

void AdProcess::OnClick() {
    if (!clicksEnabled_ || clicked_ || !IsStarted() || downloading_) return;
    clickEffect_->Start();
    click_->SetHoldAtEnd();
    click_->Start();
    Send(AdSelectedMsg(ad_));
    clicked_ = true;
}

void AdProcess::ClickIfEnabled(const KeyboardCharMsg&) {
    if (clicksEnabled_) OnClick();
}

std::int32_t AdProcess::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    auto is = [from](const auto& part) { return part && from == static_cast<MsgSender*>(part.get()); };
    const bool started = msg.Is<StartedMsg>() && is(main_);
    const bool paused = msg.Is<PausedMsg>() && is(main_);
    const bool mainStopped = msg.Is<StoppedMsg>() && is(main_);
    const bool stopDone = msg.Is<StoppedMsg>() && is(stopSequencer_);
    const bool timer = msg.Is<TimerMsg>() && is(timer_);
    const bool button = msg.Is<ButtonDownMouseMsg>();
    if (started || paused || mainStopped || stopDone || timer || button) {
        if (!fromQueue) {
            if (!queued) {
                QueueMsg(msg, from);
                queued = true;
            }
        } else if (started) {
            if (IsStarting()) Started();
        } else if (paused) {
            if (main_->IsPaused()) main_->Stop();
        } else if (mainStopped) {
            if (!downloading_) {
                Send(AdViewedMsg(ad_, clicked_));
                if (auto* root = dynamic_cast<UIRoot*>(GetRoot()); root != nullptr) root->ClearScreen(saved_);
            }
            if (!IsStopping() && !IsStopped()) Stop();
        } else if (stopDone) {
            if (IsStopping()) Stopped();
        } else if (timer) {
            EnableClick();
        } else {
            OnClick();
        }
    }
    return ProcessNode::HandleMsg(msg, from, fromQueue, queued);
}

void AdProcess::CaptureMouse() {
    if (mouse_) mouse_->CaptureMouse();
}

void AdProcess::ReleaseMouse() {
    if (mouse_) mouse_->ReleaseMouse();
}

UI* AdProcess::GetMouseCapture() {
    return mouse_ ? mouse_->GetMouseCapture() : nullptr;
}

void AdProcess::UpdateMouseLayer() {
    if (mouse_) mouse_->UpdateMouseLayer();
}
