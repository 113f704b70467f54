#include "game/model/PictureRoomProxy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/AppTime.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "framework/StoppingMsg.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "net/IRCMsg.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"
#include "net/RoomMsgFactory.h"
#include "net/xIrcClient.h"

namespace {

// An IRC client that connects nowhere: the test says when it has joined and
// reads what the proxy sends.
class ScriptedIrcClient : public xIrcClient {
  public:
    void Start() override { GetProcessSupport().Start(); }
    void Stop() override {
        if (IsStarting()) {
            SetStopping();
            Send(StoppingMsg());
            return;
        }
        GetProcessSupport().Stop();
    }
    void SendMsg(const char* target, const char* text) override {
        sent.push_back(std::string(target) + ": " + text);
    }
    void Execute() override { GetProcessSupport().Execute(); }
    void OnStopping() override {}

    std::vector<std::string> sent;
};

struct Recorder : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* room = dynamic_cast<const RoomMsg*>(&msg)) got.push_back(room->Clone());
        return 0;
    }
    std::vector<std::unique_ptr<Msg>> got;
};

std::uint32_t manualNow = 0;

class PictureRoomProxyTest : public testing::Test {
  protected:
    void SetUp() override {
        manualNow = 1000;
        SetAppTickSource([] { return manualNow; });
        ExecutionService::Register();
        DummyUIRoot::Register();
        RoomMsgFactory::Provide();
        PlayerFactory::Provide();
        RoomFactory::Provide();
        SingletonDefaults::Register(RoomMsgFactory::kName);
        SingletonDefaults::Register(PlayerFactory::kName);
        SingletonDefaults::Register(RoomFactory::kName);
        // The game's factories replace the generic ones before the proxies exist.
        PictureRoomMsgFactory::Register();
        PicturePlayerFactory::Register();
        PictureRoomFactory::Register();
        proxy_ = std::make_unique<PictureRoomProxy>([this] {
            auto client = std::make_unique<ScriptedIrcClient>();
            client_ = client.get();
            return client;
        });
        proxy_->AddReceiver(&recorder_);
        proxy_->Configure("127.0.0.1", 6667, "lobby", "Ann", 11, 22, Version(1, 2, 3, 4), 5, false);
    }
    void TearDown() override {
        proxy_.reset();
        ObjectRegistry::DestroyAll();
        SetAppTickSource(nullptr);
    }

    void Pass() { ExecutionService::GetInstance().RunExecutables(); }

    void SendAllFive() {
        proxy_->SendComp(12, "first line", "");
        proxy_->SendVote(12, "Bo B");
        proxy_->SendFatChanceSelection(-3, 4);
        proxy_->SendComplaint(ComplaintRoomMsg("Cy", 3, "NONE"));
        proxy_->SendPictureViewed(PictureViewedRoomMsg(4000000000u));
    }

    // Through the bot's "LN" and "LA" to the paused proxy, then on.
    void LogOn() {
        proxy_->Start();
        Pass();
        client_->Started();
        client_->Send(IRCPrivateMsg("bot", "LN 7 "));
        client_->Send(IRCPrivateMsg("bot", "LA Lobby Version 2 0 0 0 50000 "));
        Pass();
        Pass();
        ASSERT_EQ(proxy_->GetStateName(), std::string("paused"));
        proxy_->Resume();
        Pass();
        ASSERT_EQ(proxy_->GetStateName(), std::string("started"));
        client_->sent.clear();
    }

    std::unique_ptr<PictureRoomProxy> proxy_;
    ScriptedIrcClient* client_ = nullptr;
    Recorder recorder_;
};

TEST_F(PictureRoomProxyTest, NothingGoesOutBeforeTheBotIsKnown) {
    proxy_->Start();
    Pass();
    client_->Started();
    const std::size_t before = client_->sent.size();
    SendAllFive();
    EXPECT_EQ(client_->sent.size(), before);
}

TEST_F(PictureRoomProxyTest, TheFiveTextsAtTheWire) {
    LogOn();
    SendAllFive();
    const std::string q(1, '\x02');
    const std::vector<std::string> expected = {
        "bot: C 12 " + q + "first line" + q + " " + q + q + " ",
        "bot: V 12 " + q + "Bo B" + q + " ",
        "bot: FCS -3 4 ",
        "bot: CP Cy 3 NONE ",
        "bot: PV 4000000000 ",
    };
    EXPECT_EQ(client_->sent, expected);
}

TEST_F(PictureRoomProxyTest, AGameTagIsTheGamesOnAnyProxy) {
    LogOn();
    client_->Send(IRCPrivateMsg("bot", "H hello "));
    client_->Send(IRCPrivateMsg("bot", "CR 5 "));
    while (proxy_->HasRoomMsg()) proxy_->DispatchNextRoomMsg();
    ASSERT_EQ(recorder_.got.size(), 2u);
    EXPECT_NE(dynamic_cast<const HelloRoomMsg*>(recorder_.got[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<const CompReceivedRoomMsg*>(recorder_.got[1].get()), nullptr);
}

}  // namespace
