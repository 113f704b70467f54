#pragma once

#include "sound/MpegAudioDecodeFrame.h"
#include "sound/MpegAudioSynthesisHistory.h"
#include "sound/MpegAudioTables.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace sound {

enum class StoredMusicError {
    kTooShort,       // fewer than the 8 header bytes
    kNotMusic,       // does not start with "XMP"
    kRefusedHeader,  // the rebuilt frame header is not 22050 Hz Layer II with a frame length
};

struct StoredMusicParseResult;

// Music as a sound resource stores it: "XMP", the third header byte h shared by every frame,
// the total sample count (big-endian) and the frames without their 4-byte headers at a fixed
// stride. Borrows the data; the frame count and the samples it yields are limited to the
// frames really present, and a short last frame is decoded from a zero-padded copy.
class StoredMusic {
  public:
    static constexpr std::size_t kHeaderBytes = 8;
    static constexpr std::size_t kFrameHeaderBytes = 4;
    static constexpr std::size_t kMaxStride = 1044 - 3;

    static StoredMusicParseResult Parse(std::span<const std::uint8_t> data);

    // True when the data starts with the ASCII bytes X M P.
    static bool HasMusicTag(std::span<const std::uint8_t> data);
    // The frame header every stored frame had: FF F5 h C8 (MPEG-2, Layer II, no CRC, single
    // channel).
    static std::array<std::uint8_t, 4> RebuildFrameHeader(std::uint8_t headerByte);
    // Sync, MPEG-2, Layer II, 22050 Hz, single channel.
    static bool IsAcceptedFrameHeader(const std::array<std::uint8_t, 4>& header);
    // Frame length L in bytes by the bitrate index in the high nibble of h, no padding; 0 for
    // the free-format and forbidden indices 0 and 15.
    static std::size_t FrameLength(std::uint8_t headerByte);

    std::uint8_t HeaderByte() const { return headerByte_; }
    std::uint32_t DeclaredSamples() const { return declaredSamples_; }
    std::size_t Stride() const { return stride_; }
    // Frames with at least one byte present, at most ceil(declared samples / 1152).
    std::size_t FrameCount() const { return frameCount_; }
    // Samples the sound yields: the declared total, limited to the frames present.
    std::size_t SampleCount() const { return sampleCount_; }
    // Samples frame `index` delivers: min(1152, what is still to deliver).
    std::size_t FrameSamples(std::size_t index) const;

    // Decodes frame `index` (< FrameCount()) with the channel's history; returns the samples
    // it delivers, the first ones of `output`. The whole frame's 1152 samples are written.
    std::size_t DecodeFrame(std::size_t index, const MpegAudioTables& tables,
                            MpegAudioSynthesisHistory& history,
                            std::span<std::int16_t, kMpegAudioFrameSamples> output) const;

  private:
    StoredMusic() = default;

    std::span<const std::uint8_t> frames_;
    std::uint8_t headerByte_ = 0;
    std::uint32_t declaredSamples_ = 0;
    std::size_t stride_ = 0;
    std::size_t frameCount_ = 0;
    std::size_t sampleCount_ = 0;
};

struct StoredMusicParseResult {
    std::optional<StoredMusic> music;
    StoredMusicError error = StoredMusicError::kNotMusic;  // why, when there is no music
};

}  // namespace sound
