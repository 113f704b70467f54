// The game view end to end: the real application object with the real view
// installed as its view maker, headless (SDL's dummy drivers, the real screen
// canvas), sound on a captured output, against its real peers: the test HTTP
// server (dispatch file, update script, pictures), ngircd and the scripted room
// bot of testbed/room. The game's time is the manual application clock; wall
// clock limits are only generous failure limits. What the view shows is read
// from its controls and its back buffer; what it says is checked by the bot.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../model/GameEndToEnd.h"
#include "../../media/JpegFixtures.h"
#include "net/TestHttpServer.h"
#include "controls/EditControl.h"
#include "controls/PushButtonControl.h"
#include "controls/ToggleButtonControl.h"
#include "controls/RadioButtonControl.h"
#include "divir/xError.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseService.h"
#include "framework/ObjectRegistry.h"
#include "framework/UIRoot.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureModel.h"
#include "game/model/PictureRoomProxy.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/PictureView.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/FatChanceControl.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "game/view/controls/TimerControl.h"
#include "game/view/dialogs/ComplaintDialog.h"
#include "game/view/screens/AdsScreen.h"
#include "game/view/screens/ControlPanelScreen.h"
#include "game/view/screens/CompositionScreen.h"
#include "game/view/screens/FatChanceResultsScreen.h"
#include "game/view/screens/FatChanceSelectionScreen.h"
#include "game/view/screens/PreflightScreen.h"
#include "game/view/screens/VotingScreen.h"
#include "media/Animation.h"
#include "media/AnimationService.h"
#include "media/ScreenRootCanvas.h"
#include "media/WinScreenCanvas.h"
#include "net/FileUpdateService.h"
#include "net/IrcTestPeers.h"
#include "net/PumpFixture.h"
#include "net/xIRCQueue.h"
#include "platform/CaptureAudioOut.h"
#include "platform/CommandLine.h"
#include "platform/GameWindow.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Registry.h"
#include "platform/Surface.h"
#include "platform/UrlLauncher.h"
#include "resource/FileRegistry.h"
#include "sound/SoundService.h"
#include "sound/xMixer.h"
#include "support/DialogDriver.h"
#include "support/TempFolder.h"

