// Plays the parts of a round with the game view's own controls in the game
// window on the fixture pack (run in the folder that holds its Resources\), as
// the round's screens would: a picture downloaded from an HTTP server shown in
// each of the three frame styles, a round's announcement and its transition, a
// countdown, and a vote for a caption. After each part it writes the window's
// frame as a PPM file into the output folder (show_round.sh turns them into
// PNGs). Arguments: the output folder, the HTTP server's port (its /file/
// folder holding p1.jpg .. p3.jpg). Exits with 0 once every part was shown.

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "divir/xFile.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MessagePump.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/RoundIndicator.h"
#include "game/view/controls/TimerControl.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "platform/CaptureAudioOut.h"
#include "platform/GameWindow.h"
#include "platform/SdlMessageQueue.h"
#include "platform/Surface.h"
#include "resource/FileRegistry.h"
#include "resource/FileResourceFactory.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The sound goes to a captured output whose clock follows the wall clock.
platform::CaptureAudioOut* gAudio = nullptr;
Clock::time_point gAudioFrom;

// One pass of the main loop: a message served (waiting for one a little), the
// executables, the window presented.
void Pass(platform::WindowHandle window) {
    const auto now = Clock::now();
    gAudio->SetNow(static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now - gAudioFrom).count()));
    xAppInBackground = 1;
    PumpMessages();
    xAppInBackground = 0;
    ExecutionService::GetInstance().RunExecutables();
    platform::PresentWindow(window);
}

// Passes until done() holds or the seconds are over; whether it held.
bool PassUntil(platform::WindowHandle window, const std::function<bool()>& done, double seconds) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && Clock::now() < end) Pass(window);
    return done();
}

void PassFor(platform::WindowHandle window, double seconds) {
    PassUntil(window, [] { return false; }, seconds);
}

