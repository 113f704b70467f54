// Chat commands, the find-a-friend request, error reports, the ad folder, the
// origin code and the chat line's kind, through the real application object.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ModelHarness.h"
#include "framework/ErrorMsg.h"
#include "controls/LocalOriginChatMsg.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "game/model/PictureViewMsgs.h"
#include "net/FileUpdateMsgs.h"
#include "net/RoomProxyMsgs.h"
#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"
#include "platform/Registry.h"

namespace {

using harness::Bring;
using harness::Calls;
using harness::ModelHarness;
using harness::State;
using harness::TakeCalls;
using harness::TestRoomProxy;

PictureDispatchInfo Info() {
    PictureDispatchInfo info;
    info.registrationServerCount = 1;
    info.registrationServers[0] = {"reg.example", 81};
    info.gameListServerCount = 1;
    info.gameListServers[0].serverName = "irc.example";
    info.gameListServers[0].port = 6667;
    info.gameListServers[0].channelName = "#list";
    info.webServerName = "www.example";
    info.errorPage = "sorry.html";
    return info;
}


struct ChatRow {
    std::string line;
    std::vector<std::string> calls;
    std::vector<std::string> wire;
};

class ChatTest : public testing::TestWithParam<ChatRow> {};

// In a room with three listed players and two captions on the list.
TEST_P(ChatTest, TheLineBecomesItsMessageAndEcho) {
    const ChatRow& row = GetParam();
    ModelHarness h("");
    Bring(h, State::Room, Info());
    h.view->players = {"Ann", "Bo", "Cy Dee"};
    h.BotSays(*h.room, "CLB 2 1 1 ");
    h.BotSays(*h.room, "CLI 0 Bo one two ");
    h.BotSays(*h.room, "CLI 1 Cy x y ");
    h.BotSays(*h.room, "CLE ");
    h.room->Wire().clear();
    Calls().clear();
    h.Deliver(LocalOriginChatMsg(row.line), h.ViewSender());
    EXPECT_EQ(TakeCalls(), row.calls);
    EXPECT_EQ(h.room->Wire(), row.wire);
}

const std::string Q(1, '\x02');

INSTANTIATE_TEST_SUITE_P(
    Lines, ChatTest,
    testing::Values(
        ChatRow{"hello there", {"view ChatPublic Ann|hello there"}, {"bot: PUC " + Q + "hello there" + Q + " Ann "}},
        ChatRow{"/c my caption", {"view CaptionCommand my caption"}, {}},
        ChatRow{"/C x", {"view CaptionCommand x"}, {}}, ChatRow{"/V 2", {"view VoteCommand 2"}, {}},
        ChatRow{"/v 3", {"view VoteCommand -1"}, {}}, ChatRow{"/v 0", {"view VoteCommand -1"}, {}},
        ChatRow{"/v abc", {"view VoteCommand -1"}, {}}, ChatRow{"/v", {"view VoteCommand -1"}, {}},
        ChatRow{"/F", {"view FatChanceCommand"}, {}}, ChatRow{"/f", {"view FatChanceCommand"}, {}},
        ChatRow{"/complain Bo rude words", {"view SplitPlayerName Bo rude words"},
                {"bot: CP Bo 3 " + Q + "rude words" + Q + " "}},
        ChatRow{"/COMPLAIN Cy Dee", {"view SplitPlayerName Cy Dee",
                                      "view ChatSystem You must specify a reason for your complaint against Cy Dee"},
                {}},
        ChatRow{"/complain Zed bad", {"view SplitPlayerName Zed bad", "view ChatSystem Zed is not in the room."}, {}},
        ChatRow{"/complain", {}, {}},
        ChatRow{"/dance now", {}, {"bot: HC " + Q + "/dance now" + Q + " "}},
        ChatRow{"/n", {}, {"bot: HC /n "}},
        ChatRow{"/me", {"view ChatSystem /me is much more interesting if you actually type something after it..."},
                {}},
        ChatRow{"/ME waves hello", {}, {"bot: MC " + Q + "waves hello" + Q + " Ann "}},
        ChatRow{"/msg Cy Dee hi there", {"view SplitPlayerName Cy Dee hi there", "view ChatPrivate Ann|Cy Dee|hi there"},
                {"bot: PRC " + Q + "hi there" + Q + " Ann " + Q + "Cy Dee" + Q + " "}},
        ChatRow{"/msg ann note", {"view SplitPlayerName ann note", "view ChatSystem ann is not in the room."}, {}},
        ChatRow{"/msg Ann note", {"view SplitPlayerName Ann note"}, {"bot: PRC note Ann Ann "}},
        ChatRow{"/msg Bo",
                {"view SplitPlayerName Bo", "view ChatSystem Bo would be more interested in a message with some content..."},
                {}},
        ChatRow{"/msg Zed hi", {"view SplitPlayerName Zed hi", "view ChatSystem Zed is not in the room."}, {}},
        ChatRow{"/msg", {}, {}}, ChatRow{"/ignore Cy Dee", {"view ToggleIgnore Cy Dee"}, {}},
        ChatRow{"/log on", {"view SetChatLogging 1"}, {}}, ChatRow{"/LOG OFF", {"view SetChatLogging 2"}, {}},
        ChatRow{"/log", {"view SetChatLogging 0"}, {}}, ChatRow{"/log maybe", {"view SetChatLogging 0"}, {}},
        ChatRow{"/Save", {"view SaveChatHistory"}, {}}));

TEST(ChatTargetTest, TheLobbyTakesTheLineFirstAndWithoutAProxyItIsDropped) {
    {
        ModelHarness h("");
        Bring(h, State::Chooser, Info());
        h.lobby->Wire().clear();
        Calls().clear();
        h.Deliver(LocalOriginChatMsg("hi"), h.ViewSender());
        EXPECT_EQ(h.lobby->Wire(), (std::vector<std::string>{"bot: PUC hi Ann "}));
        EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"view ChatPublic Ann|hi"}));
        h.Deliver(FindPlayerMsg("Bo"), h.ViewSender());
        ASSERT_EQ(h.lobby->Wire().size(), 2u);
        EXPECT_EQ(h.lobby->Wire()[1], "bot: FP P Bo ");
    }
    {
        ModelHarness h("");
        Bring(h, State::Started, Info());
        Calls().clear();
        h.Deliver(LocalOriginChatMsg("hi"), h.ViewSender());
        h.Deliver(FindPlayerMsg("Bo"), h.ViewSender());
        EXPECT_TRUE(TakeCalls().empty());
    }
}

