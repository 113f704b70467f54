#include "sound/MpegAudioDecodeFrame.h"

#include "MpegAudioBitReader.h"

#include <algorithm>
#include <array>

namespace sound {
namespace {

constexpr int kSubbands = MpegAudioTables::kSubbands;
constexpr int kCoded = MpegAudioTables::kCodedSubbands;
constexpr int kGranules = 12;  // groups of three samples per subband
constexpr int kSlots = 36;     // subband samples per frame

// Frame length in bytes by bitrate index, without the padding byte (22050 Hz).
constexpr std::array<std::uint16_t, 16> kFrameLength = {0,   52,  104, 156, 208, 261, 313,  365,
                                                        417, 522, 626, 731, 835, 940, 1044, 0};

// DCT-II of size N, X[m] = sum x[k] cos(pi m (2k + 1) / 2N), by Lee's recursion: the sums
// and the scaled differences of mirrored inputs give the even and odd outputs.
template <int N>
inline void Dct(const float* x, float* out, const float* factors) {
    if constexpr (N == 1) {
        out[0] = x[0];
    } else {
        constexpr int kHalf = N / 2;
        const float* f = factors + (32 - N);
        float sums[kHalf];
        float diffs[kHalf];
#pragma GCC unroll 16
        for (int k = 0; k < kHalf; ++k) {
            sums[k] = x[k] + x[N - 1 - k];
            diffs[k] = (x[k] - x[N - 1 - k]) * f[k];
        }
        float even[kHalf];
        float odd[kHalf];
        Dct<kHalf>(sums, even, factors);
        Dct<kHalf>(diffs, odd, factors);
#pragma GCC unroll 16
        for (int r = 0; r < kHalf - 1; ++r) {
            out[2 * r] = even[r];
            out[2 * r + 1] = odd[r] + odd[r + 1];
        }
        out[N - 2] = even[kHalf - 1];
        out[N - 1] = odd[kHalf - 1];
    }
}

// Rounds to nearest (ties to even) through the float mantissa and clips: no library call,
// so the conversion vectorises. |value| stays far below 2^31: at most 32 subbands of 65536
// through a window whose taps sum to less than 3.
inline std::int16_t ToSample(float value) {
    constexpr float kRound = 12582912.0f;  // 1.5 * 2^23
    int sample = static_cast<int>((value + kRound) - kRound);
    sample = sample > 32767 ? 32767 : sample;
    sample = sample < -32768 ? -32768 : sample;
    return static_cast<std::int16_t>(sample);
}

// One granule of the polyphase filter bank: the matrixing of the standard (V[i] = sum
// cos((16 + i)(2k + 1) pi / 64) S[k]) reduced to a 32-point DCT, then the 16-tap window.
// The history keeps, for each of the last 16 granules, V[0..31] in its first half and
// V[32..63] in its second; the window reads the first half of even ages, the second of odd.
void Synthesize(const MpegAudioTables& tables, const float* subbands, MpegAudioSynthesisHistory& history,
                std::int16_t* out) {
    float x[32];
    Dct<32>(subbands, x, tables.CosineFactors().data());

    const std::uint32_t offset = (history.offset + 512 - 32) & 0x1E0;
    history.offset = offset;
    float* first = history.values.data() + offset;
    float* second = history.values.data() + 512 + offset;
    for (int j = 0; j < 16; ++j) {
        first[j] = x[16 + j];
        second[j] = -x[16 - j];
        second[16 + j] = -x[j];
    }
    first[16] = 0.0f;
    for (int j = 17; j < 32; ++j) {
        first[j] = -x[48 - j];
    }

    // Eight outputs at a time, all 16 taps, so the sums stay in registers.
    const float* window = tables.Window().data();
    const float* sources[16];
    for (int tap = 0; tap < 16; ++tap) {
        sources[tap] = history.values.data() + (tap & 1) * 512 + ((offset + 32 * tap) & 0x1E0);
    }
    float sums[32];
    for (int j = 0; j < 32; j += 8) {
        float sum[8] = {};
#pragma GCC unroll 16
        for (int tap = 0; tap < 16; ++tap) {
            const float* coefficients = window + 32 * tap + j;
            const float* source = sources[tap] + j;
            for (int k = 0; k < 8; ++k) {
                sum[k] += coefficients[k] * source[k];
            }
        }
        for (int k = 0; k < 8; ++k) {
            sums[j + k] = sum[k];
        }
    }
    for (int j = 0; j < 32; ++j) {
        out[j] = ToSample(sums[j]);
    }
}

}  // namespace

MpegAudioFrameResult MpegAudioDecodeFrame(const MpegAudioTables& tables, std::span<const std::uint8_t> frame,
                                          MpegAudioSynthesisHistory& history,
                                          std::span<std::int16_t, kMpegAudioFrameSamples> output) {
    MpegAudioBitReader bits(frame);
    if (bits.Read(12) != 0xFFF) {
        return {};
    }
    bits.Skip(3);  // ID and layer: the stored form always says MPEG-2 Layer II
    const bool crc = bits.Read(1) == 0;
    const std::uint32_t bitrateIndex = bits.Read(4);
    bits.Skip(2);
    const std::uint32_t padding = bits.Read(1);
    bits.Skip(crc ? 25 : 9);

    const auto& allocationTable = tables.Allocation();
    const auto& classes = tables.Classes();
    const auto& scaleFactors = tables.ScaleFactors();

    std::array<std::int8_t, kCoded> classOf{};
    for (int sb = 0; sb < kCoded; ++sb) {
        const auto& allocation = allocationTable[sb];
        classOf[sb] = allocation.classOf[bits.Read(allocation.bits)];
    }
    std::array<std::uint8_t, kCoded> selection{};
    for (int sb = 0; sb < kCoded; ++sb) {
        if (classOf[sb] >= 0) {
            selection[sb] = static_cast<std::uint8_t>(bits.Read(2));
        }
    }
    // Scale factor of each subband for each of the three parts (four granules each), as the
    // selection information says which of them are sent: 0 all three, 1 the first covers parts
    // 0 and 1, 2 one for all, 3 the second covers parts 1 and 2.
    std::array<std::array<float, 3>, kCoded> scale{};
    for (int sb = 0; sb < kCoded; ++sb) {
        if (classOf[sb] < 0) {
            continue;
        }
        std::array<std::uint32_t, 3> index{};
        switch (selection[sb]) {
            case 0:
                index = {bits.Read(6), bits.Read(6), bits.Read(6)};
                break;
            case 1:
                index[0] = index[1] = bits.Read(6);
                index[2] = bits.Read(6);
                break;
            case 2:
                index[0] = index[1] = index[2] = bits.Read(6);
                break;
            default:
                index[0] = bits.Read(6);
                index[1] = index[2] = bits.Read(6);
                break;
        }
        for (int part = 0; part < 3; ++part) {
            scale[sb][part] = scaleFactors[index[part]];
        }
    }

    alignas(16) std::array<float, kSlots * kSubbands> samples{};  // slot-major
    if (!bits.Overrun()) {
        for (int granule = 0; granule < kGranules; ++granule) {
            const int part = granule >> 2;
            float* slot = samples.data() + 3 * granule * kSubbands;
            for (int sb = 0; sb < kCoded; ++sb) {
                const int classIndex = classOf[sb];
                if (classIndex < 0) {
                    continue;
                }
                const auto& quant = classes[classIndex];
                const float factor = scale[sb][part];
                if (quant.grouped) {
                    const float* group = classIndex == 0   ? tables.Group3()
                                         : classIndex == 1 ? tables.Group5()
                                                           : tables.Group9();
                    group += 3 * bits.Read(quant.bits);
                    slot[sb] = group[0] * factor;
                    slot[kSubbands + sb] = group[1] * factor;
                    slot[2 * kSubbands + sb] = group[2] * factor;
                } else {
                    const float step = quant.step * factor;
                    for (int s = 0; s < 3; ++s) {
                        slot[s * kSubbands + sb] =
                            (static_cast<float>(bits.Read(quant.bits)) - quant.centre) * step;
                    }
                }
            }
            if (bits.Overrun()) {
                std::fill(samples.begin() + 3 * granule * kSubbands, samples.end(), 0.0f);
                break;
            }
        }
    }

    for (int s = 0; s < kSlots; ++s) {
        Synthesize(tables, samples.data() + s * kSubbands, history, output.data() + s * kSubbands);
    }
    return {kFrameLength[bitrateIndex] + padding, kMpegAudioFrameSamples * 2};
}

}  // namespace sound
