// The application object's start-up chain, stopping and the faults of both,
// driven through the real object, its real room proxies and the recording view.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ModelHarness.h"
#include "framework/ErrorMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "game/model/PictureViewMsgs.h"
#include "net/FileUpdateMsgs.h"
#include "net/RoomProxyMsgs.h"
#include "platform/HostPath.h"
#include "resource/ExeResource.h"

namespace {

using harness::Calls;
using harness::ModelHarness;

PictureDispatchInfo Info() {
    PictureDispatchInfo info;
    info.updateScriptServerPath = "/update/updatescript.ini";
    info.registerCgiName = "reg.cgi";
    info.validateCgiName = "val.cgi";
    info.changeCgiName = "chg.cgi";
    info.webServerName = "www.example";
    info.webServerPort = 8080;
    info.sponsorsCgi = "cgi/sponsors";
    info.successPage = "thanks.html";
    info.errorPage = "sorry.html";
    info.registrationServerCount = 1;
    info.registrationServers[0] = {"reg.example", 81};
    info.contentServerCount = 2;
    info.contentServers[0] = {"c1.example", 82};
    info.contentServers[1] = {"c2.example", 83};
    info.gameListServerCount = 1;
    info.gameListServers[0].serverName = "irc.example";
    info.gameListServers[0].port = 6667;
    info.gameListServers[0].channelName = "#list";
    info.AddPictureServer({"pics.example", 84});
    return info;
}

// The calls that came since the last look, and forget them.
std::vector<std::string> Take() {
    std::vector<std::string> calls = Calls();
    Calls().clear();
    return calls;
}

bool Contains(const std::vector<std::string>& calls, const std::string& line) {
    return std::find(calls.begin(), calls.end(), line) != calls.end();
}

// Through dispatch and the file update to the logon screen.
void ToLogon(ModelHarness& h) {
    h.model->Start();
    h.Pass();
    h.Deliver(PictureDispatchSucceededMsg(Info()), h.DispatchSender());
    h.Deliver(FileUpdateGotMandatoryFilesMsg(), h.UpdateSender());
    h.Pass(3);
}

// On from the logon screen to the room chooser.
void ToChooser(ModelHarness& h) {
    ToLogon(h);
    h.Deliver(LogonScreenSucceededMsg("Ann", "x", 11, 22, 1), h.ViewSender());
    h.BotAccepts(*h.lobby, "Lobby");
}

// On from the chooser into a game room that plays.
void IntoRoom(ModelHarness& h) {
    ToChooser(h);
    h.Deliver(RoomSelectedMsg(PictureRoom("Room A", "irc2.example", 6668, "#a", "open", 3, false, 8, 1, 2, false,
                                          false),
                              4),
              h.ViewSender());
    h.BotAccepts(*h.room, "Alpha");
    // The lobby was left for the room: its bot lets it go.
    h.BotLetsGo(*h.lobby);
    h.Deliver(OpeningCompleteMsg(), h.ViewSender());
    ASSERT_TRUE(h.lobby->IsStopped());
}

TEST(PictureModelChainTest, FromStartToTheRoomChooser) {
    ModelHarness h("");
    h.model->Start();
    h.Pass();
    EXPECT_EQ(Take(), (std::vector<std::string>{"dispatch Start", "view StartProgressScreen",
                                                "view ShowDispatchConnecting 120000"}));
    h.Deliver(PictureDispatchSucceededMsg(Info()), h.DispatchSender());
    std::vector<std::string> calls = Take();
    ASSERT_EQ(calls.size(), 6u) << testing::PrintToString(calls);
    EXPECT_EQ(calls[0], "view ShowDispatchProcessing");
    EXPECT_EQ(calls[1], "update AddServer c1.example 82");
    EXPECT_EQ(calls[2], "update AddServer c2.example 83");
    EXPECT_EQ(calls[3].rfind("update SetAdFolder ", 0), 0u);
    EXPECT_EQ(calls[3].substr(calls[3].size() - 4), "\\Ads");
    EXPECT_EQ(calls[4], "view ShowUpdateConnecting 60000");
    EXPECT_EQ(calls[5], "update GetUpdateScript /update/updatescript.ini");
    EXPECT_EQ(AdProcess::GetAdFolder(), calls[3].substr(std::string("update SetAdFolder ").size()));

    h.Deliver(FileUpdateGotMandatoryFilesMsg(), h.UpdateSender());
    h.Pass(3);
    calls = Take();
    const std::vector<std::string> logon = {
        "view ShowLoadingResources 30000",
        "view SetProgressStatus",
        "view StopProgressScreen",
        "view SetPictureUserAgent ZUV/1.0",
        "view AddPictureServer pics.example 84",
        "view AddLogonServer reg.example 81",
        "view ShowLogon ZUV err 1.2.3.4 W ZUV/1.0 reg.cgi val.cgi chg.cgi 0",
    };
    EXPECT_EQ(calls, logon);
    EXPECT_TRUE(h.view->IsStarted());

    h.Deliver(LogonScreenSucceededMsg("Ann", "x", 11, 22, 1), h.ViewSender());
    EXPECT_EQ(Take(), (std::vector<std::string>{"view SetLocalPlayerName Ann", "view SetAdultAllowed 1",
                                                "view SetPreflightMode 0",
                                                "lobby Configure irc.example 6667 #list Ann 11 22 1 0",
                                                "lobby Start", "view StartProgressScreen",
                                                "view ShowLobbyConnecting 60000"}));
    // The lobby pauses after its logon; the view is ready, so it resumes at once.
    h.BotAccepts(*h.lobby, "Lobby");
    EXPECT_EQ(Take(), (std::vector<std::string>{"lobby Resume", "view StopProgressTimeout",
                                                "view StopProgressScreen", "view ShowChooseRoom"}));
    EXPECT_TRUE(h.lobby->IsStarted());
}

TEST(PictureModelChainTest, EnteringARoomPlaysTheOpeningThenResumesTheRoom) {
    ModelHarness h("");
    ToChooser(h);
    Take();
    h.Deliver(RoomSelectedMsg(PictureRoom("Room A", "irc2.example", 6668, "#a", "open", 3, false, 8, 1, 2, false,
                                          false),
                              4),
              h.ViewSender());
    EXPECT_EQ(Take(), (std::vector<std::string>{"room Configure irc2.example 6668 #a Ann 11 22 4 1", "room Start",
                                                "view EnterRoom irc2.example 6668 #a", "view PlayerListBegin"}));
    h.BotAccepts(*h.room, "Alpha");
    EXPECT_EQ(Take(), (std::vector<std::string>{"lobby Stop", "view ShowOpening"}));
    h.Deliver(OpeningCompleteMsg(), h.ViewSender());
    EXPECT_EQ(Take(), (std::vector<std::string>{"room Resume", "view EnableControlPanelToggle"}));
    EXPECT_TRUE(h.room->IsStarted());
    EXPECT_EQ(h.model->GetCurrentRoom().GetName(), "Room A");
}

TEST(PictureModelChainTest, PreflightSkipsTheOpeningOfALanguageFilteredRoom) {
    for (const bool filtered : {true, false}) {
        SCOPED_TRACE(filtered);
        ModelHarness h("Preflight=1\r\n");
        ToChooser(h);
        h.Deliver(RoomSelectedMsg(PictureRoom("R", "irc2.example", 6668, "#a", "open", 3, false, 8, 1, 2, filtered,
                                              false),
                                  0),
                  h.ViewSender());
        Take();
        h.BotAccepts(*h.room, "Alpha");
        h.Pass(3);
        const std::vector<std::string> calls = Take();
        EXPECT_EQ(Contains(calls, "view ShowOpening"), !filtered);
        EXPECT_EQ(Contains(calls, "room Resume"), filtered);
    }
}

TEST(PictureModelChainTest, GotoGameRoomGoesStraightToTheRoomWithoutLogonLobbyOrOpening) {
    ModelHarness h("GotoGameRoom=1\r\nUserName=Zed\r\nGameServerName=irc3.example\r\nGameServerPort=7000\r\n"
                   "GameChannelName=#g\r\n");
    ToLogon(h);
    const std::vector<std::string> calls = Take();
    EXPECT_FALSE(Contains(calls, "view ShowLogon ZUV err 1.2.3.4 W ZUV/1.0 reg.cgi val.cgi chg.cgi 0"));
    const std::string configure = "room Configure irc3.example 7000 #g Zed ";
    const auto it = std::find_if(calls.begin(), calls.end(),
                                 [&](const std::string& line) { return line.rfind(configure, 0) == 0; });
    ASSERT_NE(it, calls.end()) << testing::PrintToString(calls);
    EXPECT_EQ(it->substr(it->size() - 4), " 0 1");
    EXPECT_GE(h.model->GetPlayerId(), 9990000);
    EXPECT_LE(h.model->GetPlayerId(), 9990999);
    EXPECT_GE(h.model->GetSessionId(), 9990000);
    EXPECT_LE(h.model->GetSessionId(), 9990999);
    h.BotAccepts(*h.room, "Alpha");
    h.Pass(3);
    const std::vector<std::string> after = Take();
    EXPECT_FALSE(Contains(after, "lobby Stop"));
    EXPECT_FALSE(Contains(after, "view ShowOpening"));
    EXPECT_TRUE(Contains(after, "room Resume"));
    EXPECT_TRUE(h.lobby->IsStopped());
}

TEST(PictureModelChainTest, ExitFromARoomOpensTheSponsorPageLogsOffAndStopsTheView) {
    ModelHarness h("");
    IntoRoom(h);
    h.Deliver(AdSelectedMsg(AdInfo("a1", "Acme & Co #1", 1000)), h.ViewSender());
    h.Deliver(AdSelectedMsg(AdInfo("a2", "Zed", 1000)), h.ViewSender());
    h.Deliver(AdSelectedMsg(AdInfo("a1", "Acme & Co #1", 1000)), h.ViewSender());
    h.room->Wire().clear();
    Take();
    h.Deliver(ExitMsg(), h.ViewSender());
    h.Pass(3);
    EXPECT_EQ(h.browser.urls,
              (std::vector<std::string>{"http://www.example:8080/cgi/sponsors?show=ZUV&sessionid=22&playerid=11"
                                        "&ads=Acme%20%26%20Co%20%231&ads=Zed"}));
    ASSERT_FALSE(h.room->Wire().empty());
    EXPECT_EQ(h.room->Wire()[0], "bot: LO 1 ");
    EXPECT_TRUE(h.room->IsStopping());
    // The bot's answer ends the room; its stop stops the view, whose stop ends the game.
    h.BotLetsGo(*h.room);
    EXPECT_TRUE(h.room->IsStopped());
    EXPECT_TRUE(h.view->IsStopped());
    EXPECT_TRUE(h.model->IsStopped());
    EXPECT_FALSE(h.model->HasErred());
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_EQ(h.browser.urls.size(), 1u);
}

TEST(PictureModelChainTest, WithoutSponsorsTheSuccessPageOpensAndWithoutBrowserNone) {
    for (const bool browser : {true, false}) {
        SCOPED_TRACE(browser);
        ModelHarness h(browser ? "" : "LaunchBrowser=0\r\n");
        h.model->Start();
        h.Pass();
        PictureDispatchInfo info = Info();
        info.sponsorsCgi.clear();
        info.webServerPort = 0;
        h.Deliver(PictureDispatchSucceededMsg(info), h.DispatchSender());
        h.Deliver(AdSelectedMsg(AdInfo("a", "kept", 1)), h.ViewSender());
        h.Deliver(DispatchProgressCanceledMsg(), h.ViewSender());
        h.Pass(3);
        EXPECT_EQ(h.browser.urls, browser ? std::vector<std::string>{"http://www.example/thanks.html"}
                                          : std::vector<std::string>{});
        EXPECT_EQ(h.model->GetSelectedAds(), (std::vector<std::string>{"kept"}));
        EXPECT_TRUE(h.model->IsStopped());
    }
}

TEST(PictureModelChainTest, NewRoomLeavesTheRoomAndBringsTheLobbyBack) {
    ModelHarness h("");
    IntoRoom(h);
    h.room->Wire().clear();
    Take();
    h.Deliver(NewRoomMsg(), h.ViewSender());
    EXPECT_EQ(h.room->Wire(), (std::vector<std::string>{"bot: LO -1 "}));
    h.BotLetsGo(*h.room);
    const std::vector<std::string> calls = Take();
    EXPECT_TRUE(Contains(calls, "lobby Configure irc.example 6667 #list Ann 11 22 1 0")) << testing::PrintToString(calls);
    EXPECT_TRUE(h.model->IsStarted());
}

// Faults of the written behaviour, each with the state that shows it.
TEST(PictureModelChainTest, ARoomStopWhileErredEndsTheProgram) {
    ModelHarness h("");
    IntoRoom(h);
    // A failure of the lobby: box, fail, and the room is logged off.
    h.Deliver(ErrorMsg("lobby broke"), h.LobbySender());
    h.Pass(3);
    EXPECT_TRUE(h.model->IsErred());
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text, PictureModel::kServerDownText);
    EXPECT_EQ(h.browser.urls, (std::vector<std::string>{"http://www.example:8080/sorry.html"}));
    EXPECT_TRUE(h.room->IsStopping());
    h.BotLetsGo(*h.room);
    EXPECT_TRUE(h.view->IsStopped());
    EXPECT_TRUE(h.model->IsStopped()) << h.model->GetStateName();
    EXPECT_FALSE(h.lobby->IsStarting()) << "no lobby after the failure";
}

