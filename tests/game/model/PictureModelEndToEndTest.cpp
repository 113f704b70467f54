// The application object end to end against its real peers: the test HTTP
// server (dispatch file, update script, a mandatory file), ngircd, and the
// scripted room bot of testbed/room (which never links the client's code). The
// real model, dispatch proxy, file-update service, room proxies and pump run on
// a manual application clock; the recording view plays each segment as a screen
// for its times and answers as a player would. The bot checks the answers'
// segment ids, the ad impression, the chat and the log-off at exit.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "../../framework/FakeRootCanvas.h"
#include "GameEndToEnd.h"
#include "RecordingPictureView.h"
#include "framework/ErrorMsg.h"
#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"
#include "framework/UIRoot.h"
#include "controls/LocalOriginChatMsg.h"
#include "game/model/PictureModel.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureRoomProxy.h"
#include "game/model/PictureViewMsgs.h"
#include "net/FileUpdateService.h"
#include "net/IrcTestPeers.h"
#include "net/PumpFixture.h"
#include "net/TestHttpServer.h"
#include "net/xIRCQueue.h"
#include "platform/CommandLine.h"
#include "platform/HostPath.h"
#include "platform/RecordingMessageBoxSink.h"
#include "platform/Registry.h"
#include "platform/UrlLauncher.h"
#include "resource/FileRegistry.h"
#include "support/TempFolder.h"

namespace {

using namespace irctest;

class RecordingBrowser : public platform::UrlLauncher {
  public:
    void Launch(const std::string& url) override { urls.push_back(url); }
    std::vector<std::string> urls;
};

class PictureModelEndToEndTest : public PumpFixture {
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
        xIRCQueue::SetPendingError(0);
        gametest::WriteServerFiles(files_, http_->port(), irc_->Port());
        gametest::WriteLocalSettings(local_, http_->port(), irc_->Port(), "gmodel");
        platform::SetCommandLine("game " + local_.Host("settings.ini"));
        platform::Registry::UseDefaultStore(local_.Host("registry.txt"));
        UIRoot::SetCanvasMaker([](const char*, std::int32_t, std::int32_t, std::int32_t, bool) {
            return std::make_unique<FakeRootCanvas>(xRect{0, 0, 640, 480});
        });
        browserBefore_ = platform::UrlLauncher::Install(&browser_);
        PictureModel::Register();
        const std::string folder = local_.Win() + "\\";
        PictureModel::SetMakers({
            nullptr,
            [folder](MsgReceiver* owner) { return std::make_unique<FileUpdateService>(owner, folder); },
            nullptr,
            [this](const std::string& name, std::int32_t bits, std::int32_t width, std::int32_t height, bool full,
                   bool own) {
                auto view = std::make_unique<RecordingPictureView>(name, bits, width, height, full, own);
                view_ = view.get();
                view->onLog = [this](const std::string& line) { Play(line); };
                return view;
            },
        });
    }

    void TearDown() override {
        struct EndTurn {
            std::unique_ptr<gametest::DispatchFileTurn>& turn;
            ~EndTurn() { turn.reset(); }
        } endTurn{turn_};
        if (irc_ == nullptr || !irc_->Started() || http_ == nullptr || !http_->Running()) return;
        bot_.reset();
        ObjectRegistry::DestroyAll();
        PictureModel::SetMakers({});
        UIRoot::SetCanvasMaker(nullptr);
        platform::UrlLauncher::Install(browserBefore_);
        platform::SetCommandLine("");
        xIRCQueue::SetPendingError(0);
        PumpFixture::TearDown();
    }

