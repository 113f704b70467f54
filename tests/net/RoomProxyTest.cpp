#include "net/RoomProxy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "divir/LogonRandom.h"
#include "framework/AppTime.h"
#include "framework/DummyUIRoot.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/PausedErrorMsg.h"
#include "framework/PausedMsg.h"
#include "framework/SingletonDefaults.h"
#include "framework/StartedErrorMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingErrorMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingErrorMsg.h"
#include "framework/StoppingMsg.h"
#include "net/GenericRoomMsgs.h"
#include "net/IRCMsg.h"
#include "net/PlayerFactory.h"
#include "net/RoomFactory.h"
#include "net/RoomMsgFactory.h"
#include "net/RoomProxyMsgs.h"
#include "net/xIrcClient.h"

namespace {

// An IRC client that connects nowhere: the test says when it has joined or
// stopped, and reads what the proxy sends.
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

// Names the messages the proxy sends to its receivers; state messages that the
// scenarios do not look at are left out.
struct Recorder : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        std::string name;
        if (const auto* room = dynamic_cast<const RoomMsg*>(&msg)) {
            name = "room " + room->Write(nullptr);
        } else if (msg.Is<RoomMsgAvailableMsg>()) {
            name = "available";
        } else if (const auto* lost = dynamic_cast<const LostRoomBotErrorMsg*>(&msg)) {
            name = "lost-bot " + lost->GetBotNick() + " " + lost->GetChannel();
        } else if (const auto* leave = dynamic_cast<const LeaveRoomErrorMsg*>(&msg)) {
            name = "leave " + leave->GetReason();
        } else if (msg.Is<StartedMsg>()) {
            name = "started";
        } else if (msg.Is<PausedMsg>()) {
            name = "paused";
        } else if (msg.Is<StoppedMsg>()) {
            name = "stopped";
        } else if (msg.Is<StartingErrorMsg>() || msg.Is<StartedErrorMsg>() || msg.Is<PausedErrorMsg>() ||
                   msg.Is<StoppingErrorMsg>()) {
            name = "error";
        } else {
            return 0;
        }
        got.push_back(name);
        return 0;
    }
    std::vector<std::string> got;
};

std::uint32_t manualNow = 0;

