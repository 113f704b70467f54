// sound-decode IN OUT [--rate native|22050] [--repeat N]
//
// Decodes stored sound data exactly as a sound resource holds it and writes raw
// signed 16-bit little-endian mono PCM. The header tells the form: "TS" speech
// or "XMP" music. --rate native writes the decoder's own output (8000 Hz for
// speech, before scaling and resampling); --rate 22050 (the default) writes
// what the mixer's path produces. --repeat N decodes N times (for timing) and
// writes the last result.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sound/DecodeSpeechFrame.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SpeechData.h"

namespace {

enum class Rate { kNative, kMixer };

struct Options {
    std::string input;
    std::string output;
    Rate rate = Rate::kMixer;
    int repeat = 1;
};

struct Decoded {
    std::vector<int16_t> samples;
    std::string error;  // empty on success
};

std::optional<Options> ParseOptions(int argc, char** argv, std::string& error) {
    Options options;
    std::vector<std::string_view> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--rate" || arg == "--repeat") {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return std::nullopt;
            }
            const std::string_view value = argv[++i];
            if (arg == "--rate") {
                if (value == "native") {
                    options.rate = Rate::kNative;
                } else if (value == "22050") {
                    options.rate = Rate::kMixer;
                } else {
                    error = "--rate must be native or 22050";
                    return std::nullopt;
                }
            } else {
                const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), options.repeat);
                if (ec != std::errc{} || end != value.data() + value.size() || options.repeat < 1) {
                    error = "--repeat must be a positive number";
                    return std::nullopt;
                }
            }
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) {
        error = "usage: sound-decode IN OUT [--rate native|22050] [--repeat N]";
        return std::nullopt;
    }
    options.input = positional[0];
    options.output = positional[1];
    return options;
}

Decoded DecodeSpeech(const sound::SpeechData& speech, Rate rate) {
    Decoded result;
    if (rate == Rate::kNative) {
        sound::SpeechDecoderState state = sound::SpeechDecoderState::Reset();
        std::array<int16_t, sound::kSpeechFrameSamples> frame;
        for (std::size_t position = 0;;) {
            const sound::SpeechFrame taken = sound::SpeechFrame::Take(speech.frames, position);
            if (taken.advance == 0) {
                break;
            }
            position += taken.advance;
            sound::DecodeSpeechFrame(state, frame, taken.bytes, false);
            result.samples.insert(result.samples.end(), frame.begin(), frame.end());
        }
        return result;
    }

    // As the mixer plays it on one channel: frame by frame until the header's
    // sample count is delivered or the frames run out.
    sound::SharedSpeechDecoder decoder;
    sound::SpeechChannel channel;
    decoder.StartSound(channel);
    std::size_t remaining = speech.totalSamples;
    std::array<int16_t, sound::SpeechResampler::kMaxFrameOutput> block;
    for (std::size_t position = 0; remaining > 0;) {
        const sound::SpeechFrame taken = sound::SpeechFrame::Take(speech.frames, position);
        if (taken.advance == 0) {
            break;
        }
        position += taken.advance;
        const std::size_t produced = std::min(decoder.DecodeFrame(channel, taken.bytes, block), remaining);
        result.samples.insert(result.samples.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(produced));
        remaining -= produced;
    }
    return result;
}

// Music ("XMP") decoding joins here when its decoder is built.
Decoded DecodeMusic(std::span<const uint8_t>, Rate) {
    return {{}, "music (XMP) data is not supported by this build"};
}

Decoded Decode(std::span<const uint8_t> data, Rate rate) {
    if (const auto speech = sound::SpeechData::Read(data)) {
        return DecodeSpeech(*speech, rate);
    }
    if (data.size() >= 3 && data[0] == 'X' && data[1] == 'M' && data[2] == 'P') {
        return DecodeMusic(data, rate);
    }
    return {{}, "not stored sound data (no \"TS\" or \"XMP\" header)"};
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const std::optional<Options> options = ParseOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "sound-decode: %s\n", error.c_str());
        return 1;
    }
    std::ifstream in(options->input, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "sound-decode: cannot read %s\n", options->input.c_str());
        return 1;
    }
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    Decoded decoded;
    for (int i = 0; i < options->repeat; ++i) {
        decoded = Decode(data, options->rate);
        if (!decoded.error.empty()) {
            std::fprintf(stderr, "sound-decode: %s: %s\n", options->input.c_str(), decoded.error.c_str());
            return 1;
        }
    }

    std::vector<uint8_t> bytes;
    bytes.reserve(decoded.samples.size() * 2);
    for (const int16_t sample : decoded.samples) {
        const auto value = static_cast<uint16_t>(sample);
        bytes.push_back(static_cast<uint8_t>(value & 0xff));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    std::ofstream out(options->output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "sound-decode: cannot write %s\n", options->output.c_str());
        return 1;
    }
    return 0;
}
