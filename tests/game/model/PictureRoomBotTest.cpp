// Two game room proxies (lobby and game room) over their real IRC clients, the
// pump and ngircd, with the game's factories, against the scripted room bot of
// testbed/room (which never links the client's code). Every message the bot
// sends is dispatched at once; written again it must give the text the bot
// reports, its segment part rebased on the manual clock. The client answers
// through the game room proxy's five operations and the bot checks the texts.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureRoomProxy.h"
#include "net/IrcTestPeers.h"
#include "net/PumpFixture.h"
#include "net/RoomProxyMsgs.h"
#include "net/xIRCQueue.h"
#include "resource/Version.h"

namespace {

using namespace irctest;

// The bot's time in its "ST"; the test's round trip moves the client's server
// time this much past it.
constexpr std::uint32_t kBotTime = 1000500;
constexpr std::uint32_t kRoundTrip = 300;

// The bot's way of printing a text: bytes outside 32..126 as \xNN.
std::string Shown(const std::string& text) {
    std::string shown;
    for (const unsigned char c : text) {
        if (c >= 32 && c < 127) {
            shown += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        }
    }
    return shown;
}

// Keeps the text of every room message the proxy hands over.
struct Application : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* room = dynamic_cast<const RoomMsg*>(&msg)) texts.push_back(Shown(room->Write(nullptr)));
        return 0;
    }
    std::vector<std::string> texts;
};

// One proxy, its bot and what the application heard from it.
struct Side {
    std::unique_ptr<PictureRoomProxy> proxy;
    std::unique_ptr<Child> bot;
    Application app;
};

class PictureRoomBotTest : public PumpFixture {
  public:
    static void SetUpTestSuite() {
        if (Ngircd::Available()) server_ = new Ngircd();
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (server_ == nullptr || !server_->Started())
            GTEST_SKIP() << "ngircd is not available (tools/deps.sh installs it)";
        PumpFixture::SetUp();
        ExecutionService::Register();
        DummyUIRoot::Register();
        PictureRoomMsgFactory::Register();
        PictureRoomFactory::Register();
        PicturePlayerFactory::Register();
        xIRCQueue::SetPendingError(0);
        // The application dispatches each message as soon as it is queued.
        SetStep([this] {
            ExecutionService::GetInstance().RunExecutables();
            for (Side* side : {&lobby_, &room_}) {
                while (side->proxy != nullptr && side->proxy->HasRoomMsg()) side->proxy->DispatchNextRoomMsg();
            }
        });
    }

    void TearDown() override {
        if (server_ == nullptr) return;
        for (Side* side : {&lobby_, &room_}) {
            side->proxy.reset();
            side->bot.reset();
        }
        xIRCQueue::SetPendingError(0);
        ObjectRegistry::DestroyAll();
        PumpFixture::TearDown();
    }

    void Open(Side& side, const std::string& script, const std::string& channel, std::int32_t roomNumber) {
        side.bot = std::make_unique<Child>(std::vector<std::string>{
            "python3", std::string(VIZUZOR_TESTBED) + "/room/roombot.py", "--port", std::to_string(server_->Port()),
            "--channel", channel, "--script", script, "--nick", "bot" + channel});
        ASSERT_TRUE(side.bot->WaitFor("READY").has_value());
        side.proxy = std::make_unique<PictureRoomProxy>();
        side.proxy->AddReceiver(&side.app);
        side.proxy->Configure("127.0.0.1", server_->Port(), channel, "Ann", 11, 22, Version(1, 0, 0, 0), roomNumber,
                              true);
        side.proxy->Start();
        ASSERT_TRUE(Until([&] { return side.proxy->IsPaused() && side.proxy->IsAwaitingSyncReply(); }))
            << Transcript(side);
        AdvanceAppTime(kRoundTrip);
        Go(side, "clock");
        ASSERT_TRUE(Until([&] { return !side.proxy->IsAwaitingSyncReply(); }));
        ASSERT_EQ(side.proxy->GetServerTime(), kBotTime + kRoundTrip);
        Go(side, "resume");
        side.proxy->Resume();
    }

