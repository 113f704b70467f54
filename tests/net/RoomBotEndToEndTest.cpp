// The room proxies over their real IRC clients, the pump and ngircd, against the
// scripted room bot of testbed/room (which never links the client's code).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "IrcTestPeers.h"
#include "PumpFixture.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "net/GenericRoomMsgs.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"
#include "net/RoomMsgFactory.h"
#include "net/RoomProxy.h"
#include "net/RoomProxyMsgs.h"
#include "net/xIRCQueue.h"
#include "net/xIrcClient.h"

namespace {

using namespace irctest;

// What the application would do with the proxy's messages: keep their texts.
struct Application : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* room = dynamic_cast<const RoomMsg*>(&msg)) texts.push_back(room->Write(nullptr));
        if (msg.Is<RoomMsgAvailableMsg>()) ++available;
        if (const auto* leave = dynamic_cast<const LeaveRoomErrorMsg*>(&msg))
            leaveReason = leave->GetReason();
        if (msg.Is<LostRoomBotErrorMsg>()) lostBot = true;
        return 0;
    }
    std::vector<std::string> texts;
    int available = 0;
    std::string leaveReason;
    bool lostBot = false;
};

class RoomBotEndToEndTest : public PumpFixture {
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
        RoomMsgFactory::Provide();
        PlayerFactory::Provide();
        RoomFactory::Provide();
        SingletonDefaults::Register(RoomMsgFactory::kName);
        SingletonDefaults::Register(PlayerFactory::kName);
        SingletonDefaults::Register(RoomFactory::kName);
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
        xIRCQueue::SetPendingError(0);
        proxy_ = std::make_unique<RoomProxy>();
        proxy_->AddReceiver(&app_);
    }

    void TearDown() override {
        if (proxy_ == nullptr) return;
        proxy_.reset();
        bot_.reset();
        xIRCQueue::SetPendingError(0);
        ObjectRegistry::DestroyAll();
        PumpFixture::TearDown();
    }

    bool StartBot(const std::string& script, const std::string& channel) {
        bot_ = std::make_unique<Child>(std::vector<std::string>{
            "python3", std::string(VIZUZOR_TESTBED) + "/room/roombot.py", "--port",
            std::to_string(server_->Port()), "--channel", channel, "--script", script});
        return bot_->WaitFor("READY").has_value();
    }

    // Pumps until done() holds, reading the bot's output as it comes.
    bool Until(const std::function<bool()>& done) {
        return PumpUntil([&] {
            bot_->Poll(std::chrono::milliseconds(0));
            return done();
        });
    }
    bool BotSaid(const std::string& text) {
        return Until([&] {
            for (const std::string& line : bot_->Lines())
                if (line.find(text) != std::string::npos) return true;
            return false;
        });
    }
    void Go(const std::string& name) {
        ASSERT_TRUE(BotSaid("WAIT " + name)) << Transcript();
        bot_->WriteLine("GO " + name);
    }
    void ExpectBotPassed() {
        EXPECT_TRUE(BotSaid("SCRIPT "));
        for (const std::string& line : bot_->Lines()) {
            EXPECT_EQ(line.find("CHECK FAIL"), std::string::npos) << line;
        }
        EXPECT_TRUE(BotSaid("SCRIPT PASSED")) << Transcript();
    }
    std::string Transcript() const {
        std::string all;
        for (const std::string& line : bot_->Lines()) all += line + "\n";
        return all;
    }
    void DrainQueue() {
        while (proxy_->HasRoomMsg()) proxy_->DispatchNextRoomMsg();
    }

    static Ngircd* server_;
    std::unique_ptr<RoomProxy> proxy_;
    std::unique_ptr<Child> bot_;
    Application app_;
};

Ngircd* RoomBotEndToEndTest::server_ = nullptr;