TEST(PictureModelChainTest, ALobbyThatFailedIsNotReconnected) {
    ModelHarness h("");
    ToChooser(h);
    Take();
    // The lobby's connection fails: its error ends the game, and its stop
    // must not bring it back.
    h.lobby->Fail();
    h.Pass(4);
    if (h.lobby->Client().IsStopping()) h.lobby->Client().Stopped();
    h.Pass(6);
    const std::vector<std::string> calls = Take();
    EXPECT_FALSE(Contains(calls, "lobby Start")) << testing::PrintToString(calls);
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text, PictureModel::kServerDownText);
    EXPECT_TRUE(h.model->HasErred());
    EXPECT_TRUE(h.model->IsStopped()) << h.model->GetStateName();
}

TEST(PictureModelChainTest, ALogonCancelAfterAFailureIsDroppedNotThrown) {
    ModelHarness h("");
    ToLogon(h);
    h.model->Receive(ErrorMsg("x"), h.ViewSender());
    h.model->Receive(LogonScreenCanceledMsg(), h.ViewSender());
    EXPECT_NO_THROW(h.Pass(4));
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text, PictureModel::kUnexpectedText);
    EXPECT_TRUE(h.model->HasErred());
}

TEST(PictureModelChainTest, AnErrorAfterACleanStopReportsNothing) {
    ModelHarness h("");
    h.model->Start();
    h.Pass();
    h.Deliver(DispatchProgressCanceledMsg(), h.ViewSender());
    h.Pass(2);
    ASSERT_TRUE(h.model->IsStopped());
    h.model->Receive(ErrorMsg("late"), h.DispatchSender());
    EXPECT_NO_THROW(h.Pass(4));
    EXPECT_TRUE(h.model->IsStopped());
    EXPECT_FALSE(h.model->HasErred());
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(PictureModelChainTest, TheDispatchTimeOutShowsTheBoxAndStops) {
    ModelHarness h("");
    h.model->Start();
    h.Pass();
    Take();
    h.Deliver(DispatchProgressTimedOutMsg(), h.ViewSender());
    h.Pass(2);
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].title, "Vizuzor Test - Error");
    EXPECT_EQ(h.boxes.boxes[0].text, PictureModel::kDispatchErrorText);
    EXPECT_EQ(h.boxes.boxes[0].style, platform::BoxStyle::IconStop | platform::BoxStyle::TopMost);
    EXPECT_EQ(h.boxes.beeps, (std::vector<std::uint32_t>{Num(platform::BoxStyle::IconStop)}));
    const std::vector<std::string> calls = Take();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0], "view StopProgressScreen");
    EXPECT_TRUE(h.model->IsStopped());
    EXPECT_FALSE(h.model->HasErred());
}

