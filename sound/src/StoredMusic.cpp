#include "sound/StoredMusic.h"

#include <algorithm>
#include <cstring>

namespace sound {
namespace {

constexpr std::array<std::uint16_t, 16> kFrameLength = {0,   52,  104, 156, 208, 261, 313,  365,
                                                        417, 522, 626, 731, 835, 940, 1044, 0};

}  // namespace

bool StoredMusic::HasMusicTag(std::span<const std::uint8_t> data) {
    return data.size() >= 3 && data[0] == 'X' && data[1] == 'M' && data[2] == 'P';
}

std::array<std::uint8_t, 4> StoredMusic::RebuildFrameHeader(std::uint8_t headerByte) {
    return {0xFF, 0xF5, headerByte, 0xC8};
}

bool StoredMusic::IsAcceptedFrameHeader(const std::array<std::uint8_t, 4>& header) {
    const bool sync = header[0] == 0xFF && (header[1] & 0xF0) == 0xF0;
    const bool mpeg2 = (header[1] & 0x08) == 0;
    const bool layer2 = ((header[1] >> 1) & 3) == 2;
    const bool rate22050 = ((header[2] >> 2) & 3) == 0;
    const bool singleChannel = (header[3] >> 6) == 3;
    return sync && mpeg2 && layer2 && rate22050 && singleChannel;
}

std::size_t StoredMusic::FrameLength(std::uint8_t headerByte) {
    return kFrameLength[headerByte >> 4];
}

StoredMusicParseResult StoredMusic::Parse(std::span<const std::uint8_t> data) {
    if (!HasMusicTag(data)) {
        return {std::nullopt, data.size() < 3 ? StoredMusicError::kTooShort : StoredMusicError::kNotMusic};
    }
    if (data.size() < kHeaderBytes) {
        return {std::nullopt, StoredMusicError::kTooShort};
    }
    const std::uint8_t headerByte = data[3];
    const std::size_t length = FrameLength(headerByte);
    if (length == 0 || !IsAcceptedFrameHeader(RebuildFrameHeader(headerByte))) {
        return {std::nullopt, StoredMusicError::kRefusedHeader};
    }

    StoredMusic music;
    music.headerByte_ = headerByte;
    music.declaredSamples_ = (std::uint32_t{data[4]} << 24) | (std::uint32_t{data[5]} << 16) |
                             (std::uint32_t{data[6]} << 8) | std::uint32_t{data[7]};
    music.stride_ = length - 3;
    music.frames_ = data.subspan(kHeaderBytes);

    // The header's count is trusted only as far as the frames are really there.
    const std::size_t declaredFrames =
        (std::size_t{music.declaredSamples_} + kMpegAudioFrameSamples - 1) / kMpegAudioFrameSamples;
    const std::size_t presentFrames = (music.frames_.size() + music.stride_ - 1) / music.stride_;
    music.frameCount_ = std::min(declaredFrames, presentFrames);
    music.sampleCount_ =
        std::min<std::size_t>(music.declaredSamples_, music.frameCount_ * kMpegAudioFrameSamples);
    music.frames_ = music.frames_.first(std::min(music.frames_.size(), music.frameCount_ * music.stride_));
    return {std::move(music), StoredMusicError::kNotMusic};
}

std::size_t StoredMusic::FrameSamples(std::size_t index) const {
    if (index >= frameCount_) {
        return 0;
    }
    return std::min(kMpegAudioFrameSamples, sampleCount_ - index * kMpegAudioFrameSamples);
}

std::size_t StoredMusic::DecodeFrame(std::size_t index, const MpegAudioTables& tables,
                                     MpegAudioSynthesisHistory& history,
                                     std::span<std::int16_t, kMpegAudioFrameSamples> output) const {
    if (index >= frameCount_) {
        return 0;
    }
    // The decoder sees the rebuilt header and the stored bytes; a frame cut short by the end
    // of the data is completed with zeros.
    std::array<std::uint8_t, kFrameHeaderBytes + kMaxStride> scratch{};
    const auto header = RebuildFrameHeader(headerByte_);
    std::memcpy(scratch.data(), header.data(), header.size());
    const std::size_t start = index * stride_;
    const std::size_t present = std::min(stride_, frames_.size() - start);
    std::memcpy(scratch.data() + kFrameHeaderBytes, frames_.data() + start, present);

    MpegAudioDecodeFrame(tables, std::span(scratch).first(kFrameHeaderBytes + stride_), history, output);
    return FrameSamples(index);
}

}  // namespace sound
