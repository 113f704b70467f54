#include "game/view/screens/ControlPanelScreen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "controls/ButtonClickedMsg.h"
#include "controls/ListControl.h"
#include "controls/PushButtonControl.h"
#include "controls/ToggleButtonControl.h"
#include "framework/ActOnDrain.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseReceiverThing.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/UIRoot.h"
#include "game/model/PictureView.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/PictureView.h"
#include "game/view/dialogs/ComplaintDialog.h"
#include "media/Animation.h"
#include "platform/PrivateProfile.h"
#include "resource/FileFunctions.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/StopSequencer.h"
#include "sound/SoundMuteMsgs.h"
#include "sound/SoundService.h"

namespace {

constexpr const char* kSection = "ControlPanel";
constexpr std::int32_t kPanelId = 2000;
constexpr std::int32_t kBackgroundNumber = 1;
// The volume display, one animation per level, zero-terminated.
constexpr std::int32_t kVolumeNumbers[] = {50, 55, 60, 65, 70, 75, 80, 0};
constexpr std::int32_t kRepeatMs = 300;

template <class T>
bool IsFrom(MsgSender* from, const std::unique_ptr<T>& member) {
    return member && from == static_cast<MsgSender*>(member.get());
}

}  // namespace

// ---- saved settings ----

ControlPanelScreen::SavedSettings::SavedSettings(std::string path) : path_(std::move(path)) {
    if (path_.empty()) path_ = ProgramFolder() + "settings.ini";
    // A missing file is made by the first write.
    if (!FileExists(path_)) {
        SetMusicMuted(false);
        SetVoiceMuted(false);
        SetSfxMuted(false);
        SetVolume(1.0);
        return;
    }
    char buffer[256];
    const auto read = [&](const char* key) {
        platform::GetPrivateProfileString(kSection, key, "nOtFoUnD", buffer, sizeof buffer, path_.c_str());
        return std::string(buffer);
    };
    SetMusicMuted(read("MusicMuted") == "1");
    SetVoiceMuted(read("VoiceMuted") == "1");
    SetSfxMuted(read("SfxMuted") == "1");
    const std::string volume = read("Volume");
    double value = 1.0;
    if (volume != "nOtFoUnD") value = std::strtod(volume.c_str(), nullptr);
    // A level must name one of the volume animations and the master volume
    // must not be negative: anything from 0 up to below 13/7 does, the rest
    // (and what is no number at all) falls back to the default.
    if (!std::isfinite(value) || value < 0.0 || LevelOf(value) >= kLevels) value = 1.0;
    SetVolume(value);
}

void ControlPanelScreen::SavedSettings::SetMusicMuted(bool muted) {
    musicMuted_ = muted;
    platform::WritePrivateProfileString(kSection, "MusicMuted", muted ? "1" : "0", path_.c_str());
}

void ControlPanelScreen::SavedSettings::SetVoiceMuted(bool muted) {
    voiceMuted_ = muted;
    platform::WritePrivateProfileString(kSection, "VoiceMuted", muted ? "1" : "0", path_.c_str());
}

void ControlPanelScreen::SavedSettings::SetSfxMuted(bool muted) {
    sfxMuted_ = muted;
    platform::WritePrivateProfileString(kSection, "SfxMuted", muted ? "1" : "0", path_.c_str());
}

void ControlPanelScreen::SavedSettings::SetVolume(double volume) {
    volume_ = volume;
    char text[64];
    std::snprintf(text, sizeof text, "%f", volume);
    platform::WritePrivateProfileString(kSection, "Volume", text, path_.c_str());
}

// ---- the panel ----

std::int32_t ControlPanelScreen::LevelOf(double volume) {
    return static_cast<std::int32_t>(kLevels * 0.5 * volume + 0.5);
}

double ControlPanelScreen::VolumeOf(std::int32_t level) {
    return level / (kLevels * 0.5);
}

