#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/DecodeSpeechFrame.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SpeechData.h"

namespace {

std::vector<uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<sound::SpeechFrame> Frames(const std::vector<uint8_t>& stored) {
    std::vector<sound::SpeechFrame> frames;
    const auto speech = sound::SpeechData::Read(stored);
    if (!speech) {
        return frames;
    }
    for (std::size_t position = 0;;) {
        const sound::SpeechFrame frame = sound::SpeechFrame::Take(speech->frames, position);
        if (frame.advance == 0) {
            break;
        }
        position += frame.advance;
        frames.push_back(frame);
    }
    return frames;
}

// Frames per second of the decoder alone (8000 Hz output); real time needs
// 33.3 frames per second.
void BM_DecodeSpeechFrame(benchmark::State& state) {
    const auto stored = ReadFixture("speech-female.ts");
    const auto frames = Frames(stored);
    if (frames.empty()) {
        state.SkipWithError("missing fixture");
        return;
    }
    sound::SpeechDecoderState decoder = sound::SpeechDecoderState::Reset();
    std::array<int16_t, sound::kSpeechFrameSamples> out;
    std::size_t next = 0;
    for (auto _ : state) {
        sound::DecodeSpeechFrame(decoder, out, frames[next].bytes, false);
        benchmark::DoNotOptimize(out.data());
        if (++next == frames.size()) {
            next = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeSpeechFrame);

// The mixer's path: decode, scale and resample to 22050 Hz.
void BM_DecodeSpeechFrameResampled(benchmark::State& state) {
    const auto stored = ReadFixture("speech-female.ts");
    const auto frames = Frames(stored);
    if (frames.empty()) {
        state.SkipWithError("missing fixture");
        return;
    }
    sound::SharedSpeechDecoder decoder;
    sound::SpeechChannel channel;
    decoder.StartSound(channel);
    std::array<int16_t, sound::SpeechResampler::kMaxFrameOutput> out;
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decoder.DecodeFrame(channel, frames[next].bytes, out));
        if (++next == frames.size()) {
            next = 0;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeSpeechFrameResampled);

}  // namespace
