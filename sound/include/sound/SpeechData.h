#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace sound {

// Stored speech as a sound resource holds it (big-endian):
//   0  "TS"
//   2  total output samples at 22050 Hz (4 bytes)
//   6  total byte length of the frames (4 bytes)
//   10 G.723.1 frames back to back
struct SpeechData {
    static constexpr std::size_t kHeaderSize = 10;
    static constexpr std::size_t kMaxFrameSize = 24;

    uint32_t totalSamples = 0;           // at 22050 Hz, as the header says
    std::span<const uint8_t> frames;     // the frame bytes really there
    // The samples the sound really yields at 22050 Hz: the header's total, limited to what
    // its frames give when resampled from the start (661.5 a frame on average, rounded up).
    std::size_t sampleCount = 0;

    // Reads the header. The frame length it states is trusted only as far as
    // the data goes: a longer claim is cut to what follows the header. Data
    // without the "TS" mark or shorter than the header gives nothing.
    static std::optional<SpeechData> Read(std::span<const uint8_t> data);

    // Bytes of the frame that starts with `firstByte`, by its two low (rate and
    // type) bits: 24 for 6.3 kbit/s and for the 5.3 kbit/s frames this system
    // never stores, 4 for a silence description, 1 for an untransmitted frame.
    static std::size_t FrameSize(uint8_t firstByte);

    // 22050 Hz samples that `frameCount` frames yield from a resampler at phase 0: one output
    // every 160 phase steps over 441 * 240 steps a frame.
    static std::size_t ResampledCount(std::size_t frameCount);
};

// One frame taken from the frame bytes, zero-padded to the longest frame so
// that a frame cut short by the end of the data is decoded without reading
// past it.
struct SpeechFrame {
    std::array<uint8_t, SpeechData::kMaxFrameSize> bytes{};
    std::size_t advance = 0;  // the frame's size, or what was left of the data

    // The frame at `position`; advance 0 once the data is used up.
    static SpeechFrame Take(std::span<const uint8_t> frames, std::size_t position);
};

}  // namespace sound
