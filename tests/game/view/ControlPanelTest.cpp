// The control panel: its saved settings file, the volume steps, its keys, the
// mute and action messages, and Resume handing the keyboard back through the
// view. The panel is the product's own, made by the view's start with the
// fixture pack's CPanel art and a settings file in a fresh folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ViewParts.h"
#include "controls/PushButtonControl.h"
#include "controls/ToggleButtonControl.h"
#include "framework/DummyUIRoot.h"
#include "framework/ObjectRegistry.h"
#include "game/view/dialogs/ComplaintDialog.h"
#include "game/view/screens/ControlPanelScreen.h"
#include "media/Animation.h"
#include "platform/CaptureAudioOut.h"
#include "platform/GameWindow.h"
#include "platform/PrivateProfile.h"
#include "platform/Surface.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"
#include "support/TempFolder.h"

namespace {

std::string Settings(const char* music, const char* voice, const char* sfx, const char* volume) {
    return std::string("[ControlPanel]\r\nMusicMuted=") + music + "\r\nVoiceMuted=" + voice +
           "\r\nSfxMuted=" + sfx + "\r\nVolume=" + volume + "\r\n";
}

}  // namespace

TEST(SavedSettings, ReadWrittenBackInTheNormalForm) {
    struct Row {
        const char* what;
        const char* file;  // null: no file
        bool music, voice, sfx;
        double volume;
        const char* after;
    };
    const Row rows[] = {
        {"no file", nullptr, false, false, false, 1.0, "0 0 0 1.000000"},
        {"muted", "[ControlPanel]\r\nMusicMuted=1\r\nVoiceMuted=1\r\nSfxMuted=1\r\nVolume=1.0\r\n", true,
         true, true, 1.0, "1 1 1 1.000000"},
        {"two is not muted", "[ControlPanel]\r\nMusicMuted=2\r\n", false, false, false, 1.0,
         "0 0 0 1.000000"},
        {"abc reads 0", "[ControlPanel]\r\nVolume=abc\r\n", false, false, false, 0.0, "0 0 0 0.000000"},
        {"half", "[ControlPanel]\r\nVolume=0.5\r\n", false, false, false, 0.5, "0 0 0 0.500000"},
        {"one", "[ControlPanel]\r\nVolume=1.0\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
        {"highest level", "[ControlPanel]\r\nVolume=1.85\r\n", false, false, false, 1.85, "0 0 0 1.850000"},
        {"past the levels", "[ControlPanel]\r\nVolume=5\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
        {"at 13/7", "[ControlPanel]\r\nVolume=1.857143\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
        {"negative", "[ControlPanel]\r\nVolume=-1\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
        {"small negative", "[ControlPanel]\r\nVolume=-0.1\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
        {"nan", "[ControlPanel]\r\nVolume=nan\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
        {"infinite", "[ControlPanel]\r\nVolume=inf\r\n", false, false, false, 1.0, "0 0 0 1.000000"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        TempFolder folder;
        if (r.file != nullptr) folder.Write("settings.ini", r.file);
        ControlPanelScreen::SavedSettings settings(folder.Win("settings.ini"));
        EXPECT_EQ(settings.IsMusicMuted(), r.music);
        EXPECT_EQ(settings.IsVoiceMuted(), r.voice);
        EXPECT_EQ(settings.IsSfxMuted(), r.sfx);
        EXPECT_DOUBLE_EQ(settings.GetVolume(), r.volume);
        // Every key in its normal form, wherever the file had it.
        std::string got;
        for (const char* key : {"MusicMuted", "VoiceMuted", "SfxMuted", "Volume"}) {
            char buffer[64];
            platform::GetPrivateProfileString("ControlPanel", key, "-", buffer, sizeof buffer,
                                              folder.Win("settings.ini").c_str());
            got += (got.empty() ? "" : " ") + std::string(buffer);
        }
        EXPECT_EQ(got, r.after);
        if (r.file == nullptr) {
            EXPECT_EQ(folder.Read("settings.ini"), Settings("0", "0", "0", "1.000000"));
        }
    }
}

TEST(SavedSettings, OtherSectionsAndKeysAreKept) {
    TempFolder folder;
    folder.Write("settings.ini", "[Other]\r\nA=b\r\n[ControlPanel]\r\nVolume=0.5\r\nExtra=1\r\n");
    ControlPanelScreen::SavedSettings settings(folder.Win("settings.ini"));
    settings.SetSfxMuted(true);
    const std::string text = folder.Read("settings.ini");
    EXPECT_NE(text.find("[Other]\r\nA=b\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Extra=1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SfxMuted=1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Volume=0.500000\r\n"), std::string::npos) << text;
}

TEST(SavedSettings, AFileThatCannotBeWrittenGivesTheDefaults) {
    TempFolder folder;
    ControlPanelScreen::SavedSettings settings(folder.Win("missing\\settings.ini"));
    EXPECT_FALSE(settings.IsMusicMuted());
    EXPECT_DOUBLE_EQ(settings.GetVolume(), 1.0);
    settings.SetVolume(0.5);
    EXPECT_DOUBLE_EQ(settings.GetVolume(), 0.5);
}

TEST(SavedSettings, LevelsAndVolumes) {
    EXPECT_EQ(ControlPanelScreen::LevelOf(1.0), 4);
    EXPECT_EQ(ControlPanelScreen::LevelOf(0.5), 2);
    EXPECT_EQ(ControlPanelScreen::LevelOf(0.0), 0);
    EXPECT_EQ(ControlPanelScreen::LevelOf(1.85), 6);
    EXPECT_NEAR(ControlPanelScreen::VolumeOf(5), 1.428571, 1e-6);
    EXPECT_NEAR(ControlPanelScreen::VolumeOf(1), 0.285714, 1e-6);
}

class ControlPanelTest : public ViewFixture {
  protected:
    void StartWith(const std::string& settingsText) {
        if (!settingsText.empty()) folder_.Write("settings.ini", settingsText);
        view::PictureViewParts parts = RecordingParts();
        const std::string path = folder_.Win("settings.ini");
        parts.controlPanel = [path](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom* room) {
            return std::make_unique<ControlPanelScreen>(parent, layer, s, room, path);
        };
        MakeView(std::move(parts));
        StartView();
        panel_ = view_->GetControlPanelScreen();
        ASSERT_NE(panel_, nullptr);
        panel_->AddReceiver(&panelHeard_);
        // A screen under the panel, then the panel up.
        Screen* vote = view_->GetVotingScreen();
        view_->ShowScreen(vote, 0, 0, 0, 0);
        for (int i = 0; i < 50 && !(view_->GetCurrentScreen() == vote && vote->IsStarted()); ++i) Run();
        view_->ShowControlPanel();
        ASSERT_TRUE(view_->IsControlPanelUp());
        world_.journal.lines.clear();
        panelHeard_.names.clear();
        heard_.names.clear();
    }
    void Key(int key) {
        panel_->OnKeyboardChar(KeyboardCharMsg(key));
        Run(2);
    }
    std::string Volume() {
        char buffer[64];
        platform::GetPrivateProfileString("ControlPanel", "Volume", "", buffer, sizeof buffer,
                                          folder_.Win("settings.ini").c_str());
        return buffer;
    }
    int VisibleLevels() {
        int shown = 0;
        for (int i = 0; i < ControlPanelScreen::kLevels; ++i)
            shown += panel_->GetVolumeAnimation(i)->IsVisible();
        return shown;
    }

    TempFolder folder_;
    ControlPanelScreen* panel_ = nullptr;
    Heard panelHeard_;
};

TEST_F(ControlPanelTest, VolumeStepsStopAtBothEnds) {
    StartWith(Settings("0", "0", "0", "1.0"));
    EXPECT_EQ(panel_->GetLevel(), 4);
    Key('+');
    EXPECT_EQ(panel_->GetLevel(), 5);
    EXPECT_EQ(Volume(), "1.428571");
    Key('=');
    Key(16);
    Key(19);
    EXPECT_EQ(panel_->GetLevel(), 6);
    EXPECT_EQ(Volume(), "1.714286");
    EXPECT_EQ(VisibleLevels(), 1);
    EXPECT_TRUE(panel_->GetVolumeAnimation(6)->IsVisible());
    for (int i = 0; i < 8; ++i) Key('-');
    EXPECT_EQ(panel_->GetLevel(), 0);
    EXPECT_EQ(Volume(), "0.000000");
    EXPECT_EQ(VisibleLevels(), 1);
}

TEST_F(ControlPanelTest, HalfVolumeStepsDownToOneSeventh) {
    StartWith(Settings("0", "0", "0", "0.5"));
    EXPECT_EQ(panel_->GetLevel(), 2);
    Key('_');
    EXPECT_EQ(panel_->GetLevel(), 1);
    EXPECT_EQ(Volume(), "0.285714");
}

TEST_F(ControlPanelTest, AVolumePastTheLevelsStartsAtTheDefault) {
    StartWith(Settings("0", "0", "0", "5"));
    EXPECT_EQ(panel_->GetLevel(), 4);
    EXPECT_EQ(VisibleLevels(), 1);
    EXPECT_EQ(Volume(), "1.000000");
}

TEST_F(ControlPanelTest, KeysClickTheirButtons) {
    StartWith(Settings("0", "1", "0", "1.0"));
    EXPECT_TRUE(panel_->GetMusicToggle()->IsChecked());
    EXPECT_TRUE(panel_->GetVoiceToggle()->IsUnchecked());
    struct Row {
        int key;
        const char* heard;  // what the panel says
    };
    const Row rows[] = {
        {'m', "MusicMuteOnMsg"},
        {'M', "MusicMuteOffMsg"},
        {'v', "VoiceMuteOffMsg"},
        {'H', "VoiceMuteOnMsg"},
        {'s', "SfxMuteOnMsg"},
        {'S', "SfxMuteOffMsg"},
        {'z', ""},
        {'1', ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.key);
        panelHeard_.names.clear();
        Key(r.key);
        std::string got;
        for (const std::string& n : panelHeard_.names) {
            if (n.find("Mute") != std::string::npos) got += n;
        }
        EXPECT_EQ(got, r.heard);
    }
    char buffer[8];
    platform::GetPrivateProfileString("ControlPanel", "VoiceMuted", "", buffer, sizeof buffer,
                                      folder_.Win("settings.ini").c_str());
    EXPECT_STREQ(buffer, "1");
}

TEST_F(ControlPanelTest, ActionsDisableThePanelAndItsKeys) {
    StartWith("");
    Key('x');
    EXPECT_FALSE(panel_->IsEnabled());
    EXPECT_EQ(std::count(heard_.names.begin(), heard_.names.end(), "ExitMsg"), 1);
    // Disabled: no key does anything.
    Key('n');
    Key('+');
    EXPECT_EQ(panel_->GetLevel(), 4);
    EXPECT_EQ(std::count(heard_.names.begin(), heard_.names.end(), "NewRoomMsg"), 0);
    // Shown again by the view it is enabled with its action toggles unchecked.
    view_->ShowControlPanel();
    EXPECT_TRUE(panel_->IsEnabled());
    EXPECT_TRUE(panel_->GetExitToggle()->IsUnchecked());
    view_->EnableControlPanelToggle();
    Key('N');
    EXPECT_EQ(std::count(heard_.names.begin(), heard_.names.end(), "NewRoomMsg"), 1);
}

TEST_F(ControlPanelTest, ResumeGivesTheKeyboardBackThroughTheView) {
    StartWith("");
    auto* button = dynamic_cast<ToggleButtonControl*>(view_->GetSharedControls()[kControlPanelButtonSlot]);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->IsChecked());
    Key('r');
    EXPECT_FALSE(view_->IsControlPanelUp());
    EXPECT_FALSE(panel_->IsVisible());
    EXPECT_TRUE(button->IsUnchecked());
    EXPECT_EQ(world_.journal.With("Vote.GainedFocus").size(), 1u);
}

TEST_F(ControlPanelTest, ProblemPlayerWithoutADialogLeavesThePanelUsable) {
    StartWith("");
    // No message queue here: no dialog can be made, and the panel is enabled
    // again at once as on the dialog's close.
    Key('p');
    EXPECT_FALSE(IsComplaintDialogOpen());
    EXPECT_TRUE(panel_->IsEnabled());
    EXPECT_TRUE(panel_->GetProblemPlayerToggle()->IsUnchecked());
    Key('+');
    EXPECT_EQ(panel_->GetLevel(), 5);
}

TEST_F(ControlPanelTest, ThePanelIsDrawnWithItsLevel) {
    StartWith(Settings("0", "0", "0", "0.5"));
    for (int i = 0; i < 5; ++i) Run();
    const platform::Surface* back = platform::GetBackBuffer(view_->GetWindow());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Row(95)[225], 50) << "the panel's background";
    EXPECT_EQ(back->Row(365)[300], 62) << "the volume display of level 2";
    Key('+');
    for (int i = 0; i < 5; ++i) Run();
    EXPECT_EQ(back->Row(365)[300], 63) << "level 3";
    // Resumed, the panel is gone from the picture.
    Key('r');
    for (int i = 0; i < 5; ++i) Run();
    EXPECT_NE(back->Row(95)[225], 50);
    EXPECT_NE(back->Row(365)[300], 63);
}

TEST_F(ControlPanelTest, TheRootsSoundServiceHearsTheMutesAndTheVolume) {
    // The root's real sound service over a captured output.
    platform::CaptureAudioOut out;
    xMixerSetAudioOut(&out);
    DummyUIRoot::Register();
    SoundService::Install();
    struct Undo {
        std::unique_ptr<view::PictureView>& view;
        ~Undo() {
            view.reset();
            UIRoot::SetSoundServiceMaker(nullptr);
            ObjectRegistry::DestroyAll();
            xMixerSetAudioOut(nullptr);
        }
    } undo{view_};
    StartWith(Settings("1", "0", "0", "0.5"));
    auto* sound = dynamic_cast<SoundService*>(view_->GetSoundService());
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->IsMusicMuted()) << "the saved flag, told at construction";
    EXPECT_DOUBLE_EQ(sound->GetMasterVolume(), 0.5);
    Key('m');
    EXPECT_FALSE(sound->IsMusicMuted());
    Key('s');
    EXPECT_TRUE(sound->IsSfxMuted());
    Key('+');
    EXPECT_NEAR(sound->GetMasterVolume(), 3 / 3.5, 1e-9);
}
