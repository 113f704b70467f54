#include "game/model/PictureRoomMsgs.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"

namespace {

const std::string Q(1, '\x02');

std::string Quoted(const std::string& text) {
    return Q + text + Q;
}

class PictureRoomMsgsTest : public testing::Test {
  protected:
    void SetUp() override {
        // As the application does: the generic factories first, then the game's in their place.
        RoomMsgFactory::Provide();
        PlayerFactory::Provide();
        RoomFactory::Provide();
        SingletonDefaults::Register(RoomMsgFactory::kName);
        SingletonDefaults::Register(PlayerFactory::kName);
        SingletonDefaults::Register(RoomFactory::kName);
        PictureRoomMsgFactory::Register();
        PicturePlayerFactory::Register();
        PictureRoomFactory::Register();
    }
    void TearDown() override { ObjectRegistry::DestroyAll(); }

    static std::unique_ptr<RoomMsg> Read(const std::string& text) {
        RoomMsgStream stream(text);
        return GetRoomMsgFactory().CreateRoomMsg(stream);
    }
};

const PictureInfo kPicture{"pic.jpg", "pics", 7, -3, "a text", 9};
const std::string kPictureText = "Zuv pic.jpg pics 7 -3 " + Quoted("a text") + " 9 ";
const std::string kSegmentText = "S 100 52000 6000 45000 1000 ";
#define SEGMENT 100u, 52000, 6000, 45000, 1000

struct Row {
    std::string text;
    std::unique_ptr<RoomMsg> msg;
};

// One row per message (two for the standings): the text the room bot or client
// sends and the message it stands for.
std::vector<Row> Rows() {
    std::vector<Row> r;
    auto add = [&r](std::string text, std::unique_ptr<RoomMsg> msg) {
        r.push_back({std::move(text), std::move(msg)});
    };
    add("H " + Quoted("Hello all") + " ", std::make_unique<HelloRoomMsg>("Hello all"));
    add("SC 1 " + kPictureText + "2 a b c " + kSegmentText,
        std::make_unique<StartCompRoomMsg>(1, kPicture, 2, "a", "b", "c", SEGMENT));
    add("SV -1 " + kPictureText + "-1 S 4294967295 -5 0 0 0 ",
        std::make_unique<StartVoteRoomMsg>(-1, kPicture, false, 4294967295u, -5, 0, 0, 0));
    add("SS 1 -1 1 -7 " + Quoted("") + " " + kSegmentText,
        std::make_unique<StartScoreRoomMsg>(true, false, true, -7, "", SEGMENT));
    add("SRW Ann " + Quoted("line one") + " " + Quoted("") + " " + kPictureText + "1 1 -1 " + kSegmentText,
        std::make_unique<StartRoundWinnerRoomMsg>("Ann", "line one", "", kPicture, true, true, false,
                                                  SEGMENT));
    add("SFCS 3 Bob 4 BL 2 B 1 1 B -2 -1 1 -9 " + kSegmentText,
        std::make_unique<StartFatChanceSelectionRoomMsg>(
            3, "Bob", 4, std::vector<FatChanceEntry>{{1, true}, {-2, false}}, true, -9, SEGMENT));
    add("SFCR Bob BL 0 5 6 " + kSegmentText,
        std::make_unique<StartFatChanceResultsRoomMsg>("Bob", std::vector<FatChanceEntry>{}, 5, 6, SEGMENT));
    add("SGW 1 2 Ann 10 " + Quoted("Bo B") + " -3 " + kSegmentText,
        std::make_unique<StartGameWinnerRoomMsg>(true, GameStandings({"Ann", "Bo B"}, {10, -3}), SEGMENT));
    add("SGW -1 0 " + kSegmentText,
        std::make_unique<StartGameWinnerRoomMsg>(false, GameStandings(), SEGMENT));
    add("SZuvA -4 SA 1 AL 2 Ad ad1 " + Quoted("text one") + " 15000 Ad " + Quoted("") + " " + Quoted("") +
            " 0 " + kSegmentText,
        std::make_unique<StartPictureAdsRoomMsg>(
            -4, true, std::vector<AdInfo>{AdInfo("ad1", "text one", 15000), AdInfo("", "", 0)}, SEGMENT));
    add("SP " + kPictureText + kSegmentText, std::make_unique<StartPreflightRoomMsg>(kPicture, SEGMENT));
    add("C -1 " + Quoted("") + " two ", std::make_unique<CompRoomMsg>(-1, "", "two"));
    add("CR -4 ", std::make_unique<CompReceivedRoomMsg>(-4));
    add("CL 0 ", std::make_unique<CompLateRoomMsg>(0));
    add("CI 2 " + Quoted("too long") + " ", std::make_unique<CompInvalidRoomMsg>(2, "too long"));
    add("CLB 3 1 -1 ", std::make_unique<CompListBeginRoomMsg>(3, 1, false));
    add("CLI 0 Ann one " + Quoted("two words") + " ",
        std::make_unique<CompListItemRoomMsg>(0, "Ann", "one", "two words"));
    add("CLE ", std::make_unique<CompListEndRoomMsg>());
    add("V 5 Ann ", std::make_unique<VoteRoomMsg>(5, "Ann"));
    add("VR 1 ", std::make_unique<VoteReceivedRoomMsg>(1));
    add("VL 2 ", std::make_unique<VoteLateRoomMsg>(2));
    add("VI 3 why ", std::make_unique<VoteInvalidRoomMsg>(3, "why"));
    add("RLB 2 3 4 1 ", std::make_unique<ResultsListBeginRoomMsg>(2, 3, 4, true));
    add("RLI 1 Ann 3 30 -120 -1 ", std::make_unique<ResultsListItemRoomMsg>(1, "Ann", 3, 30, -120, false));
    add("RLE ", std::make_unique<ResultsListEndRoomMsg>());
    add("FCS 7 2 ", std::make_unique<FatChanceSelectionRoomMsg>(7, 2));
    add("FCSR 1 ", std::make_unique<FatChanceSelectionReceivedRoomMsg>(1));
    add("FCSL -2 ", std::make_unique<FatChanceSelectionLateRoomMsg>(-2));
    add("FCSI 3 no ", std::make_unique<FatChanceSelectionInvalidRoomMsg>(3, "no"));
    add("DP " + kPictureText, std::make_unique<DownloadPictureRoomMsg>(kPicture));
    add("CP Ann 3 NONE ", std::make_unique<ComplaintRoomMsg>("Ann", 3, "NONE"));
    add("PV 4294967295 ", std::make_unique<PictureViewedRoomMsg>(4294967295u));
    return r;
}

// Token boundaries of a written text: spaces outside byte-2 quotes.
std::vector<std::size_t> TokenEnds(const std::string& text) {
    std::vector<std::size_t> ends;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x02') quoted = !quoted;
        if (text[i] == ' ' && !quoted) ends.push_back(i + 1);
    }
    return ends;
}