namespace {

using irctest::Ngircd;

class RecordingBrowser : public platform::UrlLauncher {
  public:
    void Launch(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

// The fixture pack's palette has entry i = (i, 255 - i, 7i mod 256): the test
// pictures are flat colours of two entries, so that they read back exactly.
struct Rgb {
    int r, g, b;
};
constexpr Rgb PaletteEntry(int i) {
    return {i, 255 - i, (7 * i) % 256};
}
constexpr Rgb kPictureA = PaletteEntry(40);
constexpr Rgb kPictureB = PaletteEntry(90);
constexpr Rgb kStill = PaletteEntry(200);

std::string FlatJpeg(Rgb colour) {
    const auto image = media::testing::MakeFlat(400, 300, static_cast<std::uint8_t>(colour.r),
                                                static_cast<std::uint8_t>(colour.g),
                                                static_cast<std::uint8_t>(colour.b));
    media::testing::EncodeOptions options;
    options.quality = 95;
    const std::vector<std::uint8_t> bytes = media::testing::Encode(image, options);
    return std::string(bytes.begin(), bytes.end());
}

// The tone a sound file of the fixture pack holds, from the pack's description.
int ToneOf(const std::string& soundFile) {
    std::ifstream in(std::string(VIEW_PACK) + "/view_pack.json");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t at = text.find("\"" + soundFile + "\": ");
    if (at == std::string::npos) return 0;
    const std::size_t hz = text.find("\"hz\": ", at);
    return hz == std::string::npos ? 0 : std::atoi(text.c_str() + hz + 6);
}

// The strength of one frequency in 16-bit samples at 22050 Hz (Goertzel),
// relative to the samples' whole power: near 1 for a pure tone of it.
double ToneShare(const std::int16_t* samples, std::size_t n, int hz) {
    if (n == 0 || hz <= 0) return 0;
    const double w = 2.0 * M_PI * hz / platform::kAudioSampleRate;
    const double c = 2.0 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = samples[i];
        const double s = x + c * s1 - s2;
        s2 = s1;
        s1 = s;
        energy += x * x;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return energy > 0 ? 2.0 * power / (energy * static_cast<double>(n)) : 0;
}

// The strongest share of the frequency over windows of 100 ms (a tone of the
// fixture pack lasts 400 ms, mixed with whatever else sounds then).
double PeakToneShare(const std::vector<std::int16_t>& samples, int hz) {
    constexpr std::size_t kWindow = platform::kAudioSampleRate / 10;
    double peak = 0;
    for (std::size_t at = 0; at + kWindow <= samples.size(); at += kWindow / 2)
        peak = std::max(peak, ToneShare(samples.data() + at, kWindow, hz));
    return peak;
}

class ViewEndToEndTest : public PumpFixture {
  public:
    static void SetUpTestSuite() {
        if (Ngircd::Available()) irc_ = new Ngircd();
    }
    static void TearDownTestSuite() {
        delete irc_;
        irc_ = nullptr;
    }

    void SetUp() override {
        turn_ = std::make_unique<gametest::DispatchFileTurn>();
        if (irc_ == nullptr || !irc_->Started()) GTEST_SKIP() << "ngircd is not available (tools/deps.sh installs it)";
        http_ = std::make_unique<TestHttpServer>(files_.Host());
        if (!http_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        PumpFixture::SetUp();
        set_ = true;
        xIRCQueue::SetPendingError(0);
        gametest::WriteServerFiles(files_, http_->port(), irc_->Port(), http_->port());
        gametest::WriteLocalSettings(local_, http_->port(), irc_->Port(), kChannel);
        files_.Write("cat.jpg", FlatJpeg(kPictureA));
        files_.Write("dog.jpg", FlatJpeg(kPictureB));
        LayOutProgramFolder();
        platform::SetCommandLine("game " + local_.Host("settings.ini"));
        platform::Registry::UseDefaultStore(local_.Host("registry.txt"));
        browserBefore_ = platform::UrlLauncher::Install(&browser_);
        // As the program's entry sets them up: the screen canvas, the animation
        // service, the mixer and the sound service.
        ScreenRootCanvas::Install();
        AnimationService::Install();
        xMixerSetAudioOut(&audio_);
        SoundService::Install();
        PictureModel::Register();
        const std::string folder = local_.Win() + "\\";
        PictureModel::SetMakers({
            nullptr,
            [folder](MsgReceiver* owner) { return std::make_unique<FileUpdateService>(owner, folder); },
            nullptr,
            nullptr,
        });
        // The game's view, as the program installs it; the test keeps a pointer.
        InstallPictureView();
        auto make = PictureModel::GetMakers().view;
        PictureModel::GetMakers().view = [this, make](const std::string& name, std::int32_t bits, std::int32_t width,
                                                      std::int32_t height, bool full, bool own) {
            std::unique_ptr<::PictureView> made = make(name, bits, width, height, full, own);
            view_ = dynamic_cast<view::PictureView*>(made.get());
            return made;
        };
    }

    void TearDown() override {
        struct EndTurn {
            std::unique_ptr<gametest::DispatchFileTurn>& turn;
            ~EndTurn() { turn.reset(); }
        } endTurn{turn_};
        if (!set_) return;
        bot_.reset();
        ObjectRegistry::DestroyAll();
        view_ = nullptr;
        PictureModel::SetMakers({});
        UIRoot::SetSoundServiceMaker(nullptr);
        xMixerSetAudioOut(nullptr);
        xPendingExitCode = 0;
        AnimationService::Uninstall();
        UIRoot::SetCanvasMaker(nullptr);
        WinScreenCanvas::SetMouseTargetLookup(nullptr);
        platform::UrlLauncher::Install(browserBefore_);
        platform::SetCommandLine("");
        xIRCQueue::SetPendingError(0);
        if (!before_.empty()) {
            EXPECT_EQ(::chdir(before_.c_str()), 0);
        }
        PumpFixture::TearDown();
    }

    // The program's folder as the view reads it: the fixture pack's art and
    // sounds, the still picture shown while a download is pending, and the
    // chat log written beside them.
    void LayOutProgramFolder() {
        const std::string pack = std::string(VIEW_PACK) + "/Resources/";
        const std::string resources = work_.Host("Resources");
        ASSERT_EQ(::mkdir(resources.c_str(), 0755), 0);
        for (const char* part : {"Animation", "Palette", "Sfx", "Voice", "Music", "LanguageFilter.srf"})
            ASSERT_EQ(::symlink((pack + part).c_str(), (resources + "/" + part).c_str()), 0) << part;
        ASSERT_EQ(::mkdir((resources + "/Pictures").c_str(), 0755), 0);
        work_.Write("Resources/Pictures/StillDownload.jpg", FlatJpeg(kStill));
        char here[PATH_MAX];
        if (::getcwd(here, sizeof here) != nullptr) before_ = here;
        ASSERT_EQ(::chdir(work_.Host().c_str()), 0);
    }

    void StartBot(const std::string& script) {
        bot_ = std::make_unique<gametest::RoomBot>(irc_->Port(), kChannel, script);
        ASSERT_TRUE(bot_->Ready());
    }

    // Starts the application object; each pass then serves the bot, and a
    // segment held by a screen that still plays lets the game's time pass.
    PictureModel& StartModel() {
        model_ = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
        EXPECT_NE(model_, nullptr);
        // The update script's mandatory file is one of the program's files.
        local_.Write("data.txt", "old\n");
        FindOrRegisterFile(local_.Win("data.txt"));
        PictureRoomProxy& room = model_->GetGameRoomProxy();
        SetStep([this, &room] {
            model_->RunExecutables();
            if (bot_) bot_->Serve();
            if (view_ != nullptr && room.HasRoomMsg() && room.IsNextRoomMsgSegment() && !view_->IsReadyForScreen())
                PassTime(250);
        });
        model_->Start();
        return *model_;
    }

    // The game's time and the sound output's move together.
    void PassTime(std::uint32_t ms) {
        AdvanceAppTime(ms);
        audio_.Advance(ms);
    }
    // Lets `ms` of game time go by, a pass per step.
    static constexpr std::uint32_t kStepMs = 33;
    void RunGameTime(std::uint32_t ms) {
        for (std::uint32_t t = 0; t < ms; t += kStepMs) {
            PassTime(kStepMs);
            PumpOnce();
        }
    }

    bool InRoom() {
        return view_ != nullptr && view_->IsStarted() && model_->GetGameRoomProxy().IsStarted();
    }

    // Exits as the control panel's exit does, then waits for the end.
    ::testing::AssertionResult ExitAndEnd() {
        Process& view = *view_;
        view.Send(ExitMsg());
        // The screens' stops may play out: the game's time passes.
        if (!RunUntil([&] { return model_->IsStopped(); }, 60000))
            return ::testing::AssertionFailure() << "no end\n" << Transcript();
        if (!PumpUntil([&] { return bot_->Said("SCRIPT "); }, 3000))
            return ::testing::AssertionFailure() << "the bot never finished\n" << Transcript();
        return ::testing::AssertionSuccess();
    }

    void ExpectScriptPassed() {
        for (const std::string& line : bot_->Lines()) EXPECT_EQ(line.find("CHECK FAIL"), std::string::npos) << line;
        EXPECT_TRUE(bot_->Said("SCRIPT PASSED")) << Transcript();
        EXPECT_TRUE(boxes_.boxes.empty()) << (boxes_.boxes.empty() ? "" : boxes_.boxes[0].text);
        EXPECT_FALSE(model_->HasErred());
    }

    std::string Transcript() const {
        std::string all = bot_ ? bot_->Transcript() : std::string();
        for (const auto& box : boxes_.boxes) all += "box " + box.text + "\n";
        return all;
    }

    // The view's shared controls.
    PictureChatBox* Chat() {
        return view_ == nullptr ? nullptr : dynamic_cast<PictureChatBox*>(view_->GetSharedControls()[kChatBoxSlot]);
    }
    PicturePlayerListControl* Players() {
        return view_ == nullptr
                   ? nullptr
                   : dynamic_cast<PicturePlayerListControl*>(view_->GetSharedControls()[kPlayerListSlot]);
    }
    TimerControl* Timer() {
        return view_ == nullptr ? nullptr : dynamic_cast<TimerControl*>(view_->GetSharedControls()[kTimerSlot]);
    }
    CaptionsControl* Captions() {
        return view_ == nullptr ? nullptr : dynamic_cast<CaptionsControl*>(view_->GetSharedControls()[kCaptionsSlot]);
    }
    PictureControl* Picture() {
        return view_ == nullptr ? nullptr : dynamic_cast<PictureControl*>(view_->GetSharedControls()[kPictureSlot]);
    }

    std::vector<std::string> ChatLines() {
        std::vector<std::string> lines;
        if (PictureChatBox* chat = Chat()) {
            ListControl& rows = chat->GetLines();
            for (const std::string* t = rows.BeginCellIteration(); t != nullptr; t = rows.NextCellText())
                lines.push_back(*t);
        }
        return lines;
    }

    // Types a line into the chat box's entry as the player does, Enter last.
    void Type(const std::string& text) {
        PictureChatBox* chat = Chat();
        ASSERT_NE(chat, nullptr);
        for (const char c : text) chat->OnKeyboardChar(KeyboardCharMsg(static_cast<unsigned char>(c)));
        chat->OnKeyboardChar(KeyboardCharMsg(13));
        // The entered line is taken (and the entry cleared) when its message is served.
        ASSERT_TRUE(PumpUntil([&] { return chat->GetEntry().GetText().empty(); }, 100));
    }

    // Passes with the game's time going by until done() holds; false after
    // `ms` of game time without it.
    bool RunUntil(const std::function<bool()>& done, std::uint32_t ms) {
        for (std::uint32_t t = 0; t < ms && !done(); t += kStepMs) {
            PassTime(kStepMs);
            PumpOnce();
        }
        return done();
    }

    // Pixels of the game window whose colour is the one given.
    int CountColour(Rgb colour) {
        const platform::Surface* back = platform::GetBackBuffer(view_->GetWindow());
        if (back == nullptr) return -1;
        int count = 0;
        for (int y = 0; y < back->Height(); ++y) {
            const std::uint8_t* row = back->Row(y);
            for (int x = 0; x < back->Width(); ++x) {
                int r = 0, g = 0, b = 0;
                if (back->Depth() == 8) {
                    const auto& entry = back->Colours()[row[x]];
                    r = entry.r;
                    g = entry.g;
                    b = entry.b;
                } else {
                    const std::uint8_t* p = row + x * back->BytesPerPixel();
                    b = p[0];
                    g = p[1];
                    r = p[2];
                }
                count += std::abs(r - colour.r) <= 6 && std::abs(g - colour.g) <= 6 && std::abs(b - colour.b) <= 6;
            }
        }
        return count;
    }

    static constexpr const char* kChannel = "gview";
    static Ngircd* irc_;
    std::unique_ptr<gametest::DispatchFileTurn> turn_;
    bool set_ = false;
    TempFolder files_;
    TempFolder local_;
    TempFolder work_;
    std::string before_;
    std::unique_ptr<TestHttpServer> http_;
    std::unique_ptr<gametest::RoomBot> bot_;
    RecordingBrowser browser_;
    platform::UrlLauncher* browserBefore_ = nullptr;
    platform::RecordingMessageBoxSink boxes_;
    platform::CaptureAudioOut audio_;
    PictureModel* model_ = nullptr;
    view::PictureView* view_ = nullptr;
};

Ngircd* ViewEndToEndTest::irc_ = nullptr;


// The greeting between its rules, the player list from PLB/PLI/PLE, the room's
// answers as their system lines and a public line reach the chat box and the
// player list; with "/log on" typed first, RaruvedOzo.txt beside the program
// gets each line as it comes.
TEST_F(ViewEndToEndTest, RoomLinesReachTheChatBoxPlayerListAndLog) {
    StartBot("view_chat");
    bot_->Hold("log");
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom() && bot_->Waits("log"); }, 3000)) << Transcript();