TEST(PictureModelChainTest, AReplacementOfTheProgramStartsTheUpdaterAndOpensNoPage) {
    ModelHarness h("");
    h.model->Start();
    h.Pass();
    h.Deliver(PictureDispatchSucceededMsg(Info()), h.DispatchSender());
    // A downloaded copy of the program waits while the program runs.
    const std::string copy = h.Folder() + "/update_game.exe";
    std::ofstream(copy, std::ios::binary) << "new";
    FileResource replacement(platform::ToWindowsPath(copy));
    h.model->GetOwnFile().UpdateFrom(&replacement);
    ASSERT_FALSE(h.model->GetOwnFile().IsCurrent());
    Take();
    h.Deliver(FileUpdateGotMandatoryFilesMsg(), h.UpdateSender());
    h.Pass(3);
    const std::vector<std::string> calls = Take();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].rfind("launch ", 0), 0u);
    EXPECT_NE(calls[0].find("Resources/EXEUpdater.exe [Vizuzor Test] ["), std::string::npos) << calls[0];
    EXPECT_NE(calls[0].find("game_model_tests] ["), std::string::npos) << calls[0];
    EXPECT_NE(calls[0].find("[" + copy + "]"), std::string::npos) << calls[0];
    EXPECT_TRUE(h.model->ArePagesClosed());
    EXPECT_TRUE(h.browser.urls.empty());
    EXPECT_TRUE(h.model->IsStopped());
    EXPECT_FALSE(h.view->IsStarted());
}

TEST(PictureModelChainTest, AnUpdaterThatCannotStartEndsTheProgram) {
    ModelHarness h("");
    h.model->Start();
    h.Pass();
    const std::string copy = h.Folder() + "/update_game.exe";
    std::ofstream(copy, std::ios::binary) << "new";
    FileResource replacement(platform::ToWindowsPath(copy));
    h.model->GetOwnFile().UpdateFrom(&replacement);
    h.launcher.succeeds = false;
    h.model->Receive(FileUpdateGotMandatoryFilesMsg(), h.UpdateSender());
    EXPECT_THROW(h.model->RunExecutables(), int);
}

}  // namespace
