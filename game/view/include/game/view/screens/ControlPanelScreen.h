#pragma once

// The overlay the player opens over the game: music, voice and effects on and
// off, the master volume in seven steps, and four actions (resume, new room,
// problem player, exit). The mute flags and the volume live in "settings.ini"
// beside the program, section "ControlPanel", rewritten at every start and at
// every change. The game view makes it once per start, shows and hides it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/Screen.h"
#include "game/model/PictureRoom.h"
#include "game/view/SharedControls.h"

class Animation;
class ComplaintView;
class MouseReceiverThing;
class ParallelSequencer;
class PushButtonControl;
class StopSequencer;
class ToggleButtonControl;

class ControlPanelScreen : public Screen {
  public:
    // The saved mute flags and volume. Each setter stores the value and writes
    // its key at once; a failed write is ignored.
    class SavedSettings {
      public:
        // Reads the file at the path (the program folder's "settings.ini" when
        // empty), creating it with the defaults when it is missing, and writes
        // every key back in its normal form.
        explicit SavedSettings(std::string path = "");

        bool IsMusicMuted() const { return musicMuted_; }
        bool IsVoiceMuted() const { return voiceMuted_; }
        bool IsSfxMuted() const { return sfxMuted_; }
        double GetVolume() const { return volume_; }
        void SetMusicMuted(bool muted);
        void SetVoiceMuted(bool muted);
        void SetSfxMuted(bool muted);
        void SetVolume(double volume);

        const std::string& GetPath() const { return path_; }

      private:
        std::string path_;
        bool musicMuted_ = false;
        bool voiceMuted_ = false;
        bool sfxMuted_ = false;
        double volume_ = 1.0;
    };

    static constexpr std::int32_t kLevels = 7;

    // settingsPath: as for SavedSettings.
    ControlPanelScreen(UI* parent, std::int32_t layer, SharedControls* shared, PictureRoom* room,
                       std::string settingsPath = "");
    ~ControlPanelScreen() override;

    // Screen and layer to the screen, one above to the buttons and the volume
    // display.
    void SetLayer(std::int32_t layer) override;
    // Shown, the panel is enabled with the new-room, problem-player and exit
    // toggles unchecked; both also restore or hide an open complaint dialog.
    void Show() override;
    void Hide() override;
    void OnKeyboardChar(const KeyboardCharMsg& msg) override;

    virtual void EnableNewRoomToggle();
    virtual void DisableNewRoomToggle();

    void OnStarting() override;
    void OnStopping() override;
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override;

    // For tests and the complaint dialog.
    SavedSettings& GetSettings() { return settings_; }
    std::int32_t GetLevel() const { return level_; }
    ToggleButtonControl* GetMusicToggle() { return music_.get(); }
    ToggleButtonControl* GetVoiceToggle() { return voice_.get(); }
    ToggleButtonControl* GetSfxToggle() { return sfx_.get(); }
    ToggleButtonControl* GetNewRoomToggle() { return newRoom_.get(); }
    ToggleButtonControl* GetProblemPlayerToggle() { return problemPlayer_.get(); }
    ToggleButtonControl* GetExitToggle() { return exit_.get(); }
    PushButtonControl* GetVolumeUpButton() { return volumeUp_.get(); }
    PushButtonControl* GetVolumeDownButton() { return volumeDown_.get(); }
    PushButtonControl* GetResumeButton() { return resume_.get(); }
    Animation* GetVolumeAnimation(std::int32_t level) { return volumeDisplay_.at(level).get(); }

    // The level a volume gives: truncation of levels x 0.5 x volume + 0.5.
    static std::int32_t LevelOf(double volume);
    // The volume a level gives: level / (levels x 0.5).
    static double VolumeOf(std::int32_t level);

  private:
    void SetMasterVolume(double volume);
    void StepVolume(std::int32_t step);
    void OnMuteToggle(ToggleButtonControl& toggle, void (SavedSettings::*set)(bool), const Msg& on,
                      const Msg& off);
    void Resume();
    void OpenComplaint();
    // The complaint dialog's report: 0 OK and 1 cancel close it, 2 (closed)
    // enables the panel again.
    static void ComplaintDone(std::int32_t code, std::int32_t zero, void* cookie);

    SavedSettings settings_;
    SharedControls* shared_;
    PictureRoom* room_;
    std::unique_ptr<ParallelSequencer> panel_;
    std::unique_ptr<StopSequencer> stopper_;
    std::unique_ptr<Animation> background_;
    std::unique_ptr<PushButtonControl> volumeUp_;
    std::unique_ptr<PushButtonControl> volumeDown_;
    std::unique_ptr<ToggleButtonControl> newRoom_;
    std::unique_ptr<PushButtonControl> resume_;
    std::unique_ptr<ToggleButtonControl> problemPlayer_;
    std::unique_ptr<ToggleButtonControl> exit_;
    std::unique_ptr<ToggleButtonControl> music_;
    std::unique_ptr<ToggleButtonControl> voice_;
    std::unique_ptr<ToggleButtonControl> sfx_;
    std::array<std::unique_ptr<Animation>, kLevels> volumeDisplay_;
    std::int32_t level_ = 0;
    std::unique_ptr<MouseReceiverThing> mouseArea_;
    std::unique_ptr<ComplaintView> complaintView_;
};
