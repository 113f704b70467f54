#pragma once

#include <array>
#include <cstdint>

// Constant tables of the G.723.1 speech decoder (ITU-T G.723.1 and its Annex A).
// The large codebooks live in SpeechTables.cpp; what can be derived (the cosine
// table, the pulse-position binomials) is computed at compile time here and
// checked against the published values by the tests.
namespace sound::speech_tables {

inline constexpr int kLpcOrder = 10;
inline constexpr int kFrame = 240;
inline constexpr int kSubFrames = 4;
inline constexpr int kSubFrameLength = 60;
inline constexpr int kPitchMin = 18;
inline constexpr int kPitchMax = kPitchMin + 127;
inline constexpr int kCosineTableSize = 512;
inline constexpr int kGainLevels = 24;
inline constexpr int kMaxPulses = 6;
inline constexpr int kPulseGrid = 2;

// Long-term mean of the LSP vector; also the decoder's reset LSP vector.
inline constexpr std::array<int16_t, kLpcOrder> kLspDc = {
    3131, 4721, 7690, 10806, 13872, 16495, 19752, 22260, 25484, 27718};

// First index and length of each of the three LSP sub-vectors.
inline constexpr std::array<std::array<int, 2>, 3> kLspBandInfo = {{{0, 3}, {3, 3}, {6, 4}}};

extern const std::array<std::array<int16_t, 3>, 256> kLspBand0;
extern const std::array<std::array<int16_t, 3>, 256> kLspBand1;
extern const std::array<std::array<int16_t, 4>, 256> kLspBand2;

// Five-tap pitch predictor gains (Q14): 85 entries for short lags at the high
// rate, 170 otherwise.
extern const std::array<std::array<int16_t, 5>, 85> kAdaptiveGain85;
extern const std::array<std::array<int16_t, 5>, 170> kAdaptiveGain170;

// Fixed-codebook gains: 24 steps of 3.2 dB.
inline constexpr std::array<int16_t, kGainLevels> kFixedGain = {
    1,   2,   3,   4,   6,   9,    13,   18,   26,   38,   55,   80,
    115, 166, 240, 348, 502, 726, 1050, 1517, 2193, 3170, 4582, 6623};

// Pulses per subframe of the 6.3 kbit/s multipulse excitation.
inline constexpr std::array<int, kSubFrames> kPulseCount = {6, 5, 6, 5};

// Formant post filter: 0.65^i and 0.75^i for i = 1..10 (Q15).
inline constexpr std::array<int16_t, kLpcOrder> kPostFilterZero = {
    21299, 13844, 8999, 5849, 3802, 2471, 1606, 1044, 679, 441};
inline constexpr std::array<int16_t, kLpcOrder> kPostFilterPole = {
    24576, 18432, 13824, 10368, 7776, 5832, 4374, 3281, 2460, 1845};

// Pitch post-filter weight at the high rate (0.1875, Q15).
inline constexpr int16_t kPitchPostFilterWeight = 0x1800;

// Comfort noise: gain quantiser segments and energy factor.
inline constexpr int16_t kSidEnergyFactor = 273;  // 32768 / (2 * 60)
inline constexpr std::array<int32_t, 3> kSidSegmentBound = {2048, 18432, 231233};
inline constexpr std::array<int16_t, 3> kSidSegmentBase = {0, 32, 96};

constexpr int64_t Binomial(int n, int k) {
    if (k < 0 || n < 0 || k > n) {
        return 0;
    }
    int64_t result = 1;
    for (int i = 1; i <= k; ++i) {
        result = result * (n - k + i) / i;
    }
    return result;
}

// combinatorial[i][j] = C(29 - j, 5 - i): how many ways the remaining pulses
// fit on the remaining grid positions, for the enumerative pulse-position code.
inline constexpr auto kCombinatorial = [] {
    std::array<std::array<int32_t, 30>, kMaxPulses> table{};
    for (int i = 0; i < kMaxPulses; ++i) {
        for (int j = 0; j < 30; ++j) {
            table[i][j] = static_cast<int32_t>(Binomial(29 - j, kMaxPulses - 1 - i));
        }
    }
    return table;
}();

// Codebook size per subframe: C(30, 6) or C(30, 5).
inline constexpr std::array<int32_t, kSubFrames> kMaxPosition = {
    static_cast<int32_t>(Binomial(30, 6)), static_cast<int32_t>(Binomial(30, 5)),
    static_cast<int32_t>(Binomial(30, 6)), static_cast<int32_t>(Binomial(30, 5))};

// One period of 16384 * cos(2 pi i / 512), rounded to nearest. Built without
// floating point: a Taylor series in 64-bit fixed point is exact enough to
// round every entry the same way as the published table.
inline constexpr auto kCosine = [] {
    std::array<int16_t, kCosineTableSize> table{};
    // pi in Q60.
    constexpr __int128 kPiQ60 = static_cast<__int128>(3622009729038561421LL);
    constexpr int kShift = 60;
    for (int i = 0; i < kCosineTableSize; ++i) {
        // Reduce to the first quadrant, remembering the sign.
        int k = i % kCosineTableSize;
        int sign = 1;
        if (k > 256) {
            k = kCosineTableSize - k;
        }
        if (k > 128) {
            k = 256 - k;
            sign = -1;
        }
        const __int128 x = kPiQ60 * k / 256;  // angle 2 pi k / 512 in Q60
        const __int128 one = static_cast<__int128>(1) << kShift;
        const __int128 x2 = x * x >> kShift;
        __int128 term = one;
        __int128 sum = one;
        for (int n = 1; n < 20; ++n) {
            term = -(term * x2 >> kShift) / ((2 * n - 1) * (2 * n));
            sum += term;
        }
        // Round 16384 * sum to nearest.
        const __int128 scaled = sum * 16384;
        const __int128 half = one / 2;
        const int value = static_cast<int>((scaled + half) >> kShift);
        table[i] = static_cast<int16_t>(sign * value);
    }
    return table;
}();

}  // namespace sound::speech_tables
