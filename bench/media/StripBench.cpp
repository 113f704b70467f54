// Sprites of offset strips composed by the sprite engine and presented; the
// run decoder; a picture drawn into an 8-bit canvas. Headless under SDL's
// dummy video driver unless one is set.

#include "media/OffsetRunDecoder.h"
#include "media/PictureStrip.h"
#include "media/WinScreenCanvas.h"
#include "media/XAppOffsetStrip.h"
#include "media/xMixCanvas.h"
#include "media/xSpriteEngine.h"

#include "platform/GameWindow.h"

#include "JpegFixtures.h"
#include "Off4Writer.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

void UseDummyVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
}

// A round 72x72 sprite: transparent corners, a ring, a noisy inside.
off4::Image Ball(unsigned seed) {
    std::mt19937 rng(seed);
    off4::Image image;
    image.width = image.height = 72;
    for (int y = 0; y < 72; ++y) {
        for (int x = 0; x < 72; ++x) {
            const int dx = x - 36;
            const int dy = y - 36;
            const int d = dx * dx + dy * dy;
            std::uint8_t v = 0;
            if (d < 30 * 30) {
                v = static_cast<std::uint8_t>(20 + (rng() % 8) + (y / 8) * 10);
            } else if (d < 35 * 35) {
                v = 250;
            }
            image.pixels.push_back(v);
        }
    }
    return image;
}

std::unique_ptr<XAppOffsetStrip> BallStrip() {
    off4::Strip s;
    for (unsigned i = 1; i <= 4; ++i) {
        s.images.push_back(Ball(i));
        s.cels.push_back(off4::SimpleCel(s.images.back(), static_cast<std::int16_t>(i)));
    }
    auto strip = std::make_unique<XAppOffsetStrip>();
    strip->LoadData(off4::Build(s), nullptr);
    return strip;
}

struct Scene {
    WinScreenCanvas screen;
    xSpriteEngine engine;
    std::unique_ptr<XAppOffsetStrip> strip = BallStrip();
    std::vector<int> sprites;

    explicit Scene(int count) {
        UseDummyVideo();
        screen.Create("Bench", 8, 640, 480, false);
        engine.Init(&screen, xRect(), 8);
        // A background of stripes baked in once.
        xMixCanvas* back = engine.GetBackgroundCanvas();
        for (int y = 0; y < 480; ++y) {
            std::uint8_t* row = back->GetRow(y);
            for (int x = 0; x < 640; ++x) {
                row[x] = static_cast<std::uint8_t>(100 + ((x / 16 + y / 16) & 7));
            }
        }
        for (int i = 0; i < count; ++i) {
            const int x = (i * 97) % 568;
            const int y = (i * 53) % 408;
            sprites.push_back(engine.AddSprite(strip.get(), static_cast<std::int16_t>(1 + i % 4),
                                               xRect(x, y, x + 72, y + 72), static_cast<std::int16_t>(i), 0,
                                               0));
        }
        engine.InvalidateAll();
        engine.Update();
        platform::PresentWindow(screen.GetWindow());
    }
};

// The whole frame: every sprite redrawn over the background, copied and presented.
void BM_SpriteFrameFullRedraw(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        scene.engine.InvalidateAll();
        scene.engine.Update();
        platform::PresentWindow(scene.screen.GetWindow());
    }
}
BENCHMARK(BM_SpriteFrameFullRedraw)->Arg(20)->Arg(35)->Arg(50)->Unit(benchmark::kMicrosecond);

// A dirty-region pass: three of the sprites move two pixels and change cel;
// with the argument 1 the frame is presented, with 0 only composed.
void BM_SpriteDirtyPass(benchmark::State& state) {
    Scene scene(50);
    const bool present = state.range(0) != 0;
    int step = 0;
    for (auto _ : state) {
        for (int k = 0; k < 3; ++k) {
            const int i = scene.sprites[static_cast<std::size_t>(k * 7)];
            const int x = (k * 150 + step * 2) % 568;
            const int y = 40 + k * 130;
            scene.engine.SetSpriteCelAndRect(i, static_cast<std::int16_t>(1 + (step + k) % 4),
                                             xRect(x, y, x + 72, y + 72));
        }
        scene.engine.Update();
        if (present) {
            platform::PresentWindow(scene.screen.GetWindow());
        }
        ++step;
    }
}
BENCHMARK(BM_SpriteDirtyPass)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The floor: copying 300 KB.
void BM_Copy300K(benchmark::State& state) {
    std::vector<std::uint8_t> a(640 * 480, 1);
    std::vector<std::uint8_t> b(640 * 480, 2);
    for (auto _ : state) {
        std::copy(a.begin(), a.end(), b.begin());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Copy300K)->Unit(benchmark::kMicrosecond);

// Decoding run streams, counted in decoded pixels of a 72x72 sprite.
void BM_OffsetDecoder(benchmark::State& state) {
    const off4::Image image = Ball(1);
    const std::vector<std::uint8_t> stored = off4::Compress(off4::RunStream(image));
    std::vector<std::uint8_t> out(72 * 72);
    OffsetRunDecoder decoder;
    for (auto _ : state) {
        decoder.Start(stored);
        for (int y = 0; y < 72; ++y) {
            decoder.BeforeRow(72);
            decoder.Copy(out.data() + y * 72, 72);
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * 72 * 72);
}
BENCHMARK(BM_OffsetDecoder);

// One 72x72 sprite drawn directly into an 8-bit canvas.
void BM_DrawCelDirect(benchmark::State& state) {
    auto strip = BallStrip();
    xMixCanvas canvas;
    canvas.Create(nullptr, 640, 480, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        strip->DrawCel(canvas, xRect(100, 100, 172, 172), 1, canvas.GetBounds(), 0, 0);
    }
    state.SetItemsProcessed(state.iterations() * 72 * 72);
}
BENCHMARK(BM_DrawCelDirect)->Arg(8)->Arg(24);

// The game's picture fitted into a 640x480 8-bit canvas.
void BM_PictureInto8Bit(benchmark::State& state) {
    const std::vector<std::uint8_t> jpeg =
        media::testing::Encode(media::testing::MakePattern(640, 480, 3), media::testing::EncodeOptions{});
    PictureStrip strip;
    strip.LoadMemory(jpeg);
    xMixCanvas canvas;
    canvas.Create(nullptr, 640, 480, 8);
    strip.Draw(canvas, xRect(0, 0, 640, 480), 1, 0, 0);
    for (auto _ : state) {
        strip.Draw(canvas, xRect(0, 0, 640, 480), 5, 0, 0);
    }
}
BENCHMARK(BM_PictureInto8Bit)->Unit(benchmark::kMicrosecond);

}  // namespace
