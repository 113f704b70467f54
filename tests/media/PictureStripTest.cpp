#include "media/PictureStrip.h"

#include "media/xMixCanvas.h"
#include "media/xSpriteRegion.h"

#include "JpegFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Jpeg(int w, int h) {
    return media::testing::Encode(media::testing::MakePattern(w, h, 3), media::testing::EncodeOptions{});
}

std::string Show(const xRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(PictureStripTest, LayoutCommands) {
    struct Command {
        std::int16_t cel;
        xRect rect;
    };
    struct Case {
        const char* name;
        std::vector<Command> commands;
        const char* source;  // "-": nothing drawn
        const char* target;
        bool stretched;
    } cases[] = {
        {"0: source and destination", {{0, {10, 10, 60, 40}}}, "10,10,60,40", "10,10,60,40", true},
        {"10 acts as 0", {{10, {0, 0, 20, 20}}}, "0,0,20,20", "0,0,20,20", true},
        {"plain, larger than the destination: cut, top-left",
         {{2, {5, 5, 55, 25}}, {5, {0, 0, 1, 1}}},
         "0,0,100,50",
         "5,5,55,25",
         false},
        {"fit stretches to the destination",
         {{1, {0, 0, 300, 300}}, {5, {0, 0, 1, 1}}},
         "0,0,100,50",
         "0,0,300,300",
         true},
        {"aspect in a square: full width, half height",
         {{6, {0, 0, 200, 200}}, {5, {0, 0, 1, 1}}},
         "0,0,100,50",
         "0,0,200,100",
         true},
        {"aspect centred (17 acts as 7)",
         {{17, {0, 0, 200, 200}}, {5, {0, 0, 1, 1}}},
         "0,0,100,50",
         "0,50,200,150",
         true},
        {"aspect, tall destination keeps the height",
         {{7, {0, 0, 400, 100}}, {5, {0, 0, 1, 1}}},
         "0,0,100,50",
         "100,0,300,100",
         true},
        {"source given after fit",
         {{1, {0, 0, 100, 100}}, {4, {10, 0, 60, 50}}},
         "10,0,60,50",
         "0,0,100,100",
         true},
        {"centred source shrinks to the target's share",
         {{7, {0, 0, 100, 100}}, {4, {0, 0, 100, 50}}},
         "0,12,100,37",
         "0,25,100,75",
         true},
        {"layout commands alone draw nothing", {{3, {0, 0, 10, 10}}}, "-", "-", false},
        {"8 draws as laid out", {{1, {0, 0, 50, 50}}, {8, {0, 0, 0, 0}}}, "0,0,100,50", "0,0,50,50", true},
        {"a negative cel does nothing", {{-3, {0, 0, 10, 10}}}, "-", "-", false},
    };
    const std::vector<std::uint8_t> jpeg = Jpeg(100, 50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PictureStrip strip;
        ASSERT_TRUE(strip.LoadMemory(jpeg));
        xMixCanvas canvas;
        canvas.Create(nullptr, 400, 300, 24);
        bool drew = false;
        for (const Command& k : c.commands) {
            std::memset(canvas.GetRow(canvas.GetBounds().bottom - 1), 0, 3 * 400);
            for (int y = 0; y < 300; ++y) {
                std::memset(canvas.GetRow(y), 7, 3 * 400);
            }
            strip.Draw(canvas, k.rect, k.cel, 0, 0);
            for (int y = 0; y < 300 && !drew; ++y) {
                for (int x = 0; x < 3 * 400; ++x) {
                    drew = drew || canvas.GetRow(y)[x] != 7;
                }
            }
        }
        xRect source;
        xRect target;
        if (std::string(c.source) == "-") {
            EXPECT_FALSE(drew);
            continue;
        }
        EXPECT_TRUE(drew);
        ASSERT_TRUE(strip.Layout(source, target));
        EXPECT_EQ(Show(source), c.source);
        EXPECT_EQ(Show(target), c.target);
        EXPECT_EQ(strip.IsSourceGiven() || c.stretched, c.stretched);
    }
}

TEST(PictureStripTest, DrawsTheRealPictureAsThePictureObjectWould) {
    const std::vector<std::uint8_t> jpeg = Jpeg(120, 80);
    for (int depth : {8, 24}) {
        SCOPED_TRACE(depth);
        PictureStrip strip;
        ASSERT_TRUE(strip.LoadMemory(jpeg));
        xMixCanvas canvas;
        canvas.Create(nullptr, 200, 200, depth);
        strip.Draw(canvas, xRect(10, 10, 190, 190), 7, 0, 0);
        strip.Draw(canvas, xRect(0, 0, 1, 1), 5, 0, 0);

        media::JpegPicture picture;
        media::JpegPicture::Rect r;
        ASSERT_TRUE(picture.LoadMemory(jpeg, r));
        xMixCanvas expected;
        expected.Create(nullptr, 200, 200, depth);
        expected.BeginDraw(nullptr);
        picture.Draw(expected.GetDC(), xRect(0, 0, 120, 80), xRect(10, 40, 190, 160), true);
        expected.EndDraw(nullptr);
        for (int y = 0; y < 200; ++y) {
            ASSERT_EQ(
                std::memcmp(canvas.GetRow(y), expected.GetRow(y), static_cast<std::size_t>(200 * depth / 8)),
                0)
                << "row " << y;
        }
    }
}

TEST(PictureStripTest, NothingWithoutAPictureAndLayoutSurvivesReloads) {
    PictureStrip strip;
    xMixCanvas canvas;
    canvas.Create(nullptr, 50, 50, 8);
    strip.Draw(canvas, xRect(0, 0, 50, 50), 1, 0, 0);  // ignored: nothing loaded
    EXPECT_EQ(strip.GetDestination().right, 0);
    EXPECT_FALSE(strip.LoadMemory(std::vector<std::uint8_t>{1, 2, 3}));
    ASSERT_TRUE(strip.LoadMemory(Jpeg(20, 20)));
    strip.Draw(canvas, xRect(0, 0, 40, 40), 1, 0, 0);
    ASSERT_TRUE(strip.LoadMemory(Jpeg(30, 10)));
    xRect source;
    xRect target;
    ASSERT_TRUE(strip.Layout(source, target));
    EXPECT_EQ(Show(target), "0,0,40,40");
    EXPECT_EQ(strip.GetCelCount(), 32767);
    EXPECT_TRUE(strip.HasCel(3));
    // Clipped draws: commands 0, 4 and 5 need the region; 8 and 9 never draw.
    xSpriteRegion far;
    far.Add(xRect(45, 45, 50, 50), 0, 10);
    strip.DrawClipped(canvas, xRect(0, 0, 10, 10), 4, 0, 0, far);
    EXPECT_FALSE(strip.IsSourceGiven());
    strip.DrawClipped(canvas, xRect(0, 0, 50, 50), 4, 0, 0, far);
    EXPECT_TRUE(strip.IsSourceGiven());
}

}  // namespace