TEST(ChatTargetTest, AdImpressionsGoToTheRoomElseTheLobby) {
    ModelHarness h("");
    Bring(h, State::Chooser, Info());
    h.lobby->Wire().clear();
    h.Deliver(AdViewedMsg(AdInfo("ad1", "t", 1500), true), h.ViewSender());
    ASSERT_EQ(h.lobby->Wire().size(), 1u);
    EXPECT_EQ(h.lobby->Wire()[0].rfind("bot: AI ", 0), 0u) << h.lobby->Wire()[0];
}

// Error reports: a series of failures from their senders, to the boxes shown,
// the stored text and whether the application object fails.
struct ErrorStep {
    char from;  // D dispatch, F file update, L lobby, G game room, S a stranger
    std::function<std::unique_ptr<Msg>()> make;
};

struct ErrorRow {
    std::string name;
    std::vector<ErrorStep> steps;
    std::vector<std::string> boxes;
    bool fails;
    std::string stored;
};

std::function<std::unique_ptr<Msg>()> Error(std::string text = "") {
    return [text] { return std::make_unique<ErrorMsg>(text); };
}
std::function<std::unique_ptr<Msg>()> Lost() {
    return [] { return std::make_unique<LostRoomBotErrorMsg>("bot", "#a"); };
}
std::function<std::unique_ptr<Msg>()> Leave(std::string reason) {
    return [reason] { return std::make_unique<LeaveRoomErrorMsg>(reason); };
}

const std::string kDown = PictureModel::kServerDownText;