    Type("/log on");
    ASSERT_TRUE(PumpUntil([&] { return Chat()->IsLogging(); }, 100));
    bot_->Go("log");
    const std::string last = "<Veda>: Dar Eradar selection invalid:  No such entry";
    ASSERT_TRUE(PumpUntil([&] { return !ChatLines().empty() && ChatLines().back() == last; }, 3000))
        << Transcript();

    const std::string rule = "<Veda>: " + std::string(80, '-');
    const std::vector<std::string> shown = {rule,
                                            "<Veda>: " + std::string(15, ' ') + "Welcome to Game Room 1",
                                            rule,
                                            "<Bob>: hello Ann",
                                            "<Veda>: Caption late",
                                            "<Veda>: Caption invalid:  Too long",
                                            "<Veda>: Vote late",
                                            "<Veda>: Vote invalid:  Own caption",
                                            "<Veda>: Dar Eradar selection late",
                                            last};
    EXPECT_EQ(ChatLines(), shown);
    // Each line in its kind's colour: the system lines share one, the public line has another.
    ListControl& rows = Chat()->GetLines();
    ASSERT_EQ(rows.GetRowCount(), static_cast<std::int32_t>(shown.size()));
    auto colourOf = [](ListControl& list, const std::string& text) {
        for (std::int32_t i = 0; i < list.GetRowCount(); ++i)
            if (list.GetRow(i).cells[0] == text) return list.GetRow(i).first;
        return xRGB{1, 2, 3};
    };
    for (const std::string& line : shown)
        EXPECT_EQ(colourOf(rows, line) == colourOf(rows, rule), line != shown[3]) << line;

