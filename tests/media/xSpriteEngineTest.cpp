#include "media/XAppSpriteEngine.h"

#include "media/PaletteChangedMsg.h"
#include "media/XAppScreenCanvas.h"
#include "media/xMixCanvas.h"
#include "media/xPalette.h"

#include "platform/GameWindow.h"

#include "divir/xError.h"

#include "StripFixtures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using fixtures::CountingStrip;
using fixtures::RecordingScreen;

constexpr int kW = 64;
constexpr int kH = 48;

int At(const xMixCanvas& c, int x, int y) {
    return c.GetRow(y)[x];
}

// Every pixel of `r` on the screen holds `v`.
bool Holds(const xMixCanvas& c, const xRect& r, int v) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (At(c, x, y) != v) {
                return false;
            }
        }
    }
    return true;
}

// Whether the rectangles cover every pixel of r.
bool Covers(const std::vector<xRect>& rects, const xRect& r) {
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            bool hit = false;
            for (const xRect& q : rects) {
                hit = hit || q.Contains(xPoint{static_cast<std::int16_t>(x), static_cast<std::int16_t>(y)});
            }
            if (!hit) {
                return false;
            }
        }
    }
    return true;
}

int AreaOf(const std::vector<xRect>& rects) {
    int a = 0;
    for (const xRect& r : rects) {
        a += r.Width() * r.Height();
    }
    return a;
}

struct Rig {
    std::unique_ptr<RecordingScreen> screen = fixtures::Screen(kW, kH);
    xSpriteEngine engine;
    int black = 0;  // the index the background fill (black) gives
    Rig() {
        engine.Init(screen.get(), xRect(), 8);
        engine.Update();
        screen->blits.clear();
        black = At(*screen, 0, 0);
    }
};

TEST(xSpriteEngineTest, AMovingSpriteRedrawsOnlyItsOldAndNewColumns) {
    Rig rig;
    auto mover = fixtures::SolidStrip(8, 8, 1, 10);
    auto still = fixtures::SolidStrip(6, 6, 1, 20);
    const int m = rig.engine.AddSprite(mover.get(), 1, xRect(10, 10, 18, 18), 5, 0, 0);
    rig.engine.AddSprite(still.get(), 1, xRect(44, 30, 50, 36), 5, 0, 0);
    rig.engine.Update();
    EXPECT_TRUE(Holds(*rig.screen, xRect(10, 10, 18, 18), 11));
    EXPECT_TRUE(Holds(*rig.screen, xRect(44, 30, 50, 36), 21));
    EXPECT_EQ(still->draws, 1);

    struct Step {
        xRect to;
    } steps[] = {{{13, 10, 21, 18}}, {{17, 12, 25, 20}}, {{30, 20, 38, 28}}, {{31, 20, 39, 28}}};
    xRect from(10, 10, 18, 18);
    for (const Step& s : steps) {
        SCOPED_TRACE(std::to_string(s.to.left) + "," + std::to_string(s.to.top));
        rig.screen->blits.clear();
        rig.engine.SetSpriteRect(m, s.to);
        rig.engine.Update();
        const std::vector<xRect>& blits = rig.screen->blits;
        EXPECT_TRUE(Covers(blits, from));
        EXPECT_TRUE(Covers(blits, s.to));
        // Within 4-pixel columns of the two areas, plus the bounding waste the
        // budget allows.
        xRect both = from;
        both.UnionWith(s.to);
        EXPECT_LE(AreaOf(blits), (both.Width() + 6) * both.Height());
        for (const xRect& r : blits) {
            EXPECT_EQ(r.left % 4, 0);
            EXPECT_EQ(r.right % 4, 0);
        }
        EXPECT_TRUE(Holds(*rig.screen, s.to, 11));
        EXPECT_EQ(still->draws, 1);  // never redrawn
        from = s.to;
    }
    EXPECT_EQ(At(*rig.screen, 10, 10), rig.black);

    rig.screen->blits.clear();
    rig.engine.Update();
    EXPECT_TRUE(rig.screen->blits.empty());  // nothing changed, nothing presented
}

TEST(xSpriteEngineTest, DepthOrderDecidesWhatIsOnTop) {
    Rig rig;
    auto a = fixtures::SolidStrip(10, 10, 1, 30);
    auto b = fixtures::SolidStrip(10, 10, 1, 40);
    const int ia = rig.engine.AddSprite(a.get(), 1, xRect(0, 0, 10, 10), 1, 0, 0);
    const int ib = rig.engine.AddSprite(b.get(), 1, xRect(5, 5, 15, 15), 2, 0, 0);
    rig.engine.Update();
    EXPECT_EQ(At(*rig.screen, 7, 7), 41);
    rig.engine.SetSpriteDepth(ia, 3);
    rig.engine.Update();
    EXPECT_EQ(At(*rig.screen, 7, 7), 31);
    EXPECT_EQ(At(*rig.screen, 12, 12), 41);
    rig.engine.SetSpriteDepth(ib, 4);
    rig.engine.Update();
    EXPECT_EQ(At(*rig.screen, 7, 7), 41);
}

