// Plays a Dar Eradar round in the game view on the fixture pack (run in the
// folder that holds its Resources\): the selection segment from its room text
// with the local player as the round winner, a click on a swatch once the
// board lights up, then the results segment. Used by show_board.sh, which
// captures the window at each stage. Arguments: a folder; at each stage the
// demo writes <stage> there and goes on once <stage>.done appears (or after
// 10 seconds). Stages: selection, results.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "divir/xFile.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/PictureView.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/Animation.h"
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

using Clock = std::chrono::steady_clock;

// The room's texts: Al wins the round; swatches 1 and 6 were revealed in
// earlier rounds; the click takes swatch 3, worth value 2 (a gain of 3).
const char* const kSelection =
    "SFCS 21 Al 12 BL 10 B 4 -1 B 7 1 B 0 -1 B 2 -1 B 5 -1 B 8 -1 B 1 1 B 3 -1 B 6 -1 B 0 -1 -1 5 "
    "S 0 12000 0 12000 0";
const char* const kResults =
    "SFCR Al BL 10 B 4 -1 B 7 1 B 0 -1 B 2 -1 B 5 -1 B 8 -1 B 1 1 B 3 -1 B 6 -1 B 0 -1 3 15 "
    "S 0 8000 0 8000 0";
constexpr int kClicked = 3;

template <class T>
std::unique_ptr<T> Read(const char* text) {
    RoomMsgStream stream(text);
    PictureRoomMsgFactory factory;
    std::unique_ptr<RoomMsg> msg = factory.CreateRoomMsg(stream);
    if (dynamic_cast<T*>(msg.get()) == nullptr) return nullptr;
    return std::unique_ptr<T>(static_cast<T*>(msg.release()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: board_demo FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    ExecutionService::Register();
    MouseService::Register();
    xFileStartup(8);
    FileResourceFactory::Provide();
    SingletonDefaults::Register(FileResourceFactory::kName);
    auto registry = std::make_unique<FileRegistry>();
    ScreenRootCanvas::Install();
    AnimationService::Install();
    // Sound goes into a capture that plays in step with the wall clock.
    DummyUIRoot::Register();
    platform::CaptureAudioOut audio;
    xMixerSetAudioOut(&audio);
    SoundService::Install();
    int status = 0;
    {
        view::PictureView view("Vizuzor", 8, 640, 480, false, true);
        if (view.GetWindow() == nullptr) {
            std::fprintf(stderr, "no window\n");
            return 1;
        }
        const auto begin = Clock::now();
        auto pass = [&] {
            audio.SetNow(static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - begin).count()));
            ExecutionService::GetInstance().RunExecutables();
            platform::PresentAllWindows();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        };
        auto runUntil = [&](const std::function<bool()>& done, int seconds) {
            const auto end = Clock::now() + std::chrono::seconds(seconds);
            while (!done() && Clock::now() < end) pass();
            return done();
        };
        auto runFor = [&](int ms) {
            const auto end = Clock::now() + std::chrono::milliseconds(ms);
            while (Clock::now() < end) pass();
        };
        auto stage = [&](const std::string& name) {
            std::ofstream(folder / name) << name << "\n";
            runUntil([&] { return std::filesystem::exists(folder / (name + ".done")); }, 10);
        };

        view.Start();
        if (!runUntil([&] { return view.IsStarted(); }, 10)) {
            std::fprintf(stderr, "the view did not start\n");
            return 1;
        }
        view.SetLocalPlayerName("Al");
        view.AddPlayer(PicturePlayer("Al", 12));
        view.AddPlayer(PicturePlayer("Bo", 7));
        view.AddPlayer(PicturePlayer("Cy", 3));
        auto* board = dynamic_cast<FatChanceControl*>(view.GetSharedControls()[kFatChanceSlot]);
        auto selection = Read<StartFatChanceSelectionRoomMsg>(kSelection);
        auto results = Read<StartFatChanceResultsRoomMsg>(kResults);
        if (board == nullptr || !selection || !results) {
            std::fprintf(stderr, "no board or unreadable segment\n");
            return 1;
        }

        view.StartFatChanceSelection(*selection);
        if (!runUntil([&] { return board->GetLastHighlight() != nullptr && board->GetLastHighlight()->IsStarted(); },
                      20)) {
            std::fprintf(stderr, "the board did not light up\n");
            status = 1;
        }
        runFor(500);
        MouseService::GetInstance()->OnLeftButtonDown(static_cast<std::int16_t>(70 + 100 * (kClicked % 5)),
                                                      static_cast<std::int16_t>(160 + 100 * (kClicked / 5)));
        MouseService::GetInstance()->OnLeftButtonUp(static_cast<std::int16_t>(70 + 100 * (kClicked % 5)),
                                                    static_cast<std::int16_t>(160 + 100 * (kClicked / 5)));
        runFor(1500);
        if (!board->HasChosen()) {
            std::fprintf(stderr, "the click picked nothing\n");
            status = 1;
        }
        stage("selection");

        view.StartFatChanceResults(*results);
        auto* list = dynamic_cast<PicturePlayerListControl*>(view.GetSharedControls()[kPlayerListSlot]);
        auto scored = [&] {
            for (std::int32_t r = 0; r < list->GetRowCount(); ++r)
                if (list->GetRow(r).cells[0] == "Al") return list->GetRow(r).cells[1] == "15";
            return false;
        };
        if (!runUntil(scored, 20)) {
            std::fprintf(stderr, "the results did not write the score\n");
            status = 1;
        }
        runFor(500);
        stage("results");
    }
    UIRoot::SetSoundServiceMaker(nullptr);
    xMixerSetAudioOut(nullptr);
    AnimationService::Uninstall();
    registry.reset();
    ObjectRegistry::DestroyAll();
    return status;
}