    // The list sorted by score (straight into the room, the view is not told the
    // local player's name: that comes with the logon screen's answer).
    PicturePlayerListControl* list = Players();
    ASSERT_EQ(list->GetRowCount(), 3);
    std::vector<std::string> listed;
    for (const std::string* t = list->BeginCellIteration(); t != nullptr; t = list->NextCellText())
        listed.push_back(*t);
    EXPECT_EQ(listed, (std::vector<std::string>{"Bob", "12", "Ann", "5", "Cy", "0"}));

    Type("hi Bob");
    // The client's lines go out at its paced rate: the game's time passes.
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("PUC fields"); }, 30000)) << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();

    // The log: the stamp, the logging line, then every line as it came,
    // the player's own line last.
    std::ifstream log(work_.Host("RaruvedOzo.txt"), std::ios::binary);
    ASSERT_TRUE(log.good()) << "no RaruvedOzo.txt beside the program";
    std::vector<std::string> logged;
    for (std::string line; std::getline(log, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        logged.push_back(line);
    }
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[0].rfind("========== ", 0), 0u) << logged[0];
    std::vector<std::string> expected = {"<Veda>: Messages are now being logged to RARUVEDOZO.TXT"};
    expected.insert(expected.end(), shown.begin(), shown.end());
    expected.push_back("<Ann>: hi Bob");
    EXPECT_EQ(std::vector<std::string>(logged.begin() + 1, logged.end()), expected);
}

