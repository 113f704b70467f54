// The application object's message table, entry by entry: each row brings the
// real object into a state, delivers one message (or a short series) as its
// sender would, and compares the calls, wire texts and state that follow.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ModelHarness.h"
#include "framework/ErrorMsg.h"
#include "framework/PausedMsg.h"
#include "framework/ReadyToPlayNextScreenMsg.h"
#include "framework/ResumedMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "controls/LocalOriginChatMsg.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureViewMsgs.h"
#include "net/DispatchMsg.h"
#include "net/FileUpdateMsgs.h"
#include "net/RoomMsgFactory.h"
#include "net/RoomMsgStream.h"
#include "net/RoomProxyMsgs.h"

namespace {

using harness::Bring;
using harness::Calls;
using harness::ModelHarness;
using harness::State;
using harness::TakeCalls;
using harness::TestRoomProxy;

const std::string Q(1, '\x02');
const std::string kPicture = "Zuv pic.jpg pics 7 -3 " + Q + "a text" + Q + " 9 ";
const std::string kSegment = "S 100 52000 6000 45000 1000 ";

PictureDispatchInfo Info() {
    PictureDispatchInfo info;
    info.registrationServerCount = 1;
    info.registrationServers[0] = {"reg.example", 81};
    info.gameListServerCount = 1;
    info.gameListServers[0].serverName = "irc.example";
    info.gameListServers[0].port = 6667;
    info.gameListServers[0].channelName = "#list";
    info.webServerName = "www.example";
    return info;
}

std::unique_ptr<Msg> Read(const std::string& text) {
    RoomMsgStream stream(text);
    std::unique_ptr<RoomMsg> msg = GetRoomMsgFactory().CreateRoomMsg(stream);
    if (!msg) ADD_FAILURE() << "unreadable: " << text;
    return msg;
}


enum class From { Dispatch, Update, Lobby, Room, View };

struct Row {
    int entry;
    State state;
    From from;
    // Room-message texts are read by the game's factory; others are made here.
    std::vector<std::string> texts;
    std::function<std::unique_ptr<Msg>()> make;
    std::vector<std::string> calls;  // the recording view's and stand-ins' lines
    std::vector<std::string> wire;   // what the game room's bot then receives
};

MsgSender* SenderOf(ModelHarness& h, From from) {
    switch (from) {
        case From::Dispatch:
            return h.DispatchSender();
        case From::Update:
            return h.UpdateSender();
        case From::Lobby:
            return h.LobbySender();
        case From::Room:
            return h.RoomSender();
        case From::View:
            return h.ViewSender();
    }
    return nullptr;
}

template <class T, class... A>
std::function<std::unique_ptr<Msg>()> Make(A... args) {
    return [=] { return std::make_unique<T>(args...); };
}

std::vector<Row> Rows() {
    const std::string pp = "PP 12 P Bo ";
    const std::string room = PictureRoom("Rm", "h", 1, "#c", "open", 1, false, 8, 2, 3, true, false).Write(nullptr);
    return {
        {4, State::Started, From::Dispatch, {}, Make<DispatchStartedMsg>(), {"view ShowDispatchDownloading"}, {}},
        {5, State::Started, From::Dispatch, {}, Make<DispatchReceivedDataMsg>(100, 20),
         {"view SetDispatchProgress 100 20"}, {}},
        {10, State::Started, From::Update, {}, Make<FileUpdateGettingUpdateScriptMsg>(),
         {"view ShowUpdateScriptDownloading"}, {}},
        {11, State::Started, From::Update, {}, Make<FileUpdateReceivingUpdateScriptMsg>(5, 3),
         {"view SetUpdateScriptProgress 5 3"}, {}},
        {12, State::Started, From::Update, {}, Make<FileUpdateGotUpdateScriptMsg>(),
         {"view ShowUpdateScriptProcessing 10000"}, {}},
        {13, State::Started, From::Update, {}, Make<FileUpdateProcessedUpdateScriptMsg>(),
         {"view UpdateScriptProcessed"}, {}},
        {14, State::Started, From::Update, {}, Make<FileUpdateGettingMandatoryFilesMsg>(700),
         {"view ShowUpdateFilesDownloading 700"}, {}},
        {15, State::Started, From::Update, {}, Make<FileUpdateReceivingMandatoryFilesMsg>(70),
         {"view AddUpdateFilesProgress 70"}, {}},
        {26, State::Room, From::Room, {"SPA Ad ad1 " + Q + "t" + Q + " 15000 "}, nullptr,
         {"update SetSponsorAd ad1"}, {}},
        {27, State::Started, From::Update, {}, Make<FileUpdateGotSponsorAdMsg>(AdInfo("ad1", "t", 1)),
         {"view SetSponsorAd ad1"}, {}},
        {28, State::Room, From::Room, {"ADLB 2 ", "ADLI 0 Ad a1 t 1 ", "ADLI 1 Ad a2 u 2 ", "ADLE "}, nullptr,
         {"update SetAdDownloadList a1 a2"}, {}},
        {35, State::Room, From::View, {}, Make<ComplaintRoomMsg>("Cy", 3, "NONE"), {}, {"bot: CP Cy 3 NONE "}},
        {36, State::Room, From::View, {}, Make<PictureViewedRoomMsg>(9u), {}, {"bot: PV 9 "}},
        {40, State::Room, From::View, {"SC 12 " + kPicture + "2 a b c " + kSegment},
         Make<CompRoomMsg>(-1, "one", "two"), {"view StartComp SC"}, {"bot: C 12 one two "}},
        {41, State::Room, From::View, {"SV 13 " + kPicture + "1 " + kSegment}, Make<VoteRoomMsg>(-1, "Bo"),
         {"view StartVote SV"}, {"bot: V 13 Bo "}},
        {42, State::Room, From::View, {"SFCS 14 Bo 4 BL 1 B 1 1 1 -9 " + kSegment},
         Make<FatChanceSelectionRoomMsg>(-1, 1), {"view StartFatChanceSelection SFCS"}, {"bot: FCS 14 1 "}},
        {46, State::Chooser, From::Lobby, {"RB 1 "}, nullptr, {"view RoomListBegin RB 1 "}, {}},
        {47, State::Chooser, From::Lobby, {"RI 0 " + room}, nullptr, {"view RoomListItem RI 0 " + room}, {}},
        {48, State::Chooser, From::Lobby, {"RU " + room}, nullptr, {"view RoomUpdate RU " + room}, {}},
        {49, State::Room, From::Room, {"PLB 2 "}, nullptr, {"view PlayerListBegin"}, {}},
        {50, State::Room, From::Room, {"PLI 0 " + pp}, nullptr, {"view AddPlayer Bo"}, {}},
        {51, State::Room, From::Room, {"PJ " + pp, "PJ PP 0 P Ann "}, nullptr, {"view AddPlayer Bo"}, {}},
        {52, State::Room, From::Room, {"PLEAVE " + pp, "PLEAVE PP 0 P Ann "}, nullptr, {"view RemovePlayer Bo"}, {}},
        {53, State::Room, From::Room, {"PUC hi Bo ", "PUC mine Ann "}, nullptr, {"view ChatPublic Bo|hi"}, {}},
        {54, State::Room, From::Room, {"PRC hi Bo Ann "}, nullptr, {"view ChatPrivate Bo|Ann|hi"}, {}},
        {55, State::Room, From::Room, {"MC waves Bo "}, nullptr, {"view ChatMe Bo|waves"}, {}},
        {56, State::Room, From::Room, {"HC note "}, nullptr, {"view ChatSystem note"}, {}},
        {57, State::Chooser, From::Lobby, {"PF P Bo " + room}, nullptr, {"view PlayerFound PF P Bo " + room}, {}},
        {58, State::Room, From::Room, {"PNF P Bo "}, nullptr, {"view PlayerNotFound PNF P Bo "}, {}},
        {59, State::Room, From::Room, {"SZuvA -4 SA 1 AL 1 Ad ad1 t 15000 " + kSegment}, nullptr,
         {"view StartPictureAds SZuvA"}, {}},
        {60, State::Room, From::Room, {"H " + Q + "Hello all" + Q + " "}, nullptr,
         {"view ShowHello H " + Q + "Hello all" + Q + " "}, {}},
        {61, State::Room, From::Room, {"SC 1 " + kPicture + "2 a b c " + kSegment}, nullptr, {"view StartComp SC"}, {}},
        {62, State::Room, From::Room, {"SV 1 " + kPicture + "1 " + kSegment}, nullptr, {"view StartVote SV"}, {}},
        {63, State::Room, From::Room, {"SS 1 -1 1 -7 " + Q + Q + " " + kSegment}, nullptr, {"view StartScore SS"},
         {}},
        {64, State::Room, From::Room, {"SFCS 3 Bob 4 BL 2 B 1 1 B -2 -1 1 -9 " + kSegment}, nullptr,
         {"view StartFatChanceSelection SFCS"}, {}},
        {65, State::Room, From::Room, {"SFCR Bob BL 0 5 6 " + kSegment}, nullptr,
         {"view StartFatChanceResults SFCR"}, {}},
        {66, State::Room, From::Room,
         {"SRW Ann " + Q + "line one" + Q + " " + Q + Q + " " + kPicture + "1 1 -1 " + kSegment}, nullptr,
         {"view StartRoundWinner SRW"}, {}},
        {67, State::Room, From::Room, {"SGW 1 2 Ann 10 Bo -3 " + kSegment}, nullptr, {"view StartGameWinner SGW"},
         {}},
        {68, State::Room, From::Room, {"SP " + kPicture + kSegment}, nullptr, {"view StartPreflight SP"}, {}},
        {69, State::Room, From::Room, {"CLB 3 1 1 ", "CLI 0 Ann one two ", "CLI 1 Bo x y ", "CLE "}, nullptr,
         {"view SetCaptionsFlag 1", "view ShowCompList 2"}, {}},
        {72, State::Room, From::Room, {"RLB 2 3 4 -1 ", "RLI 1 Ann 3 30 -120 -1 ", "RLE "}, nullptr,
         {"view SetCaptionsCount 4", "view SetCaptionsFlag 0", "view ShowResultsList 1"}, {}},
        {75, State::Room, From::Room, {"CR 5 "}, nullptr, {"view CompReceived CR 5 "}, {}},
        {76, State::Room, From::Room, {"CL 5 "}, nullptr, {"view CompLate CL 5 "}, {}},
        {77, State::Room, From::Room, {"CI 5 why "}, nullptr, {"view CompInvalid CI 5 why "}, {}},
        {78, State::Room, From::Room, {"VR 5 "}, nullptr, {"view VoteReceived VR 5 "}, {}},
        {79, State::Room, From::Room, {"VL 5 "}, nullptr, {"view VoteLate VL 5 "}, {}},
        {80, State::Room, From::Room, {"VI 5 no "}, nullptr, {"view VoteInvalid VI 5 no "}, {}},
        {81, State::Room, From::Room, {"FCSR 5 "}, nullptr, {"view FatChanceSelectionReceived FCSR 5 "}, {}},
        {82, State::Room, From::Room, {"FCSL 5 "}, nullptr, {"view FatChanceSelectionLate FCSL 5 "}, {}},
        {83, State::Room, From::Room, {"FCSI 5 no "}, nullptr, {"view FatChanceSelectionInvalid FCSI 5 no "}, {}},
        {84, State::Room, From::Room, {"DP " + kPicture}, nullptr, {"view DownloadPicture DP " + kPicture}, {}},
    };
}

class HandlerTableTest : public testing::TestWithParam<Row> {};

TEST_P(HandlerTableTest, TheEntryActsOnTheDrain) {
    const Row& row = GetParam();
    ModelHarness h("");
    Bring(h, row.state, Info());
    h.room->Wire().clear();
    Calls().clear();
    MsgSender* from = SenderOf(h, row.from);
    // The room messages come first (a start message before a caption, say), from
    // the room's proxy unless the row's sender is one.
    MsgSender* roomFrom = row.from == From::Lobby ? h.LobbySender() : h.RoomSender();
    for (const std::string& text : row.texts) {
        std::unique_ptr<Msg> msg = Read(text);
        ASSERT_NE(msg, nullptr);
        h.model->Receive(*msg, roomFrom);
        if (!row.make) {
            EXPECT_TRUE(Calls().empty()) << "queued, not acted on, on arrival";
        }
    }
    if (row.make) {
        std::unique_ptr<Msg> msg = row.make();
        h.model->Receive(*msg, from);
        EXPECT_TRUE(Calls().empty()) << "queued, not acted on, on arrival";
    }
    h.Pass(2);
    EXPECT_EQ(TakeCalls(), row.calls);
    EXPECT_EQ(h.room->Wire(), row.wire);
}

std::string RowName(const testing::TestParamInfo<Row>& info) {
    return "Entry" + std::to_string(info.param.entry);
}

INSTANTIATE_TEST_SUITE_P(Entries, HandlerTableTest, testing::ValuesIn(Rows()), RowName);

// From anyone but the expected sender nothing happens (the three entries that
// take any sender aside).
TEST(PictureModelHandlerTest, MessagesFromAStrangerAreIgnored) {
    ModelHarness h("");
    Bring(h, State::Room, Info());
    TestRoomProxy stranger("stranger");
    const std::string state = h.model->GetStateName();
    const std::int32_t segment = h.model->GetSegmentId();
    Calls().clear();
    h.room->Wire().clear();
    for (const Row& row : Rows()) {
        if (row.entry == 57 || row.entry == 58) continue;  // any sender
        for (const std::string& text : row.texts) h.model->Receive(*Read(text), &stranger);
        if (row.make) h.model->Receive(*row.make(), &stranger);
    }
    const std::vector<std::unique_ptr<Msg>> others = [] {
        std::vector<std::unique_ptr<Msg>> msgs;
        msgs.push_back(std::make_unique<RoomMsgAvailableMsg>());
        msgs.push_back(std::make_unique<ReadyToPlayNextScreenMsg>());
        msgs.push_back(std::make_unique<DispatchProgressCanceledMsg>());
        msgs.push_back(std::make_unique<DispatchProgressTimedOutMsg>());
        msgs.push_back(std::make_unique<FileUpdateProgressCanceledMsg>());
        msgs.push_back(std::make_unique<FileUpdateGotMandatoryFilesMsg>());
        msgs.push_back(std::make_unique<LogonScreenCanceledMsg>());
        msgs.push_back(std::make_unique<ListRoomProgressCanceledMsg>());
        msgs.push_back(std::make_unique<PausedMsg>());
        msgs.push_back(std::make_unique<ResumedMsg>());
        msgs.push_back(std::make_unique<StoppedMsg>());
        msgs.push_back(std::make_unique<StartedMsg>());
        msgs.push_back(std::make_unique<OpeningCompleteMsg>());
        msgs.push_back(std::make_unique<ExitMsg>());
        msgs.push_back(std::make_unique<NewRoomMsg>());
        msgs.push_back(std::make_unique<LocalOriginChatMsg>("hello"));
        msgs.push_back(std::make_unique<FindPlayerMsg>("Bo"));
        msgs.push_back(std::make_unique<AdSelectedMsg>(AdInfo("a", "b", 1)));
        msgs.push_back(std::make_unique<AdViewedMsg>(AdInfo("a", "b", 1), true));
        return msgs;
    }();
    for (const auto& msg : others) h.model->Receive(*msg, &stranger);
    h.Pass(4);
    EXPECT_TRUE(Calls().empty()) << testing::PrintToString(Calls());
    EXPECT_TRUE(h.room->Wire().empty());
    EXPECT_EQ(h.model->GetStateName(), state);
    EXPECT_EQ(h.model->GetSegmentId(), segment);
    EXPECT_TRUE(h.model->GetSelectedAds().empty());
    EXPECT_TRUE(h.room->IsStarted());
}

TEST(PictureModelHandlerTest, TheTableHasItsEightyFourEntries) {
    EXPECT_EQ(PictureModel::GetTableSize(), 84u);
}

// A segment at the front of the game room's queue waits for the view; the
// lobby's messages pass meanwhile, and the view's ready message lets it go.
TEST(PictureModelHandlerTest, ASegmentWaitsForTheViewAndBlocksOnlyItsOwnRoom) {
    ModelHarness h("");
    Bring(h, State::Room, Info());
    // The lobby comes back for the test's sake: started beside the room.
    h.lobby->Configure("irc.example", 6667, "#list", "Ann", 11, 22, Version(1, 2, 3, 4), 1, false);
    h.lobby->Start();
    h.BotAccepts(*h.lobby, "Lobby");
    if (h.lobby->IsPaused()) h.lobby->Resume();
    h.Pass(3);
    Calls().clear();
    h.BotSays(*h.room, "SC 1 " + kPicture + "2 a b c S 100 0 6000 45000 1000 ");
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"view StartComp SC"}));
    ASSERT_FALSE(h.view->IsReadyForScreen()) << "the composition screen is still starting";
    // The next segment waits; the caption reply behind it waits too.
    h.BotSays(*h.room, "SV 1 " + kPicture + "1 S 100 0 6000 45000 1000 ");
    h.BotSays(*h.room, "CR 5 ");
    h.BotSays(*h.lobby, "RB 1 ");
    EXPECT_EQ(TakeCalls(), (std::vector<std::string>{"view RoomListBegin RB 1 "}));
    EXPECT_EQ(h.room->GetQueuedRoomMsgCount(), 2u);
    // The screen's first phase ends: the view is ready and says so.
    h.Advance(6000);
    h.Pass(4);
    const std::vector<std::string> calls = TakeCalls();
    EXPECT_EQ(calls, (std::vector<std::string>{"view StartVote SV", "view CompReceived CR 5 "}));
}

}  // namespace
