#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/CaptureAudioOut.h"
#include "sound/SoundSlot.h"
#include "sound/xMixer.h"

namespace {

std::vector<std::uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Eight channels, four looping music and four looping voices, mixed into the capture
// as the main loop does it: one pass every 46 ms, each filling one buffer. The counter
// cpu_per_audio_s is the CPU time one second of mixed audio costs.
void BM_MixEightChannels(benchmark::State& state) {
    const std::vector<std::uint8_t> music = ReadFixture("music_64k.xmp");
    const std::vector<std::uint8_t> voice = ReadFixture("speech-female.ts");
    platform::CaptureAudioOut out;
    xMixerSetAudioOut(&out);
    if (xMixerOpen(-1, platform::kAudioFormatMono16) != 0) {
        state.SkipWithError("mixer did not open");
        return;
    }
    xMixerRestart();
    std::vector<sound::SoundSlot> slots(8);
    for (int channel = 0; channel < 8; ++channel) {
        sound::SoundSlot& slot = slots[static_cast<std::size_t>(channel)];
        slot.data = channel < 4 ? music : voice;
        slot.playsRemaining = 60000;
        slot.progressScale = 100;
        if (xMixerQueueSound(channel, &slot) != 0) {
            state.SkipWithError("queue refused");
            return;
        }
    }
    constexpr int kPasses = 22;  // 22 buffers of 1024 samples: 1.02 s of audio
    for (auto _ : state) {
        for (int pass = 0; pass < kPasses; ++pass) {
            out.Advance(46);
            xMixerFill(250);
        }
        out.ClearRecording();
    }
    state.counters["cpu_per_audio_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPasses * 1024 / 22050.0,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    xMixerClose();
    xMixerSetAudioOut(nullptr);
}
BENCHMARK(BM_MixEightChannels)->Unit(benchmark::kMillisecond);

}  // namespace
