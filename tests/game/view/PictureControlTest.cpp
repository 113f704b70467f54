// The picture control on the real canvas and sound service, its downloads
// through its own HttpClient against the real test HTTP server on loopback:
// two slots taken in turn (a third download cancels the first), the data held
// until the picture is shown, "PV" once per slot, the failures' box and the
// integer 0, the introductions by mode, and a hold restart dropped once the
// stop has begun.

#include <functional>
#include <string>
#include <vector>

#include "GameViewFixture.h"
#include "TestHttpServer.h"
#include "divir/xFile.h"
#include "framework/MessagePump.h"
#include "framework/StartingMsg.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/controls/PictureControl.h"
#include "media/Animation.h"
#include "net/HttpClient.h"
#include "platform/AsyncSockets.h"
#include "platform/FakeMessageQueue.h"
#include "platform/RecordingMessageBoxSink.h"
#include "sequencers/SerialSequencer.h"
#include "sound/Voice.h"

#include <gtest/gtest.h>

namespace {

struct Heard : MsgReceiver {
    std::vector<std::uint32_t> viewed;
    int transitions = 0;
    std::function<void()> onViewed;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* pv = dynamic_cast<const PictureViewedRoomMsg*>(&msg)) {
            viewed.push_back(pv->GetPictureId());
            if (onViewed) onViewed();
        }
        if (msg.Is<PictureControlTransitionDoneMsg>()) ++transitions;
        return 0;
    }
};

PictureInfo Picture(std::uint32_t id, const std::string& folder, const std::string& name, std::int32_t style = 1,
                    const std::string& caption = "") {
    PictureInfo p;
    p.text1 = name;
    p.text2 = folder;
    p.number1 = id;
    p.number2 = style;
    p.text3 = caption;
    return p;
}

class PictureControlTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        platform::MessageQueue::Install(&queue_);
        queue_.SetForeground(false);
        queue_.StartThreadTimer(33);
        queue_.SetWaitHook([this](std::uint32_t maxMs) {
            std::vector<platform::WaitDescriptor> descriptors;
            queue_.GatherWaitDescriptors(descriptors);
            platform::WaitForDescriptors(descriptors, maxMs);
        });
        saved_ = platform::MessageBoxSink::Install(&boxes_);
        server_ = std::make_unique<TestHttpServer>();
        if (!server_->Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
        withSound_ = true;
        MakeView(640, 480);
        picture_ = std::make_unique<PictureControl>(view_.get(), &heard_, 0);
        picture_->SetHttpUserAgent("VizuzorTest");
        picture_->AddHttpServer("127.0.0.1", Port());
        picture_->SetRandomSource([this](std::uint32_t n) { return fixedRandom_ % n; });
    }
    void TearDown() override {
        picture_.reset();
        server_.reset();
        platform::MessageBoxSink::Install(saved_);
        queue_.SetWaitHook({});
        platform::MessageQueue::Install(nullptr);
        GameViewFixture::TearDown();
    }
    int Port() const {
        const std::string address = server_->Address();
        return std::stoi(address.substr(address.find(':') + 1));
    }
    // One main-loop pass: one message served (waiting on the sockets when none
    // is pending), then the executables.
    // The pump waits on the sockets only while a request is open.
    void Pass() {
        const bool waiting = picture_ && picture_->GetHttpClient()->GetOpenRequestCount() > 0;
        queue_.SetForeground(!waiting);
        xAppInBackground = waiting ? 1 : 0;
        PumpMessages();
        xAppInBackground = 0;
        clock_.Advance(5);
        out_.Advance(5);
        Run();
    }
    bool PassUntil(const std::function<bool()>& done, int passes = 3000) {
        for (int i = 0; i < passes && !done(); ++i) Pass();
        return done();
    }
    bool Settled(const PictureControl::Slot& slot) const { return !slot.pending; }

    platform::FakeMessageQueue queue_;
    platform::RecordingMessageBoxSink boxes_;
    platform::MessageBoxSink* saved_ = nullptr;
    std::unique_ptr<TestHttpServer> server_;
    Heard heard_;
    std::unique_ptr<PictureControl> picture_;
    std::uint32_t fixedRandom_ = 0;
};

