#include "net/xIrcClient.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "IrcTestPeers.h"
#include "PumpFixture.h"
#include "framework/DummyUIRoot.h"
#include "framework/ErrorMsg.h"
#include "framework/ExecutionService.h"
#include "framework/MsgReceiver.h"
#include "framework/ObjectRegistry.h"
#include "framework/StartedErrorMsg.h"
#include "framework/StartedMsg.h"
#include "framework/StartingErrorMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/StoppingMsg.h"
#include "net/IRCMsg.h"
#include "net/xIrcClientQueue.h"

namespace {

using namespace irctest;

// Keeps a copy of every message the client sends.
struct Heard : MsgReceiver {
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        msgs.push_back(msg.Clone());
        return 0;
    }
    template <class T>
    int Count() const {
        int n = 0;
        for (const auto& m : msgs) n += dynamic_cast<const T*>(m.get()) != nullptr ? 1 : 0;
        return n;
    }
    template <class T>
    std::vector<const T*> All() const {
        std::vector<const T*> out;
        for (const auto& m : msgs)
            if (const auto* t = dynamic_cast<const T*>(m.get())) out.push_back(t);
        return out;
    }
    std::vector<std::unique_ptr<Msg>> msgs;
};

// One ngircd for the suite; each test has its own proxy, peer and client.
class xIrcClientTest : public PumpFixture {
  public:
    static void SetUpTestSuite() {
        if (Ngircd::Available()) server_ = new Ngircd();
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (server_ == nullptr || !server_->Started()) GTEST_SKIP() << "ngircd is not available (tools/deps.sh installs it)";
        PumpFixture::SetUp();
        ExecutionService::Register();
        DummyUIRoot::Register();
        SetStep([] { ExecutionService::GetInstance().RunExecutables(); });
        xIRCQueue::SetPendingError(0);
        client_ = std::make_unique<xIrcClient>();
        client_->AddReceiver(&heard_);
    }

    void TearDown() override {
        if (client_ == nullptr) return;
        client_.reset();
        peer_.reset();
        proxy_.reset();
        xIRCQueue::SetPendingError(0);
        ObjectRegistry::DestroyAll();
        PumpFixture::TearDown();
    }

    // The peer user, in the channel first.
    PeerUser& Peer(const std::string& channel = "room", const std::string& nick = "peer") {
        peer_ = std::make_unique<PeerUser>(server_->Port(), nick, channel);
        EXPECT_TRUE(peer_->Ready());
        return *peer_;
    }

    FaultProxy& Proxy() {
        proxy_ = std::make_unique<FaultProxy>(server_->Port());
        EXPECT_NE(proxy_->Port(), 0);
        return *proxy_;
    }

    // Starts the client on the channel, through the proxy when there is one.
    void Start(const std::string& channel = "room") {
        const std::uint16_t port = proxy_ ? proxy_->Port() : server_->Port();
        client_->SetServerAndChannel("127.0.0.1", port, channel.c_str());
        client_->Start();
    }