TEST_F(PictureRoomMsgsTest, EveryRowReadsWritesAndClones) {
    const std::vector<Row> rows = Rows();
    std::vector<std::string> tags;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::unique_ptr<RoomMsg> msg = Read(row.text);
        ASSERT_NE(msg, nullptr);
        EXPECT_EQ(typeid(*msg), typeid(*row.msg));
        EXPECT_TRUE(msg->Equals(*row.msg));
        EXPECT_EQ(msg->Write(nullptr), row.text);
        EXPECT_EQ(row.msg->Write(nullptr), row.text);
        EXPECT_EQ(msg->GetTag(), row.text.substr(0, row.text.find(' ')));
        std::unique_ptr<Msg> clone = msg->Clone();
        auto* copy = dynamic_cast<RoomMsg*>(clone.get());
        ASSERT_NE(copy, nullptr);
        EXPECT_TRUE(copy->Equals(*msg));
        RoomMsgStream also;
        also.WriteString("x");
        EXPECT_EQ(msg->Write(&also), row.text);
        EXPECT_EQ(also.GetText(), "x " + row.text);
        if (tags.empty() || tags.back() != msg->GetTag()) tags.push_back(msg->GetTag());
    }
    EXPECT_EQ(tags.size(), 31u);
}

TEST_F(PictureRoomMsgsTest, FieldsReachTheAccessors) {
    auto sc = Read("SC 1 " + kPictureText + "2 a b c " + kSegmentText);
    const auto& comp = dynamic_cast<const StartCompRoomMsg&>(*sc);
    EXPECT_EQ(comp.GetSegmentId(), 1);
    EXPECT_EQ(comp.GetPicture(), kPicture);
    EXPECT_EQ(comp.GetRoundKind(), 2);
    EXPECT_EQ(comp.GetText3(), "c");
    EXPECT_EQ(comp.GetTimeStamp(), 100u);
    EXPECT_EQ(comp.GetStartDelay(), 52000);
    EXPECT_EQ(comp.GetArg3(), 6000);
    EXPECT_EQ(comp.GetArg4(), 45000);
    EXPECT_EQ(comp.GetLength(), 1000);

    auto sgw = Read("SGW 1 2 Ann 10 " + Quoted("Bo B") + " -3 " + kSegmentText);
    const auto& winner = dynamic_cast<const StartGameWinnerRoomMsg&>(*sgw);
    EXPECT_EQ(winner.GetStandings().GetNames(), (std::vector<std::string>{"Ann", "Bo B"}));
    EXPECT_EQ(winner.GetStandings().GetScores(), (std::vector<std::int32_t>{10, -3}));

    auto ads = Read("SZuvA -4 SA -1 AL 1 Ad a b 7 " + kSegmentText);
    const auto& pictureAds = dynamic_cast<const StartPictureAdsRoomMsg&>(*ads);
    EXPECT_EQ(pictureAds.GetNumber(), -4);
    EXPECT_FALSE(pictureAds.GetFlag());
    ASSERT_EQ(pictureAds.GetAds().size(), 1u);
    EXPECT_EQ(pictureAds.GetAds()[0].GetPlayTime(), 7);
    EXPECT_EQ(pictureAds.GetLength(), 1000);

    CompRoomMsg caption(-1, "a", "b");
    caption.SetSegmentId(12);
    EXPECT_EQ(caption.Write(nullptr), "C 12 a b ");
}

