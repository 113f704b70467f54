#include "net/LogonForm.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "net/SavedPlayers.h"
#include "support/TempFolder.h"

namespace {

TEST(LogonFormTest, EncodesAndDecodesForms) {
    struct Case {
        std::string text;
        std::string encoded;
    };
    const Case cases[] = {
        {"a b&c", "a+b%26c"},
        {"100%", "100%25"},
        {"x=y+z", "x%3Dy%2Bz"},
        {std::string("caf\xE9\x01", 5), std::string("caf\xE9\x01", 5)},
        {"a-b_c.d~!*'()", "a-b_c.d~!*'()"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FormEncode(c.text), c.encoded);
        EXPECT_EQ(FormDecode(c.encoded), c.text);
    }
    struct DecodeCase {
        const char* coded;
        const char* text;
    };
    const DecodeCase decodes[] = {
        {"a+b", "a b"},
        {"%2b", ""},          // lower case is not one of the four: dropped with its two characters
        {"x%41y", "xy"},      // any other escape is dropped
        {"ab%2", "ab"},       // too short: the text ends
        {"ab%", "ab"},
        {"%25%26%3D%2B", "%&=+"},
    };
    for (const DecodeCase& d : decodes) {
        SCOPED_TRACE(d.coded);
        EXPECT_EQ(FormDecode(d.coded), d.text);
    }
}

TEST(LogonFormTest, ParsesLogonResponses) {
    struct Case {
        std::string body;
        bool ok;
        std::int32_t result;
        const char* name;
        std::uint32_t id;
        std::uint32_t session;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"result=0\nplayer_name=Bob+B%26\nplayer_id=123\nplayersession_id=4294967295\nadult=Y%3D1\n", true, 0,
         "Bob B&", 123, 4294967295u, {"adult=Y=1"}},
        {"result=0\nplayer_id=1\n", false, 0, "", 1, 0, {}},
        {"result=1\nplayer_id=1\nplayersession_id=2", true, 1, "", 1, 2, {}},
        {"result=6", true, 6, "", 0, 0, {}},
        {"\n\nresult=5\n\n", true, 5, "", 0, 0, {}},
        {"player_name=x\n", false, 0, "x", 0, 0, {}},
        {"result", false, 0, "", 0, 0, {}},  // no value: 0, which needs the ids
        {"result=\nplayer_id=1\nplayersession_id=2", true, 0, "", 1, 2, {}},
        {"result=6\nplayer_name=abcdefghijklmnop", true, 6, "abcdefghijkl", 0, 0, {}},
        {"result=-3", true, -3, "", 0, 0, {}},
        {"result=99999999999", true, INT32_MAX, "", 0, 0, {}},
        {"", false, 0, "", 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const LogonResponse r = ParseLogonResponse(c.body);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.logon.playerName, c.name);
        EXPECT_EQ(r.logon.playerId, c.id);
        EXPECT_EQ(r.logon.playerSessionId, c.session);
        EXPECT_EQ(r.logon.lines, c.lines);
    }
    // Read by length: nothing after the body's end is looked at.
    const std::string buffer = "result=6\nresult=5";
    EXPECT_EQ(ParseLogonResponse(std::string_view(buffer).substr(0, 8)).result, 6);
}

TEST(LogonFormTest, ParsesResultAndDetail) {
    struct Case {
        const char* body;
        bool ok;
        std::int32_t result;
        std::int32_t detail;
    };
    const Case cases[] = {
        {"Result=14&Detail=16", true, 14, 16},
        {"Result=0", true, 0, -1},
        {"Detail=3", false, 0, 3},
        {"Result", true, 0, -1},
        {"Result=4&Detail", true, 4, 0},
        {"junk&Result=9&Detail=77&", true, 9, 77},
        {"", false, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const ResultDetail r = ParseResultDetail(c.body);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.detail, c.detail);
    }
    EXPECT_STREQ(LogonFieldName(16), "Connect Speed");
    EXPECT_STREQ(LogonFieldName(21), "detail 21 (unused)");
    EXPECT_STREQ(LogonFieldName(-1), "Unknown field");
    EXPECT_STREQ(LogonFieldName(22), "Unknown field");
}