    // Pumps until done() holds, reading the peers' output as it comes.
    bool Until(const std::function<bool()>& done) {
        return PumpUntil([&] {
            if (peer_) peer_->Heard().Poll(std::chrono::milliseconds(0));
            if (proxy_) proxy_->Log().Poll(std::chrono::milliseconds(0));
            return done();
        });
    }
    bool Joined() {
        return Until([&] { return client_->IsStarted() && client_->GetClientState() == xIrcClient::kJoined; });
    }
    bool PeerHeard(const std::string& text) {
        return Until([&] { return Has(peer_->Heard(), text); });
    }
    bool ProxySaw(const std::string& text) {
        return Until([&] { return Has(proxy_->Log(), text); });
    }
    static bool Has(Child& child, const std::string& text) {
        for (const std::string& line : child.Lines())
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    std::string Nick() { return client_->GetNick(nullptr, 0); }

    static Ngircd* server_;
    std::unique_ptr<xIrcClient> client_;
    std::unique_ptr<PeerUser> peer_;
    std::unique_ptr<FaultProxy> proxy_;
    Heard heard_;
};

Ngircd* xIrcClientTest::server_ = nullptr;

TEST_F(xIrcClientTest, StartSendsTheRegistrationAndJoins) {
    Proxy();
    Start();
    ASSERT_TRUE(Joined());
    const std::string nick = Nick();
    // A letter, the local address and port in hex: 13 characters.
    ASSERT_TRUE(std::regex_match(nick, std::regex("[a-z]7F000001[0-9A-F]{4}")));
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08X%04X", client_->GetQueue().GetLocalAddress(),
                  client_->GetQueue().GetLocalPort());
    EXPECT_EQ(nick.substr(1), expected);
    ASSERT_TRUE(ProxySaw("C> JOIN #room"));
    std::vector<std::string> sent;
    for (const std::string& line : proxy_->Log().Lines())
        if (line.rfind("C> ", 0) == 0) sent.push_back(line.substr(3));
    EXPECT_EQ(sent, (std::vector<std::string>{"NICK " + nick, "USER " + nick + " * * *", "MODE " + nick + " +i",
                                              "JOIN #room"}));
    EXPECT_EQ(heard_.Count<StartedMsg>(), 1);
    EXPECT_EQ(heard_.Count<StartingErrorMsg>(), 0);
}

TEST_F(xIrcClientTest, PingAndVersionAreAnswered) {
    Proxy();
    PeerUser& peer = Peer();
    Start();
    ASSERT_TRUE(Joined());
    ASSERT_TRUE(proxy_->Command("inject " + std::string("50494e47203a6162630d0a")));  // PING :abc
    EXPECT_TRUE(ProxySaw("C> PONG :abc"));
    peer.Send("PRIVMSG " + Nick() + " :\1VERSION\1");
    EXPECT_TRUE(PeerHeard("NOTICE peer :\\x01VERSION XAPP Test IRC 1.0\\x01"));
    EXPECT_EQ(client_->GetClientState(), xIrcClient::kJoined);
}

TEST_F(xIrcClientTest, BatchesArriveAsSingleMessagesAndALoneThreeIsText) {
    PeerUser& peer = Peer();
    Start();
    ASSERT_TRUE(Joined());
    peer.Send("PRIVMSG " + Nick() + " :LN 1 \3\4LA x\3\3y\3\4");
    peer.Send("PRIVMSG #room :\3" "4red\3 text");
    peer.Send("PRIVMSG " + Nick() + " word");
    ASSERT_TRUE(Until([&] { return heard_.Count<IRCPrivateMsg>() >= 4 && heard_.Count<IRCPublicMsg>() >= 1; }));
    std::vector<std::string> texts;
    for (const auto* m : heard_.All<IRCPrivateMsg>()) {
        EXPECT_EQ(m->GetNick(), "peer");
        texts.push_back(m->GetText());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"LN 1 ", "LA x\3y", "", "word"}));
    const auto* pub = heard_.All<IRCPublicMsg>().front();
    EXPECT_EQ(pub->GetChannel(), "room");
    EXPECT_EQ(pub->GetText(), "\3" "4red\3 text");
    EXPECT_EQ(client_->GetClientState(), xIrcClient::kJoined);
    EXPECT_TRUE(client_->IsStarted());
}

TEST_F(xIrcClientTest, StopWhileJoinedPartsQuitsAndStops) {
    Proxy();
    Start();
    ASSERT_TRUE(Joined());
    client_->Stop();
    ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
    EXPECT_TRUE(ProxySaw("C> PART #room"));
    EXPECT_TRUE(ProxySaw("C> QUIT"));
    EXPECT_EQ(heard_.Count<StoppingMsg>(), 1);
    EXPECT_EQ(heard_.Count<StoppedMsg>(), 1);
    EXPECT_EQ(client_->GetClientState(), xIrcClient::kStopped);
}

TEST_F(xIrcClientTest, RestartOnAnotherChannelKeepsTheNick) {
    Peer("other");
    Start();
    ASSERT_TRUE(Joined());
    const std::string nick = Nick();
    client_->Stop();
    ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
    Start("other");
    ASSERT_TRUE(Joined());
    EXPECT_EQ(Nick(), nick);
    EXPECT_TRUE(PeerHeard(":" + nick + "!~" + nick + "@127.0.0.1 JOIN :#other"));
    EXPECT_EQ(heard_.Count<StartedMsg>(), 2);
}