TEST_F(PictureRoomMsgsTest, EveryProperPrefixThrows) {
    for (const Row& row : Rows()) {
        std::vector<std::size_t> ends = TokenEnds(row.text);
        ASSERT_EQ(ends.back(), row.text.size()) << row.text;
        ends.pop_back();
        ends.insert(ends.begin(), 0);
        for (std::size_t end : ends) {
            const std::string prefix = row.text.substr(0, end);
            SCOPED_TRACE(prefix);
            EXPECT_THROW(Read(prefix), InvalidRoomMsg);
        }
    }
}

TEST_F(PictureRoomMsgsTest, BadFieldsThrow) {
    const std::string bad[] = {
        "SV 1 " + kPictureText + "0 " + kSegmentText,                     // bool 0
        "SP Zuw pic.jpg pics 7 -3 x 9 " + kSegmentText,                   // wrong picture tag
        "SC 1 " + kPictureText + "2 a b c T 100 52000 6000 45000 1000 ",  // wrong segment tag
        "SFCS 3 Bob 4 BL 1 C 1 1 1 -9 " + kSegmentText,                   // wrong entry tag
        "SFCR Bob BM 0 5 6 " + kSegmentText,                              // wrong list tag
        "SZuvA 1 SB 1 AL 0 " + kSegmentText,                              // wrong start-ads tag
        "SZuvA 1 SA 1 AM 0 " + kSegmentText,
        "SFCS 3 Bob 4 BL 2147483647 B 1 1 B 2 -1 ",  // a count far past the text
        "SGW 1 2147483647 Ann 1 ",
        "CR x ",
        "PV y ",
    };
    for (const std::string& text : bad) {
        SCOPED_TRACE(text);
        EXPECT_THROW(Read(text), InvalidRoomMsg);
    }
}

TEST_F(PictureRoomMsgsTest, UnknownAndMiscasedTagsGiveNull) {
    for (const char* text : {"h hi ", "sc 1 ", "Pv 1 ", "SZUVA 1 ", "S 1 2 3 4 5 ", "XYZ "}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Read(text), nullptr);
    }
    // The generic messages still read through the game's factory.
    auto ready = Read("RR ");
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(ready->GetTag(), "RR");
}

TEST_F(PictureRoomMsgsTest, ExtraTokensAreIgnoredAndByteTwoComesBackAsFour) {
    auto msg = Read("CR 5 extra tokens ");
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->Write(nullptr), "CR 5 ");

    const HelloRoomMsg hello(
        std::string("a\x02"
                    "b"));
    auto back = Read(hello.Write(nullptr));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(dynamic_cast<const HelloRoomMsg&>(*back).GetGreeting(),
              "a\x04"
              "b");
}

TEST_F(PictureRoomMsgsTest, CutAndRandomTextsNeverCrash) {
    auto tryRead = [this](const std::string& text) {
        try {
            std::unique_ptr<RoomMsg> msg = Read(text);
            if (msg) (void)msg->Write(nullptr);
        } catch (const InvalidRoomMsg&) {
        }
    };
    for (const Row& row : Rows()) {
        for (std::size_t n = 0; n <= row.text.size(); ++n) tryRead(row.text.substr(0, n));
    }
    const char* pieces[] = {"SC",         "SV",          "SS",         "SRW", "SFCS", "SFCR", "SGW",
                            "SZuvA",      "SP",          "DP",         "CLI", "RLI",  "Zuv",  "BL",
                            "B",          "S",           "SA",         "AL",  "Ad",   "PP",   "P",
                            "PR",         "R",           "PLI",        "RI",  "1",    "-1",   "0",
                            "2147483647", "-2147483648", "4294967295", "x",   "\x02", "\x04", ""};
    std::mt19937 random(23);
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        const int count = static_cast<int>(random() % 40);
        for (int t = 0; t < count; ++t) {
            text += pieces[random() % std::size(pieces)];
            text +=
                (random() % 8 == 0) ? std::string(1, static_cast<char>(random() % 256)) : std::string(" ");
        }
        tryRead(text);
    }
}