std::vector<ErrorRow> ErrorRows() {
    return {
        {"Dispatch", {{'D', Error("x")}}, {PictureModel::kDispatchErrorText}, true, PictureModel::kDispatchErrorText},
        {"Content",
         {{'F', Error("disk full")}},
         {"The content server is down at this time.\ndisk full\nPlease try to play again later."},
         true,
         "The content server is down at this time.\ndisk full\nPlease try to play again later."},
        {"LobbyLost",
         {{'L', Lost()}},
         {},
         false,
         "The game server has just gone down.\nPlease try to play again later."},
        {"LobbyFullThenFails",
         {{'L', Leave("THIS GAME IS NOW FULL.")}, {'L', Error("Room bot logon failed.")}},
         {"The game server will not allow you to play because\nthe lobby is currently full.\nPlease try to play "
          "again later."},
         true,
         "The game server will not allow you to play because\nthe lobby is currently full.\nPlease try to play "
         "again later."},
        {"LobbyRefusal",
         {{'L', Leave("Old version.")}},
         {},
         false,
         "The game server will not allow you to play because\nOld version.\nPlease try to play again later."},
        {"LobbyOther", {{'L', Error("whatever")}}, {kDown}, true, kDown},
        {"RoomLostThenFails",
         {{'G', Lost()}, {'G', Error("x")}},
         {"Game room Alpha has just gone down.\nPlease choose another room."},
         false,
         ""},
        {"RoomRefusesThenFails",
         {{'G', Leave("no seats")}, {'G', Error("x")}},
         {"Game room Alpha will not allow you to enter because\nno seats\nPlease choose another room."},
         false,
         ""},
        {"RoomFailsTwice",
         {{'G', Lost()}, {'G', Error("x")}, {'G', Error("y")}},
         {"Game room Alpha has just gone down.\nPlease choose another room.", kDown},
         true,
         kDown},
        {"RoomOther", {{'G', Error("x")}}, {kDown}, true, kDown},
        {"Stranger", {{'S', Error("x")}}, {PictureModel::kUnexpectedText}, true, PictureModel::kUnexpectedText},
        {"NothingOnceErred", {{'S', Error("x")}, {'D', Error("y")}, {'F', Error("z")}},
         {PictureModel::kUnexpectedText}, true, PictureModel::kUnexpectedText},
    };
}

class ErrorReportTest : public testing::TestWithParam<ErrorRow> {};

TEST_P(ErrorReportTest, TheFailureBecomesItsText) {
    const ErrorRow& row = GetParam();
    ModelHarness h("");
    Bring(h, State::Room, Info());
    TestRoomProxy stranger("stranger");
    Calls().clear();
    for (const ErrorStep& step : row.steps) {
        MsgSender* from = step.from == 'D'   ? h.DispatchSender()
                          : step.from == 'F' ? h.UpdateSender()
                          : step.from == 'L' ? h.LobbySender()
                          : step.from == 'G' ? h.RoomSender()
                                             : static_cast<MsgSender*>(&stranger);
        h.model->Receive(*step.make(), from);
        h.Pass(2);
    }
    std::vector<std::string> shown;
    for (const auto& box : h.boxes.boxes) {
        shown.push_back(box.text);
        EXPECT_EQ(box.title, "Vizuzor Test - Error");
        EXPECT_EQ(box.style, platform::BoxStyle::IconStop | platform::BoxStyle::TopMost);
    }
    EXPECT_EQ(shown, row.boxes);
    EXPECT_EQ(h.boxes.beeps.size(), row.boxes.size());
    EXPECT_EQ(h.model->HasErred(), row.fails);
    EXPECT_EQ(h.model->GetErrorText(), row.stored);
    // Each box ends the progress screen first.
    std::size_t stops = 0;
    for (const std::string& call : Calls()) stops += call == "view StopProgressScreen" ? 1 : 0;
    EXPECT_GE(stops, row.boxes.size());
    EXPECT_EQ(h.browser.urls.size(), row.fails ? 1u : 0u) << "the error page opens when the game fails";
}

INSTANTIATE_TEST_SUITE_P(Failures, ErrorReportTest, testing::ValuesIn(ErrorRows()),
                         [](const testing::TestParamInfo<ErrorRow>& info) { return info.param.name; });

