// The opening on the real game view and its shared controls, from the fixture
// pack on the manual clock with sound on the captured output: where the
// sponsor ad arrives (early, during the stand-by display, never), the space
// bar before and after it is ready and in the title, a second ad, a restart,
// and a stop during a skip; what the screen tells the view, in order, the
// palettes at 8 bits, and one OpeningCompleteMsg per completion.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ViewParts.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/GameViewMsgs.h"
#include "media/Animation.h"
#include "media/xPalette.h"
#include "sequencers/ParallelSequencer.h"
#include "sequencers/SerialSequencer.h"
#include "sound/Music.h"
#include "sound/Voice.h"

namespace {

struct OpeningHeard : MsgReceiver {
    std::vector<std::string> events;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (msg.Is<QuonzaStartingMsg>()) events.push_back("quonza");
        if (msg.Is<QuonzaStoppedMsg>()) events.push_back("quonza stopped");
        if (msg.Is<SponsorAdStartingMsg>()) events.push_back("ad");
        if (msg.Is<SponsorAdStoppedMsg>()) events.push_back("ad stopped");
        if (msg.Is<AdViewedMsg>()) events.push_back("viewed");
        if (msg.Is<AdSelectedMsg>()) events.push_back("selected");
        if (msg.Is<OpeningCompleteMsg>()) events.push_back("complete");
        return 0;
    }
};

xRGB Entry(const xPalette& palette, int index) {
    xRGB colour{};
    palette.GetEntry(colour, index);
    return colour;
}

class OpeningScreenTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        view::PictureViewParts parts = RecordingParts();
        parts.opening = [](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<OpeningScreen>(parent, layer, s);
        };
        MakeView(std::move(parts));
        StartView();
        opening_ = view_->GetOpeningScreen();
        opening_->AddReceiver(&heard_);
        opening_->SetRandomSource([](std::uint32_t) { return 0u; });
    }
    void TearDown() override {
        if (view_ && opening_ != nullptr) opening_->RemoveReceiver(&heard_);
        ViewFixture::TearDown();
        AdProcess::ClearAdFolder();
    }
    void Pass(std::uint32_t ms, std::uint32_t step = 1) {
        for (std::uint32_t i = 0; i < ms; i += step) {
            clock_.Advance(step);
            audio_.Advance(step);
            Run();
        }
    }
    bool RunUntil(const std::function<bool()>& done, std::uint32_t limitMs, std::uint32_t step = 5) {
        for (std::uint32_t ms = 0; ms < limitMs; ms += step) {
            if (done()) return true;
            Pass(step, step);
        }
        return done();
    }
    bool Complete() const { return Count("complete") > 0; }
    int Count(const std::string& event) const {
        int n = 0;
        for (const auto& e : heard_.events) n += e == event ? 1 : 0;
        return n;
    }
    bool CanvasEntryIs(int index, xRGB colour) {
        xPalette* canvas = view_->GetCanvasMember();
        return canvas != nullptr && Entry(*canvas, index) == colour;
    }
    void Space() { opening_->OnKeyboardChar(KeyboardCharMsg(' ')); }

    static AdInfo TestAd() { return AdInfo("TestAd.srf", "s", 1000); }
    OpeningHeard heard_;
    OpeningScreen* opening_ = nullptr;
};

const std::vector<std::string> kWithAd = {"quonza", "quonza stopped", "ad", "viewed", "ad stopped", "complete"};
const std::vector<std::string> kWithoutAd = {"quonza", "quonza stopped", "ad", "ad stopped", "complete"};

// The ad at hand before the opening: instructions, no stand-by, the brand
// intro in its palette, the ad on the default palette, the title, a welcome.
TEST_F(OpeningScreenTest, AnAdAtHandPlaysTheWholeOpeningOnce) {
    const xRGB before = Entry(*view_->GetCanvasMember(), 100);
    opening_->SetSponsorAd(TestAd());
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->IsBrandIntroPlaying(); }, 30000));
    ASSERT_TRUE(RunUntil([&] { return opening_->GetBrandAnimation()->IsStarted(); }, 30000));
    EXPECT_TRUE(CanvasEntryIs(100, xRGB{155, 100, 128})) << "the brand palette";
    ASSERT_TRUE(RunUntil([&] { return opening_->IsSponsorAdPlaying(); }, 30000));
    Pass(20);
    EXPECT_TRUE(CanvasEntryIs(100, Entry(xPalette::Default(), 100))) << "the ad's own palette";
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
    EXPECT_EQ(heard_.events, kWithAd);
    EXPECT_TRUE(CanvasEntryIs(100, before)) << "the palette before the brand intro, not the brand's";
    EXPECT_TRUE(opening_->IsCompleted());
    EXPECT_TRUE(view_->GetSharedControls()[kChatBoxSlot]->IsVisible());
    Pass(500);
    EXPECT_EQ(Count("complete"), 1);
}