TEST(LogonFormTest, SurvivesRandomResponses) {
    std::mt19937 random(2115);
    const char alphabet[] = "result=player_idsessionnameDetailResult&\n%+0123456789";
    for (int round = 0; round < 3000; ++round) {
        std::string body(random() % 300, ' ');
        for (char& c : body) {
            c = round % 2 == 0 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random());
        }
        ParseLogonResponse(body);
        ParseResultDetail(body);
        FormDecode(body);
    }
}

TEST(LogonFormTest, BuildsTheFourBodies) {
    EXPECT_EQ(LogonBody("a b", "p&w", "ORI", "1.2.3.4", "LNX"),
              "player_name=a+b&password=p%26w&origin_code=ORI&version=1.2.3.4&platform_code=LNX");
    EXPECT_EQ(ChangeBody(8, "old", "pw", "new one"), "NameOriginal=old&PasswordOriginal=pw&Name=new+one");
    EXPECT_EQ(ChangeBody(11, "old", "pw", "a@b.c"), "NameOriginal=old&PasswordOriginal=pw&Email=a@b.c&");
    RegistrationFields f;
    f.userName = "Bob";
    f.password = "pw=1";
    f.email = "b@x.org";
    f.realName = "Bob Smith";
    f.address = "1 Main St";
    f.city = "Town";
    f.state = "ST";
    f.postalCode = "12345";
    f.country = "GB";
    f.sex = 2;
    f.age = 4;
    f.processor = 1;
    f.memory = 2;
    f.monitor = 3;
    f.connectionSpeed = 4;
    f.income = 5;
    f.occupation = 33;
    f.education = 5;
    f.surfPlace = 2;
    EXPECT_EQ(RegistrationBody(f),
              "Email=b@x.org&Name=Bob&Password=pw%3D1&Country=GB&Zip=12345&Gender=F&Agerange=2&Notices=1"
              "&RealName=Bob+Smith&Address=1+Main+St&City=Town&State=ST&Cpu=1&Ram=2&Monitor=3&ConnectSpeed=4"
              "&Income=5&Job=33&Education=5&SurfPlace=3");
    const int ages[] = {9, 0, 7, 8, 2, 3, 4, 5, 6, 9};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(AgeRangeCode(i), ages[i]) << i;
    EXPECT_EQ(GenderCode(0), '?');
    EXPECT_EQ(GenderCode(1), 'M');
}

TEST(LogonFormTest, StoresPasswordsInTheirRegistryForm) {
    EXPECT_EQ(EncodeStoredPassword("ab1"), std::string("\x98\x99\x68", 3));
    EXPECT_EQ(EncodeStoredPassword(std::string("\x01\x09", 2)), "19");
    EXPECT_EQ(DecodeStoredPassword(EncodeStoredPassword("Secret 12!")), "Secret 12!");
}

TEST(SavedPlayersTest, SavesLoadsAndDeletesPlayersNewestFirst) {
    TempFolder folder;
    platform::Registry registry(folder.Host("registry.txt"));
    EXPECT_TRUE(LoadSavedPlayers(registry).empty());
    SavePlayer(registry, "alice", "pw1", true, 100);
    SavePlayer(registry, "bob", "pw2", false, 300);
    SavePlayer(registry, "carol", "x y", true, 200);
    SavePlayer(registry, "thirteenchars", "pw", true, 400);  // kept in the store, never listed
    SavePlayer(registry, "a\\b", "pw", true, 500);           // would nest: not written
    const auto players = LoadSavedPlayers(registry);
    ASSERT_EQ(players.size(), 3u);
    EXPECT_EQ(players[0].name, "bob");
    EXPECT_EQ(players[0].password, "");
    EXPECT_EQ(players[1].name, "carol");
    EXPECT_EQ(players[1].password, "x y");
    EXPECT_EQ(players[2].name, "alice");
    EXPECT_EQ(players[2].timeStamp, 100u);

    // The stored bytes are the transformed password with its terminator.
    platform::RegistryKey key = 0;
    ASSERT_TRUE(registry.OpenKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine),
                                 "Software\\Halvane\\Quonza\\Players\\alice", key));
    platform::RegistryType type{};
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(registry.QueryValue(key, "Password", type, data));
    EXPECT_EQ(type, platform::RegistryType::String);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0xA7, 0xAE, 0x68, 0x00}));
    registry.CloseKey(key);

    DeleteSavedPlayer(registry, "bob");
    EXPECT_EQ(LoadSavedPlayers(registry).front().name, "carol");
}

}  // namespace
