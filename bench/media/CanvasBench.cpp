// Composing and presenting a 640x480 frame, and the transparent pixel writers.
// Run headless: SDL's dummy video driver is chosen unless one is set.

#include "media/WinScreenCanvas.h"
#include "media/xMixCanvas.h"

#include "platform/GameWindow.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

void UseDummyVideo() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
}

// A 8-bit picture with every fourth pixel transparent.
void FillPattern(xMixCanvas& c) {
    const xRect b = c.GetBounds();
    for (int y = 0; y < b.bottom; ++y) {
        std::uint8_t* row = c.GetRow(y);
        for (int x = 0; x < b.right; ++x) {
            row[x] = (x & 3) == 0 ? 0 : static_cast<std::uint8_t>(10 + (x + y) % 200);
        }
    }
}

std::unique_ptr<xMixCanvas> MakeMix(WinScreenCanvas* screen, int w, int h, bool pattern) {
    auto c = std::make_unique<xMixCanvas>();
    c->Create(screen, static_cast<std::int16_t>(w), static_cast<std::int16_t>(h), 8);
    if (pattern) {
        FillPattern(*c);
    }
    return c;
}

// One pass of the presentation: the background block and twenty 64x64 sprites
// composed in the mix canvas, the whole frame copied to the window's back buffer
// and presented.
void BM_ComposeAndPresentFrame8(benchmark::State& state) {
    UseDummyVideo();
    WinScreenCanvas screen;
    screen.Create("Bench", 8, 640, 480, false);
    auto mix = MakeMix(&screen, 640, 480, false);
    auto background = MakeMix(&screen, 640, 480, true);
    auto sprite = MakeMix(&screen, 64, 64, true);
    const xRect frame(0, 0, 640, 480);
    int shift = 0;
    for (auto _ : state) {
        mix->DrawPixelsSimple(frame, *background, frame, frame, 0);
        for (int i = 0; i < 20; ++i) {
            const int x = (i * 97 + shift) % 600;
            const int y = (i * 53 + shift) % 440;
            mix->DrawPixelsSimple({x, y, x + 64, y + 64}, *sprite, {0, 0, 64, 64}, {0, 0, 64, 64},
                                  static_cast<std::uint16_t>(i & 1));
        }
        mix->BlitFrom(frame, screen, frame);
        platform::PresentWindow(screen.GetWindow());
        ++shift;
    }
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_ComposeAndPresentFrame8)->Unit(benchmark::kMicrosecond);

// The palette swap path: new colours, then the whole 8-bit buffer converted and
// presented.
void BM_PaletteSwapAndPresent(benchmark::State& state) {
    UseDummyVideo();
    WinScreenCanvas screen;
    screen.Create("Bench", 8, 640, 480, false);
    xPalette a(xPalette::Default());
    xPalette b(xPalette::Default());
    b.SetEntry(100, 0x00123456);
    bool flip = false;
    for (auto _ : state) {
        screen.SetPalette(flip ? a : b);
        platform::PresentWindow(screen.GetWindow());
        flip = !flip;
    }
    state.SetItemsProcessed(state.iterations() * 640 * 480);
}
BENCHMARK(BM_PaletteSwapAndPresent)->Unit(benchmark::kMicrosecond);

// Writers on a 128x128 source: arg 0 the mode (0 mask, 12 copy), arg 1 the
// target size (64 shrink, 128 one to one, 256 stretch), arg 2 the flags.
void BM_TransparentWriters(benchmark::State& state) {
    auto target = MakeMix(nullptr, 640, 480, false);
    auto source = MakeMix(nullptr, 128, 128, true);
    const int mode = static_cast<int>(state.range(0));
    const int size = static_cast<int>(state.range(1));
    const auto flags = static_cast<std::uint16_t>(state.range(2));
    const xRect t(100, 100, 100 + size, 100 + size);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            target->DrawPixels(t, *source, {0, 0, 128, 128}, {0, 0, 128, 128}, 7, flags, nullptr, mode));
    }
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_TransparentWriters)
    ->ArgNames({"mode", "size", "flags"})
    ->ArgsProduct({{0, 12}, {64, 128, 256}, {0, 1}});

// The row-at-a-time path: a 128x128 image shown at 256x256, mirrored.
void BM_SpanWalk(benchmark::State& state) {
    auto target = MakeMix(nullptr, 640, 480, false);
    std::vector<std::uint8_t> row(128);
    for (std::size_t i = 0; i < row.size(); ++i) {
        row[i] = static_cast<std::uint8_t>(i & 3 ? 20 + i : 0);
    }
    for (auto _ : state) {
        xMixCanvas::Span span;
        int next = target->BeginSpan({50, 50, 306, 306}, {0, 0, 640, 480}, 128, 128, xMixCanvas::kMirror,
                                     row.data(), span);
        while (next > 0 && next != 0xFFFF) {
            next = target->NextSpan(span);
        }
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_SpanWalk);

}  // namespace
