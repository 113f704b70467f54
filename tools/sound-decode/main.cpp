// sound-decode IN OUT [--rate native|22050] [--repeat N]
// Decodes stored sound data (as a sound resource holds it) into raw signed 16-bit
// little-endian mono PCM. The data's own header says which decoder applies.
// --help prints the usage and exits with 0; a usage error prints what is wrong
// and the usage on standard error and exits with 2; data that cannot be read,
// decoded or written exits with 1. Every message starts with "sound-decode: ".
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sound/DecodeSpeechFrame.h"
#include "sound/ImaAdpcm.h"
#include "sound/MpegAudioDecodeFrame.h"
#include "sound/MpegAudioSynthesisHistory.h"
#include "sound/MpegAudioTables.h"
#include "sound/SharedSpeechDecoder.h"
#include "sound/SoundDataHeader.h"
#include "sound/SpeechData.h"
#include "sound/StoredMusic.h"

namespace {

enum class Rate { kNative, kMixer };

struct Options {
  std::string in;
  std::string out;
  Rate rate = Rate::kMixer;
  long repeat = 1;
};

struct Failure {
  std::string message;
};

using Samples = std::vector<std::int16_t>;

constexpr const char* kUsage = "usage: sound-decode IN OUT [--rate native|22050] [--repeat N]\n";

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "sound-decode: %s\n", message.c_str());
  std::exit(1);
}

// What is wrong (when anything is said), then the usage.
[[noreturn]] void UsageError(const std::string& message) {
  if (!message.empty()) {
    std::fprintf(stderr, "sound-decode: %s\n", message.c_str());
  }
  std::fputs(kUsage, stderr);
  std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  std::vector<std::string_view> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (arg == "--rate" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      if (value == "native") {
        options.rate = Rate::kNative;
      } else if (value == "22050") {
        options.rate = Rate::kMixer;
      } else {
        UsageError("--rate takes native or 22050");
      }
    } else if (arg == "--repeat" && i + 1 < argc) {
      char* end = nullptr;
      options.repeat = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || options.repeat < 1) {
        UsageError("--repeat takes a positive count");
      }
    } else if (arg == "--rate") {
      UsageError("--rate takes native or 22050");
    } else if (arg == "--repeat") {
      UsageError("--repeat takes a positive count");
    } else if (arg.starts_with("--")) {
      UsageError("unknown option " + std::string(arg));
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    UsageError(positional.empty() ? "" : "takes one input and one output file");
  }
  options.in = positional[0];
  options.out = positional[1];
  return options;
}

// Music: every frame gives 1152 samples at 22050 Hz. The mixer takes only the samples still
// to deliver from each frame; the native output is every frame whole.
std::optional<Failure> DecodeMusic(std::span<const std::uint8_t> data, Rate rate, Samples& out) {
  const auto parsed = sound::StoredMusic::Parse(data);
  if (!parsed.music) {
    switch (parsed.error) {
      case sound::StoredMusicError::kTooShort:
        return Failure{"music data shorter than its header"};
      case sound::StoredMusicError::kRefusedHeader:
        return Failure{"music header refused (not 22050 Hz Layer II with a known bitrate)"};
      case sound::StoredMusicError::kNotMusic:
        return Failure{"not music data"};
    }
  }
  const sound::StoredMusic& music = *parsed.music;
  static const sound::MpegAudioTables tables;
  sound::MpegAudioSynthesisHistory history;
  std::int16_t frame[sound::kMpegAudioFrameSamples];
  out.clear();
  for (std::size_t i = 0; i < music.FrameCount(); ++i) {
    const std::size_t delivered = music.DecodeFrame(i, tables, history, frame);
    const std::size_t keep = rate == Rate::kNative ? sound::kMpegAudioFrameSamples : delivered;
    out.insert(out.end(), frame, frame + keep);
  }
  return std::nullopt;
}