// A game room that refuses entry takes the player back to the chooser.
TEST(ErrorReportTest2, ARefusingRoomReturnsToTheChooser) {
    ModelHarness h("");
    Bring(h, State::Chooser, Info());
    h.Deliver(RoomSelectedMsg(PictureRoom("R", "irc2.example", 6668, "#a", "open", 3, false, 8, 1, 2, false, false),
                              0),
              h.ViewSender());
    h.BotAccepts(*h.room, "Alpha");
    Calls().clear();
    // The lobby stays up while the opening plays; the room bot sends the player away.
    h.BotSays(*h.room, "LER " + Q + "Room closed." + Q + " ");
    if (h.room->Client().IsStopping()) h.room->Client().Stopped();
    h.Pass(6);
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text,
              "Game room Alpha will not allow you to enter because\nRoom closed.\nPlease choose another room.");
    EXPECT_FALSE(h.model->HasErred());
    EXPECT_TRUE(h.model->IsStarted());
}

TEST(ChatCommandKindTest, TheFirstWordDecides) {
    const std::vector<std::pair<std::string, ChatCommandKind>> cases = {
        {"", ChatCommandKind::Text},
        {"hello /me", ChatCommandKind::Text},
        {"/", ChatCommandKind::Command},
        {"/n", ChatCommandKind::Command},
        {"/p", ChatCommandKind::Command},
        {"/mex", ChatCommandKind::Command},
        {"/ME waves", ChatCommandKind::Me},
        {"/me", ChatCommandKind::Me},
        {"   /me later", ChatCommandKind::Me},
        {"/Msg Bo hi", ChatCommandKind::Private},
        {"/IGNORE Bo", ChatCommandKind::Ignore},
        {"/log on", ChatCommandKind::Log},
        {"/Save", ChatCommandKind::Save},
        {"\"/me\" quoted", ChatCommandKind::Me},
        {std::string(600, 'x') + " /me", ChatCommandKind::Text},
    };
    for (const auto& [line, kind] : cases) {
        SCOPED_TRACE(line.substr(0, 40));
        EXPECT_EQ(LocalOriginChatMsg(line).Classify(), kind);
    }
}

class AdFolderTest : public testing::Test {
  protected:
    static std::string ReadAdPath() {
        platform::Registry& registry = platform::Registry::Default();
        platform::RegistryKey key = 0;
        if (!registry.OpenKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine),
                              LocalSettings::kRegistryKey, key)) {
            return "(none)";
        }
        platform::RegistryType type = platform::RegistryType::None;
        std::vector<std::uint8_t> data;
        const bool read = registry.QueryValue(key, "Ad Path", type, data);
        registry.CloseKey(key);
        if (!read) return "(none)";
        std::string text(data.begin(), data.end());
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return text;
    }
    static void WriteValue(const std::string& name, const std::string& value) {
        platform::Registry& registry = platform::Registry::Default();
        platform::RegistryKey key = 0;
        ASSERT_TRUE(registry.CreateKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine),
                                       LocalSettings::kRegistryKey, key));
        registry.SetString(key, name, value);
        registry.CloseKey(key);
    }
};

TEST_F(AdFolderTest, AnExistingFolderIsKeptAMissingOneFallsBackAndIsWrittenBack) {
    ModelHarness h("");
    // Absent: "Ads" beside the program, made and written.
    const std::string fallback = h.model->DetermineAdFolder();
    EXPECT_EQ(fallback.substr(fallback.size() - 4), "\\Ads");
    EXPECT_TRUE(platform::HostIsDirectory(platform::ResolveHostPath(fallback)));
    EXPECT_EQ(ReadAdPath(), fallback);
    // A folder that exists is the ad folder, and the value stays.
    const std::string own = platform::ToWindowsPath(h.Folder());
    WriteValue("Ad Path", own);
    EXPECT_EQ(h.model->DetermineAdFolder(), own);
    EXPECT_EQ(ReadAdPath(), own);
    // A folder that is gone is replaced and rewritten.
    WriteValue("Ad Path", own + "\\gone");
    EXPECT_EQ(h.model->DetermineAdFolder(), fallback);
    EXPECT_EQ(ReadAdPath(), fallback);
}

TEST_F(AdFolderTest, TheOriginCodeIsTheRegistrysElseErr) {
    ModelHarness h("");
    EXPECT_EQ(h.model->GetOriginCode(), "err");
    WriteValue("Installer Origin ID", "CD42");
    EXPECT_EQ(h.model->GetOriginCode(), "CD42");
}

}  // namespace
