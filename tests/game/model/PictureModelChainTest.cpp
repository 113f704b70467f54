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
    h.Deliver(OpeningCompleteMsg(), h.ViewSender());
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

}  // namespace
