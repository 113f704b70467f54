// The ad break on the real game view and its shared controls, from the
// fixture pack on the manual clock with sound on the captured output: the
// phase times, the ads played one after another (one of them not downloaded),
// the drawing handed to the ads' own service and back, the background stopped
// and restarted, keys to the ad or the chat box, a stop during the ads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ViewParts.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/GameViewMsgs.h"
#include "media/Animation.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"
#include "sequencers/SerialSequencer.h"

namespace {

struct BreakHeard : MsgReceiver {
    std::vector<std::string> events;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (msg.Is<AdsStartingMsg>()) events.push_back("starting");
        if (msg.Is<AdsStoppedMsg>()) events.push_back("stopped");
        if (const auto* m = dynamic_cast<const AdSelectedMsg*>(&msg); m != nullptr)
            events.push_back("selected " + m->GetAdInfo().GetName());
        if (const auto* m = dynamic_cast<const AdViewedMsg*>(&msg); m != nullptr)
            events.push_back("viewed " + m->GetAdInfo().GetName() + (m->WasClicked() ? " clicked" : ""));
        return 0;
    }
};

class AdsScreenTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        view::PictureViewParts parts = RecordingParts();
        parts.ads = [](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<AdsScreen>(parent, layer, s);
        };
        MakeView(std::move(parts));
        StartView();
        ads_ = view_->GetAdsScreen();
        ads_->AddReceiver(&heard_);
    }
    void TearDown() override {
        if (view_ && ads_ != nullptr) ads_->RemoveReceiver(&heard_);
        ViewFixture::TearDown();
        AdProcess::ClearAdFolder();
    }
    void Pass(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            audio_.Advance(1);
            Run();
        }
    }
    bool RunUntil(const std::function<bool()>& done, std::uint32_t limitMs) {
        for (std::uint32_t ms = 0; ms < limitMs; ms += 5) {
            if (done()) return true;
            Pass(5);
        }
        return done();
    }
    void Break(std::int32_t index, std::vector<AdInfo> ads, std::int32_t length) {
        view_->StartPictureAds(StartPictureAdsRoomMsg(index, false, std::move(ads), 0, 0, 0, 0, length));
    }
    bool HeardStopped() const {
        for (const auto& e : heard_.events)
            if (e == "stopped") return true;
        return false;
    }
    AnimationService* ViewService() { return dynamic_cast<AnimationService*>(view_->GetAnimationService()); }
    Control* Shared(std::size_t slot) { return view_->GetSharedControls()[slot]; }

    BreakHeard heard_;
    AdsScreen* ads_ = nullptr;
};

// Intro 500 + 300 ms, outro 700 + 300 ms (the fixture's R3 voices): a segment
// of 3000 ms leaves 1200 ms of ads.
TEST_F(AdsScreenTest, ABreakPlaysIntroTheAdsThatFitAndOutro) {
    ASSERT_NE(ads_, nullptr);
    Break(0, {AdInfo("NotThere.srf", "s", 200), AdInfo("TestAd.srf", "s", 1000), AdInfo("Late.srf", "s", 900)}, 3000);
    EXPECT_EQ(ads_->GetFirstTime(), 800u);
    EXPECT_EQ(ads_->GetMiddleTime(), 1200u);
    EXPECT_EQ(ads_->GetLastTime(), 1000u);
    EXPECT_EQ(ads_->GetTotalTime(), 3000u);
    ASSERT_EQ(ads_->GetAdCount(), 2u);
    EXPECT_TRUE(ads_->GetAd(0)->IsDownloading());
    EXPECT_FALSE(ads_->GetAd(1)->IsDownloading());

    // The intro: the chat box takes the keys.
    ASSERT_TRUE(RunUntil([&] { return ads_->GetIntroAnimation(0)->IsStarted(); }, 20000));
    ads_->AdsScreen::OnKeyboardChar(KeyboardCharMsg('x'));
    EXPECT_EQ(world_.journal.With("Chat.Key"), std::vector<std::string>{"Chat.Key(120)"});

    // The ads: the screen counts as started, its own service draws, the
    // background and the player list, chat box and panel button are gone.
    ASSERT_TRUE(RunUntil([&] { return ads_->IsStarted(); }, 20000));
    EXPECT_TRUE(ads_->GetAdSequence()->IsStarted());
    EXPECT_TRUE(ads_->GetAdService()->IsDrawingEnabled());
    EXPECT_FALSE(ViewService()->IsDrawingEnabled());
    Pass(20);
    EXPECT_FALSE(Shared(kBackgroundSlot)->IsStarted());
    EXPECT_FALSE(Shared(kChatBoxSlot)->IsVisible());
    EXPECT_FALSE(Shared(kPlayerListSlot)->IsVisible());

    // The second ad is the downloaded one: a key clicks it.
    ASSERT_TRUE(RunUntil([&] { return ads_->GetAd(1)->IsStarted(); }, 20000));
    ads_->AdsScreen::OnKeyboardChar(KeyboardCharMsg('k'));
    EXPECT_EQ(world_.journal.With("Chat.Key").size(), 1u) << "a key during an ad is no chat";

    ASSERT_TRUE(RunUntil([&] { return HeardStopped(); }, 20000));
    const std::vector<std::string> expected = {"starting", "selected TestAd.srf", "viewed TestAd.srf clicked",
                                               "stopped"};
    EXPECT_EQ(heard_.events, expected);
    EXPECT_TRUE(ViewService()->IsDrawingEnabled());
    EXPECT_FALSE(ads_->GetAdService()->IsDrawingEnabled());
    EXPECT_TRUE(Shared(kBackgroundSlot)->IsStarted()) << "the background is back before the outro";
    EXPECT_TRUE(Shared(kChatBoxSlot)->IsVisible());
    EXPECT_TRUE(Shared(kPlayerListSlot)->IsVisible());
    EXPECT_TRUE(Shared(kControlPanelButtonSlot)->IsVisible());
}

