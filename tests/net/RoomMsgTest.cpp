#include "net/RoomMsg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/GenericRoomMsgs.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"
#include "net/RoomMsgFactory.h"

namespace {

const std::string kQ(1, '\x02');

class RoomMsgTest : public testing::Test {
  protected:
    void SetUp() override {
        RoomMsgFactory::Provide();
        PlayerFactory::Provide();
        RoomFactory::Provide();
        SingletonDefaults::Register(RoomMsgFactory::kName);
        SingletonDefaults::Register(PlayerFactory::kName);
        SingletonDefaults::Register(RoomFactory::kName);
    }
    void TearDown() override { ObjectRegistry::DestroyAll(); }

    static std::unique_ptr<RoomMsg> Read(const std::string& text) {
        RoomMsgStream stream(text);
        return GetRoomMsgFactory().CreateRoomMsg(stream);
    }
};

std::unique_ptr<Player> P(const char* name) {
    return std::make_unique<Player>(name);
}
std::unique_ptr<Room> R() {
    return std::make_unique<Room>("Room with spaces", "irc.example", 6667, "room1", "listing rooms", 3, true,
                                  12);
}

// One message of every generic class, with fields that exercise their types.
std::vector<std::unique_ptr<RoomMsg>> AllMessages() {
    const std::vector<AdInfo> ads = {AdInfo("ad1", "text one", 15000), AdInfo("", "", 0)};
    std::vector<std::unique_ptr<RoomMsg>> m;
    m.push_back(std::make_unique<LogonNowRoomMsg>(4294967295u));
    m.push_back(std::make_unique<LogonRoomMsg>("Ann Lee", 1234, Version(1, 2, 3, 4), 77, 88, -1));
    m.push_back(std::make_unique<LogonAcceptedRoomMsg>("The Lobby", Version(2, 0, 0, -1), 3000000000u));
    m.push_back(std::make_unique<LogoffRoomMsg>(true));
    m.push_back(std::make_unique<LogoffAcceptedRoomMsg>());
    m.push_back(std::make_unique<StartAdsRoomMsg>(false, ads, 4294967295u, -5, 1, 2, 3));
    m.push_back(std::make_unique<SponsorAdRoomMsg>(AdInfo("sponsor", "a b", 9)));
    m.push_back(std::make_unique<AdDownloadListBeginRoomMsg>(2));
    m.push_back(std::make_unique<AdDownloadListItemRoomMsg>(1, AdInfo("x", "y", 1)));
    m.push_back(std::make_unique<AdDownloadListEndRoomMsg>());
    m.push_back(std::make_unique<AdImpressionRoomMsg>(true, AdInfo("x", "", -1)));
    m.push_back(std::make_unique<PublicChatRoomMsg>("hello there", "Bob"));
    m.push_back(std::make_unique<PrivateChatRoomMsg>("", "Bob", "Ann Lee"));
    m.push_back(std::make_unique<MeChatRoomMsg>("waves\t!", "Bob"));
    m.push_back(std::make_unique<HostChatRoomMsg>("\xE9t\xE9"));
    m.push_back(std::make_unique<PlayerJoinRoomMsg>(P("Cy")));
    m.push_back(std::make_unique<PlayerLeaveRoomMsg>(P("Cy D")));
    m.push_back(std::make_unique<PlayerListBeginRoomMsg>(3));
    m.push_back(std::make_unique<PlayerListItemRoomMsg>(2, P("Dee")));
    m.push_back(std::make_unique<PlayerListEndRoomMsg>());
    m.push_back(std::make_unique<LeaveRoomRoomMsg>("room closed"));
    m.push_back(std::make_unique<FindPlayerRoomMsg>(P("Eve")));
    m.push_back(std::make_unique<PlayerFoundRoomMsg>(P("Eve"), R()));
    m.push_back(std::make_unique<PlayerNotFoundRoomMsg>(P("Eve")));
    m.push_back(std::make_unique<RoomListBeginRoomMsg>(1));
    m.push_back(std::make_unique<RoomListItemRoomMsg>(0, R()));
    m.push_back(std::make_unique<RoomListEndRoomMsg>());
    m.push_back(std::make_unique<ListSyncRequestRoomMsg>());
    m.push_back(std::make_unique<ListSyncAckRoomMsg>());
    m.push_back(std::make_unique<RoomUpdateRoomMsg>(R()));
    m.push_back(std::make_unique<ReadyRoomMsg>());
    m.push_back(std::make_unique<GoPublicRoomMsg>());
    m.push_back(std::make_unique<SyncTimeSegmentMsg>(4294967295u, 1, 2, 3, 4));
    m.push_back(std::make_unique<RequestSyncRoomMsg>(99999, 300));
    return m;
}

TEST_F(RoomMsgTest, EveryClassRoundTripsThroughTheFactory) {
    const auto messages = AllMessages();
    ASSERT_EQ(messages.size(), 34u);
    for (const auto& msg : messages) {
        SCOPED_TRACE(msg->GetTag());
        const std::string text = msg->Write(nullptr);
        EXPECT_EQ(text.back(), ' ');
        EXPECT_EQ(text.rfind(msg->GetTag() + " ", 0), 0u);
        const auto back = Read(text);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(typeid(*back), typeid(*msg));
        EXPECT_TRUE(back->Equals(*msg));
        EXPECT_EQ(back->Write(nullptr), text);

        const auto copy = msg->Clone();
        const auto* copied = dynamic_cast<const RoomMsg*>(copy.get());
        ASSERT_NE(copied, nullptr);
        EXPECT_TRUE(copied->Equals(*msg));

        RoomMsgStream extra;
        extra.WriteString("pre");
        EXPECT_EQ(msg->Write(&extra), text);
        EXPECT_EQ(extra.GetText(), "pre " + text);
    }
}

TEST_F(RoomMsgTest, EqualsSeesEveryField) {
    EXPECT_FALSE(PublicChatRoomMsg("a", "b").Equals(PublicChatRoomMsg("a", "c")));
    EXPECT_FALSE(PublicChatRoomMsg("a", "b").Equals(MeChatRoomMsg("a", "b")));
    EXPECT_FALSE(PlayerJoinRoomMsg(P("x")).Equals(PlayerJoinRoomMsg(P("y"))));
    EXPECT_FALSE(SyncTimeSegmentMsg(1, 2, 3, 4, 5).Equals(SyncTimeSegmentMsg(1, 2, 3, 4, 6)));
    EXPECT_FALSE(
        LogonRoomMsg("a", 1, Version(1, 2, 3, 4), 1, 1, 1).Equals(LogonRoomMsg("a", 1, Version(), 1, 1, 1)));
}

TEST_F(RoomMsgTest, WireTextsTable) {
    struct Case {
        std::function<std::unique_ptr<RoomMsg>()> make;
        std::string text;
    };
    const Case cases[] = {
        {[] { return std::make_unique<PublicChatRoomMsg>("hi all", "Bob"); },
         "PUC " + kQ + "hi all" + kQ + " Bob "},
        {[] { return std::make_unique<ReadyRoomMsg>(); }, "RR "},
        {[] { return std::make_unique<LogoffRoomMsg>(false); }, "LO -1 "},
        {[] { return std::make_unique<RequestSyncRoomMsg>(99999, 99999); }, "RS 99999 99999 "},
        {[] { return std::make_unique<PlayerJoinRoomMsg>(std::make_unique<Player>()); }, "PJ P Unknown "},
        {[] { return std::make_unique<LogonRoomMsg>("Ann", 5, Version(1, 0, 0, 7), 2, 3, 1); },
         "L Ann 5 Version 1 0 0 7 2 3 1 "},
        {[] {
             return std::make_unique<StartAdsRoomMsg>(true, std::vector<AdInfo>{AdInfo("a", "b", 10)}, 1, 2,
                                                      3, 4, 5);
         },
         "SA 1 AL 1 Ad a b 10 S 1 2 3 4 5 "},
        {[] { return std::make_unique<SyncTimeSegmentMsg>(4294967295u, 0, 0, 0, 0); },
         "ST S 4294967295 0 0 0 0 "},
    };
    for (const Case& c : cases) {
        const auto msg = c.make();
        SCOPED_TRACE(msg->GetTag());
        EXPECT_EQ(msg->Write(nullptr), c.text);
    }
}

TEST_F(RoomMsgTest, FactoryRowsTable) {
    struct Case {
        std::string text;
        const std::type_info* type;  // null: no message
        bool throws;
    };
    const Case cases[] = {
        {"L Ann 5 Version 1 0 0 7 2 3 1 ", &typeid(LogonRoomMsg), false},
        {"LN 42 ", &typeid(LogonNowRoomMsg), false},
        {"LA Lobby Version 1 0 0 0 5 ", &typeid(LogonAcceptedRoomMsg), false},
        {"PLEAVE P Ann ", &typeid(PlayerLeaveRoomMsg), false},
        {"PLE ", &typeid(PlayerListEndRoomMsg), false},
        {"PLE", &typeid(PlayerListEndRoomMsg), false},
        {"RE extra tokens ignored ", &typeid(RoomListEndRoomMsg), false},
        {"ST S 4294967295 1 2 3 4 ", &typeid(SyncTimeSegmentMsg), false},
        {"S 1 2 3 4 5 ", nullptr, false},
        {"P Ann ", nullptr, false},
        {"R a b 1 c d 1 1 1 ", nullptr, false},
        {"XYZ 1 2 ", nullptr, false},
        {"puc hi Bob ", nullptr, false},
        {"", nullptr, true},
        {"LO 0 ", nullptr, true},
        {"LO 2 ", nullptr, true},
        {"LO ", nullptr, true},
        {"PUC hi ", nullptr, true},
        {"LN abc ", nullptr, true},
        {"PJ R a b 1 c d 1 1 1 ", nullptr, true},
        {"PJ PP Ann ", nullptr, true},
        {"RI 1 P Ann ", nullptr, true},
        {"L Ann 5 Vers 1 0 0 7 2 3 1 ", nullptr, true},
        {"SA 1 AL 1 Ad a b 10 X 1 2 3 4 5 ", nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.throws) {
            EXPECT_THROW(Read(c.text), InvalidRoomMsg);
            continue;
        }
        RoomMsgStream stream(c.text);
        const auto msg = GetRoomMsgFactory().CreateRoomMsg(stream);
        if (c.type == nullptr) {
            EXPECT_EQ(msg, nullptr);
            EXPECT_EQ(stream.GetIndex(), 0);
        } else {
            ASSERT_NE(msg, nullptr);
            EXPECT_EQ(typeid(*msg), *c.type);
        }
    }
    const auto st = Read("ST S 4294967295 1 2 3 4 ");
    EXPECT_EQ(dynamic_cast<const SegmentRoomMsg&>(*st).GetTimeStamp(), 4294967295u);
}

TEST_F(RoomMsgTest, AdjustToTimeTable) {
    struct Case {
        std::uint32_t stamp;
        std::int32_t delay;
        std::uint32_t now;
        std::int32_t delayAfter;
    };
    const Case cases[] = {
        {1000, 5000, 1600, 4400},
        {1000, 5000, 900, 5101},
        {1000, 5000, 1000, 5000},
        {1000, 100, 2000, -900},
        // The stamp was taken just before the 32-bit clock wrapped; now is just after.
        {4294967000u, 5000, 500, static_cast<std::int32_t>(5000u + (4294967000u - 500u) + 1u)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.now);
        SyncTimeSegmentMsg msg(c.stamp, c.delay, 1, 2, 3);
        msg.AdjustToTime(c.now);
        EXPECT_EQ(msg.GetStartDelay(), c.delayAfter);
        EXPECT_EQ(msg.GetTimeStamp(), c.now);
        EXPECT_EQ(msg.GetArg3(), 1);
        EXPECT_EQ(msg.GetLength(), 3);
    }
}

TEST_F(RoomMsgTest, DefaultPlayerAndRoomTexts) {
    EXPECT_EQ(Player().Write(nullptr), "P Unknown ");
    EXPECT_EQ(Room().Write(nullptr), "R Unknown " + kQ + kQ + " 0 " + kQ + kQ + " " + kQ + kQ + " 0 -1 0 ");

    const Room room("Big Room", "h", 6667, "c", "full", 1, true, 2);
    RoomMsgStream in(room.Write(nullptr));
    const auto back = ObjectRegistry::GetAs<RoomFactory>(RoomFactory::kName).CreateRoom(in);
    EXPECT_EQ(back->GetName(), "Big Room");
    EXPECT_EQ(back->Write(nullptr), room.Write(nullptr));
    EXPECT_TRUE(back->GetPreflight());
    EXPECT_EQ(back->GetPlayerLimit(), 2);

    RoomMsgStream wrong("R x ");
    EXPECT_THROW(ObjectRegistry::GetAs<PlayerFactory>(PlayerFactory::kName).CreatePlayer(wrong),
                 InvalidRoomMsg);
}

// A game's player record: its factory is registered in place of the generic one.
class TaggedPlayer : public Player {
  public:
    using Player::Player;
    std::unique_ptr<Player> Clone() const override { return std::make_unique<TaggedPlayer>(*this); }