TEST_F(PictureControlTest, TwoSlotsInTurnAndTheThirdCancelsTheFirst) {
    // The first never ends on its own; the third download replaces it.
    picture_->DownloadPicture(Picture(11, "stall", "4000"));
    EXPECT_EQ(picture_->GetCurrentPictureId(), 11u) << "the first download becomes the current picture";
    picture_->DownloadPicture(Picture(12, "plain", "2000"));
    picture_->DownloadPicture(Picture(13, "plain", "3000"));
    EXPECT_EQ(picture_->GetSlot(0).picture.number1, 13u);
    EXPECT_EQ(picture_->GetSlot(1).picture.number1, 12u);
    ASSERT_TRUE(PassUntil([&] { return Settled(picture_->GetSlot(0)) && Settled(picture_->GetSlot(1)); }));
    EXPECT_EQ(picture_->GetSlot(0).length, 3000);
    EXPECT_EQ(picture_->GetSlot(1).length, 2000);
    // The pattern byte at offset i is (i * 7 + 3) mod 251.
    EXPECT_EQ(static_cast<unsigned char>(picture_->GetSlot(0).buffer[10]), (10 * 7 + 3) % 251);
    EXPECT_EQ(picture_->GetHttpClient()->GetOpenRequestCount(), 0u) << "the stalled request was cancelled";
    for (int i = 0; i < 20; ++i) Pass();
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_TRUE(heard_.viewed.empty()) << "nothing is viewed while the control is stopped";

    // Shown and started: viewed once, from the start.
    picture_->SetPicture(Picture(13, "plain", "3000"));
    picture_->Show();
    picture_->Start();
    ASSERT_TRUE(PassUntil([&] { return picture_->IsStarted(); }));
    EXPECT_EQ(heard_.viewed, (std::vector<std::uint32_t>{13}));
    ASSERT_TRUE(PassUntil([&] { return !picture_->IsStarting() && picture_->IsStopped() == false; }));
    picture_->Stop();
    ASSERT_TRUE(PassUntil([&] { return picture_->IsStopped(); }));
    picture_->Start();
    ASSERT_TRUE(PassUntil([&] { return picture_->IsStarted(); }));
    EXPECT_EQ(heard_.viewed, (std::vector<std::uint32_t>{13})) << "once per slot";
    picture_->Stop();
    ASSERT_TRUE(PassUntil([&] { return picture_->IsStopped(); }));
}

// A download that lands while the picture's frame plays: the frame is held
// on its last cel with the new picture and "PV" is sent at once. A stop that
// begins before the restart is drained keeps the frame stopped.
TEST_F(PictureControlTest, ALandingWhilePlayingHoldsTheFrameUnlessTheStopBegan) {
    for (bool stopFirst : {false, true}) {
        SCOPED_TRACE(stopFirst);
        const std::uint32_t id = stopFirst ? 22 : 21;
        picture_->SetPicture(Picture(id, "plain", "1500"));
        picture_->Show();
        picture_->Start();
        ASSERT_TRUE(PassUntil([&] { return picture_->IsStarted(); }));
        const std::size_t before = heard_.viewed.size();
        // "PV" goes out after the frame was told to stop, before its stop is
        // heard: the control's stop begins right there.
        bool heldWhenStopped = false;
        // Starts of the picture's frame once the stop has begun.
        struct Starts : MsgReceiver {
            bool armed = false;
            int count = 0;
            std::int32_t Receive(const Msg& msg, MsgSender*) override {
                count += armed && msg.Is<StartingMsg>() ? 1 : 0;
                return 0;
            }
        } starts;
        picture_->GetAnimation(4)->AddReceiver(&starts);
        if (stopFirst) {
            heard_.onViewed = [&] {
                heldWhenStopped = picture_->IsHolding();
                picture_->Stop();
                starts.armed = true;
                heard_.onViewed = nullptr;
            };
        }
        picture_->DownloadPicture(Picture(id, "plain", "1500"));
        ASSERT_TRUE(PassUntil([&] { return heard_.viewed.size() > before; }));
        EXPECT_EQ(heard_.viewed.size(), before + 1);
        EXPECT_EQ(heard_.viewed.back(), id);
        Animation* frame = picture_->GetAnimation(4);
        if (stopFirst) {
            EXPECT_TRUE(heldWhenStopped);
            ASSERT_TRUE(PassUntil([&] { return picture_->IsStopped(); }));
            EXPECT_FALSE(picture_->IsHolding());
            for (int i = 0; i < 20; ++i) Pass();
            EXPECT_TRUE(frame->IsStopped()) << "the stopped frame was not restarted";
            EXPECT_EQ(starts.count, 0) << "no restart after the stop began";
            picture_->Start();
            ASSERT_TRUE(PassUntil([&] { return picture_->IsStarted(); })) << "the next start is not refused";
        } else {
            ASSERT_TRUE(PassUntil([&] { return !picture_->IsHolding(); }));
            ASSERT_TRUE(PassUntil([&] { return frame->IsStarted() || frame->IsPaused(); }));
            EXPECT_EQ(frame->GetFrame(), frame->GetCelCount() - 1);
        }
        picture_->Stop();
        ASSERT_TRUE(PassUntil([&] { return picture_->IsStopped(); }));
        frame->RemoveReceiver(&starts);
    }
}