    // The player: what the screens would send once each segment shows.
    void Play(const std::string& line) {
        Process& view = *view_;
        if (line.rfind("ShowLogon ", 0) == 0) {
            view.Send(LogonScreenSucceededMsg("Ann", "x", 11, 22, 0));
        } else if (line == "ChatPublic Bob|hello Ann") {
            view.Send(LocalOriginChatMsg("hi Bob"));
        } else if (line == "StartPreflight SP") {
            view.Send(LocalOriginChatMsg("/n"));
        } else if (line == "StartComp SC") {
            view.Send(CompRoomMsg(-1, "A cat", twoLineCaption_ ? "on a mat" : ""));
        } else if (line == "StartVote SV") {
            view.Send(VoteRoomMsg(-1, "Bob"));
        } else if (line == "StartFatChanceSelection SFCS") {
            view.Send(FatChanceSelectionRoomMsg(-1, 2));
        } else if (line == "StartPictureAds SZuvA") {
            const AdInfo shoes("Shoes", "Shoes & Socks", 9);
            view.Send(AdSelectedMsg(shoes));
            view.Send(AdSelectedMsg(shoes));
            view.Send(AdViewedMsg(shoes, true));
        } else if (line == "StartGameWinner SGW") {
            view.Send(ComplaintRoomMsg("Bob", 3, "NONE"));
            view.Send(PictureViewedRoomMsg(7));
        }
    }

    bool BotSaid(const std::string& text) const { return bot_->Said(text); }

    std::string Transcript() const {
        std::string all = bot_->Transcript();
        for (const std::string& line : view_->log) all += "view " + line + "\n";
        for (const auto& box : boxes_.boxes) all += "box " + box.text + "\n";
        return all;
    }

    static Ngircd* irc_;
    std::unique_ptr<gametest::DispatchFileTurn> turn_;
    // The composition's answer has a second line.
    bool twoLineCaption_ = false;
    TempFolder files_;
    TempFolder local_;
    std::unique_ptr<TestHttpServer> http_;
    std::unique_ptr<gametest::RoomBot> bot_;
    RecordingBrowser browser_;
    platform::UrlLauncher* browserBefore_ = nullptr;
    platform::RecordingMessageBoxSink boxes_;
    RecordingPictureView* view_ = nullptr;
};

Ngircd* PictureModelEndToEndTest::irc_ = nullptr;

TEST_F(PictureModelEndToEndTest, AWholeRoundFromTheDispatchFileToTheExit) {
    bot_ = std::make_unique<gametest::RoomBot>(irc_->Port(), "gmodel", "model_round");
    ASSERT_TRUE(bot_->Ready());

    auto* model = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
    ASSERT_NE(model, nullptr);
    // The program's files are registered (the view's catalogue does it in the program).
    local_.Write("data.txt", "old\n");
    FindOrRegisterFile(local_.Win("data.txt"));
    PictureRoomProxy& room = model->GetGameRoomProxy();
    bool exited = false;
    SetStep([&] {
        model->RunExecutables();
        // The bot's go-aheads are given at once.
        bot_->Serve();
        // A screen that still plays its phases holds the next segment: its time passes.
        if (room.HasRoomMsg() && room.IsNextRoomMsgSegment() && !view_->IsReadyForScreen()) AdvanceAppTime(250);
        if (!exited && BotSaid("CHECK ok PV fields")) {
            exited = true;
            static_cast<Process*>(view_)->Send(ExitMsg());
        }
    });
    model->Start();
    ASSERT_TRUE(PumpUntil([&] { return model->IsStopped() && model->HasBeenStarted(); }, 20000)) << Transcript();
    ASSERT_FALSE(model->HasErred()) << Transcript();
    ASSERT_TRUE(PumpUntil([&] { return BotSaid("SCRIPT "); }, 3000)) << Transcript();
    for (const std::string& line : bot_->Lines()) EXPECT_EQ(line.find("CHECK FAIL"), std::string::npos) << line;
    EXPECT_TRUE(BotSaid("SCRIPT PASSED")) << Transcript();
    EXPECT_EQ(local_.Read("data.txt"), "the mandatory file\n");
    EXPECT_EQ(browser_.urls, (std::vector<std::string>{"http://www.example/cgi-bin/sponsors?show=ZUV&sessionid=" +
                                                       std::to_string(model->GetSessionId()) + "&playerid=" +
                                                       std::to_string(model->GetPlayerId()) +
                                                       "&ads=Shoes%20%26%20Socks"}));
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_FALSE(model->HasErred());
}

