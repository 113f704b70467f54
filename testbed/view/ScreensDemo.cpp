// Plays the room bot's segment texts through the game view on the fixture pack
// (run in the folder that holds its Resources\), one segment after another as
// the view gets ready for it, and asks for a capture of each screen once it has
// played for a while. Used by show_screens.sh under Xvfb.
//
// Arguments: the segment file, the marker file. Lines of the segment file:
// "SP", "SC", "SV", "SS", "SRW" segments; "CLI" and "RLI" items gathered for
// the next "SV" (the caption list) and "SS" (the results); "#" comments. For
// each screen the demo writes the marker file with a name for the capture
// ("01-SP"), then waits until the script has removed it.

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "divir/xFile.h"
#include "framework/AppTime.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/Screen.h"
#include "framework/SingletonDefaults.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "net/RoomMsgStream.h"
#include "platform/CaptureAudioOut.h"
#include "platform/GameWindow.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"

namespace {

// How long a screen plays before its capture, ms.
constexpr int kShowMs = 2500;

std::string TagOf(const std::string& line) {
    return line.substr(0, line.find(' '));
}

bool FileExists(const std::string& path) {
    return std::ifstream(path).good();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: screens_demo SEGMENTS MARKER\n");
        return 2;
    }
    std::vector<std::string> lines;
    {
        std::ifstream in(argv[1]);
        for (std::string line; std::getline(in, line);) {
            // The room's empty-string mark is written as "~" in the file.
            for (char& c : line)
                if (c == '~') c = '\x02';
            if (!line.empty() && line[0] != '#') lines.push_back(line + " ");
        }
    }
    const std::string marker = argv[2];

    ExecutionService::Register();
    MouseService::Register();
    xFileStartup(8);
    FileResourceFactory::Provide();
    SingletonDefaults::Register(FileResourceFactory::kName);
    auto registry = std::make_unique<FileRegistry>();
    ScreenRootCanvas::Install();
    AnimationService::Install();
    DummyUIRoot::Register();
    platform::CaptureAudioOut audio;
    xMixerSetAudioOut(&audio);
    SoundService::Install();
    int status = 0;
    {
        view::PictureView view("Vizuzor", 8, 800, 600, false, true);
        if (view.GetWindow() == nullptr) {
            std::fprintf(stderr, "no window\n");
            return 1;
        }
        view.Start();
        const auto pump = [&](int ms) {
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
            while (std::chrono::steady_clock::now() < until) {
                ExecutionService::GetInstance().RunExecutables();
                audio.Advance(20);
                platform::PresentAllWindows();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        };
        const auto waitFor = [&](const std::function<bool()>& done, int ms) {
            for (int t = 0; t < ms && !done(); t += 20) pump(20);
            return done();
        };
        if (!waitFor([&] { return view.IsStarted(); }, 10000)) {
            std::fprintf(stderr, "the view did not start\n");
            return 1;
        }
        view.SetLocalPlayerName("Me");
        auto* players = dynamic_cast<PicturePlayerListControl*>(view.GetSharedControls()[kPlayerListSlot]);
        for (const char* name : {"Al", "Bo", "Me"}) players->AddRow(name, "0", "", "", "", true, 0, 1);
        view.ChatSystem("Three segment texts a round, as the room bot sends them.");

        CaptionsControl::CaptionList captions;
        CaptionsControl::CaptionList results;
        bool twoLines = false;
        int shot = 0;
        for (const std::string& line : lines) {
            const std::string tag = TagOf(line);
            try {
                RoomMsgStream stream(line);
                if (tag == "CLI") {
                    auto item = std::make_unique<CompListItemRoomMsg>(stream);
                    twoLines = twoLines || !item->GetLine2().empty();
                    captions.push_back(std::move(item));
                    continue;
                }
                if (tag == "RLI") {
                    results.push_back(std::make_unique<ResultsListItemRoomMsg>(stream));
                    continue;
                }
                if (!waitFor([&] { return view.IsReadyForScreen(); }, 20000)) {
                    std::fprintf(stderr, "the view is not ready for %s\n", tag.c_str());
                    status = 1;
                    break;
                }
                if (tag == "SP") {
                    view.StartPreflight(StartPreflightRoomMsg(stream));
                } else if (tag == "SC") {
                    view.StartComp(StartCompRoomMsg(stream));
                } else if (tag == "SV") {
                    view.SetCaptionsFlag(twoLines);
                    view.ShowCompList(captions);
                    captions.clear();
                    twoLines = false;
                    view.StartVote(StartVoteRoomMsg(stream));
                } else if (tag == "SS") {
                    view.ShowResultsList(results);
                    results.clear();
                    view.StartScore(StartScoreRoomMsg(stream));
                } else if (tag == "SRW") {
                    view.StartRoundWinner(StartRoundWinnerRoomMsg(stream));
                } else {
                    std::fprintf(stderr, "not a segment of this demo: %s\n", tag.c_str());
                    continue;
                }
            } catch (const InvalidRoomMsg&) {
                std::fprintf(stderr, "unreadable: %s\n", line.c_str());
                status = 1;
                continue;
            }
            // The screen takes over once the one before it has played its last phase.
            waitFor(
                [&] {
                    return view.GetCurrentScreen() != nullptr && view.GetNextScreen() == nullptr &&
                           view.GetCurrentScreen()->IsStarted();
                },
                20000);
            pump(kShowMs);
            char name[32];
            std::snprintf(name, sizeof name, "%02d-%s", ++shot, tag.c_str());
            // Written whole, then named: the script never reads half a name.
            std::ofstream(marker + ".part") << name << "\n";
            std::rename((marker + ".part").c_str(), marker.c_str());
            waitFor([&] { return !FileExists(marker); }, 10000);
        }
        pump(500);
    }
    UIRoot::SetSoundServiceMaker(nullptr);
    xMixerSetAudioOut(nullptr);
    AnimationService::Uninstall();
    registry.reset();
    ObjectRegistry::DestroyAll();
    return status;
}
