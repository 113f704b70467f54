#include "sound/SpeechData.h"

#include <algorithm>

namespace sound {

namespace {

uint32_t ReadBigEndian32(std::span<const uint8_t> bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

}  // namespace

std::optional<SpeechData> SpeechData::Read(std::span<const uint8_t> data) {
    if (data.size() < kHeaderSize || data[0] != 'T' || data[1] != 'S') {
        return std::nullopt;
    }
    SpeechData speech;
    speech.totalSamples = ReadBigEndian32(data.subspan(2, 4));
    const uint32_t claimed = ReadBigEndian32(data.subspan(6, 4));
    const std::size_t available = data.size() - kHeaderSize;
    speech.frames = data.subspan(kHeaderSize, std::min<std::size_t>(claimed, available));

    std::size_t frameCount = 0;
    for (std::size_t position = 0; position < speech.frames.size(); position += FrameSize(speech.frames[position])) {
        ++frameCount;
    }
    speech.sampleCount = std::min<std::size_t>(speech.totalSamples, ResampledCount(frameCount));
    return speech;
}

std::size_t SpeechData::ResampledCount(std::size_t frameCount) {
    return (frameCount * 1323 + 1) / 2;
}

std::size_t SpeechData::FrameSize(uint8_t firstByte) {
    switch (firstByte & 3) {
        case 2:
            return 4;
        case 3:
            return 1;
        default:
            return 24;
    }
}

SpeechFrame SpeechFrame::Take(std::span<const uint8_t> frames, std::size_t position) {
    SpeechFrame frame;
    if (position >= frames.size()) {
        return frame;
    }
    const std::size_t left = frames.size() - position;
    frame.advance = std::min(SpeechData::FrameSize(frames[position]), left);
    std::copy_n(frames.begin() + static_cast<std::ptrdiff_t>(position), frame.advance, frame.bytes.begin());
    return frame;
}

}  // namespace sound