TEST_F(PictureControlTest, AFailedDownloadShowsItsBoxThenEndsTheProgram) {
    struct Case {
        const char* folder;
        const char* name;
        bool refusedPort;
        bool timeOut;
    };
    const Case cases[] = {{"status", "404", false, false},
                          {"stall", "4000", false, true},
                          {"plain", "60000", false, false},
                          {"plain", "100", true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + "/" + c.name);
        boxes_.boxes.clear();
        picture_.reset();
        picture_ = std::make_unique<PictureControl>(view_.get(), &heard_, 0);
        picture_->AddHttpServer("127.0.0.1", c.refusedPort ? 1 : Port());
        picture_->DownloadPicture(Picture(31, c.folder, c.name));
        bool thrown = false;
        try {
            for (int i = 0; i < 600 && boxes_.boxes.empty(); ++i) {
                Pass();
                if (c.timeOut) clock_.Advance(1000);
            }
        } catch (int code) {
            thrown = code == 0;
        }
        EXPECT_TRUE(thrown);
        ASSERT_EQ(boxes_.boxes.size(), 1u);
        EXPECT_EQ(boxes_.boxes[0].title, "Error downloading picture");
        EXPECT_EQ(boxes_.boxes[0].text, "The game is unable to download content at this time.\nPlease try again later.");
        EXPECT_FALSE(picture_->GetSlot(0).pending);
    }
}

// What each mode puts into the sequencers (A: animations, B: voices, C: the
// frame effect), with and without instant, styles 1-3 and another.
TEST_F(PictureControlTest, ModesToTheirParts) {
    struct Case {
        std::int32_t mode, style;
        bool instant;
        std::vector<int> a;  // animation numbers of the table
        std::vector<int> voices;
        bool effect;
    };
    const Case cases[] = {
        {0, 1, false, {1, 4, 11}, {0}, true},
        {0, 2, true, {5, 11}, {}, false},
        {0, 9, false, {11}, {0}, false},
        {0, 9, true, {11}, {}, false},
        {1, 3, false, {3, 6, 11}, {1}, true},
        {2, 1, false, {1, 4, 11}, {2}, true},
        {3, 1, false, {1, 4, 11}, {3, 5 + 2, 4}, true},
        {4, 2, true, {5, 11}, {}, false},
        {5, 2, false, {8, 4}, {}, false},
        {5, 7, false, {4}, {}, false},
        {6, 1, false, {10}, {}, false},
    };
    fixedRandom_ = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " style " << c.style << " instant " << c.instant);
        picture_->SetPicture(Picture(40, "plain", "10", c.style, "caption"));
        picture_->SetMode(c.mode);
        picture_->SetCopyFitsTexts("one", "two", "three");
        if (c.instant) picture_->SetInstant();
        picture_->Start();
        Pass();
        std::vector<Process*> a, b;
        for (std::int32_t i = 0; i < picture_->GetSequencer('A')->GetChildCount(); ++i)
            a.push_back(picture_->GetSequencer('A')->GetChild(i));
        for (std::int32_t i = 0; i < picture_->GetSequencer('B')->GetChildCount(); ++i)
            b.push_back(picture_->GetSequencer('B')->GetChild(i));
        std::vector<Process*> wantA, wantB;
        for (int n : c.a) wantA.push_back(picture_->GetAnimation(n));
        for (int v : c.voices) wantB.push_back(picture_->GetVoice(v));
        EXPECT_EQ(a, wantA);
        EXPECT_EQ(b, wantB);
        EXPECT_EQ(picture_->GetSequencer('C')->GetChildCount(), c.effect ? 1 : 0);
        if (c.mode <= 4) {
            EXPECT_EQ(FieldText(166), "caption");
        } else {
            EXPECT_EQ(FieldText(166), "");
        }
        if (c.mode == 2) {
            EXPECT_EQ(FieldText(164), "two");
        }
        ASSERT_TRUE(PassUntil([&] { return picture_->IsStarted(); }, 20000));
        picture_->Stop();
        ASSERT_TRUE(PassUntil([&] { return picture_->IsStopped(); }));
        EXPECT_FALSE(picture_->IsInstant()) << "the instant flag lives for one run";
    }
}

}  // namespace

namespace {

// Mode 3 picks its poem by the random source: 0, 1, 2 give the three poems.
TEST_F(PictureControlTest, TheDuzarezuriPoemComesFromTheRandomSource) {
    const std::int32_t poems[] = {2210, 2215, 2220};
    for (std::uint32_t r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        fixedRandom_ = r + 3;
        picture_->SetPicture(Picture(50, "plain", "10", 1, ""));
        picture_->SetMode(3);
        picture_->Start();
        Pass();
        SerialSequencer* b = picture_->GetSequencer('B');
        ASSERT_EQ(b->GetChildCount(), 3);
        EXPECT_EQ(dynamic_cast<Voice*>(b->GetChild(1))->GetResId(), poems[r]);
        ASSERT_TRUE(PassUntil([&] { return picture_->IsStarted(); }, 20000));
        picture_->Stop();
        ASSERT_TRUE(PassUntil([&] { return picture_->IsStopped(); }));
    }
}

}  // namespace