class RoomProxyTest : public testing::Test {
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
        proxy_ = std::make_unique<RoomProxy>([this] {
            auto client = std::make_unique<ScriptedIrcClient>();
            client_ = client.get();
            return client;
        });
        proxy_->AddReceiver(&recorder_);
    }
    void TearDown() override {
        proxy_.reset();
        ObjectRegistry::DestroyAll();
        SetAppTickSource(nullptr);
    }

    // Runs one scenario: one command a line (see Do).
    void Run(const std::vector<std::string>& script) {
        for (const std::string& line : script) {
            SCOPED_TRACE(line);
            try {
                Do(line);
            } catch (int) {
                FAIL() << "refused: " << line;
            }
            if (testing::Test::HasFatalFailure()) return;
        }
        // Everything sent and received was looked at.
        EXPECT_EQ(sentSeen_, client_->sent.size()) << (client_->sent.empty() ? "" : client_->sent.back());
        EXPECT_EQ(gotSeen_, recorder_.got.size()) << (recorder_.got.empty() ? "" : recorder_.got.back());
    }

    void Pass() { ExecutionService::GetInstance().RunExecutables(); }

    void Do(const std::string& line) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        std::string rest;
        std::getline(in, rest);
        if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
        const auto nickAndText = [&rest](std::string& nick) {
            const auto space = rest.find(' ');
            nick = rest.substr(0, space);
            return space == std::string::npos ? std::string() : rest.substr(space + 1);
        };
        if (command == "configure") {
            // configure <port> <sync 0|1>
            std::istringstream args(rest);
            std::int32_t port = 0;
            int sync = 0;
            args >> port >> sync;
            proxy_->Configure("127.0.0.1", port, "room1", "Ann", 11, 22, Version(1, 2, 3, 4), 5, sync != 0);
        } else if (command == "start") {
            proxy_->Start();
        } else if (command == "stop") {
            proxy_->Stop();
        } else if (command == "resume") {
            proxy_->Resume();
        } else if (command == "pass") {
            Pass();
        } else if (command == "advance") {
            manualNow += static_cast<std::uint32_t>(std::stoul(rest));
            Pass();
        } else if (command == "join") {
            client_->Started();
        } else if (command == "client-drops") {
            client_->Stop();
            client_->Stopped();
        } else if (command == "client-stopped") {
            client_->Stopped();
        } else if (command == "priv") {
            std::string nick;
            const std::string text = nickAndText(nick);
            client_->Send(IRCPrivateMsg(nick, text));
        } else if (command == "pub") {
            std::string nick;
            const std::string text = nickAndText(nick);
            client_->Send(IRCPublicMsg(nick, "room1", text));
        } else if (command == "part") {
            client_->Send(IRCPartMsg(rest, "room1"));
        } else if (command == "dispatch") {
            proxy_->DispatchNextRoomMsg();
        } else if (command == "chat") {
            proxy_->SendPublicChat(rest);
        } else if (command == "logon") {
            // Through "LN" (challenge 7) and "LA" (server time 50000) to paused.
            for (const char* step : {"start", "pass", "join", "priv bot LN 7 ", "sent-logon",
                                     "priv bot LA Lobby Version 2 0 0 0 50000 ", "got started", "pass",
                                     "pass", "got paused", "state paused"}) {
                Do(step);
            }
        } else if (command == "logon-resume") {
            Do("logon");
            Do("resume");
            Do("pass");
            Do("sent RR ");
            Do("state started");
        } else if (command == "sent-logon") {
            Do("sent L Ann " + std::to_string(LogonChallengeResponse(7)) + " Version 1 2 3 4 11 22 5 ");
        } else if (command == "sent") {
            ASSERT_LT(sentSeen_, client_->sent.size()) << "nothing sent";
            EXPECT_EQ(client_->sent[sentSeen_++], "bot: " + rest);
        } else if (command == "sent-bot2") {
            ASSERT_LT(sentSeen_, client_->sent.size()) << "nothing sent";
            EXPECT_EQ(client_->sent[sentSeen_++], "bot2: " + rest);
        } else if (command == "nothing-sent") {
            EXPECT_EQ(sentSeen_, client_->sent.size()) << client_->sent.back();
        } else if (command == "got") {
            ASSERT_LT(gotSeen_, recorder_.got.size()) << "nothing received";
            EXPECT_EQ(recorder_.got[gotSeen_++], rest);
        } else if (command == "nothing-got") {
            EXPECT_EQ(gotSeen_, recorder_.got.size()) << recorder_.got.back();
        } else if (command == "state") {
            EXPECT_EQ(proxy_->GetStateName(), rest);
        } else if (command == "client") {
            EXPECT_EQ(client_->GetStateName(), rest);
        } else if (command == "best") {
            EXPECT_EQ(proxy_->GetBestRoundTrip(), std::stoul(rest));
        } else if (command == "last") {
            EXPECT_EQ(proxy_->GetLastRoundTrip(), std::stoul(rest));
        } else if (command == "server-time") {
            EXPECT_EQ(proxy_->GetServerTime(), std::stoul(rest));
        } else if (command == "queued") {
            EXPECT_EQ(proxy_->GetQueuedRoomMsgCount(), std::stoul(rest));
        } else if (command == "dropped") {
            EXPECT_EQ(proxy_->GetDroppedCount(), std::stoul(rest));
        } else if (command == "bot") {
            EXPECT_EQ(proxy_->GetBotNick(), rest);
        } else {
            FAIL() << "unknown command " << command;
        }
    }

    std::unique_ptr<RoomProxy> proxy_;
    ScriptedIrcClient* client_ = nullptr;
    Recorder recorder_;
    std::size_t sentSeen_ = 0;
    std::size_t gotSeen_ = 0;
};

struct Scenario {
    const char* name;
    std::vector<std::string> script;
};

