// Music decoding speed in frames per second (items_per_second), one channel, on the
// committed fixtures. Each frame is 1152 samples, 52.2 ms of sound at 22050 Hz.
#include "sound/MpegAudioDecodeFrame.h"
#include "sound/MpegAudioTables.h"
#include "sound/StoredMusic.h"

#include <benchmark/benchmark.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void DecodeStoredMusic(benchmark::State& state) {
    const std::vector<std::uint8_t> data = ReadFixture("music_" + std::to_string(state.range(0)) + "k.xmp");
    const auto parsed = sound::StoredMusic::Parse(data);
    if (!parsed.music || parsed.music->FrameCount() == 0) {
        state.SkipWithError("fixture missing");
        return;
    }
    const sound::MpegAudioTables tables;
    sound::MpegAudioSynthesisHistory history;
    std::array<std::int16_t, sound::kMpegAudioFrameSamples> out{};
    std::size_t frame = 0;
    for (auto _ : state) {
        parsed.music->DecodeFrame(frame, tables, history, out);
        benchmark::DoNotOptimize(out.data());
        frame = frame + 1 == parsed.music->FrameCount() ? 0 : frame + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DecodeStoredMusic)->Arg(8)->Arg(64)->Arg(160);

void BuildTables(benchmark::State& state) {
    for (auto _ : state) {
        sound::MpegAudioTables tables;
        benchmark::DoNotOptimize(&tables);
    }
}
BENCHMARK(BuildTables);

}  // namespace