ControlPanelScreen::ControlPanelScreen(UI* parent, std::int32_t layer, SharedControls* shared,
                                       PictureRoom* room, std::string settingsPath)
    : Screen(parent, layer), settings_(std::move(settingsPath)), shared_(shared), room_(room) {
    panel_ = std::make_unique<ParallelSequencer>(this);
    stopper_ = std::make_unique<StopSequencer>(this);

    level_ = LevelOf(settings_.GetVolume());
    if (level_ < 0) level_ = 0;
    if (level_ >= kLevels) level_ = kLevels - 1;
    SetMasterVolume(settings_.GetVolume());
    if (auto* root = dynamic_cast<UIRoot*>(GetRoot())) {
        if (auto* sound = dynamic_cast<MsgReceiver*>(root->GetSoundService())) AddReceiver(sound);
    }

    const std::int32_t inner = GetLayer() + 1;
    for (std::size_t i = 0; kVolumeNumbers[i] != 0; ++i) {
        auto animation = std::make_unique<Animation>(this, kPanelId, kVolumeNumbers[i]);
        animation->SetHoldAtEnd();
        animation->SetLayer(inner);
        animation->Hide();
        panel_->Add(animation.get());
        volumeDisplay_[i] = std::move(animation);
    }

    const auto push = [&](std::int32_t number) {
        return std::make_unique<PushButtonControl>(this, this, inner, kPanelId, 0, 0, 0, number, 0);
    };
    const auto toggle = [&](std::int32_t number) {
        return std::make_unique<ToggleButtonControl>(this, this, inner, kPanelId, 0, 0, 0, number, 0, true);
    };
    volumeUp_ = push(45);
    volumeDown_ = push(40);
    for (PushButtonControl* button : {volumeUp_.get(), volumeDown_.get()}) {
        button->EnableAutoRepeat();
        button->SetAutoRepeatDelay(kRepeatMs);
        button->SetAutoRepeatInterval(kRepeatMs);
    }
    newRoom_ = toggle(20);
    resume_ = push(25);
    problemPlayer_ = toggle(30);
    exit_ = toggle(35);
    // Checked means on: a muted flag leaves its toggle unchecked.
    const auto mute = [&](std::int32_t number, bool muted, const Msg& on, const Msg& off) {
        auto button = toggle(number);
        if (muted) {
            button->Uncheck();
            Send(on);
        } else {
            button->Check();
            Send(off);
        }
        return button;
    };
    music_ = mute(10, settings_.IsMusicMuted(), MusicMuteOnMsg(), MusicMuteOffMsg());
    voice_ = mute(5, settings_.IsVoiceMuted(), VoiceMuteOnMsg(), VoiceMuteOffMsg());
    sfx_ = mute(15, settings_.IsSfxMuted(), SfxMuteOnMsg(), SfxMuteOffMsg());

    background_ = std::make_unique<Animation>(this, kPanelId, kBackgroundNumber);
    background_->SetHoldAtEnd();
    background_->SetLayer(GetLayer());
    mouseArea_ = std::make_unique<MouseReceiverThing>(this, 200, true, xRect{0, 0, 50, 50}, true);
    mouseArea_->AddReceiver(this);

    panel_->Add(background_.get());
    for (PushButtonControl* button :
         {volumeUp_.get(), volumeDown_.get(), static_cast<PushButtonControl*>(newRoom_.get()), resume_.get(),
          static_cast<PushButtonControl*>(problemPlayer_.get()), static_cast<PushButtonControl*>(exit_.get()),
          static_cast<PushButtonControl*>(music_.get()), static_cast<PushButtonControl*>(voice_.get()),
          static_cast<PushButtonControl*>(sfx_.get())}) {
        panel_->Add(button);
    }
    volumeDisplay_[level_]->Show();
}

ControlPanelScreen::~ControlPanelScreen() {
    if (IsComplaintDialogOpen()) CloseComplaintDialog(false);
    if (auto* root = dynamic_cast<UIRoot*>(GetRoot())) {
        if (auto* sound = dynamic_cast<MsgReceiver*>(root->GetSoundService())) RemoveReceiver(sound);
    }
    stopper_.reset();
    panel_.reset();
    mouseArea_.reset();
    background_.reset();
    for (auto& animation : volumeDisplay_) animation.reset();
    sfx_.reset();
    voice_.reset();
    music_.reset();
    exit_.reset();
    problemPlayer_.reset();
    resume_.reset();
    newRoom_.reset();
    volumeDown_.reset();
    volumeUp_.reset();
}