TEST_F(RoomBotEndToEndTest, Lobby) {
    ASSERT_TRUE(StartBot("lobby", "lobby"));
    proxy_->Configure("127.0.0.1", server_->Port(), "lobby", "Ann", 11, 22, Version(1, 2, 3, 4), 1, false);
    proxy_->Start();
    ASSERT_TRUE(Until([&] { return proxy_->IsPaused(); })) << Transcript();
    EXPECT_EQ(proxy_->GetLogonAcceptedString(), "The Lobby");
    EXPECT_EQ(proxy_->GetServerVersion(), Version(2, 0, 0, 0));
    Go("resume");
    proxy_->Resume();
    ASSERT_TRUE(Until([&] { return proxy_->HasRoomMsg() && app_.available > 0 && proxy_->IsPublic(); }));
    Go("chat");
    proxy_->SendPublicChat("hi all");
    proxy_->SendPrivateChat(Player("Bob"), "psst");
    proxy_->SendMeChat("waves");
    proxy_->SendHostChat("host line");
    Go("stop");
    ASSERT_TRUE(Until([&] { return proxy_->GetQueuedRoomMsgCount() >= 5; }));
    DrainQueue();
    ASSERT_GE(app_.texts.size(), 5u);
    EXPECT_EQ(app_.texts[0], "RB 1 ");
    EXPECT_EQ(app_.texts[1].substr(0, 21), "RI 0 R \x02Game Room 1\x02 ");
    EXPECT_EQ(app_.texts[2], "RE ");
    EXPECT_EQ(app_.texts[3], "PUC \x02hello there\x02 Bob ");
    EXPECT_EQ(app_.texts[4],
              "HC \x02"
              "from the host\x02 ");
    proxy_->Stop();
    ASSERT_TRUE(Until([&] { return proxy_->IsStopped(); }));
    ExpectBotPassed();
}

TEST_F(RoomBotEndToEndTest, NegativeTextsNeverEndTheClient) {
    ASSERT_TRUE(StartBot("negative", "neg"));
    proxy_->Configure("127.0.0.1", server_->Port(), "neg", "Ann", 11, 22, Version(1, 2, 3, 4), 1, false);
    proxy_->Start();
    ASSERT_TRUE(Until([&] { return proxy_->IsPaused(); })) << Transcript();
    EXPECT_EQ(proxy_->GetLogonAcceptedString(), "Negative");
    Go("resume");
    proxy_->Resume();
    Go("check");
    EXPECT_TRUE(proxy_->IsStarted());
    EXPECT_EQ(proxy_->GetBestRoundTrip(), RoomProxy::kNoRoundTrip);
    EXPECT_GE(proxy_->GetDroppedCount(), 5u);
    Go("done");
    ASSERT_TRUE(Until([&] { return proxy_->IsStopped(); }));
    EXPECT_EQ(app_.leaveReason, "room closed");
    ExpectBotPassed();
}

TEST_F(RoomBotEndToEndTest, BotPartingFailsTheProxy) {
    ASSERT_TRUE(StartBot("part", "parting"));
    proxy_->Configure("127.0.0.1", server_->Port(), "parting", "Ann", 11, 22, Version(1, 2, 3, 4), 1, false);
    proxy_->Start();
    ASSERT_TRUE(Until([&] { return proxy_->IsPaused(); })) << Transcript();
    Go("resume");
    proxy_->Resume();
    ASSERT_TRUE(Until([&] { return proxy_->IsStopped(); }));
    EXPECT_TRUE(app_.lostBot);
    ExpectBotPassed();
}

TEST_F(RoomBotEndToEndTest, GameRoomWithClockSync) {
    ASSERT_TRUE(StartBot("room", "game1"));
    proxy_->Configure("127.0.0.1", server_->Port(), "game1", "Ann", 11, 22, Version(1, 2, 3, 4), 7, true);
    proxy_->Start();
    ASSERT_TRUE(Until([&] { return proxy_->IsPaused() && proxy_->IsAwaitingSyncReply(); }));
    // The round trip is what the manual clock moved between "RS" and "ST".
    AdvanceAppTime(300);
    Go("clock");
    ASSERT_TRUE(Until([&] { return !proxy_->IsAwaitingSyncReply(); }));
    EXPECT_EQ(proxy_->GetBestRoundTrip(), 300u);
    EXPECT_EQ(proxy_->GetServerTime(), 1000500u + 300u);
    Go("resume");
    proxy_->Resume();
    ASSERT_TRUE(Until([&] { return proxy_->GetQueuedRoomMsgCount() >= 5; }));
    DrainQueue();
    ASSERT_EQ(app_.texts.size(), 5u);
    EXPECT_EQ(app_.texts[1], "PLI 0 P Bob ");
    EXPECT_EQ(app_.texts[4], "PLEAVE P Cy ");
    // The next request goes out 120 s later (best round trip under 750 ms).
    AdvanceAppTime(120000);
    Go("sync");
    ASSERT_TRUE(Until([&] { return proxy_->IsAwaitingSyncReply(); }));
    Go("stop");
    proxy_->Stop();
    ASSERT_TRUE(Until([&] { return proxy_->IsStopped(); }));
    ExpectBotPassed();
}

}  // namespace