// No ad ever: the stand-by display gives up after 30 s and the empty ad
// completes at once.
TEST_F(OpeningScreenTest, WithoutAnAdTheStandByEndsAfterThirtySeconds) {
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->GetStandByGroup()->IsStarted(); }, 30000));
    Pass(29000, 10);
    EXPECT_TRUE(opening_->GetStandByGroup()->IsStarted()) << "still waiting";
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
    EXPECT_EQ(heard_.events, kWithoutAd);
}

// The ad arrives while the stand-by texts are shown: they go and the brand
// intro begins. A second ad loads nothing.
TEST_F(OpeningScreenTest, AnAdDuringTheStandByEndsIt) {
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->GetStandByGroup()->IsStarted(); }, 30000));
    Pass(1000, 10);
    opening_->SetSponsorAd(TestAd());
    opening_->SetSponsorAd(AdInfo("Other.srf", "s", 1000));
    EXPECT_EQ(opening_->GetAdProcess()->GetAdInfo().GetName(), "TestAd.srf");
    ASSERT_TRUE(RunUntil([&] { return opening_->IsBrandIntroPlaying(); }, 30000));
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
    EXPECT_EQ(heard_.events, kWithAd);
}

// Space before the ad is ready does nothing; after, it skips the instructions.
TEST_F(OpeningScreenTest, SpaceSkipsTheInstructionsOnlyOnceTheAdIsReady) {
    opening_->GetInstructionsAnimation()->SetRepeatForever();
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->GetInstructionsAnimation()->IsStarted(); }, 30000));
    Space();
    Pass(20);
    EXPECT_TRUE(opening_->GetSkipGroup()->IsStopped());
    EXPECT_TRUE(opening_->GetInstructionsAnimation()->IsStarted());
    opening_->SetSponsorAd(TestAd());
    Pass(20);
    EXPECT_FALSE(opening_->GetSkipHint()->IsStopped()) << "the hint once the ad is ready";
    opening_->SetSponsorAd(TestAd());  // the hint runs already: left as it is
    Space();
    Pass(20);
    EXPECT_FALSE(opening_->GetSkipGroup()->IsStopped());
    EXPECT_FALSE(opening_->GetInstructionsVoice()->IsStarted());
    ASSERT_TRUE(RunUntil([&] { return opening_->IsBrandIntroPlaying(); }, 30000));
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
    EXPECT_EQ(heard_.events, kWithAd);
}

// The instructions voice has ended when the space comes: no refusal.
TEST_F(OpeningScreenTest, SpaceAfterTheInstructionsVoiceEnded) {
    opening_->GetInstructionsAnimation()->SetRepeatForever();
    opening_->SetSponsorAd(TestAd());
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->GetInstructionsVoice()->IsStarted(); }, 30000));
    ASSERT_TRUE(RunUntil([&] { return opening_->GetInstructionsVoice()->IsStopped(); }, 30000));
    Space();
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
    EXPECT_EQ(heard_.events, kWithAd);
}

// Space during the title cuts its music and brings the welcome at once.
TEST_F(OpeningScreenTest, SpaceInTheTitleBringsTheWelcome) {
    opening_->SetSponsorAd(TestAd());
    opening_->GetTitleAnimation()->SetRepeatForever();
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->GetTitleAnimation()->IsStarted(); }, 30000));
    Pass(20);
    Space();
    Pass(20);
    EXPECT_TRUE(opening_->GetTitleMusic()->IsStopped());
    EXPECT_FALSE(opening_->GetTitleAnimation()->IsVisible());
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
}

// Completed, the screen shown again completes at once with a new message.
TEST_F(OpeningScreenTest, ARestartAfterCompletionCompletesAgain) {
    opening_->SetSponsorAd(TestAd());
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return Complete(); }, 30000));
    view_->ShowChooseRoom();
    ASSERT_TRUE(RunUntil([&] { return opening_->IsStopped(); }, 30000));
    ASSERT_TRUE(RunUntil([&] { return view_->GetChooseRoomScreen()->IsStarted(); }, 30000));
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return Count("complete") == 2; }, 30000));
    EXPECT_TRUE(opening_->IsStarted());
}

// A stop during a skip: the skip voice ending meanwhile resumes nothing and
// the stop completes.
TEST_F(OpeningScreenTest, AStopDuringASkipEndsCleanly) {
    opening_->GetInstructionsAnimation()->SetRepeatForever();
    opening_->SetSponsorAd(TestAd());
    view_->ShowOpening();
    ASSERT_TRUE(RunUntil([&] { return opening_->GetInstructionsAnimation()->IsStarted(); }, 30000));
    Pass(20);
    Space();
    Pass(20);
    ASSERT_FALSE(opening_->GetSkipGroup()->IsStopped());
    view_->ShowChooseRoom();
    ASSERT_TRUE(RunUntil([&] { return opening_->IsStopped(); }, 30000));
    EXPECT_EQ(Count("complete"), 0);
    EXPECT_TRUE(opening_->GetSkipGroup()->IsStopped());
    EXPECT_TRUE(RunUntil([&] { return view_->GetChooseRoomScreen()->IsStarted(); }, 30000));
}

}  // namespace