// Each scenario starts with the proxy configured on port 6667 without clock sync
// unless it says otherwise.
const Scenario kScenarios[] = {
    {"logon, pause, resume",
     {"logon", "bot bot", "resume", "pass", "sent RR ", "state started", "pass", "pass", "state started"}},
    {"a second LN from another nick changes nothing",
     {"start", "pass", "join", "priv bot LN 7 ", "sent-logon", "priv other LN 9 ", "bot bot",
      "state starting"}},
    {"LA before any LN is not heard",
     {"start", "pass", "join", "priv bot LA x Version 1 0 0 0 5 ", "state starting"}},
    {"a stranger's texts are ignored; the bot's are queued",
     {"logon-resume", "priv stranger PUC hi Bob ", "queued 0", "priv bot PUC hi Bob ", "got available",
      "queued 1"}},
    {"a stranger's LN, ST, PUC and LER after logon change nothing",
     {"logon-resume", "priv mallory LN 1 ", "priv mallory ST S 1 0 0 0 0 ", "priv mallory PUC x y ",
      "priv mallory LER go ", "state started", "queued 0", "dropped 0"}},
    {"channel PUC before GP is ignored, after GP queued",
     {"logon-resume", "pub bot PUC hi Bob ", "queued 0", "priv bot GP ", "pub bot PUC hi Bob ",
      "got available", "pub stranger PUC hi Bob ", "queued 1"}},
    {"LSR is answered with LSA", {"logon-resume", "priv bot LSR ", "sent LSA ", "queued 0"}},
    {"two queued messages: one notice, and another after the first dispatch",
     {"logon-resume", "dispatch", "nothing-got", "priv bot PUC a Bob ", "priv bot MC b Bob ", "got available",
      "dispatch", "got room PUC a Bob ", "got available", "dispatch", "got room MC b Bob ", "dispatch",
      "nothing-got"}},
    {"a segment is rebased to the server clock when dispatched",
     {"logon-resume", "priv bot SA 1 AL 0 S 50000 5000 1 2 3 ", "got available", "advance 600", "dispatch",
      "got room SA 1 AL 0 S 50600 4400 1 2 3 "}},
    {"sending before the bot is known sends nothing",
     {"chat hello", "start", "pass", "chat hello", "nothing-sent"}},
    {"chat goes to the bot once known", {"logon-resume", "chat hi all", "sent PUC \x02hi all\x02 Ann "}},
    {"stop: LO, then LOA stops the client, then stopped",
     {"logon-resume", "stop", "state stopping", "pass", "sent LO -1 ", "priv bot PUC late x ", "queued 0",
      "priv bot LOA ", "client stopping", "state stopping", "client-stopped", "got stopped", "state stopped",
      "bot "}},
    {"stop empties the queue",
     {"logon-resume", "priv bot PUC a b ", "got available", "stop", "queued 0", "pass", "sent LO -1 ",
      "priv bot LOA ", "client-stopped", "got stopped"}},
    {"clock sync: round trips 300 then 350, the second becomes best",
     {"configure 6667 1", "logon", "sent RS 99999 99999 ", "advance 300", "priv bot ST S 70000 0 0 0 0 ",
      "best 300", "last 300", "server-time 70300", "resume", "pass", "sent RR ", "advance 120000",
      "sent RS 300 300 ", "advance 350", "priv bot ST S 80000 0 0 0 0 ", "best 350", "server-time 80350"}},
    {"clock sync: round trips 300 then 450, best stays 300",
     {"configure 6667 1", "logon", "sent RS 99999 99999 ", "advance 300", "priv bot ST S 70000 0 0 0 0 ",
      "resume", "pass", "sent RR ", "advance 120000", "sent RS 300 300 ", "advance 450",
      "priv bot ST S 80000 0 0 0 0 ", "best 300", "last 450", "server-time 190750"}},
    {"best round trip 749: next sync 120000 ms later",
     {"configure 6667 1", "logon", "sent RS 99999 99999 ", "advance 749", "priv bot ST S 1 0 0 0 0 ",
      "resume", "pass", "sent RR ", "advance 119999", "nothing-sent", "advance 1", "sent RS 749 749 "}},
    {"best round trip 750: next sync 10000 ms later",
     {"configure 6667 1", "logon", "sent RS 99999 99999 ", "advance 750", "priv bot ST S 1 0 0 0 0 ",
      "resume", "pass", "sent RR ", "advance 9999", "nothing-sent", "advance 1", "sent RS 750 750 "}},
    {"ST is taken only from the bot, only when asked for, only with sync on",
     {"configure 6667 1", "logon", "sent RS 99999 99999 ", "advance 10", "priv stranger ST S 999999 0 0 0 0 ",
      "best 99999", "priv bot ST S 70000 0 0 0 0 ", "best 10", "priv bot ST S 999999 0 0 0 0 ", "best 10",
      "server-time 70010"}},
    {"ST without sync is ignored",
     {"logon-resume", "priv bot ST S 999999 0 0 0 0 ", "best 99999", "server-time 50000", "queued 0"}},
    {"no ST within the time-out fails",
     {"configure 6667 1", "logon", "sent RS 99999 99999 ", "advance 59999", "state paused", "advance 1",
      "got error", "state erred", "pass", "client stopping", "client-stopped", "got stopped",
      "state stopped"}},
    {"no LOA within the time-out fails",
     {"logon-resume", "stop", "pass", "sent LO -1 ", "advance 60000", "got error", "pass", "client-stopped",
      "got stopped"}},
    {"no logon within the time-out fails",
     {"start", "pass", "join", "advance 59999", "state starting", "advance 1", "got error", "pass",
      "client stopping", "client-stopped", "got stopped"}},
    {"LER while starting leaves",
     {"start", "pass", "join", "priv bot LN 7 ", "sent-logon", "priv bot LER full ", "got leave full",
      "got error", "state erred"}},
    {"LER after logon leaves",
     {"logon-resume", "priv bot LER \x02kicked out\x02 ", "got leave kicked out", "got error", "pass",
      "client-stopped", "got stopped"}},
    {"the bot parting fails the proxy; another nick parting does not",
     {"logon-resume", "part other", "state started", "part bot", "got lost-bot bot room1", "got error",
      "state erred"}},
    {"the IRC client stopping on its own fails the proxy",
     {"logon-resume", "client-drops", "got error", "state erred", "pass", "got stopped", "state stopped"}},
    {"texts that do not read are dropped, whoever sends them",
     {"logon-resume", "priv stranger PUC", "priv bot PUC", "priv bot LO 0 ", "priv bot LO 2 ",
      "priv bot PLI 1 R x ", "priv bot puc a b ", "priv bot XYZ 1 ", "dropped 4", "state started",
      "queued 0"}},
    {"an LN that does not read while starting is dropped",
     {"start", "pass", "join", "priv bot LN abc ", "dropped 1", "bot ", "nothing-sent", "state starting"}},
    {"a restart right after a stop is accepted",
     {"logon-resume", "stop", "pass", "sent LO -1 ", "priv bot LOA ", "client-stopped", "got stopped",
      "start", "pass", "client starting", "join", "priv bot2 LN 7 ", "sent-logon-bot2"}},
    {"a proxy that errs while its client connects brings the client down; the next start works",
     {"start", "pass", "client starting", "advance 60000", "got error", "pass", "client stopping",
      "client-stopped", "got stopped", "state stopped", "start", "pass", "client starting"}},
    {"a port outside 1 to 65535 fails the start without connecting",
     {"configure 70000 0", "start", "pass", "got error", "state erred", "client stopped", "pass",
      "got stopped", "state stopped"}},
};