TEST(xSpriteEngineTest, RemovedSpritesAreErased) {
    Rig rig;
    auto a = fixtures::SolidStrip(8, 8, 1, 50);
    const int now = rig.engine.AddSprite(a.get(), 1, xRect(4, 4, 12, 12), 1, 0, 0);
    const int later = rig.engine.AddSprite(a.get(), 1, xRect(20, 4, 28, 12), 1, 0, 0);
    rig.engine.Update();
    ASSERT_EQ(At(*rig.screen, 4, 4), 51);
    rig.engine.RemoveSprite(now);
    rig.engine.DeferRemoveSprite(later);
    rig.engine.Update();
    EXPECT_TRUE(Holds(*rig.screen, xRect(4, 4, 12, 12), rig.black));  // erased at once
    EXPECT_TRUE(Holds(*rig.screen, xRect(20, 4, 28, 12), 51));        // still shown this pass
    rig.engine.Update();
    EXPECT_TRUE(Holds(*rig.screen, xRect(20, 4, 28, 12), rig.black));
    EXPECT_EQ(rig.engine.GetLiveCount(), 0);

    // Added and removed in the same pass: never drawn, nothing presented.
    rig.screen->blits.clear();
    const int flash = rig.engine.AddSprite(a.get(), 1, xRect(30, 30, 38, 38), 1, 0, 0);
    rig.engine.DeferRemoveSprite(flash);
    rig.engine.Update();
    EXPECT_TRUE(rig.screen->blits.empty());
    EXPECT_EQ(a->draws, 2);
}

TEST(xSpriteEngineTest, BakedSpritesStayInTheBackground) {
    Rig rig;
    auto a = fixtures::SolidStrip(8, 8, 1, 60);
    auto b = fixtures::SolidStrip(8, 8, 1, 70);
    const int ia = rig.engine.AddSprite(a.get(), 1, xRect(8, 8, 16, 16), 1, 0, 0);
    rig.engine.Update();
    rig.engine.MarkBake(ia);
    rig.engine.Update();
    EXPECT_EQ(At(*rig.engine.GetBackgroundCanvas(), 8, 8), 61);
    const int draws = a->draws;
    // Another sprite passing over the baked one restores it from the
    // background, without drawing it again.
    const int ib = rig.engine.AddSprite(b.get(), 1, xRect(12, 8, 20, 16), 2, 0, 0);
    rig.engine.Update();
    rig.engine.SetSpriteRect(ib, xRect(40, 8, 48, 16));
    rig.engine.Update();
    EXPECT_TRUE(Holds(*rig.screen, xRect(8, 8, 16, 16), 61));
    EXPECT_EQ(a->draws, draws);
}

TEST(xSpriteEngineTest, MaskModeKeepsChangesOutsideTheMaskOffTheScreen) {
    Rig rig;
    auto a = fixtures::SolidStrip(8, 8, 1, 80);
    const int ia = rig.engine.AddSprite(a.get(), 1, xRect(0, 0, 8, 8), 1, 0, 0);
    rig.engine.Update();
    rig.engine.BeginMask();
    rig.engine.GetWorkingRegion().Add(xRect(0, 0, 8, 8), 0, 10);
    rig.engine.SetSpriteRect(ia, xRect(40, 30, 48, 38));
    rig.engine.Update();
    EXPECT_TRUE(Holds(*rig.screen, xRect(0, 0, 8, 8), rig.black));      // inside the mask: erased
    EXPECT_TRUE(Holds(*rig.screen, xRect(40, 30, 48, 38), rig.black));  // outside: not shown
    EXPECT_EQ(At(*rig.engine.GetMixCanvas(), 40, 30), 81);              // but composed
    rig.engine.EndMask();
    rig.engine.InvalidateAll();
    rig.engine.Update();
    EXPECT_TRUE(Holds(*rig.screen, xRect(40, 30, 48, 38), 81));
}

TEST(xSpriteEngineTest, InPlaceChangesRedrawOnlyChangedParts) {
    // Two parts 32 pixels apart; the second changes image between cels.
    off4::Image one;
    one.width = one.height = 4;
    one.pixels.assign(16, 5);
    off4::Image two = one;
    two.pixels.assign(16, 6);
    off4::Strip s;
    s.images = {one, two};
    off4::Cel c1;
    c1.rect = xRect(0, 0, 40, 4);
    c1.parts = {{static_cast<std::uint16_t>(1 << 8), xRect(0, 0, 4, 4), 1},
                {static_cast<std::uint16_t>(2 << 8), xRect(32, 0, 36, 4), 1}};
    off4::Cel c2 = c1;
    c2.parts[1].number = 2;
    s.cels = {c1, c2};
    CountingStrip strip;
    ASSERT_TRUE(strip.LoadData(off4::Build(s), nullptr));
    Rig rig;
    const int i = rig.engine.AddSprite(&strip, 1, xRect(0, 0, 40, 4), 1, xArtStrip::kInPlace, 0);
    rig.engine.Update();
    rig.screen->blits.clear();
    rig.engine.SetSpriteCel(i, 2);
    rig.engine.Update();
    ASSERT_EQ(rig.screen->blits.size(), 1U);
    EXPECT_EQ(rig.screen->blits[0], xRect(32, 0, 36, 4));
    EXPECT_EQ(At(*rig.screen, 32, 0), 6);
    EXPECT_EQ(At(*rig.screen, 0, 0), 5);
}

