// Starts the game view in the game window on the fixture pack (run in the
// folder that holds its Resources\) and plays room segments given as their
// wire texts, read by the game's room message reader as the room proxy reads
// them, one after another. Used by show_ranking.sh (and the board scripts) to
// capture screens under Xvfb.
//
// Arguments: READY HOLD_MS TEXT...: each text's screen is shown for HOLD_MS of
// the application clock, then READY.<n> (n from 1) is created and the next text
// follows; after the last the program keeps the screen up until it is ended
// (at most 60 s). A text the reader refuses, or of a tag not handled here,
// ends the program with status 2.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
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
#include "framework/SingletonDefaults.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/PictureView.h"
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

using Handler = std::function<void(view::PictureView&, const RoomMsg&)>;

// The segments this demo plays, by wire tag.
const std::map<std::string, Handler>& Handlers() {
    static const std::map<std::string, Handler> handlers = {
        {StartGameWinnerRoomMsg::kTag,
         [](view::PictureView& v, const RoomMsg& m) {
             v.StartGameWinner(dynamic_cast<const StartGameWinnerRoomMsg&>(m));
         }},
    };
    return handlers;
}

std::unique_ptr<RoomMsg> Read(const std::string& text) {
    RoomMsgStream stream(text);
    PictureRoomMsgFactory factory;
    try {
        return factory.CreateRoomMsg(stream);
    } catch (const InvalidRoomMsg&) {
        return nullptr;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: segment_demo READY HOLD_MS TEXT...\n");
        return 2;
    }
    const std::string ready = argv[1];
    const std::uint32_t hold = static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::vector<std::unique_ptr<RoomMsg>> segments;
    for (int i = 3; i < argc; ++i) {
        std::unique_ptr<RoomMsg> msg = Read(argv[i]);
        if (!msg || Handlers().count(msg->GetTag()) == 0) {
            std::fprintf(stderr, "not a segment this demo plays: %s\n", argv[i]);
            return 2;
        }
        segments.push_back(std::move(msg));
    }

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
    {
        view::PictureView view("Vizuzor", 8, 800, 600, false, true);
        if (view.GetWindow() == nullptr) {
            std::fprintf(stderr, "no window\n");
            return 1;
        }
        view.Start();
        std::size_t next = 0;
        std::uint32_t shownAt = 0;
        std::uint32_t audioAt = GetAppTime();
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < start + std::chrono::seconds(60)) {
            ExecutionService::GetInstance().RunExecutables();
            // The captured output keeps pace with the application clock.
            const std::uint32_t now = GetAppTime();
            audio.Advance(now - audioAt);
            audioAt = now;
            if (view.IsStarted() && next <= segments.size() && (next == 0 || now - shownAt >= hold)) {
                // Text `next` has been on show for the hold.
                if (next > 0) std::ofstream(ready + "." + std::to_string(next)) << "ready\n";
                if (next < segments.size()) {
                    const RoomMsg& msg = *segments[next];
                    Handlers().at(msg.GetTag())(view, msg);
                    shownAt = now;
                }
                ++next;
            }
            platform::PresentAllWindows();
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
    }
    UIRoot::SetSoundServiceMaker(nullptr);
    xMixerSetAudioOut(nullptr);
    AnimationService::Uninstall();
    registry.reset();
    ObjectRegistry::DestroyAll();
    return 0;
}