    bool Until(const std::function<bool()>& done) {
        return PumpUntil([&] {
            for (Side* each : {&lobby_, &room_})
                if (each->bot != nullptr) each->bot->Poll(std::chrono::milliseconds(0));
            return done();
        });
    }
    bool BotSaid(Side& side, const std::string& text) {
        return Until([&] {
            for (const std::string& line : side.bot->Lines())
                if (line.find(text) != std::string::npos) return true;
            return false;
        });
    }
    void Go(Side& side, const std::string& name) {
        ASSERT_TRUE(BotSaid(side, "WAIT " + name)) << Transcript(side);
        side.bot->WriteLine("GO " + name);
    }
    // The messages the bot reports sending, a batched line split into its messages.
    static std::vector<std::string> Sent(const Side& side) {
        std::vector<std::string> sent;
        for (const std::string& line : side.bot->Lines()) {
            if (line.rfind("SENT ", 0) != 0) continue;
            std::string rest = line.substr(5);
            for (std::size_t cut; (cut = rest.find("\\x03\\x04")) != std::string::npos;) {
                sent.push_back(rest.substr(0, cut));
                rest = rest.substr(cut + 8);
            }
            sent.push_back(rest);
        }
        return sent;
    }
    // Every sent message was dispatched, in order, and reads back as sent; a
    // segment part is rebased to the server time at dispatch, its end unmoved.
    void ExpectReadAsSent(const Side& side) {
        const std::vector<std::string> sent = Sent(side);
        ASSERT_EQ(side.app.texts.size(), sent.size()) << Transcript(side);
        for (std::size_t i = 0; i < sent.size(); ++i) {
            SCOPED_TRACE(sent[i]);
            const std::size_t at = sent[i].rfind(" S ");
            if (at == std::string::npos) {
                EXPECT_EQ(side.app.texts[i], sent[i]);
                continue;
            }
            ASSERT_EQ(side.app.texts[i].substr(0, at + 3), sent[i].substr(0, at + 3));
            std::uint32_t stamp = 0, rebased = 0;
            std::int32_t duration = 0, newDuration = 0, phases[3] = {}, newPhases[3] = {};
            std::istringstream(sent[i].substr(at + 3)) >> stamp >> duration >> phases[0] >> phases[1] >> phases[2];
            std::istringstream(side.app.texts[i].substr(at + 3)) >> rebased >> newDuration >> newPhases[0] >>
                newPhases[1] >> newPhases[2];
            EXPECT_EQ(stamp, kBotTime);
            EXPECT_EQ(rebased, kBotTime + kRoundTrip);
            EXPECT_EQ(newDuration, duration - static_cast<std::int32_t>(kRoundTrip));
            for (int p = 0; p < 3; ++p) EXPECT_EQ(newPhases[p], phases[p]);
        }
    }
    void Finish(Side& side) {
        Go(side, "stop");
        side.proxy->Stop();
        ASSERT_TRUE(Until([&] { return side.proxy->IsStopped(); }));
        EXPECT_TRUE(BotSaid(side, "SCRIPT "));
        for (const std::string& line : side.bot->Lines()) EXPECT_EQ(line.find("CHECK FAIL"), std::string::npos) << line;
        EXPECT_TRUE(BotSaid(side, "SCRIPT PASSED")) << Transcript(side);
    }
    static std::string Heard(const Side& side) {
        std::string all;
        for (const std::string& text : side.app.texts) all += "got " + text + "\n";
        return all;
    }
    static std::string Transcript(const Side& side) {
        std::string all;
        for (const std::string& line : side.bot->Lines()) all += line + "\n";
        return all;
    }

    static Ngircd* server_;
    Side lobby_;
    Side room_;
};

Ngircd* PictureRoomBotTest::server_ = nullptr;

TEST_F(PictureRoomBotTest, AWholeRoundThroughTheLobbyAndTheGameRoom) {
    Open(lobby_, "game_lobby", "globby", 1);
    Open(room_, "round_one", "groom1", 7);

    // Answers go out through the game room proxy as the bot asks for them.
    Go(room_, "comp");
    room_.proxy->SendComp(17, "A cat", "");
    Go(room_, "vote");
    room_.proxy->SendVote(18, "Bob");
    Go(room_, "fcs");
    room_.proxy->SendFatChanceSelection(19, 2);
    Go(room_, "complain");
    room_.proxy->SendComplaint(ComplaintRoomMsg("Bob", 3, "NONE"));
    room_.proxy->SendPictureViewed(PictureViewedRoomMsg(7));

    ASSERT_TRUE(BotSaid(lobby_, "WAIT stop"));
    ASSERT_TRUE(BotSaid(room_, "WAIT stop"));
    ASSERT_TRUE(Until([&] { return room_.app.texts.size() >= Sent(room_).size(); }))
        << room_.app.texts.size() << " of " << Sent(room_).size() << "\n" << Transcript(room_) << Heard(room_);
    ExpectReadAsSent(lobby_);
    ExpectReadAsSent(room_);
    ASSERT_GE(room_.app.texts.size(), 3u);
    EXPECT_EQ(room_.app.texts[2], "PLI 0 PP 12 P Bob ") << "a game player record in the generic list";
    Finish(lobby_);
    Finish(room_);
}

TEST_F(PictureRoomBotTest, LateAndInvalidAnswersAndACutStartMessage) {
    Open(room_, "round_two", "groom2", 8);
    ASSERT_TRUE(BotSaid(room_, "WAIT stop"));
    ASSERT_TRUE(Until([&] { return room_.app.texts.size() >= Sent(room_).size(); })) << Heard(room_);
    ExpectReadAsSent(room_);  // the cut "SC" is not among them
    EXPECT_GE(room_.proxy->GetDroppedCount(), 1u);
    EXPECT_TRUE(room_.proxy->IsStarted()) << "the round goes on";
    Finish(room_);
}

}  // namespace
