#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace sound {

inline constexpr std::size_t kImaBlockBytes = 34;
inline constexpr std::size_t kImaBlockSamples = 64;

// The IMA ADPCM decoding table: for each of the 89 step sizes and 16 codes, the
// signed difference the code adds and the step index that follows. Built from the
// standard IMA step and index tables (11,392 bytes); the mixer builds it at open.
class ImaAdpcmTable {
  public:
    static constexpr int kSteps = 89;

    struct Entry {
        std::int32_t difference;
        std::int32_t nextIndex;  // 0 .. 88
    };

    ImaAdpcmTable();

    const Entry& At(int stepIndex, int code) const { return entries_[static_cast<std::size_t>(stepIndex * 16 + code)]; }

    // The standard step size of index 0 .. 88 (7 .. 32767).
    static std::int32_t StepSize(int stepIndex);

  private:
    std::array<Entry, kSteps * 16> entries_;
};

// Decodes one 34-byte block into 64 samples. Bytes 0-1 are a big-endian signed word
// w: its low 7 bits are the step index (held at 88, the last row of the table) and
// the whole word is the first predictor. Then 32 bytes of two codes each, low nibble
// first; every sample is held in -32767 .. 32767.
void DecodeImaBlock(const ImaAdpcmTable& table, std::span<const std::uint8_t, kImaBlockBytes> block,
                    std::span<std::int16_t, kImaBlockSamples> output);

}  // namespace sound