// The presented frame as a binary PPM.
bool SaveFrame(platform::WindowHandle window, const std::string& path) {
    const platform::Surface* back = platform::GetBackBuffer(window);
    if (back == nullptr) return false;
    platform::Surface frame(back->Width(), back->Height(), 32, false);
    if (!platform::CopyPresentedFrame(window, frame)) return false;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    std::fprintf(out, "P6\n%d %d\n255\n", frame.Width(), frame.Height());
    std::vector<std::uint8_t> row(static_cast<std::size_t>(frame.Width()) * 3);
    for (int y = 0; y < frame.Height(); ++y) {
        const std::uint8_t* p = frame.Row(y);
        for (int x = 0; x < frame.Width(); ++x) {
            std::uint8_t r = 0, g = 0, b = 0;
            if (frame.Depth() == 8) {
                const auto& c = frame.Colours()[p[x]];
                r = c.r;
                g = c.g;
                b = c.b;
            } else {
                const std::uint8_t* px = p + x * frame.BytesPerPixel();
                b = px[0];
                g = px[1];
                r = px[2];
            }
            row[static_cast<std::size_t>(x) * 3] = r;
            row[static_cast<std::size_t>(x) * 3 + 1] = g;
            row[static_cast<std::size_t>(x) * 3 + 2] = b;
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    std::fclose(out);
    std::printf("saved %s\n", path.c_str());
    std::fflush(stdout);
    return true;
}

PictureInfo Picture(std::uint32_t id, const std::string& name, std::int32_t style) {
    PictureInfo p;
    p.text1 = name;
    p.text2 = "file";
    p.number1 = id;
    p.number2 = style;
    p.text3 = "A caption under the picture";
    return p;
}

int Fail(const char* what) {
    std::fprintf(stderr, "round demo: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Fail("usage: round_demo OUT_DIR HTTP_PORT");
    const std::string out = argv[1];
    const int port = std::atoi(argv[2]);
    platform::SdlMessageQueue queue;
    platform::MessageQueue::Install(&queue);
    if (queue.StartThreadTimer(33) == 0) return Fail("no thread timer");
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
    gAudio = &audio;
    gAudioFrom = Clock::now();
    xMixerSetAudioOut(&audio);
    SoundService::Install();
    int result = 0;
    {
        view::PictureView view("Vizuzor", 8, 800, 600, false, true);
        const platform::WindowHandle window = view.GetWindow();
        if (window == nullptr) return Fail("no window");
        view.Start();
        if (!PassUntil(window, [&] { return view.IsStarted(); }, 20)) return Fail("the view did not start");
        const SharedControls& shared = view.GetSharedControls();
        auto* picture = dynamic_cast<PictureControl*>(shared[kPictureSlot]);
        auto* indicator = dynamic_cast<RoundIndicator*>(shared[kRoundIndicatorSlot]);
        auto* timer = dynamic_cast<TimerControl*>(shared[kTimerSlot]);
        auto* captions = dynamic_cast<CaptionsControl*>(shared[kCaptionsSlot]);
        picture->AddHttpServer("127.0.0.1", port);

        // A picture in each frame style: downloaded, then shown as a round's
        // picture with its introduction.
        for (std::int32_t style = 1; style <= 3; ++style) {
            const PictureInfo p = Picture(static_cast<std::uint32_t>(style), "p" + std::to_string(style) + ".jpg", style);
            picture->DownloadPicture(p);
            const int slot = picture->GetSlot(0).picture.number1 == p.number1 ? 0 : 1;
            if (!PassUntil(window, [&] { return !picture->GetSlot(slot).pending; }, 20))
                return Fail("the picture did not arrive");
            picture->SetPicture(p);
            picture->SetMode(0);
            picture->Show();
            picture->Start();
            if (!PassUntil(window, [&] { return picture->IsStarted(); }, 20)) return Fail("the picture did not start");
            PassFor(window, 1.0);
            if (!SaveFrame(window, out + "/picture-style" + std::to_string(style) + ".ppm")) result = 1;
            picture->Stop();
            PassUntil(window, [&] { return picture->IsStopped(); }, 20);
        }

        // Round 3 announced, then its transition.
        indicator->SetRound(1, 3, false);
        indicator->Show();
        indicator->Start();
        if (!PassUntil(window, [&] { return indicator->IsStarted(); }, 20)) return Fail("no round announcement");
        if (!SaveFrame(window, out + "/round-announcement.ppm")) result = 1;
        indicator->PlayTransition();
        PassFor(window, 1.5);
        if (!SaveFrame(window, out + "/round-transition.ppm")) result = 1;
        indicator->Stop();
        PassUntil(window, [&] { return indicator->IsStopped(); }, 20);

        // A countdown of ten seconds against a minute, three seconds in.
        timer->Show();
        timer->SetCountdown(10000, 60000, 1);
        timer->Start();
        if (!PassUntil(window, [&] { return timer->IsStarted(); }, 20)) return Fail("no timer");
        timer->StartCountdown();
        PassFor(window, 3.0);
        if (!SaveFrame(window, out + "/countdown.ppm")) result = 1;

        // The captions to vote on, and a vote for the second.
        CaptionsControl::CaptionList list;
        const char* authors[] = {"Al", "Bo", "Cy"};
        const char* lines[] = {"A cat on a mat", "Nobody expects the cat", "Mat, meet cat"};
        for (int i = 0; i < 3; ++i)
            list.push_back(std::make_unique<CompListItemRoomMsg>(i, authors[i], lines[i], ""));
        captions->SetLocalPlayerName("Ann");
        captions->SetListFlag(false);
        captions->ShowCompList(list);
        captions->SetMode(0);
        captions->Show();
        captions->Start();
        if (!PassUntil(window, [&] { return captions->IsStarted(); }, 20)) return Fail("no captions");
        captions->VoteFor(2);
        PassFor(window, 1.0);
        if (!SaveFrame(window, out + "/vote.ppm")) result = 1;
        PassUntil(window, [&] { return !timer->IsRunning(); }, 15);

        view.Stop();
        PassUntil(window, [&] { return view.IsStopped(); }, 20);
    }
    UIRoot::SetSoundServiceMaker(nullptr);
    xMixerSetAudioOut(nullptr);
    AnimationService::Uninstall();
    registry.reset();
    ObjectRegistry::DestroyAll();
    platform::MessageQueue::Install(nullptr);
    return result;
}