// The bot's "DP" fetches the picture from the HTTP server into a slot; the
// composition that shows it puts the downloaded picture on the screen, the
// frame's sound and the picture's voice sound, and the bot gets one "PV" per
// slot: the voting segment keeps the picture (and takes a "/v" vote, sent as
// "V" with the author), the next round's picture comes from the other slot.
TEST_F(ViewEndToEndTest, PicturesFetchedAheadAreShownSoundedAndReportedOncePerSlot) {
    StartBot("view_picture");
    for (const char* name : {"fetched", "again", "vote", "fetched2", "again2"}) bot_->Hold(name);
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom() && bot_->Waits("fetched"); }, 3000)) << Transcript();
    ASSERT_TRUE(PumpUntil([&] { return Picture()->GetSlot(0).picture.number1 == 7 && !Picture()->GetSlot(0).pending; },
                          3000))
        << Transcript();
    EXPECT_EQ(Picture()->GetSlot(0).length, static_cast<std::int32_t>(files_.Read("cat.jpg").size()));
    bool asked = false;
    for (const auto& request : http_->Requests())
        asked = asked || request.bytes.rfind("GET /file/cat.jpg HTTP/1.0\r\n", 0) == 0;
    EXPECT_TRUE(asked) << "the picture's address is its folder and name";

    audio_.ClearRecording();
    bot_->Go("fetched");
    ASSERT_TRUE(PumpUntil([&] { return Picture()->GetCurrentPictureId() == 7; }, 3000)) << Transcript();
    PictureControl& picture = *Picture();
    // The start plays the frame's entry; once started the picture is reported.
    ASSERT_TRUE(RunUntil([&] { return picture.IsStarted(); }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return bot_->Waits("again"); }, 3000)) << Transcript();
    RunGameTime(1000);
    // The screen's controls (the round indicator, the caption entry) cover a part of it.
    EXPECT_GT(CountColour(kPictureA), 300 * 100) << "the downloaded picture is on the screen";
    EXPECT_EQ(CountColour(kStill), 0);

    // The picture's introduction: the frame's effect and "Here's the picture".
    ASSERT_EQ(audio_.OpenFormat(), platform::kAudioFormatMono16);
    const std::vector<std::int16_t> samples = audio_.RecordedSamples();
    const int frame = ToneOf("PixFrame"), heres = ToneOf("HeresZuv"), other = ToneOf("VoteTie");
    ASSERT_GT(frame, 0);
    EXPECT_GT(PeakToneShare(samples, frame), 0.2) << frame << " Hz";
    EXPECT_GT(PeakToneShare(samples, heres), 0.2) << heres << " Hz";
    EXPECT_LT(PeakToneShare(samples, other), 0.05) << other << " Hz, not played";

    Type("once");
    bot_->Go("again");
    // The client's lines go out at its paced rate: the game's time passes.
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("PUC fields [b'once'"); }, 30000)) << Transcript();

    // The voting segment keeps the round's picture: no second "PV" for its
    // slot. Its countdown running, "/v" votes for the listed caption.
    ASSERT_TRUE(RunUntil([&] { return bot_->Waits("vote"); }, 60000)) << Transcript();
    TimerControl* timer = Timer();
    CaptionsControl* captions = Captions();
    const bool ok = RunUntil(
        [&] {
            return view_->GetCurrentScreen() == view_->GetVotingScreen() && timer->IsRunning() &&
                   captions->IsStarted();
        },
        90000);
    ASSERT_TRUE(ok);
    std::int32_t bob = 0;
    for (std::size_t i = 0; i < captions->GetCaptions().size(); ++i)
        if (captions->GetCaptions()[i].author == "Bob") bob = static_cast<std::int32_t>(i) + 1;
    ASSERT_GT(bob, 0) << "Bob's caption is listed";
    Type("/v " + std::to_string(bob));
    bot_->Go("vote");
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("CHECK ok V fields"); }, 30000)) << Transcript();
    Type("voted");
    ASSERT_TRUE(RunUntil([&] { return bot_->Waits("fetched2"); }, 30000)) << Transcript();

    // The next round's picture in the other slot, shown by its composition.
    ASSERT_TRUE(PumpUntil([&] { return Picture()->GetSlot(1).picture.number1 == 8 && !Picture()->GetSlot(1).pending; },
                          3000))
        << Transcript();
    bot_->Go("fetched2");
    ASSERT_TRUE(RunUntil([&] { return view_->GetCurrentScreen() == view_->GetCompositionScreen(); }, 60000))
        << Transcript();
    EXPECT_EQ(Picture()->GetCurrentPictureId(), 8u);
    ASSERT_TRUE(RunUntil([&] { return picture.IsStarted(); }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return bot_->Waits("again2"); }, 3000)) << Transcript();
    RunGameTime(1000);
    EXPECT_GT(CountColour(kPictureB), 300 * 100);
    EXPECT_LT(CountColour(kPictureA), 300 * 100) << "the first picture is gone";
    Type("twice");
    bot_->Go("again2");
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("PUC fields [b'twice'"); }, 30000)) << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();
    EXPECT_EQ(bot_->Count("CHECK ok got PV"), 2);
}

