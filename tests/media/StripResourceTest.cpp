#include "media/AnimationResource.h"
#include "media/OffsetStripResource.h"
#include "media/PaletteResource.h"

#include "media/Animation.h"
#include "media/AnimationService.h"

#include "framework/SchedulerFixture.h"
#include "framework/View.h"
#include "resource/FileResource.h"
#include "resource/SrfResource.h"
#include "support/AnimationStage.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace {

std::string Fixture(const std::string& name) {
    return platform::ToWindowsPath(std::string(SRF_FIXTURES) + "/" + name + ".srf");
}

class StripResourceTest : public SchedulerFixture {
  public:
    void RunFor(std::uint32_t ms) {
        for (std::uint32_t i = 0; i < ms; ++i) {
            clock_.Advance(1);
            Run();
        }
    }

  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        stage_ = std::make_unique<AnimationStage>();
        view_ = std::make_unique<View>("Vizuzor", 8, 640, 480, false);
    }
    void TearDown() override {
        view_.reset();
        stage_.reset();
        SchedulerFixture::TearDown();
    }

    std::unique_ptr<AnimationStage> stage_;
    std::unique_ptr<View> view_;
};

// Palette texts: 256 lines ending in LF, CRLF or CR load; 255 lines, or a line
// that is not three hexadecimal numbers, do not.
TEST_F(StripResourceTest, PaletteTexts) {
    struct Case {
        const char* what;
        std::int32_t id;
        bool loads;
    };
    const Case cases[] = {{"LF", 2, true},
                          {"CRLF", 3, true},
                          {"CR", 4, true},
                          {"255 lines", 5, false},
                          {"a bad line", 6, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PaletteResource palette(Fixture("anim"), c.id);
        if (!c.loads) {
            EXPECT_THROW(palette.Load(), int);
            continue;
        }
        ASSERT_NO_THROW(palette.Load());
        EXPECT_TRUE(palette.IsLoaded());
        EXPECT_EQ(palette.GetCount(), 256);
        for (int i = 0; i < 256; ++i) {
            xRGB entry;
            palette.GetEntry(entry, static_cast<std::uint8_t>(i));
            ASSERT_EQ(entry, (xRGB{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                                   static_cast<std::uint8_t>((i * 7) & 255)}))
                << i;
        }
    }
}

TEST_F(StripResourceTest, APaletteLocksItsSrf) {
    PaletteResource palette(Fixture("anim"), 1);
    xRGB entry;
    palette.GetEntry(entry, 200);  // loads on first use
    EXPECT_EQ(entry, (xRGB{200, 200, 200}));
    palette.Lock();
    EXPECT_TRUE(palette.GetSrfResource()->IsLocked());
    palette.Unlock();
    EXPECT_FALSE(palette.GetSrfResource()->IsLocked());
    EXPECT_FALSE(palette.IsLocked());
}

TEST_F(StripResourceTest, AStripMissingFromItsFileStaysUnloaded) {
    OffsetStripResource strip(Fixture("anim"), 1600, view_.get());
    ASSERT_NO_THROW(strip.Load());
    EXPECT_TRUE(strip.IsLoaded());
    EXPECT_FALSE(strip.GetLoadedFlag());
    AnimationResource animation(&strip, 1, 15.0);
    EXPECT_EQ(animation.GetCelCount(), 1);
    xRect cel{1, 2, 3, 4};
    EXPECT_TRUE(animation.GetCelSize(cel, 0).IsEmpty());
    EXPECT_TRUE(animation.GetBounds(cel).IsEmpty());
    strip.Unload();

    OffsetStripResource present(Fixture("anim"), 1500, view_.get());
    present.Load();
    EXPECT_TRUE(present.GetLoadedFlag());
    AnimationResource three(&present, 1, 15.0);
    AnimationResource two(&present, 5, 15.0);
    AnimationResource text(&present, 10, 15.0);
    EXPECT_EQ(three.GetCelCount(), 3) << "the run ends at the missing cel 4";
    EXPECT_EQ(two.GetCelCount(), 2);
    EXPECT_EQ(two.GetUnionRect(cel), xRect(2, 2, 10, 10));
    EXPECT_EQ(text.GetBounds(cel), xRect(0, 0, 120, 40));
    EXPECT_EQ(text.GetCelInfo(cel, 0, 1), xRect(0, 0, 6, 4));
    present.Unload();
    EXPECT_FALSE(present.GetLoadedFlag());
    EXPECT_EQ(three.GetCelCount(), 1);
}

// A new .srf arriving while a strip of it plays waits for the animation to
// stop; the next play shows the new cels.
TEST_F(StripResourceTest, AnUpdateWaitsForThePlayingStrip) {
    TempFolder dir;
    std::filesystem::copy_file(std::string(SRF_FIXTURES) + "/anim.srf", dir.Host("anim.srf"));
    std::filesystem::copy_file(std::string(SRF_FIXTURES) + "/anim2.srf", dir.Host("new.srf"));
    stage_->AddStrips(dir.Host("anim.srf"), {1500}, view_.get(), false);
    auto* srf = dynamic_cast<SrfResource*>(&LookupRegisteredFile(dir.Win("anim.srf")));
    ASSERT_NE(srf, nullptr);
    EXPECT_EQ(srf->GetVersion(), Version("1.0.0.1"));

    Animation animation(view_.get(), 1500, 1);
    animation.SetHoldAtEnd();
    animation.Start();
    RunFor(400);
    ASSERT_TRUE(animation.IsPaused());
    xRect cel;
    EXPECT_EQ(animation.GetCelRect(cel, 0), xRect(0, 0, 8, 8));

    FileResource replacement(dir.Win("new.srf"));
    srf->UpdateFrom(&replacement);
    EXPECT_FALSE(srf->IsCurrent()) << "held while the strip plays";
    EXPECT_EQ(srf->GetVersion(), Version("1.0.0.1"));
    EXPECT_EQ(animation.GetCelRect(cel, 0), xRect(0, 0, 8, 8));

    animation.Stop();
    EXPECT_TRUE(animation.IsStopped());
    EXPECT_TRUE(srf->IsCurrent());
    EXPECT_EQ(srf->GetVersion(), Version("1.0.0.2"));
    EXPECT_FALSE(std::filesystem::exists(dir.Host("new.srf")));

    animation.Start();
    RunFor(10);
    EXPECT_EQ(animation.GetCelRect(cel, 0), xRect(0, 0, 10, 10));
    animation.Stop();
}

}  // namespace
