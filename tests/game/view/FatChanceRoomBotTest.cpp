// The Dar Eradar round through ngircd against the scripted room bot of
// testbed/room (which never links the client's code): the game room proxy
// over its real IRC client hands the bot's segments to the game view, and the
// view's pick goes back through the proxy with the segment's id, as the
// application object does. A click sends FCS with the swatch; a round without
// a pick sends nothing.

#include <chrono>
#include <functional>

#include "FatChanceTest.h"
#include "framework/MessagePump.h"
#include "game/model/PicturePlayerFactory.h"
#include "game/model/PictureRoomFactory.h"
#include "game/model/PictureRoomProxy.h"
#include "net/IrcTestPeers.h"
#include "net/xIRCQueue.h"
#include "platform/AsyncSockets.h"
#include "platform/FakeMessageQueue.h"
#include "resource/Version.h"

namespace {

using namespace fatchance;
using namespace irctest;

// Hands the proxy's segments to the view and keeps the selection's segment id.
struct Application : MsgReceiver {
    view::PictureView* view = nullptr;
    std::int32_t segmentId = 0;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (msg.Is<StartFatChanceSelectionRoomMsg>()) {
            const auto& start = static_cast<const StartFatChanceSelectionRoomMsg&>(msg);
            segmentId = start.GetSegmentId();
            view->StartFatChanceSelection(start);
        } else if (msg.Is<StartFatChanceResultsRoomMsg>()) {
            view->StartFatChanceResults(static_cast<const StartFatChanceResultsRoomMsg&>(msg));
        }
        return 0;
    }
};

// The view's picks go to the room with the kept segment id.
struct Answer : MsgReceiver {
    PictureRoomProxy* proxy = nullptr;
    Application* app = nullptr;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (msg.Is<FatChanceSelectionRoomMsg>() && proxy != nullptr)
            proxy->SendFatChanceSelection(app->segmentId,
                                          static_cast<const FatChanceSelectionRoomMsg&>(msg).GetEntry());
        return 0;
    }
};

class FatChanceRoomBotTest : public FatChanceFixture {
  public:
    static void SetUpTestSuite() {
        if (Ngircd::Available()) server_ = new Ngircd();
    }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

  protected:
    void SetUp() override {
        if (server_ == nullptr || !server_->Started())
            GTEST_SKIP() << "ngircd is not available (tools/deps.sh installs it)";
        platform::MessageQueue::Install(&queue_);
        queue_.SetForeground(false);
        queue_.StartThreadTimer(33);
        queue_.SetWaitHook([this](std::uint32_t maxMs) {
            std::vector<platform::WaitDescriptor> descriptors;
            queue_.GatherWaitDescriptors(descriptors);
            platform::WaitForDescriptors(descriptors, maxMs);
        });
        FatChanceFixture::SetUp();
        PictureRoomMsgFactory::Register();
        PictureRoomFactory::Register();
        PicturePlayerFactory::Register();
        xIRCQueue::SetPendingError(0);
    }
    void TearDown() override {
        if (server_ == nullptr || !server_->Started()) return;
        if (proxy_) proxy_->RemoveReceiver(&app_);
        if (view_) view_->RemoveReceiver(&answer_);
        proxy_.reset();
        bot_.reset();
        xIRCQueue::SetPendingError(0);
        FatChanceFixture::TearDown();
        queue_.SetWaitHook({});
        platform::MessageQueue::Install(nullptr);
    }

    // One main-loop pass: a message served (waiting for the sockets when
    // `wait`), the room's messages dispatched, 1 ms of application time.
    void Step(bool wait) {
        xAppInBackground = wait ? 1 : 0;
        PumpMessages();
        xAppInBackground = 0;
        while (proxy_ && proxy_->HasRoomMsg()) proxy_->DispatchNextRoomMsg();
        Pass(1);
        if (bot_) bot_->Poll(std::chrono::milliseconds(0));
    }
    // The sockets are served every 20th pass, the view in between.
    bool Until(const std::function<bool()>& done, int passes = 20000) {
        for (int i = 0; i < passes; ++i) {
            if (done()) return true;
            Step(i % 20 == 0);
        }
        return done();
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
    std::string Transcript() const {
        std::string all;
        for (const std::string& line : bot_->Lines()) all += line + "\n";
        return all;
    }

    static Ngircd* server_;
    platform::FakeMessageQueue queue_;
    std::unique_ptr<Child> bot_;
    std::unique_ptr<PictureRoomProxy> proxy_;
    Application app_;
    Answer answer_;
};

Ngircd* FatChanceRoomBotTest::server_ = nullptr;

TEST_F(FatChanceRoomBotTest, AClickReachesTheRoomAndNoPickSendsNothing) {
    bot_ = std::make_unique<Child>(std::vector<std::string>{
        "python3", std::string(VIZUZOR_TESTBED) + "/room/roombot.py", "--port", std::to_string(server_->Port()),
        "--channel", "gfatchance", "--script", "fat_chance_round", "--nick", "botgfatchance"});
    ASSERT_TRUE(bot_->WaitFor("READY").has_value());
    proxy_ = std::make_unique<PictureRoomProxy>();
    app_.view = view_.get();
    proxy_->AddReceiver(&app_);
    answer_.proxy = proxy_.get();
    answer_.app = &app_;
    view_->AddReceiver(&answer_);
    proxy_->Configure("127.0.0.1", server_->Port(), "gfatchance", "Al", 11, 22, Version(1, 0, 0, 0), 9, true);
    proxy_->Start();
    ASSERT_TRUE(Until([&] { return proxy_->IsPaused() && proxy_->IsAwaitingSyncReply(); })) << Transcript();
    Go("clock");
    ASSERT_TRUE(Until([&] { return !proxy_->IsAwaitingSyncReply(); })) << Transcript();
    Go("resume");
    proxy_->Resume();

    // The first round: a click on swatch 3 once the board lights up.
    ASSERT_TRUE(Until([&] { return board_->GetLastHighlight() && board_->GetLastHighlight()->IsStarted(); }))
        << Transcript();
    EXPECT_EQ(app_.segmentId, 31);
    Click(3);
    ASSERT_TRUE(Until([&] { return view_->GetCurrentScreen() == view_->GetFatChanceResultsScreen() &&
                                   ScoreOf("Al") == "15"; }))
        << Transcript();

    // The second round: nobody picks; the results end it.
    Go("second");
    ASSERT_TRUE(Until([&] { return app_.segmentId == 32 && board_->GetLastHighlight() &&
                                   board_->GetLastHighlight()->IsStarted(); }))
        << Transcript();
    Go("results");
    ASSERT_TRUE(Until([&] { return view_->GetCurrentScreen() == view_->GetFatChanceResultsScreen() &&
                                   ScoreOf("Al") == "20"; }))
        << Transcript();
    EXPECT_TRUE(probe_.Saw("FCTooSlow1") || probe_.Saw("FCTooSlow2"));
    EXPECT_EQ(picks_.sent.size(), 1u);

    Go("stop");
    proxy_->Stop();
    ASSERT_TRUE(Until([&] { return proxy_->IsStopped(); }));
    ASSERT_TRUE(BotSaid("SCRIPT ")) << Transcript();
    for (const std::string& line : bot_->Lines()) EXPECT_EQ(line.find("CHECK FAIL"), std::string::npos) << line;
    EXPECT_TRUE(BotSaid("SCRIPT PASSED")) << Transcript();
}

}  // namespace