void ControlPanelScreen::SetMasterVolume(double volume) {
    auto* root = dynamic_cast<UIRoot*>(GetRoot());
    if (root == nullptr) return;
    if (auto* sound = dynamic_cast<SoundService*>(root->GetSoundService())) sound->SetMasterVolume(volume);
}

void ControlPanelScreen::SetLayer(std::int32_t layer) {
    Screen::SetLayer(layer);
    const std::int32_t inner = layer + 1;
    for (PushButtonControl* button :
         {volumeUp_.get(), volumeDown_.get(), static_cast<PushButtonControl*>(newRoom_.get()), resume_.get(),
          static_cast<PushButtonControl*>(problemPlayer_.get()), static_cast<PushButtonControl*>(exit_.get()),
          static_cast<PushButtonControl*>(music_.get()), static_cast<PushButtonControl*>(voice_.get()),
          static_cast<PushButtonControl*>(sfx_.get())}) {
        if (button != nullptr) button->SetLayer(inner);
    }
    for (auto& animation : volumeDisplay_) {
        if (animation) animation->SetLayer(inner);
    }
}

void ControlPanelScreen::Show() {
    Screen::Show();
    RestoreComplaintDialog();
    Enable();
    newRoom_->Uncheck();
    problemPlayer_->Uncheck();
    exit_->Uncheck();
}

void ControlPanelScreen::Hide() {
    Screen::Hide();
    HideComplaintDialog();
}

void ControlPanelScreen::EnableNewRoomToggle() {
    newRoom_->Enable();
}

void ControlPanelScreen::DisableNewRoomToggle() {
    newRoom_->Disable();
}

void ControlPanelScreen::OnKeyboardChar(const KeyboardCharMsg& msg) {
    if (!IsEnabled()) return;
    ButtonControl* button = nullptr;
    switch (msg.GetKey()) {
        case '+':
        case '=':
        case 16:
        case 19:
            button = volumeUp_.get();
            break;
        case '-':
        case '_':
        case 17:
        case 18:
            button = volumeDown_.get();
            break;
        case 'M':
        case 'm':
            button = music_.get();
            break;
        case 'H':
        case 'h':
        case 'V':
        case 'v':
            button = voice_.get();
            break;
        case 'S':
        case 's':
            button = sfx_.get();
            break;
        case 'N':
        case 'n':
            button = newRoom_.get();
            break;
        case 'P':
        case 'p':
            button = problemPlayer_.get();
            break;
        case 'R':
        case 'r':
            button = resume_.get();
            break;
        case 'E':
        case 'e':
        case 'Q':
        case 'q':
        case 'X':
        case 'x':
            button = exit_.get();
            break;
        default:
            break;
    }
    if (button != nullptr) button->Click();
}

void ControlPanelScreen::OnStarting() {
    panel_->Start();
    Enable();
}

void ControlPanelScreen::OnStopping() {
    if (IsComplaintDialogOpen()) CloseComplaintDialog(false);
    if (!panel_->IsStopped()) {
        stopper_->Clear();
        stopper_->Add(panel_.get());
        stopper_->Start();
    } else {
        ProcessForwarder::OnStopping();
    }
}

void ControlPanelScreen::StepVolume(std::int32_t step) {
    const std::int32_t level = level_ + step;
    if (level < 0 || level >= kLevels) return;
    volumeDisplay_[level_]->Hide();
    level_ = level;
    volumeDisplay_[level_]->Show();
    const double volume = VolumeOf(level_);
    SetMasterVolume(volume);
    settings_.SetVolume(volume);
}

void ControlPanelScreen::OnMuteToggle(ToggleButtonControl& toggle, void (SavedSettings::*set)(bool),
                                      const Msg& on, const Msg& off) {
    if (toggle.IsUnchecked()) {
        (settings_.*set)(true);
        Send(on);
    } else if (toggle.IsChecked()) {
        (settings_.*set)(false);
        Send(off);
    }
}

// Closed the view's way, so that the screen below gets the keyboard back and
// the view's own toggle is unchecked.
void ControlPanelScreen::Resume() {
    if (auto* view = dynamic_cast<::PictureView*>(GetParent())) {
        view->HideControlPanel();
        if (!IsVisible()) return;
    }
    Hide();
    if (shared_ != nullptr) {
        if (auto* button = dynamic_cast<ToggleButtonControl*>((*shared_)[kControlPanelButtonSlot])) {
            button->Uncheck();
        }
    }
}