  protected:
    void WritePlayerFields(RoomMsgStream& stream) const override {
        stream.WriteString("PP").WriteString(GetName());
    }
};

class TaggedPlayerFactory : public PlayerFactory {
  public:
    std::unique_ptr<Player> CreatePlayer(RoomMsgStream& stream) override {
        if (PeekTag(stream) != "PP") return PlayerFactory::CreatePlayer(stream);
        std::string name;
        stream.ExpectTag("PP").ReadString(name);
        return std::make_unique<TaggedPlayer>(name);
    }
};

TEST_F(RoomMsgTest, ARegisteredPlayerFactoryDecidesTheRecordClass) {
    ObjectRegistry::RegisterSingleton(PlayerFactory::kName,
                                      &ObjectRegistry::CreateInstance<TaggedPlayerFactory>,
                                      &ObjectRegistry::DeleteInstance);
    const PlayerJoinRoomMsg sent(std::make_unique<TaggedPlayer>("Zed"));
    EXPECT_EQ(sent.Write(nullptr), "PJ PP Zed ");
    const auto back = Read(sent.Write(nullptr));
    ASSERT_NE(back, nullptr);
    const auto& join = dynamic_cast<const PlayerJoinRoomMsg&>(*back);
    EXPECT_EQ(typeid(*join.GetPlayer()), typeid(TaggedPlayer));
    EXPECT_TRUE(join.Equals(sent));
    // The generic record still reads under this factory, as it falls back.
    EXPECT_NE(Read("PJ P Ann "), nullptr);
}

TEST_F(RoomMsgTest, RandomAndCutTextsNeverCrash) {
    std::mt19937 random(20261210);
    const auto messages = AllMessages();
    std::vector<std::string> texts;
    for (const auto& msg : messages) texts.push_back(msg->Write(nullptr));
    const char alphabet[] = {' ', '\x02', '\x04', '0', '1', '-',  'x',   'P',
                             'R', 'S',    'A',    'L', '9', '\0', '\xFF'};
    int made = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text = texts[random() % texts.size()];
        switch (random() % 4) {
            case 0:
                text.resize(random() % (text.size() + 1));
                break;
            case 1:
                for (int n = 0; n < 3; ++n)
                    text[random() % text.size()] = alphabet[random() % sizeof alphabet];
                break;
            case 2: {
                const std::size_t size = random() % 700;
                text.clear();
                for (std::size_t i = 0; i < size; ++i) text += alphabet[random() % sizeof alphabet];
                break;
            }
            default:
                text += text + text;
                text.insert(random() % text.size(), std::string(random() % 600, 'x'));
                break;
        }
        try {
            if (Read(text) != nullptr) ++made;
        } catch (const InvalidRoomMsg&) {
        }
    }
    EXPECT_GT(made, 100);
}

}  // namespace
