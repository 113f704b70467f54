// Starts the game view in the game window on the fixture pack (run in the
// folder that holds its Resources\), with the parts the view makes today, and
// then, as a screen would, its background (tiles around it at 800 x 600), the
// name-and-score board, the player list and the chat box with a few lines. Used by show_view.sh to capture the window under
// Xvfb. Arguments: a file to create once the view has run for a while. Runs
// for 20 seconds.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "divir/xFile.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "game/view/PictureView.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "platform/CaptureAudioOut.h"
#include "platform/GameWindow.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"

int main(int argc, char** argv) {
    ExecutionService::Register();
    MouseService::Register();
    xFileStartup(8);
    FileResourceFactory::Provide();
    SingletonDefaults::Register(FileResourceFactory::kName);
    auto registry = std::make_unique<FileRegistry>();
    ScreenRootCanvas::Install();
    AnimationService::Install();
    // The shared controls hold sounds: the sound service, played into a capture.
    DummyUIRoot::Register();
    platform::CaptureAudioOut audio;
    xMixerSetAudioOut(&audio);
    SoundService::Install();
    {
        view::PictureView view("Vizuzor", 8, 800, 600, false, true);
        if (view.GetWindow() == nullptr) {
            std::fprintf(stderr, "no window\n");
            return 1;
        }
        view.Start();
        bool shown = false;
        const auto start = std::chrono::steady_clock::now();
        bool told = false;
        while (std::chrono::steady_clock::now() < start + std::chrono::seconds(20)) {
            ExecutionService::GetInstance().RunExecutables();
            if (!shown && view.IsStarted()) {
                const SharedControls& shared = view.GetSharedControls();
                auto* board = dynamic_cast<NameAndScoreControl*>(shared[kNameAndScoreSlot]);
                board->SetNameAndScore("Big Bob", 17);
                shared[kBackgroundSlot]->Start();
                board->Start();
                // A room's players, the local one marked, and some chat.
                view.SetLocalPlayerName("Big Bob");
                auto* list = dynamic_cast<PicturePlayerListControl*>(shared[kPlayerListSlot]);
                list->AddRow("Al", "12", "", "", "", true, 0, 1);
                list->AddRow("Big Bob", "17", "", "", "", true, 0, 1);
                list->AddRow("Cy", "3", "", "", "", true, 0, 1);
                list->Start();
                view.ChatSystem("Welcome to the room.");
                view.ChatPublic("Al", "hello everyone");
                view.ChatMe("Cy", "waves");
                view.ChatPrivate("Al", "Big Bob", "good luck");
                shared[kChatBoxSlot]->Start();
                shown = true;
            }
            platform::PresentAllWindows();
            if (!told && argc > 1 && view.IsStarted() &&
                std::chrono::steady_clock::now() > start + std::chrono::seconds(2)) {
                std::ofstream(argv[1]) << "ready\n";
                told = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    }
    UIRoot::SetSoundServiceMaker(nullptr);
    xMixerSetAudioOut(nullptr);
    AnimationService::Uninstall();
    registry.reset();
    ObjectRegistry::DestroyAll();
    return 0;
}