namespace {

// The game view as the complaint dialog uses it.
class ViewForComplaint : public ComplaintView {
  public:
    explicit ViewForComplaint(view::PictureView& view) : view_(view) {}
    const std::string& GetLocalPlayerName() const override { return view_.GetLocalPlayerName(); }
    bool IsPlayerIgnored(const std::string& name) override { return view_.IsPlayerIgnored(name); }
    void ToggleIgnore(const std::string& name) override { view_.ToggleIgnore(name); }
    void Receive(const Msg& msg, MsgSender* from) override { view_.Receive(msg, from); }

  private:
    view::PictureView& view_;
};

}  // namespace

void ControlPanelScreen::ComplaintDone(std::int32_t code, std::int32_t /*zero*/, void* cookie) {
    auto* panel = static_cast<ControlPanelScreen*>(cookie);
    if (code == 0 || code == 1) {
        CloseComplaintDialog(true);
    } else if (code == 2) {
        panel->Enable();
        panel->problemPlayer_->Uncheck();
    }
}

void ControlPanelScreen::OpenComplaint() {
    std::vector<std::string> players;
    if (shared_ != nullptr) {
        if (auto* list = dynamic_cast<ListControl*>((*shared_)[kPlayerListSlot])) {
            std::string name;
            for (std::int32_t i = 0; i < list->GetRowCount(); ++i) {
                players.push_back(list->GetCellText(name, list->GetRowId(i), 0));
            }
        }
    }
    if (auto* view = dynamic_cast<view::PictureView*>(GetParent())) {
        complaintView_ = std::make_unique<ViewForComplaint>(*view);
    }
    platform::WindowHandle owner = nullptr;
    if (auto* root = dynamic_cast<UIRoot*>(GetRoot())) owner = root->GetWindow();
    const platform::WindowHandle dialog =
        OpenComplaintDialog(owner, &ComplaintDone, this, static_cast<MsgSender*>(this), players,
                            room_ != nullptr && room_->IsLanguageFiltered(), complaintView_.get());
    // No dialog could be made: the panel must not stay disabled.
    if (dialog == nullptr && !IsComplaintDialogOpen()) ComplaintDone(2, 0, this);
}

std::int32_t ControlPanelScreen::HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
    const auto wanted = [&](bool matches) {
        return ActOnDrain(*this, matches, msg, from, fromQueue, queued);
    };
    const bool clicked = msg.Is<ButtonClickedMsg>();
    if (wanted(msg.Is<StartedMsg>() && IsFrom(from, panel_)) && IsStarting()) ProcessForwarder::OnStarting();
    if (wanted(clicked && IsFrom(from, music_))) {
        OnMuteToggle(*music_, &SavedSettings::SetMusicMuted, MusicMuteOnMsg(), MusicMuteOffMsg());
    }
    if (wanted(clicked && IsFrom(from, voice_))) {
        OnMuteToggle(*voice_, &SavedSettings::SetVoiceMuted, VoiceMuteOnMsg(), VoiceMuteOffMsg());
    }
    if (wanted(clicked && IsFrom(from, sfx_))) {
        OnMuteToggle(*sfx_, &SavedSettings::SetSfxMuted, SfxMuteOnMsg(), SfxMuteOffMsg());
    }
    if (wanted(clicked && IsFrom(from, volumeUp_))) StepVolume(1);
    if (wanted(clicked && IsFrom(from, volumeDown_))) StepVolume(-1);
    if (wanted(clicked && IsFrom(from, exit_))) {
        Disable();
        Send(ExitMsg());
    }
    if (wanted(clicked && IsFrom(from, newRoom_))) {
        Disable();
        Send(NewRoomMsg());
    }
    if (wanted(clicked && IsFrom(from, resume_))) Resume();
    if (wanted(clicked && IsFrom(from, problemPlayer_))) {
        Disable();
        OpenComplaint();
    }
    if (wanted(msg.Is<StoppedMsg>() && IsFrom(from, stopper_))) {
        if (IsStopping()) {
            ProcessForwarder::OnStopping();
        } else {
            Stop();
        }
    }
    return Screen::HandleMsg(msg, from, fromQueue, queued);
}