// The preflight's "/n" goes to the room bot as a host chat line, and a two-line
// caption as "C" with the segment id of its start message and both lines.
TEST_F(PictureModelEndToEndTest, PreflightCommandAndTwoLineCaptionReachTheBot) {
    twoLineCaption_ = true;
    bot_ = std::make_unique<gametest::RoomBot>(irc_->Port(), "gmodel", "model_screens");
    ASSERT_TRUE(bot_->Ready());
    auto* model = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
    ASSERT_NE(model, nullptr);
    local_.Write("data.txt", "old\n");
    FindOrRegisterFile(local_.Win("data.txt"));
    PictureRoomProxy& room = model->GetGameRoomProxy();
    bool exited = false;
    SetStep([&] {
        model->RunExecutables();
        bot_->Serve();
        if (room.HasRoomMsg() && room.IsNextRoomMsgSegment() && !view_->IsReadyForScreen()) AdvanceAppTime(250);
        if (!exited && BotSaid("CHECK ok C fields")) {
            exited = true;
            static_cast<Process*>(view_)->Send(ExitMsg());
        }
    });
    model->Start();
    ASSERT_TRUE(PumpUntil([&] { return model->IsStopped() && model->HasBeenStarted(); }, 20000)) << Transcript();
    ASSERT_TRUE(PumpUntil([&] { return BotSaid("SCRIPT "); }, 3000)) << Transcript();
    for (const std::string& line : bot_->Lines()) EXPECT_EQ(line.find("CHECK FAIL"), std::string::npos) << line;
    EXPECT_TRUE(BotSaid("CHECK ok HC fields")) << Transcript();
    EXPECT_TRUE(BotSaid("SCRIPT PASSED")) << Transcript();
    EXPECT_FALSE(model->HasErred());
}

// Scripted failures on the way in and in the room, to the boxes shown and what
// follows: the game fails (and opens the error page when the dispatch file named
// it), or the room's refusal is shown and the game ends cleanly (GotoGameRoom
// has no chooser to go back to).
struct FailureRow {
    std::string name;
    std::string botScript;  // empty: no room is reached
    std::function<void(TempFolder& files, std::string& settings)> arrange;
    bool viewError;
    std::vector<std::string> boxes;
    bool erred;
    std::vector<std::string> urls;
};

void PrintTo(const FailureRow& row, std::ostream* os) {
    *os << row.name;
}

class ModelFailureTest : public PictureModelEndToEndTest, public testing::WithParamInterface<FailureRow> {};

TEST_P(ModelFailureTest, TheFailureShowsItsTextAndTheGameGoesOnOrEnds) {
    const FailureRow& row = GetParam();
    std::string settings = local_.Read("settings.ini");
    if (row.arrange) row.arrange(files_, settings);
    local_.Write("settings.ini", settings);
    if (!row.botScript.empty()) {
        bot_ = std::make_unique<gametest::RoomBot>(irc_->Port(), "gmodel", row.botScript);
        ASSERT_TRUE(bot_->Ready());
    }
    auto* model = dynamic_cast<PictureModel*>(ObjectRegistry::GetSingleton("XApplication"));
    ASSERT_NE(model, nullptr);
    local_.Write("data.txt", "old\n");
    FindOrRegisterFile(local_.Win("data.txt"));
    FindOrRegisterFile(local_.Win("500"));
    PictureRoomProxy& room = model->GetGameRoomProxy();
    SetStep([&] {
        model->RunExecutables();
        if (bot_ == nullptr) return;
        bot_->Serve();
        // Once the bot has done its part, time runs on for the room's timers.
        if (!room.IsStopped() && BotSaid("SCRIPT ")) AdvanceAppTime(1000);
    });
    model->Start();
    if (row.viewError) {
        ASSERT_TRUE(PumpUntil([&] { return view_ != nullptr && view_->IsStarted(); }, 3000));
        static_cast<Process*>(view_)->Send(ErrorMsg("view broke"));
    }
    ASSERT_TRUE(PumpUntil([&] { return model->IsStopped() && model->HasBeenStarted(); }, 6000))
        << model->GetStateName() << "\n" << (bot_ ? Transcript() : std::string());
    std::vector<std::string> shown;
    for (const auto& box : boxes_.boxes) shown.push_back(box.text);
    EXPECT_EQ(shown, row.boxes);
    EXPECT_EQ(model->HasErred(), row.erred);
    std::vector<std::string> urls = browser_.urls;
    // The sponsor page names the drawn ids; only its beginning is compared.
    for (std::string& url : urls) url = url.substr(0, url.find('?'));
    EXPECT_EQ(urls, row.urls);
}

