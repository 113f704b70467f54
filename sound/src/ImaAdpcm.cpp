#include "sound/ImaAdpcm.h"

#include <algorithm>

namespace sound {

namespace {

constexpr std::array<std::int32_t, ImaAdpcmTable::kSteps> kStepSizes = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr std::array<std::int32_t, 8> kIndexSteps = {-1, -1, -1, -1, 2, 4, 6, 8};

constexpr std::int32_t kSampleLimit = 32767;

}  // namespace

std::int32_t ImaAdpcmTable::StepSize(int stepIndex) {
    return kStepSizes[static_cast<std::size_t>(std::clamp(stepIndex, 0, kSteps - 1))];
}

ImaAdpcmTable::ImaAdpcmTable() {
    for (int index = 0; index < kSteps; ++index) {
        const std::int32_t step = kStepSizes[static_cast<std::size_t>(index)];
        for (int code = 0; code < 16; ++code) {
            std::int32_t difference = step >> 3;
            if (code & 4) {
                difference += step;
            }
            if (code & 2) {
                difference += step >> 1;
            }
            if (code & 1) {
                difference += step >> 2;
            }
            if (code & 8) {
                difference = -difference;
            }
            const std::int32_t next = std::clamp(index + kIndexSteps[static_cast<std::size_t>(code & 7)], 0, kSteps - 1);
            entries_[static_cast<std::size_t>(index * 16 + code)] = {difference, next};
        }
    }
}

void DecodeImaBlock(const ImaAdpcmTable& table, std::span<const std::uint8_t, kImaBlockBytes> block,
                    std::span<std::int16_t, kImaBlockSamples> output) {
    const auto word = static_cast<std::int16_t>((block[0] << 8) | block[1]);
    // The stored index has 7 bits but the table 89 rows.
    int index = std::min(word & 127, ImaAdpcmTable::kSteps - 1);
    std::int32_t predictor = word;
    std::size_t out = 0;
    for (std::size_t i = 2; i < kImaBlockBytes; ++i) {
        for (const int code : {block[i] & 0x0F, block[i] >> 4}) {
            const ImaAdpcmTable::Entry& entry = table.At(index, code);
            predictor = std::clamp(predictor + entry.difference, -kSampleLimit, kSampleLimit);
            output[out++] = static_cast<std::int16_t>(predictor);
            index = entry.nextIndex;
        }
    }
}

}  // namespace sound
