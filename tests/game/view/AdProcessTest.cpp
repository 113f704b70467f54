// A sponsor ad played from the fixture pack on the manual clock and read back:
// the writer-made ad in the ad folder with its clicks, the stand-by display of
// an ad not downloaded yet, hostile names, the click rules, a process with no
// ad, and the shared folder text.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "GameViewFixture.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseService.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/AdProcess.h"
#include "game/model/PictureViewMsgs.h"
#include "media/Animation.h"
#include "sound/Sound.h"

#include <gtest/gtest.h>

namespace {

// The fixture's ad (400x300 at 120,90, index 223) and stand-by text (index 220).
constexpr int kAdX = 300;
constexpr int kAdY = 200;
constexpr int kStandByY = 210;

struct Heard : MsgReceiver {
    std::vector<std::string> events;
    std::vector<bool> viewedClicked;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (msg.Is<StartedMsg>()) events.push_back("started");
        if (msg.Is<StoppedMsg>()) events.push_back("stopped");
        if (const auto* selected = dynamic_cast<const AdSelectedMsg*>(&msg); selected != nullptr)
            events.push_back("selected " + selected->GetAdInfo().GetName());
        if (const auto* viewed = dynamic_cast<const AdViewedMsg*>(&msg); viewed != nullptr) {
            events.push_back("viewed " + viewed->GetAdInfo().GetName());
            viewedClicked.push_back(viewed->WasClicked());
        }
        return 0;
    }
};

xPalette Brand() {
    std::array<std::uint8_t, 768> table{};
    for (int i = 0; i < 768; ++i) table[i] = static_cast<std::uint8_t>(255 - i % 256);
    return xPalette(std::span<const std::uint8_t, 768>(table));
}

xRGB Entry(const xPalette& palette, int index) {
    xRGB colour{};
    palette.GetEntry(colour, index);
    return colour;
}

class AdProcessTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        withSound_ = true;
        MouseService::Register();
        MakeView(640, 480);
        view_->ClearScreen(Brand());
    }
    void TearDown() override {
        ad_.reset();
        AdProcess::ClearAdFolder();
        GameViewFixture::TearDown();
    }
    void Make(const AdInfo* ad) {
        ad_ = std::make_unique<AdProcess>(view_.get(), &heard_, 2000, 31000, 15, 1400, 3100, 1, 15, 129, 130, ad);
        ad_->Show();
    }
    void Make(const std::string& name, std::int32_t ms) {
        const AdInfo ad(name, "sponsor", ms);
        Make(&ad);
    }
    bool Settle() {
        for (int i = 0; i < 800 && !ad_->IsStarted(); ++i) RunFor(5);
        return ad_->IsStarted();
    }
    int RunUntilStopped(int limitMs) {
        int ms = 0;
        while (!ad_->IsStopped() && ms < limitMs) {
            RunFor(10);
            ms += 10;
        }
        return ms;
    }
    bool CanvasIs(const xPalette& palette) {
        xPalette* canvas = view_->GetCanvasMember();
        if (canvas == nullptr) return false;
        // Entries 0-9 and 246-255 are the system's own at 8 bits.
        for (int i : {20, 100, 200, 223})
            if (Entry(*canvas, i) != Entry(palette, i)) return false;
        return true;
    }
    static void Click() {
        MouseService::GetInstance()->OnLeftButtonDown(kAdX, kAdY);
        MouseService::GetInstance()->OnLeftButtonUp(kAdX, kAdY);
    }

    Heard heard_;
    std::unique_ptr<AdProcess> ad_;
};

TEST_F(AdProcessTest, AWriterMadeAdClickedTwiceIsSelectedOnceAndViewedClicked) {
    Make("TestAd.srf", 1000);
    ASSERT_FALSE(ad_->IsDownloading()) << "Ads\\\\TestAd.srf is in the fixture";
    ASSERT_NE(ad_->GetAdSound(), nullptr);
    ad_->Start();
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(CanvasIs(xPalette::Default())) << "the ad plays on the program's default palette";
    EXPECT_EQ(MouseService::GetInstance()->GetCapture(), ad_.get());
    RunFor(20);
    EXPECT_EQ(Back().Row(kAdY)[kAdX], 223) << "the ad's art on show";
    Click();
    RunFor(20);
    Click();
    RunFor(20);
    RunUntilStopped(3000);
    ASSERT_TRUE(ad_->IsStopped());
    const std::vector<std::string> expected = {"started", "selected TestAd.srf", "viewed TestAd.srf", "stopped"};
    EXPECT_EQ(heard_.events, expected);
    EXPECT_EQ(heard_.viewedClicked, std::vector<bool>{true});
    EXPECT_TRUE(CanvasIs(Brand())) << "the saved palette comes back";
    EXPECT_EQ(MouseService::GetInstance()->GetCapture(), nullptr);

    // A second showing replays the ad with the click cleared.
    heard_.events.clear();
    heard_.viewedClicked.clear();
    ad_->Start();
    ASSERT_TRUE(Settle());
    EXPECT_FALSE(ad_->WasClicked());
    RunUntilStopped(3000);
    EXPECT_EQ(heard_.viewedClicked, std::vector<bool>{false});
}