// Once the view's service draws again the screen holds its whole picture:
// what a full redraw gives, not what the ads left.
TEST_F(AdsScreenTest, TheFrameAfterTheAdsEqualsAFullRedraw) {
    Break(0, {AdInfo("TestAd.srf", "s", 1000)}, 3000);
    ASSERT_TRUE(RunUntil([&] { return ads_->GetAd(0)->IsStarted(); }, 20000));
    Pass(50);
    const platform::Surface& back = *platform::GetBackBuffer(view_->GetWindow());
    EXPECT_EQ(back.Row(200)[300], 223) << "the ad on show";
    ASSERT_TRUE(RunUntil([&] { return HeardStopped(); }, 20000));
    Pass(50);
    const auto snapshot = [&] {
        std::vector<std::uint8_t> pixels;
        for (int y = 0; y < 480; ++y) pixels.insert(pixels.end(), back.Row(y), back.Row(y) + 640);
        return pixels;
    };
    const std::vector<std::uint8_t> after = snapshot();
    ViewService()->SetDrawingEnabled(false);
    ViewService()->SetDrawingEnabled(true);
    Pass(1);
    EXPECT_TRUE(after == snapshot());
    EXPECT_NE(back.Row(200)[300], 223) << "the ad is gone";
}

// A stop asked for during the ads waits for the outro.
TEST_F(AdsScreenTest, AStopDuringTheAdsEndsAfterTheOutro) {
    Break(0, {AdInfo("TestAd.srf", "s", 1000)}, 3000);
    ASSERT_TRUE(RunUntil([&] { return ads_->IsStarted(); }, 20000));
    view_->ShowChooseRoom();
    Pass(10);
    EXPECT_FALSE(ads_->IsStopped());
    EXPECT_FALSE(HeardStopped());
    ASSERT_TRUE(RunUntil([&] { return ads_->IsStopped(); }, 20000));
    EXPECT_TRUE(HeardStopped());
    EXPECT_EQ(ads_->GetAdCount(), 0u) << "the ads go with the stop";
    EXPECT_TRUE(RunUntil([&] { return view_->GetChooseRoomScreen()->IsStarted(); }, 20000));
}

// A segment shorter than intro and outro: no ads, intro and outro only.
TEST_F(AdsScreenTest, NoAdFitsAndTheBreakIsIntroAndOutro) {
    Break(0, {AdInfo("TestAd.srf", "s", 1000)}, 1500);
    EXPECT_EQ(ads_->GetAdCount(), 0u);
    EXPECT_EQ(ads_->GetMiddleTime(), 0u);
    EXPECT_EQ(ads_->GetTotalTime(), 1800u);
    ASSERT_TRUE(RunUntil([&] { return HeardStopped(); }, 20000));
    EXPECT_EQ(heard_.events, (std::vector<std::string>{"starting", "stopped"}));
    EXPECT_TRUE(ViewService()->IsDrawingEnabled());
}

// The set follows the break index; one outside 0-11 plays set 0.
TEST_F(AdsScreenTest, TheBreakIndexChoosesTheSet) {
    struct Row {
        std::int32_t index;
        std::uint32_t intro, outro;
    } rows[] = {{0, 800, 1000}, {1, 500, 500}, {2, 500, 500}, {11, 500, 500}, {12, 800, 1000}, {-1, 800, 1000}};
    for (const Row& r : rows) {
        ads_->SetBreakIndex(r.index);
        ads_->SetAdList({});
        ads_->SetSegmentTimes(5000, 0, 0, 5000);
        EXPECT_EQ(ads_->GetFirstTime(), r.intro) << r.index;
        EXPECT_EQ(ads_->GetLastTime(), r.outro) << r.index;
    }
    EXPECT_EQ(AdsScreen::SetOf(12), 0);
    EXPECT_EQ(ads_->GetIntroAnimation(12), ads_->GetIntroAnimation(0));
}

}  // namespace
