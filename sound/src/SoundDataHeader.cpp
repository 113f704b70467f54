#include "sound/SoundDataHeader.h"

#include <algorithm>

#include "sound/ImaAdpcm.h"
#include "sound/SpeechData.h"

namespace sound {

namespace {

constexpr std::size_t kImaHeaderBytes = 8;
constexpr std::size_t kRiffHeaderBytes = 12;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kWaveFormatBytes = 16;

std::uint32_t BigEndian32(std::span<const std::uint8_t> bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) |
           bytes[3];
}

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes) {
    return (std::uint32_t{bytes[3]} << 24) | (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[1]} << 8) |
           bytes[0];
}

bool HasTag(std::span<const std::uint8_t> data, std::size_t offset, const char (&tag)[5]) {
    if (data.size() < offset + 4) {
        return false;
    }
    return std::equal(tag, tag + 4, data.begin() + static_cast<std::ptrdiff_t>(offset));
}

SoundDataHeader ReadIma(std::span<const std::uint8_t> data) {
    SoundDataHeader header;
    if (data.size() < kImaHeaderBytes) {
        return header;
    }
    const std::size_t declared = BigEndian32(data.subspan(4, 4));
    const std::size_t blocks = std::min(declared, (data.size() - kImaHeaderBytes) / kImaBlockBytes);
    if (blocks == 0) {
        return header;
    }
    header.format = SoundFormat::kIma;
    header.sampleCount = blocks * kImaBlockSamples;
    header.payload = data.subspan(kImaHeaderBytes, blocks * kImaBlockBytes);
    return header;
}

// Only the low byte of each field is compared.
bool IsMixerWaveFormat(std::span<const std::uint8_t> format) {
    const std::uint8_t tag = format[0];
    const std::uint8_t channels = format[2];
    const std::uint8_t rate = format[4];
    const std::uint8_t align = format[12];
    return tag == 1 && channels == 1 && rate == (22050 & 0xFF) && align == 2;
}

SoundDataHeader ReadWave(std::span<const std::uint8_t> data) {
    SoundDataHeader header;
    if (!HasTag(data, 0, "RIFF") || !HasTag(data, 8, "WAVE")) {
        return header;
    }
    // The RIFF size counts from byte 8; trust it only as far as the data goes.
    const std::size_t riffEnd = std::min<std::size_t>(data.size(), std::size_t{8} + LittleEndian32(data.subspan(4, 4)));
    bool formatAccepted = false;
    std::size_t position = kRiffHeaderBytes;
    while (riffEnd >= kChunkHeaderBytes && position <= riffEnd - kChunkHeaderBytes) {
        const auto id = data.subspan(position, 4);
        const std::size_t bodyStart = position + kChunkHeaderBytes;
        const std::size_t size = std::min<std::size_t>(LittleEndian32(data.subspan(position + 4, 4)), riffEnd - bodyStart);
        const auto body = data.subspan(bodyStart, size);
        if (std::equal(id.begin(), id.end(), "fmt ")) {
            formatAccepted = body.size() >= kWaveFormatBytes && IsMixerWaveFormat(body);
            if (!formatAccepted) {
                return header;
            }
        } else if (std::equal(id.begin(), id.end(), "data")) {
            if (!formatAccepted || size / 2 == 0) {
                return header;
            }
            header.format = SoundFormat::kPcm;
            header.sampleCount = size / 2;
            header.payload = body.first(header.sampleCount * 2);
            return header;
        }
        // Chunks are padded to an even length.
        position = bodyStart + size + (size & 1);
    }
    return header;
}

}  // namespace

SoundDataHeader SoundDataHeader::Read(std::span<const std::uint8_t> data) {
    SoundDataHeader header;
    if (StoredMusic::HasMusicTag(data)) {
        StoredMusicParseResult parsed = StoredMusic::Parse(data);
        if (parsed.music && parsed.music->SampleCount() > 0) {
            header.format = SoundFormat::kMusic;
            header.sampleCount = parsed.music->SampleCount();
            const std::size_t bytes =
                std::min(data.size() - StoredMusic::kHeaderBytes, parsed.music->FrameCount() * parsed.music->Stride());
            header.payload = data.subspan(StoredMusic::kHeaderBytes, bytes);
            header.music = std::move(parsed.music);
        }
        return header;
    }
    if (data.size() >= 2 && data[0] == 'T' && data[1] == 'S') {
        if (const std::optional<SpeechData> speech = SpeechData::Read(data); speech && speech->sampleCount > 0) {
            header.format = SoundFormat::kSpeech;
            header.sampleCount = speech->sampleCount;
            header.payload = speech->frames;
        }
        return header;
    }
    if (HasTag(data, 0, "XIMA")) {
        return ReadIma(data);
    }
    return ReadWave(data);
}

}  // namespace sound
