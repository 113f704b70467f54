#include "media/JpegDecoder.h"

#include "JpegFixtures.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The round's picture: 640 x 480 at 4:2:0, as the content server sends it.
const std::vector<std::uint8_t>& Picture640x480() {
    static const std::vector<std::uint8_t> jpeg = [] {
        media::testing::EncodeOptions options;
        options.quality = 85;
        return media::testing::Encode(media::testing::MakePattern(640, 480, 3), options);
    }();
    return jpeg;
}

void BM_JpegDecoder(benchmark::State& state) {
    const auto& jpeg = Picture640x480();
    media::JpegDecoder decoder;
    std::vector<std::uint32_t> pixels(656 * 496);
    for (auto _ : state) {
        if (decoder.ReadHeaders(jpeg) != nullptr) {
            state.SkipWithError("refused");
            break;
        }
        decoder.DecodeRegion(pixels, 656, 0, 0, decoder.McusAcross(), decoder.McusDown());
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(jpeg.size()));
    state.counters["bytes"] = static_cast<double>(jpeg.size());
}
BENCHMARK(BM_JpegDecoder)->Unit(benchmark::kMillisecond);

// libjpeg-turbo on the same file, with its float transform and box chroma
// upsampling (the same work), and with its defaults.
void BM_LibjpegTurboFloat(benchmark::State& state) {
    const auto& jpeg = Picture640x480();
    std::vector<std::uint8_t> rgb(640 * 480 * 3);
    for (auto _ : state) {
        media::testing::LibjpegDecode(jpeg, true, rgb);
        benchmark::DoNotOptimize(rgb.data());
    }
}
BENCHMARK(BM_LibjpegTurboFloat)->Unit(benchmark::kMillisecond);

void BM_LibjpegTurboDefault(benchmark::State& state) {
    const auto& jpeg = Picture640x480();
    std::vector<std::uint8_t> rgb(640 * 480 * 3);
    for (auto _ : state) {
        media::testing::LibjpegDecode(jpeg, false, rgb);
        benchmark::DoNotOptimize(rgb.data());
    }
}
BENCHMARK(BM_LibjpegTurboDefault)->Unit(benchmark::kMillisecond);

}  // namespace