TEST_F(xIrcClientTest, MessageSentRightAfterStartGoesOutOnceJoined) {
    PeerUser& peer = Peer();
    Start();
    client_->SendMsg("peer", "hello bot");
    ASSERT_TRUE(PeerHeard(" PRIVMSG peer :hello bot"));
    EXPECT_TRUE(client_->IsStarted());
    PumpPasses(5);
    int copies = 0;
    for (const std::string& line : peer.Heard().Lines()) copies += line.find("PRIVMSG peer :hello bot") != std::string::npos;
    EXPECT_EQ(copies, 1);
}

// The peer, operator of the channel, kicks the client: it fails once, and the
// link closing afterwards changes nothing. Then it starts again.
TEST_F(xIrcClientTest, KickFailsTheClientOnce) {
    PeerUser& peer = Peer();
    Start();
    ASSERT_TRUE(Joined());
    peer.Send("KICK #room " + Nick() + " :out");
    ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
    PumpPasses(10);
    EXPECT_EQ(heard_.Count<StartedErrorMsg>(), 1);
    EXPECT_EQ(heard_.Count<StoppedMsg>(), 1);
    EXPECT_EQ(client_->GetClientState(), xIrcClient::kStopped);
    EXPECT_EQ(client_->GetQueue().IsConnected(), 0);
    Start();
    ASSERT_TRUE(Joined());
}

TEST_F(xIrcClientTest, JoinsAndPartsAChannelMadeInAnotherCase) {
    Peer("Room");
    Start("room");
    ASSERT_TRUE(Joined());
    client_->Stop();
    ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
    EXPECT_EQ(heard_.Count<StoppedMsg>(), 1);
    EXPECT_EQ(heard_.Count<StartedErrorMsg>(), 0);
}

// Without registration complete the client waits; its time-out waits in its
// queue too, since the queue is not pumped while it is busy.
TEST_F(xIrcClientTest, DroppedRegistrationReplyLeavesItConnecting) {
    FaultProxy& proxy = Proxy();
    ASSERT_TRUE(proxy.Command("drop  255 "));
    Start();
    ASSERT_TRUE(ProxySaw("X> :irc.test 255 "));
    ASSERT_TRUE(ProxySaw(" 376 "));
    PumpPasses(5);
    AdvanceAppTime(xIrcClient::kTimeoutMs + 1);
    PumpPasses(5);
    EXPECT_EQ(client_->GetClientState(), xIrcClient::kConnecting);
    EXPECT_TRUE(client_->IsStarting());
    EXPECT_EQ(heard_.Count<StartingErrorMsg>(), 0);
    // A stop now abandons the attempt.
    client_->Stop();
    ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
    EXPECT_EQ(heard_.Count<StoppingMsg>(), 1);
    EXPECT_EQ(heard_.Count<StoppedMsg>(), 1);
}

TEST_F(xIrcClientTest, StopWhileJoiningNeverStartsLater) {
    Proxy();
    Start();
    ASSERT_TRUE(Until([&] { return client_->GetClientState() == xIrcClient::kJoining; }));
    client_->Stop();
    ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
    EXPECT_TRUE(ProxySaw("C> QUIT"));
    PumpPasses(20);
    EXPECT_EQ(heard_.Count<StartedMsg>(), 0);
    EXPECT_EQ(heard_.Count<StoppedMsg>(), 1);
    EXPECT_FALSE(client_->HasErred());
}

// The proxy's command that sends these bytes toward the client.
std::string Inject(const std::string& bytes) {
    static const char* hex = "0123456789abcdef";
    std::string command = "inject ";
    for (unsigned char c : bytes) {
        command += hex[c >> 4];
        command += hex[c & 15];
    }
    return command;
}