TEST_F(RoomProxyTest, Scenarios) {
    for (const Scenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.name);
        TearDown();
        SetUp();
        sentSeen_ = 0;
        gotSeen_ = 0;
        recorder_.got.clear();
        Do("configure 6667 0");
        std::vector<std::string> script;
        for (const std::string& line : scenario.script) {
            if (line == "sent-logon-bot2") {
                script.push_back("sent-bot2 L Ann " + std::to_string(LogonChallengeResponse(7)) +
                                 " Version 1 2 3 4 11 22 5 ");
            } else {
                script.push_back(line);
            }
        }
        Run(script);
    }
}

TEST_F(RoomProxyTest, ConfigureOnlyWhileStopped) {
    Do("configure 6667 0");
    Do("start");
    EXPECT_THROW(proxy_->Configure("h", 1, "c", "n", 1, 2, Version(), 1, false), int);
}

TEST_F(RoomProxyTest, SegmentDispatchedBeforeAnyClockSettingKeepsItsDelay) {
    proxy_->QueueRoomMsg(SyncTimeSegmentMsg(123, 5000, 1, 2, 3));
    EXPECT_TRUE(proxy_->IsNextRoomMsgSegment());
    proxy_->DispatchNextRoomMsg();
    EXPECT_EQ(recorder_.got, (std::vector<std::string>{"available", "room ST S 123 5000 1 2 3 "}));
    EXPECT_FALSE(proxy_->IsNextRoomMsgSegment());
}

}  // namespace