// The round winner's Dar Eradar selection: once the board lights up, a click
// on a swatch reaches the bot as "FCS" with the segment's id and the swatch.
// Straight into the room the view is not told the local player's name (the
// logon's answer tells it): the test gives it, as that answer would.
TEST_F(ViewEndToEndTest, ASwatchClickedOnTheBoardGoesOutAsFcs) {
    StartBot("view_fat_chance");
    bot_->Hold("named");
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom() && bot_->Waits("named"); }, 3000)) << Transcript();
    view_->SetLocalPlayerName("Ann");
    bot_->Go("named");
    auto* board = dynamic_cast<FatChanceControl*>(view_->GetSharedControls()[kFatChanceSlot]);
    ASSERT_NE(board, nullptr);
    ASSERT_TRUE(RunUntil([&] { return board->GetLastHighlight() != nullptr && board->GetLastHighlight()->IsStarted(); },
                         30000))
        << Transcript();
    EXPECT_EQ(view_->GetCurrentScreen(), view_->GetFatChanceSelectionScreen());
    // Swatch 3 where the fixture pack lays the board out (five a row, 100 pixels apart).
    MouseService::GetInstance()->OnLeftButtonDown(370, 160);
    MouseService::GetInstance()->OnLeftButtonUp(370, 160);
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("CHECK ok FCS fields"); }, 30000)) << Transcript();
    ASSERT_TRUE(RunUntil([&] { return view_->GetCurrentScreen() == view_->GetFatChanceResultsScreen(); }, 30000))
        << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();
}