// Without GotoGameRoom: the logon, then the lobby on the bot's channel.
void ThroughTheLobby(TempFolder& files, std::string& settings) {
    settings.replace(settings.find("GotoGameRoom=1"), 14, "GotoGameRoom=0");
    files.Write("dispatch.ini", files.Read("dispatch.ini") + "IRC Channel Name=gmodel\r\n");
}

const std::string kContentDown = "The content server is down at this time.\n";
const std::string kAgain = "\nPlease try to play again later.";

INSTANTIATE_TEST_SUITE_P(
    Scripted, ModelFailureTest,
    testing::Values(
        FailureRow{"DispatchPortClosed", "",
                   [](TempFolder&, std::string& settings) {
                       const std::size_t at = settings.find("DispatchServerPort=");
                       settings.replace(at, settings.find('\r', at) - at, "DispatchServerPort=1");
                   },
                   false, {PictureModel::kDispatchErrorText}, true, {}},
        FailureRow{"UpdateScriptMissing", "",
                   [](TempFolder& files, std::string&) {
                       std::string text = files.Read("dispatch.ini");
                       text.replace(text.find("file/updatescript.ini"), 21, "status/404");
                       files.Write("dispatch.ini", text);
                   },
                   false, {kContentDown + "Cannot download the update script." + kAgain}, true,
                   {"http://www.example/sorry.html"}},
        FailureRow{"MandatoryFileFails", "",
                   [](TempFolder& files, std::string&) {
                       std::string text = files.Read("updatescript.ini");
                       text.replace(text.find("1.0.0.0=file"), 12, "1.0.0.0=status");
                       text.replace(text.find("Client Path=data.txt"), 20, "Client Path=500");
                       files.Write("updatescript.ini", text);
                   },
                   false, {kContentDown + "Cannot download a mandatory file." + kAgain}, true,
                   {"http://www.example/sorry.html"}},
        FailureRow{"LobbyFull", "model_lobby_full", ThroughTheLobby, false,
                   {"The game server will not allow you to play because\nthe lobby is currently full.\nPlease try to "
                    "play again later."},
                   true, {"http://www.example/sorry.html"}},
        FailureRow{"LobbyBotParts", "model_lobby_part", ThroughTheLobby, false,
                   {"The game server has just gone down.\nPlease try to play again later."}, true,
                   {"http://www.example/sorry.html"}},
        FailureRow{"RoomRefuses", "model_refuse", nullptr, false,
                   {"Game room Game Room 3 will not allow you to enter because\nNo seats left.\nPlease choose another "
                    "room."},
                   false, {"http://www.example/cgi-bin/sponsors"}},
        FailureRow{"RoomBotParts", "model_part", nullptr, false,
                   {"Game room Game Room 3 has just gone down.\nPlease choose another room."}, false,
                   {"http://www.example/cgi-bin/sponsors"}},
        FailureRow{"NoLogonAccepted", "model_no_la", nullptr, false, {PictureModel::kServerDownText}, true,
                   {"http://www.example/sorry.html"}},
        FailureRow{"NoClock", "model_no_st", nullptr, false, {PictureModel::kServerDownText}, true,
                   {"http://www.example/sorry.html"}},
        FailureRow{"ViewError", "", nullptr, true, {PictureModel::kUnexpectedText}, true,
                   {"http://www.example/sorry.html"}}),
    [](const testing::TestParamInfo<FailureRow>& info) { return info.param.name; });

}  // namespace