TEST_F(xIrcClientTest, FaultsThroughTheProxy) {
    enum class Outcome { kLostCommunication, kFails, kHearsHello };
    struct Row {
        const char* name;
        // The proxy's command, given the client's nick.
        std::function<std::string(const std::string&)> command;
        Outcome outcome;
    };
    const Row rows[] = {
        {"link closed", [](const std::string&) { return std::string("cut"); }, Outcome::kFails},
        {"link reset", [](const std::string&) { return std::string("reset"); }, Outcome::kLostCommunication},
        {"over-long line",
         [](const std::string& nick) { return Inject(":peer PRIVMSG " + nick + " :" + std::string(600, 'x') + "\r\n"); },
         Outcome::kLostCommunication},
        {"nick in use",
         [](const std::string& nick) { return Inject(":irc.test 433 * " + nick + " :Nickname already in use\r\n"); },
         Outcome::kFails},
        {"private message without colon",
         [](const std::string& nick) { return Inject(":peer!~peer@127.0.0.1 PRIVMSG " + nick + " hello\r\n"); },
         Outcome::kHearsHello},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        heard_.msgs.clear();
        client_ = std::make_unique<xIrcClient>();
        client_->AddReceiver(&heard_);
        xIRCQueue::SetPendingError(0);
        FaultProxy& proxy = Proxy();
        Start();
        ASSERT_TRUE(Joined());
        ASSERT_TRUE(proxy.Command(r.command(Nick())));
        switch (r.outcome) {
            case Outcome::kLostCommunication: {
                std::string text;
                try {
                    Until([] { return false; });
                } catch (const ErrorMsg& e) {
                    text = e.GetText();
                }
                EXPECT_EQ(text, xIrcClient::kLostCommunication);
                break;
            }
            case Outcome::kFails:
                ASSERT_TRUE(Until([&] { return client_->IsStopped(); }));
                PumpPasses(5);
                EXPECT_EQ(heard_.Count<StartedErrorMsg>(), 1);
                EXPECT_EQ(client_->GetClientState(), xIrcClient::kStopped);
                break;
            case Outcome::kHearsHello:
                ASSERT_TRUE(Until([&] { return heard_.Count<IRCPrivateMsg>() == 1; }));
                EXPECT_EQ(heard_.All<IRCPrivateMsg>().front()->GetText(), "hello");
                EXPECT_TRUE(client_->IsStarted());
                break;
        }
    }
}

TEST_F(xIrcClientTest, SplitAndDelayedLinesReadTheSame) {
    FaultProxy& proxy = Proxy();
    ASSERT_TRUE(proxy.Command("split 1"));
    ASSERT_TRUE(proxy.Command("delay 1"));
    PeerUser& peer = Peer();
    Start();
    ASSERT_TRUE(Joined());
    peer.Send("PRIVMSG " + Nick() + " :a\3\4b");
    ASSERT_TRUE(Until([&] { return heard_.Count<IRCPrivateMsg>() == 2; }));
    EXPECT_EQ(heard_.All<IRCPrivateMsg>()[1]->GetText(), "b");
}

TEST_F(xIrcClientTest, ServerWithoutMessageOfTheDay) {
    Ngircd bare(false);
    ASSERT_TRUE(bare.Started());
    client_->SetServerAndChannel("127.0.0.1", bare.Port(), "room");
    client_->Start();
    ASSERT_TRUE(Joined());
    EXPECT_EQ(heard_.Count<StartingErrorMsg>(), 0);
}

TEST_F(xIrcClientTest, ConnectsByHostName) {
    client_->SetServerAndChannel("localhost", server_->Port(), "room");
    client_->Start();
    ASSERT_TRUE(Joined());
}

TEST_F(xIrcClientTest, NickLettersRunRoundTheAlphabet) {
    std::string letters;
    for (int i = 0; i < 27; ++i) letters += client_->MakeNick()[0];
    // 27 nicks: every letter once, in order, from wherever the program was.
    for (int i = 1; i < 27; ++i) {
        EXPECT_EQ(letters[i], letters[i - 1] == 'z' ? 'a' : letters[i - 1] + 1);
    }
    EXPECT_EQ(client_->MakeNick().size(), 13u);
}

}  // namespace