// A two-line composition: the caption typed on the game window's keyboard
// (line one, Enter, line two, Enter) reaches the bot as "C" with the segment's
// id and both lines.
TEST_F(ViewEndToEndTest, ATwoLineCaptionTypedInTheCompositionGoesOutAsC) {
    StartBot("view_compose");
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom(); }, 3000)) << Transcript();
    ASSERT_TRUE(RunUntil(
        [&] {
            CompositionScreen* screen = view_->GetCompositionScreen();
            return screen != nullptr && view_->GetCurrentScreen() == screen && screen->IsEntryEnabled();
        },
        60000))
        << Transcript();
    // The keys go to the game window, as the player's do.
    for (const char c : std::string("A cat\ron a mat\r")) {
        queue_.PushInput(platform::FakeMessageQueue::Char(view_->GetWindow(), static_cast<std::uint8_t>(c)));
        PumpPasses(3);
    }
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("CHECK ok C fields"); }, 30000)) << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();
}

// The preflight segment's "next" button sends "/n" as a typed line: the bot
// gets it as a host chat line.
TEST_F(ViewEndToEndTest, ThePreflightsNextButtonGoesOutAsHostChat) {
    StartBot("view_preflight");
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom(); }, 3000)) << Transcript();
    PushButtonControl* next = nullptr;
    ASSERT_TRUE(RunUntil(
        [&] {
            PreflightScreen* screen = view_->GetPreflightScreen();
            next = screen != nullptr ? screen->GetNextButton() : nullptr;
            return next != nullptr && view_->GetCurrentScreen() == screen && next->IsStarted();
        },
        30000))
        << Transcript();
    next->Click();
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("CHECK ok HC fields"); }, 30000)) << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();
}

