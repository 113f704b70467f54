// Plays a short generated scene in the game window: a ball moving across a
// striped background, a held sprite, a caption and a picture, composed by the
// sprite engine from the scene player's segments. Used by show_scene.sh to
// capture the window under Xvfb. Argument: a file to create once the scene has
// played for a while. Runs for 20 seconds.

#include "media/PictureStrip.h"
#include "media/TextStrip.h"
#include "media/XAppOffsetStrip.h"
#include "media/XAppScenePlayer.h"
#include "media/XAppScreenCanvas.h"
#include "media/XAppSpriteEngine.h"
#include "media/xMixCanvas.h"

#include "platform/GameWindow.h"

#include "JpegFixtures.h"
#include "Off4Writer.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

// A round sprite of 64x64 in four cels of changing shade.
off4::Strip Balls() {
    off4::Strip s;
    for (int c = 0; c < 4; ++c) {
        off4::Image image;
        image.width = image.height = 64;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 64; ++x) {
                const int d = (x - 32) * (x - 32) + (y - 32) * (y - 32);
                image.pixels.push_back(d < 28 * 28 ? static_cast<std::uint8_t>(40 + c * 20 + y / 8)
                                       : d < 31 * 31 ? 249
                                                     : 0);
            }
        }
        s.images.push_back(image);
        s.cels.push_back(off4::SimpleCel(image, static_cast<std::int16_t>(c + 1)));
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    XAppScreenCanvas screen("Vizuzor", 8, 640, 480, false);
    if (screen.GetWindow() == nullptr) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    XAppSpriteEngine engine;
    engine.Init(&screen, xRect(), 0);
    xMixCanvas* back = engine.GetBackgroundCanvas();
    for (int y = 0; y < 480; ++y) {
        std::uint8_t* row = back->GetRow(y);
        for (int x = 0; x < 640; ++x) {
            row[x] = static_cast<std::uint8_t>(((x / 32 + y / 32) & 1) != 0 ? 16 : 20);
        }
    }
    engine.InvalidateAll();

    XAppOffsetStrip balls;
    balls.LoadData(off4::Build(Balls()), nullptr);
    XAppScenePlayer player;
    player.SetTarget(&engine, xRect());
    // A ball rolling right, cycling its cels for ever; another held still.
    player.AddSegment(-2, &balls, 1, 2047, 5, 1200, 0, xPoint{20, 380}, xPoint{}, -1, -1, -1);
    const int held = player.AddCel(-2, &balls, 3, 1, 6, 0, 0, xPoint{540, 60});
    player.Tick();
    player.SetHold(held, 0xFFFF);

    TextStrip text;
    text.Load("AAFntPlt.dat", 0);
    const int caption = text.FindItem(21010);
    text.SetText(caption, "A caption laid out by the text strip, wrapped and centred");
    text.SetColour(caption, 0, xRGB{255, 255, 255});
    text.SetCurrentColour(caption, 0);
    engine.AddSprite(&text, 21010, xRect(40, 20, 500, 110), 10, 0, 0);

    PictureStrip picture;
    picture.LoadMemory(media::testing::Encode(media::testing::MakePattern(320, 200, 3), {}));
    // Laid out first (fit, keeping the aspect, centred), then drawn whole.
    engine.AddSprite(&picture, 7, xRect(160, 130, 480, 330), 1, 0, 0);
    engine.AddSprite(&picture, 5, xRect(160, 130, 480, 330), 2, 0, 0);

    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    int x = 20;
    while (std::chrono::steady_clock::now() < start + std::chrono::seconds(20)) {
        player.Tick();
        if (player.GetCurrentCel(0) >= 0) {
            x = (x + 3) % 560;
            player.MoveCel(static_cast<std::uint16_t>(player.GetCurrentCel(0)), xPoint{3, 0});
            if (x < 3) {
                player.MoveCel(static_cast<std::uint16_t>(player.GetCurrentCel(0)), xPoint{-561, 0});
            }
        }
        engine.Update();
        platform::PresentAllWindows();
        if (!told && argc > 1 && std::chrono::steady_clock::now() > start + std::chrono::seconds(2)) {
            std::ofstream(argv[1]) << "ready\n";
            told = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(33));
    }
    return 0;
}
