#include <cstddef>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "app/WinMain.h"
#include "framework/UIRoot.h"
#include "game/model/PictureModel.h"
#include "game/view/PictureView.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "platform/CommandLine.h"
#include "platform/DialogWindow.h"
#include "platform/FontFace.h"
#include "platform/GameWindow.h"
#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"
#include "platform/InstanceLock.h"
#include "platform/PosixUrlLauncher.h"
#include "platform/SdlAudioOut.h"
#include "platform/SdlDesktopControl.h"
#include "platform/SdlMessageBoxSink.h"
#include "platform/SdlMessageQueue.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"

int main(int argc, char** argv) {
    platform::SetCommandLine(
        platform::JoinCommandLine(std::span<const char* const>(argv, static_cast<std::size_t>(argc))));
    // The game's application object; naming it here also keeps it in the program.
    PictureModel::Register();
    // The application object makes the game's own view.
    InstallPictureView();

    platform::SdlMessageQueue queue;
    platform::SdlMessageBoxSink boxes;
    platform::SdlDesktopControl desktop;
    platform::PosixUrlLauncher browser;
    platform::MessageBoxSink::Install(&boxes);
    platform::DesktopControl::Install(&desktop);
    platform::UrlLauncher::Install(&browser);
    // The dialogs drawn in the game window write their labels in this face.
    const std::unique_ptr<platform::FontFace> dialogFont =
        platform::OpenFontFace(platform::FontRequest{"Arial", 13, 400, false});
    platform::SetDialogFont(dialogFont.get());
    // Every UI root plays through the mixer on SDL's queued output; when the
    // output cannot open, the run goes on silent and ends with the sound error.
    // Every UI root draws into the game window, its animations through the
    // animation service.
    ScreenRootCanvas::Install();
    AnimationService::Install();
    platform::SdlAudioOut audio;
    xMixerSetAudioOut(&audio);
    SoundService::Install();
    // Held until the process ends; the system releases it on a crash too.
    std::unique_ptr<platform::InstanceLock> instanceLock;

    EntryPlatform entry;
    entry.instance = &queue;
    entry.programPath = platform::ProgramPath().value_or(std::string());
    entry.displayMode = []() -> std::optional<DisplayMode> {
        const platform::ScreenMetrics screen = platform::GetScreenMetrics();
        // No display at all reports no depth.
        if (screen.bitsPerPixel == 0) return std::nullopt;
        return DisplayMode{screen.bitsPerPixel, screen.screenWidth, screen.screenHeight};
    };
    // On failure relative paths rest on the folder the program was started from.
    entry.setCurrentFolder = [](const std::string& folder) { platform::HostSetCurrentDirectory(folder); };
    entry.claimSingleInstance = [&instanceLock](const std::string& path) {
        auto result = platform::InstanceLock::Acquire(path, platform::InstanceLock::DefaultLockFolder(),
                                                      platform::InstanceLock::FallbackLockFolder());
        if (!result.warning.empty()) std::fprintf(stderr, "%s\n", result.warning.c_str());
        // With no lock at all the game still starts; the warning has said so.
        if (result.outcome == platform::InstanceLock::Outcome::HeldElsewhere) return false;
        instanceLock = std::move(result.lock);
        return true;
    };
    entry.queue = &queue;
    // Many small blits per pass go to the window's back buffer; the screen shows
    // the result once per pass.
    entry.presentFrame = &platform::PresentAllWindows;
    const int result = WinMain(entry);
    platform::SetDialogFont(nullptr);
    UIRoot::SetSoundServiceMaker(nullptr);
    AnimationService::Uninstall();
    UIRoot::SetCanvasMaker(nullptr);
    xMixerSetAudioOut(nullptr);
    platform::UrlLauncher::Install(nullptr);
    platform::DesktopControl::Install(nullptr);
    platform::MessageBoxSink::Install(nullptr);
    return result;
}