TEST_F(PictureRoomMsgsTest, PlayersOfBothKindsInOneList) {
    auto game = Read("PLI 0 PP 12 P Ann ");
    auto generic = Read("PLI 1 P " + Quoted("Bo B") + " ");
    ASSERT_NE(game, nullptr);
    ASSERT_NE(generic, nullptr);
    const Player* p1 = dynamic_cast<const PlayerListItemRoomMsg&>(*game).GetPlayer();
    const Player* p2 = dynamic_cast<const PlayerListItemRoomMsg&>(*generic).GetPlayer();
    ASSERT_NE(dynamic_cast<const PicturePlayer*>(p1), nullptr);
    EXPECT_EQ(dynamic_cast<const PicturePlayer*>(p1)->GetScore(), 12);
    EXPECT_EQ(p1->GetName(), "Ann");
    EXPECT_EQ(typeid(*p2), typeid(Player));
    EXPECT_EQ(p2->GetName(), "Bo B");
    EXPECT_EQ(game->Write(nullptr), "PLI 0 PP 12 P Ann ");
    EXPECT_EQ(PicturePlayer("Cy", -3).Write(nullptr), "PP -3 P Cy ");
    auto clone = game->Clone();
    EXPECT_TRUE(dynamic_cast<RoomMsg&>(*clone).Equals(*game));
    EXPECT_THROW(Read("PLI 0 PX 1 P Ann "), InvalidRoomMsg);
    EXPECT_THROW(Read("PLI 0 PP 1 Q Ann "), InvalidRoomMsg);
}

TEST_F(PictureRoomMsgsTest, RoomsOfBothKinds) {
    const std::string roomText = "R " + Quoted("Room one") + " irc.example 6667 room1 full 3 1 12 ";
    auto game = Read("RI 0 PR 4 -20 1 -1 " + roomText);
    auto generic = Read("RI 1 " + roomText);
    ASSERT_NE(game, nullptr);
    ASSERT_NE(generic, nullptr);
    const auto* room =
        dynamic_cast<const PictureRoom*>(dynamic_cast<const RoomListItemRoomMsg&>(*game).GetRoom());
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->GetRound(), 4);
    EXPECT_EQ(room->GetSecondCount(), -20);
    EXPECT_TRUE(room->IsLanguageFiltered());
    EXPECT_FALSE(room->IsExcluded());
    EXPECT_EQ(room->GetName(), "Room one");
    EXPECT_EQ(room->GetPlayerLimit(), 12);
    EXPECT_EQ(room->GetStatusText(), "full");
    EXPECT_EQ(typeid(*dynamic_cast<const RoomListItemRoomMsg&>(*generic).GetRoom()), typeid(Room));
    EXPECT_EQ(game->Write(nullptr), "RI 0 PR 4 -20 1 -1 " + roomText);

    const PictureRoom full("Room one", "irc.example", 6667, "room1", "full", 3, true, 12, 4, -20, true,
                           false);
    EXPECT_EQ(full.Write(nullptr), "PR 4 -20 1 -1 " + roomText);
    EXPECT_EQ(full.Clone()->Write(nullptr), full.Write(nullptr));

    const PictureRoom none;
    RoomMsgStream again(none.Write(nullptr));
    std::unique_ptr<Room> back = ObjectRegistry::GetAs<RoomFactory>(RoomFactory::kName).CreateRoom(again);
    const auto* defaults = dynamic_cast<const PictureRoom*>(back.get());
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(defaults->GetName(), "Unknown");
    EXPECT_EQ(defaults->GetRound(), 0);
    EXPECT_EQ(defaults->GetSecondCount(), 0);
    EXPECT_FALSE(defaults->IsLanguageFiltered());
    EXPECT_FALSE(defaults->IsExcluded());
    EXPECT_THROW(Read("RI 0 PR 4 -20 0 -1 " + roomText), InvalidRoomMsg);
    EXPECT_THROW(Read("RI 0 RR " + roomText), InvalidRoomMsg);
}

TEST_F(PictureRoomMsgsTest, StatusTexts) {
    const struct {
        const char* state;
        const char* shown;
    } cases[] = {{"dead", "Dead"},
                 {"DEAD", "Dead"},
                 {"Dead", "Dead"},
                 {"unknown", "Dead"},
                 {"Unknown", "Dead"},
                 {"UNKNOWN", "Dead"},
                 {"full", "full"},
                 {"listing rooms", "listing rooms"},
                 {"", ""},
                 {"deadly", "deadly"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        const PictureRoom room("n", "h", 1, "c", c.state, 0, false, 0, 0, 0, false, false);
        EXPECT_EQ(room.GetStatusText(), c.shown);
    }
}

}  // namespace