// Speech: every G.723.1 frame gives 240 samples at 8000 Hz (the native output). The mixer's
// path plays it on one channel: scaled and resampled to 22050 Hz, 661 or 662 samples a frame,
// until the header's sample count is delivered or the frames run out.
std::optional<Failure> DecodeSpeech(std::span<const std::uint8_t> data, Rate rate, Samples& out) {
  const auto speech = sound::SpeechData::Read(data);
  if (!speech) {
    return Failure{"speech data shorter than its header"};
  }
  out.clear();
  if (rate == Rate::kNative) {
    sound::SpeechDecoderState state = sound::SpeechDecoderState::Reset();
    std::array<std::int16_t, sound::kSpeechFrameSamples> frame;
    for (std::size_t position = 0;;) {
      const sound::SpeechFrame taken = sound::SpeechFrame::Take(speech->frames, position);
      if (taken.advance == 0) {
        break;
      }
      position += taken.advance;
      sound::DecodeSpeechFrame(state, frame, taken.bytes, false);
      out.insert(out.end(), frame.begin(), frame.end());
    }
    return std::nullopt;
  }
  sound::SharedSpeechDecoder decoder;
  sound::SpeechChannel channel;
  decoder.StartSound(channel);
  std::size_t remaining = speech->sampleCount;
  std::array<std::int16_t, sound::SpeechResampler::kMaxFrameOutput> block;
  for (std::size_t position = 0; remaining > 0;) {
    const sound::SpeechFrame taken = sound::SpeechFrame::Take(speech->frames, position);
    if (taken.advance == 0) {
      break;
    }
    position += taken.advance;
    const std::size_t produced = std::min(decoder.DecodeFrame(channel, taken.bytes, block), remaining);
    out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(produced));
    remaining -= produced;
  }
  return std::nullopt;
}

// IMA ADPCM ("XIMA") and RIFF WAVE are 22050 Hz already: both rates give the same samples.
std::optional<Failure> DecodeImaOrWave(std::span<const std::uint8_t> data, Samples& out) {
  const sound::SoundDataHeader header = sound::SoundDataHeader::Read(data);
  out.clear();
  if (header.format == sound::SoundFormat::kIma) {
    static const sound::ImaAdpcmTable table;
    std::array<std::int16_t, sound::kImaBlockSamples> block;
    for (std::size_t at = 0; at + sound::kImaBlockBytes <= header.payload.size(); at += sound::kImaBlockBytes) {
      sound::DecodeImaBlock(table, header.payload.subspan(at).first<sound::kImaBlockBytes>(), block);
      out.insert(out.end(), block.begin(), block.end());
    }
    return std::nullopt;
  }
  if (header.format == sound::SoundFormat::kPcm) {
    for (std::size_t i = 0; i < header.sampleCount; ++i) {
      out.push_back(static_cast<std::int16_t>(header.payload[2 * i] | (header.payload[2 * i + 1] << 8)));
    }
    return std::nullopt;
  }
  return Failure{"not stored speech (\"TS\"), music (\"XMP\"), IMA ADPCM (\"XIMA\") or 22050 Hz mono WAVE data"};
}

std::optional<Failure> Decode(std::span<const std::uint8_t> data, Rate rate, Samples& out) {
  if (sound::StoredMusic::HasMusicTag(data)) {
    return DecodeMusic(data, rate, out);
  }
  if (data.size() >= 2 && data[0] == 'T' && data[1] == 'S') {
    return DecodeSpeech(data, rate, out);
  }
  return DecodeImaOrWave(data, out);
}

// A read error (a directory, an I/O failure) is a failure like a missing file, not an exception.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> data;
  std::array<std::uint8_t, 65536> chunk;
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), file.get())) > 0) {
    data.insert(data.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
  }
  if (std::ferror(file.get())) {
    return std::nullopt;
  }
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);

  const std::optional<std::vector<std::uint8_t>> data = ReadWholeFile(options.in);
  if (!data) {
    Fail("cannot read " + options.in);
  }

  Samples samples;
  for (long i = 0; i < options.repeat; ++i) {
    if (const auto failure = Decode(*data, options.rate, samples)) {
      Fail(options.in + ": " + failure->message);
    }
  }

  std::vector<char> bytes(samples.size() * 2);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const auto value = static_cast<std::uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<char>(value & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(value >> 8);
  }
  std::ofstream out(options.out, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();  // the last buffered bytes reach the file here, and so may a full disk
  if (!out) {
    Fail("cannot write " + options.out);
  }
  return 0;
}