TEST_F(AdProcessTest, AnAdNotDownloadedShowsTheStandByTextForItsDuration) {
    Make("NotThere.srf", 2000);
    ASSERT_TRUE(ad_->IsDownloading());
    EXPECT_EQ(FieldText(129), "Please Stand By...");
    EXPECT_EQ(FieldText(130), "Downloading advertisement.");
    ad_->Start();
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(CanvasIs(Brand())) << "the palette is not touched";
    RunFor(20);
    EXPECT_EQ(Back().Row(kStandByY)[300], 220);
    Click();
    ad_->ClickIfEnabled(KeyboardCharMsg(' '));
    RunFor(500);
    EXPECT_FALSE(ad_->IsStopped()) << "runs about as long as the ad";
    const int ms = RunUntilStopped(5000);
    EXPECT_TRUE(ad_->IsStopped());
    EXPECT_LT(ms, 3000);
    const std::vector<std::string> expected = {"started", "stopped"};
    EXPECT_EQ(heard_.events, expected) << "no selection and no AdViewedMsg while downloading";
    EXPECT_TRUE(CanvasIs(Brand()));
}

TEST_F(AdProcessTest, NamesThatAreNotPlainFileNamesAreMissingAds) {
    for (const char* name : {"", ".", "..", "..\\Ads\\TestAd.srf", "sub/TestAd.srf", "C:TestAd.srf",
                             "Test\x01" "Ad.srf", "\\TestAd.srf"}) {
        Make(name, 1000);
        EXPECT_TRUE(ad_->IsDownloading()) << "name: " << name;
        ad_.reset();
    }
}

TEST_F(AdProcessTest, ClicksCountOnlyWhenEnabledStartedAndPastTheDelay) {
    struct Row {
        const char* what;
        bool delay;
        bool disable;
        bool key;
        int waitMs;
        bool selected;
    } rows[] = {
        {"mouse", false, false, false, 0, true},
        {"key", false, false, true, 0, true},
        {"disabled mouse", false, true, false, 0, false},
        {"disabled key", false, true, true, 0, false},
        {"past the delay", true, false, false, 1100, true},
    };
    for (const Row& r : rows) {
        heard_.events.clear();
        Make("TestAd.srf", 1000);
        if (r.delay) ad_->SetClickDelay();
        // Played round and round, the ad outlasts the click delay.
        ad_->GetMainAnimation()->SetRepeatForever();
        ad_->Start();
        // The delay runs from the start's beginning; the ad counts as started
        // only once its sound is audible.
        Click();  // before the start is complete: nothing
        RunFor(10);
        EXPECT_FALSE(ad_->WasClicked()) << r.what;
        EXPECT_EQ(ad_->IsClickEnabled(), !r.delay) << r.what;
        ASSERT_TRUE(Settle()) << r.what;
        if (r.disable) ad_->DisableClick();
        if (r.waitMs > 0) RunFor(r.waitMs);
        ASSERT_TRUE(ad_->IsStarted()) << r.what;
        EXPECT_EQ(ad_->IsClickEnabled(), !r.disable) << r.what;
        if (r.key)
            ad_->ClickIfEnabled(KeyboardCharMsg('a'));
        else
            Click();
        RunFor(10);
        EXPECT_EQ(ad_->WasClicked(), r.selected) << r.what;
        int selected = 0;
        for (const auto& e : heard_.events) selected += e.rfind("selected", 0) == 0 ? 1 : 0;
        EXPECT_EQ(selected, r.selected ? 1 : 0) << r.what;
        ad_->Stop();
        RunUntilStopped(3000);
        EXPECT_TRUE(ad_->IsStopped()) << r.what;
        ad_.reset();
    }
}

TEST_F(AdProcessTest, AProcessWithNoAdStartsAndStopsAtOnce) {
    Make(nullptr);
    ad_->Start();
    RunFor(10);
    EXPECT_TRUE(ad_->IsStopped());
    const std::vector<std::string> expected = {"started", "stopped"};
    EXPECT_EQ(heard_.events, expected);
    EXPECT_TRUE(CanvasIs(Brand()));
    EXPECT_EQ(MouseService::GetInstance()->GetCapture(), nullptr);
}

// The folder the application set is kept while ad processes live; a release
// asked for meanwhile happens when the last goes, and not before.
TEST_F(AdProcessTest, TheFolderTextOutlivesTheAdProcesses) {
    AdProcess::SetAdFolder("X\\");
    Make("TestAd.srf", 1000);
    EXPECT_TRUE(ad_->IsDownloading()) << "looked for under X\\";
    EXPECT_EQ(AdProcess::LiveCount(), 1);
    AdProcess::ClearAdFolder();
    EXPECT_EQ(AdProcess::GetAdFolder(), "X\\");
    ad_.reset();
    EXPECT_EQ(AdProcess::LiveCount(), 0);
    EXPECT_FALSE(AdProcess::HasAdFolder());
    EXPECT_EQ(AdProcess::GetAdFolder(), "Ads\\");

    // Without a release, the folder the application set survives an ad break.
    AdProcess::SetAdFolder("Ads");
    Make("TestAd.srf", 1000);
    EXPECT_FALSE(ad_->IsDownloading()) << "Ads\\TestAd.srf";
    ad_.reset();
    EXPECT_EQ(AdProcess::GetAdFolder(), "Ads");
    // With none set, the first process makes the default one.
    AdProcess::ClearAdFolder();
    Make(nullptr);
    EXPECT_TRUE(AdProcess::HasAdFolder());
    EXPECT_EQ(AdProcess::GetAdFolder(), "Ads\\");
}

}  // namespace