// An ad break with the fixture pack's long test ad (in the Ads folder beside
// the program): a key pressed on the game window once the ad takes clicks
// clicks it, and the bot gets "AI", clicked, with the ad.
TEST_F(ViewEndToEndTest, AnAdClickedInTheBreakGoesOutAsAi) {
    StartBot("view_ads");
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom(); }, 3000)) << Transcript();
    // The first ad of a break takes clicks a second after it begins.
    ASSERT_TRUE(RunUntil(
        [&] {
            AdsScreen* ads = view_->GetAdsScreen();
            return ads != nullptr && view_->GetCurrentScreen() == ads && ads->GetAdCount() == 1 &&
                   ads->GetAd(0)->IsStarted() && ads->GetAd(0)->IsClickEnabled();
        },
        30000))
        << Transcript();
    queue_.PushInput(platform::FakeMessageQueue::Char(view_->GetWindow(), 'k'));
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("CHECK ok AI fields"); }, 30000)) << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();
}

// A complaint through the control panel: its problem-player button opens the
// complaint dialog over the game window; Bob chosen, "Complain" and OK send
// "CP" with the harassment reason. The view is given the local player's name
// (left out of the dialog's list) as the logon's answer would.
TEST_F(ViewEndToEndTest, AComplaintFromTheControlPanelGoesOutAsCp) {
    StartBot("view_complaint");
    bot_->Hold("named");
    StartModel();
    ASSERT_TRUE(PumpUntil([&] { return InRoom() && bot_->Waits("named"); }, 3000)) << Transcript();
    view_->SetLocalPlayerName("Ann");
    bot_->Go("named");
    ASSERT_TRUE(RunUntil(
        [&] {
            return view_->GetCurrentScreen() == view_->GetPreflightScreen() && view_->GetPreflightScreen()->IsStarted();
        },
        30000))
        << Transcript();
    view_->ShowControlPanel();
    ControlPanelScreen* panel = view_->GetControlPanelScreen();
    ASSERT_TRUE(RunUntil([&] { return view_->IsControlPanelUp(); }, 10000));
    panel->GetProblemPlayerToggle()->Click();
    ASSERT_TRUE(RunUntil([&] { return ComplaintDialogWindow() != nullptr; }, 10000));
    const platform::WindowHandle dialog = ComplaintDialogWindow();
    // The dialog's input is served at once, as the program's pump serves it.
    DialogDriver driver(queue_, view_->GetWindow(), [this] {
        SetBackground(false);
        platform::WinMessage m;
        for (int guard = 0; guard < 1000 && queue_.Peek(m, 0, 0, false); ++guard) PumpOnce();
        SetBackground(true);
    });
    driver.Choose(dialog, complaint_ids::kPlayers, 0);  // Bob, Cy: the local player is not listed
    driver.Click(dialog, complaint_ids::kComplain);
    driver.Click(dialog, platform::kIdOk);
    ASSERT_TRUE(RunUntil([&] { return bot_->Said("CHECK ok CP fields"); }, 30000)) << Transcript();
    ASSERT_TRUE(ExitAndEnd());
    ExpectScriptPassed();
}

}  // namespace