TEST(xSpriteEngineTest, EmptyRectangleSpritesWaitAndTheLimitIsFiveHundred) {
    Rig rig;
    auto a = fixtures::SolidStrip(4, 4, 1, 90);
    const int i = rig.engine.AddSprite(a.get(), 1, xRect(), 1, 0, 0);
    EXPECT_EQ(rig.engine.GetSprite(i)->draw, xSpriteEngine::kDrawn);
    rig.engine.Update();
    EXPECT_EQ(a->draws, 0);
    rig.engine.SetSpriteRect(i, xRect(0, 0, 4, 4));
    rig.engine.SetSpriteDirty(i, true);
    rig.engine.Update();
    EXPECT_EQ(At(*rig.screen, 0, 0), 91);
    for (int k = 1; k < xSpriteEngine::kMaxSprites; ++k) {
        ASSERT_GE(rig.engine.AddSprite(nullptr, 0, xRect(), 0, 0, 0), 0);
    }
    xErrorCode = 0;
    EXPECT_EQ(rig.engine.AddSprite(nullptr, 0, xRect(), 0, 0, 0), -1);
    EXPECT_EQ(xErrorCode, kErrMemory);
    EXPECT_TRUE(rig.engine.UsesStrip(a.get()));
}

TEST(XAppSpriteEngineTest, FollowsThePaletteOfItsScreen) {
    XAppScreenCanvas screen("Vizuzor", 8, 640, 480, false);
    auto engine = std::make_unique<XAppSpriteEngine>();
    engine->Init(&screen, xRect(0, 0, 64, 48), 0);
    EXPECT_EQ(engine->GetMixCanvas()->GetDepth(), 8);
    EXPECT_TRUE(screen.HasReceiver(engine.get()));
    std::array<std::uint8_t, 768> table{};
    table[3 * 100] = 12;
    table[3 * 100 + 1] = 34;
    table[3 * 100 + 2] = 56;
    screen.SetPalette(xPalette(table));
    const platform::Rgb c = engine->GetMixCanvas()->GetSurface()->Colours()[100];
    const platform::Rgb d = engine->GetBackgroundCanvas()->GetSurface()->Colours()[100];
    EXPECT_EQ(c.r, screen.GetLogicalPalette()->at(100).red);
    EXPECT_EQ(d.g, screen.GetLogicalPalette()->at(100).green);
    engine.reset();
    EXPECT_EQ(screen.GetReceiverCount(), 0);
}

TEST(XAppSpriteEngineTest, ThePresentHandsOnOnlyTheChangedColumns) {
    XAppScreenCanvas screen("Vizuzor", 8, 640, 480, false);
    ASSERT_NE(screen.GetWindow(), nullptr);
    XAppSpriteEngine engine;
    engine.Init(&screen, xRect(), 8);
    auto ball = fixtures::SolidStrip(16, 16, 1, 60);
    auto still = fixtures::SolidStrip(16, 16, 1, 70);
    const int b = engine.AddSprite(ball.get(), 1, xRect(100, 100, 116, 116), 1, 0, 0);
    engine.AddSprite(still.get(), 1, xRect(400, 300, 416, 316), 1, 0, 0);
    engine.Update();
    platform::PresentWindow(screen.GetWindow());
    EXPECT_TRUE(platform::LastPresentStats(screen.GetWindow()).whole);  // the first frame
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        const int x = 100 + step * 3;
        engine.SetSpriteRect(b, xRect(x, 100, x + 16, 116));
        engine.Update();
        platform::PresentWindow(screen.GetWindow());
        const platform::PresentStats stats = platform::LastPresentStats(screen.GetWindow());
        EXPECT_FALSE(stats.whole);
        EXPECT_GE(stats.rectangles, 1);
        // The old and new places, widened to 4-pixel columns: at most 28 x 16.
        EXPECT_GE(stats.pixels, 19 * 16);
        EXPECT_LE(stats.pixels, 28 * 16);
    }
    EXPECT_EQ(still->draws, 1);
    engine.Update();
    platform::PresentWindow(screen.GetWindow());
    EXPECT_EQ(platform::LastPresentStats(screen.GetWindow()).rectangles, 0);  // nothing changed
    // A palette change presents the whole frame again.
    screen.SetPalette(xPalette::Default());
    platform::PresentWindow(screen.GetWindow());
    EXPECT_TRUE(platform::LastPresentStats(screen.GetWindow()).whole);
}

}  // namespace
