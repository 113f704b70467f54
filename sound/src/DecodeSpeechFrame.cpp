#include "sound/DecodeSpeechFrame.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "SpeechBasicOps.h"
#include "sound/SpeechTables.h"

// The structure and the fixed-point arithmetic follow the ITU reference decoder
// step by step (bit-exact apart from the -32767 saturation bound), so the
// function names below mirror its stages: unpacking, LSP decoding and
// interpolation, excitation, pitch post filter, synthesis, formant post filter
// and gain scaling, frame-erasure concealment and comfort noise.

namespace sound {

namespace {

using namespace speech_ops;
namespace tables = speech_tables;

constexpr int kOrder = tables::kLpcOrder;
constexpr int kFrameLength = tables::kFrame;
constexpr int kSubFrames = tables::kSubFrames;
constexpr int kSubLength = tables::kSubFrameLength;
constexpr int kPitchMax = tables::kPitchMax;
constexpr int kPitchOrder = 5;        // taps of the pitch predictor
constexpr int kMaxErasures = 3;
constexpr Word16 kLspPrediction = 12288;         // 0.375
constexpr Word16 kLspPredictionErased = 23552;   // 0.71875
constexpr Word16 kTiltCoefficient = static_cast<Word16>(0xc000);
constexpr int kNoisePulsesPerBlock = 11;
constexpr Word16 kInverseNoisePulses = 2979;     // 32768 / 11
constexpr int kNoiseFilters = 50;
constexpr Word16 kNoiseMaxGain = 5000;
constexpr Word16 kNoiseSeed = 12345;

enum FrameType : Word16 { kUntransmitted = 0, kActive = 1, kSilenceDescription = 2 };

struct SubFrameParams {
    Word16 lagOffset = 0;     // pitch lag offset from the frame's lag, 0..3
    Word16 gainIndex = 0;     // adaptive-codebook gain vector
    Word16 amplitude = 0;     // fixed-codebook gain level
    Word16 grid = 0;          // even or odd pulse positions
    Word16 train = 0;         // pulse train at the pitch period
    Word16 signs = 0;
    Word32 positions = 0;     // enumerative code of the pulse positions
};

struct FrameParams {
    bool erased = false;
    Word32 lspIndex = 0;
    std::array<Word16, 2> pitch{};
    std::array<SubFrameParams, kSubFrames> sub{};
};

struct PitchPostFilter {
    int lag = 0;              // negative: backward, positive: forward
    Word16 gain = 0;
    Word16 scale = kMax16;
};

class BitReader {
public:
    explicit BitReader(const std::array<uint8_t, 24>& bytes) : bytes_(bytes) {}

    Word32 Read(int count) {
        Word32 value = 0;
        for (int i = 0; i < count; ++i, ++position_) {
            const int bit = (bytes_[position_ >> 3] >> (position_ & 7)) & 1;
            value += static_cast<Word32>(bit) << i;
        }
        return value;
    }

private:
    const std::array<uint8_t, 24>& bytes_;
    int position_ = 0;  // at most 192: the reads below add up to one frame
};

FrameParams Unpack(const std::array<uint8_t, 24>& bytes, FrameType& type) {
    FrameParams params;
    BitReader bits(bytes);
    const Word32 info = bits.Read(2);
    if (info == 3) {
        type = kUntransmitted;
        return params;
    }
    params.lspIndex = bits.Read(24);
    if (info == 2) {
        params.sub[0].amplitude = static_cast<Word16>(bits.Read(6));
        type = kSilenceDescription;
        return params;
    }
    type = kActive;

    // Lag codes above 123 are forbidden: the frame counts as erased.
    Word32 lag = bits.Read(7);
    if (lag > 123) {
        params.erased = true;
        return params;
    }
    params.pitch[0] = static_cast<Word16>(lag + tables::kPitchMin);
    params.sub[1].lagOffset = static_cast<Word16>(bits.Read(2));
    lag = bits.Read(7);
    if (lag > 123) {
        params.erased = true;
        return params;
    }
    params.pitch[1] = static_cast<Word16>(lag + tables::kPitchMin);
    params.sub[3].lagOffset = static_cast<Word16>(bits.Read(2));
    params.sub[0].lagOffset = 1;
    params.sub[2].lagOffset = 1;

    for (int i = 0; i < kSubFrames; ++i) {
        Word32 combined = bits.Read(12);
        SubFrameParams& sub = params.sub[i];
        int bound = 170;
        if (params.pitch[i >> 1] < kSubLength - 2) {
            sub.train = static_cast<Word16>(combined >> 11);
            combined &= 0x7ff;
            bound = 85;
        }
        sub.gainIndex = static_cast<Word16>(combined / tables::kGainLevels);
        if (sub.gainIndex >= bound) {
            params.erased = true;
            return params;
        }
        sub.amplitude = static_cast<Word16>(combined % tables::kGainLevels);
    }
    for (auto& sub : params.sub) {
        sub.grid = static_cast<Word16>(bits.Read(1));
    }
    bits.Read(1);  // reserved

    const Word32 high = bits.Read(13);
    params.sub[0].positions = ((high / 90) / 9 << 16) + bits.Read(16);
    params.sub[1].positions = ((high / 90) % 9 << 14) + bits.Read(14);
    params.sub[2].positions = ((high % 90) / 9 << 16) + bits.Read(16);
    params.sub[3].positions = ((high % 90) % 9 << 14) + bits.Read(14);
    params.sub[0].signs = static_cast<Word16>(bits.Read(6));
    params.sub[1].signs = static_cast<Word16>(bits.Read(5));
    params.sub[2].signs = static_cast<Word16>(bits.Read(6));
    params.sub[3].signs = static_cast<Word16>(bits.Read(5));
    return params;
}

Word16 Random(Word16& seed) {
    const uint32_t next = (static_cast<uint32_t>(static_cast<uint16_t>(seed)) * 521u + 259u) & 0xffffu;
    seed = static_cast<Word16>(static_cast<uint16_t>(next));
    return seed;
}

// Uniform in 0..limit-1.
Word16 RandomNumber(Word16 limit, Word16& seed) {
    const Word16 value = static_cast<Word16>(Random(seed) & 0x7fff);
    return Mult(value, limit);
}

Word16 SquareRoot(Word32 value) {
    Word16 result = 0;
    Word16 bit = 0x4000;
    for (int i = 0; i < 14; ++i) {
        const Word16 candidate = Add(result, bit);
        if (value >= LMult(candidate, candidate)) {
            result = candidate;
        }
        bit = Shr(bit, 1);
    }
    return result;
}

// Scales the vector so its largest magnitude uses the top bits; returns the
// applied power of two less 3.
int NormalizeVector(Word16* vector, int length) {
    static constexpr std::array<Word16, 16> kShift = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0020,
                                                     0x0040, 0x0080, 0x0100, 0x0200, 0x0400, 0x0800,
                                                     0x1000, 0x2000, 0x4000, 0x7fff};
    Word16 peak = 0;
    for (int i = 0; i < length; ++i) {
        peak = std::max(peak, Abs(vector[i]));
    }
    const int shift = NormS(peak);
    const Word16 factor = kShift[shift];
    for (int i = 0; i < length; ++i) {
        vector[i] = static_cast<Word16>(LShr(LMult(factor, vector[i]), 4));
    }
    return shift - 3;
}

Word32 SubFrameEnergy(const Word16* vector) {
    Word32 energy = 0;
    for (int i = 0; i < kSubLength; ++i) {
        const Word16 v = Shr(vector[i], 2);
        energy = LMac(energy, v, v);
    }
    return energy;
}

void InverseQuantizeLsp(std::array<Word16, kOrder>& lsp, const std::array<Word16, kOrder>& previous,
                        Word32 index, bool erased) {
    Word16 separation = 0x0100;
    Word16 prediction = kLspPrediction;
    if (erased) {
        index = 0;
        separation = 0x0200;
        prediction = kLspPredictionErased;
    }
    const int i2 = index & 0xff;
    const int i1 = (index >> 8) & 0xff;
    const int i0 = (index >> 16) & 0xff;
    for (int j = 0; j < 3; ++j) {
        lsp[j] = tables::kLspBand0[i0][j];
        lsp[3 + j] = tables::kLspBand1[i1][j];
    }
    for (int j = 0; j < 4; ++j) {
        lsp[6 + j] = tables::kLspBand2[i2][j];
    }
    for (int j = 0; j < kOrder; ++j) {
        const Word16 dcFree = Sub(previous[j], tables::kLspDc[j]);
        lsp[j] = Add(lsp[j], MultR(dcFree, prediction));
        lsp[j] = Add(lsp[j], tables::kLspDc[j]);
    }

    // Keep the frequencies ordered with a minimum distance; give up after ten
    // rounds and reuse the previous vector.
    bool unstable = false;
    for (int round = 0; round < kOrder; ++round) {
        lsp[0] = std::max<Word16>(lsp[0], 0x180);
        lsp[kOrder - 1] = std::min<Word16>(lsp[kOrder - 1], 0x7e00);
        for (int j = 1; j < kOrder; ++j) {
            Word16 overlap = Sub(Add(separation, lsp[j - 1]), lsp[j]);
            if (overlap > 0) {
                overlap = Shr(overlap, 1);
                lsp[j - 1] = Sub(lsp[j - 1], overlap);
                lsp[j] = Add(lsp[j], overlap);
            }
        }
        unstable = false;
        for (int j = 1; j < kOrder; ++j) {
            if (Sub(Sub(Add(lsp[j - 1], separation), 4), lsp[j]) > 0) {
                unstable = true;
            }
        }
        if (!unstable) {
            break;
        }
    }
    if (unstable) {
        lsp = previous;
    }
}

// LSP frequencies to LPC coefficients (scaled by 1/4), in place.
void LspToLpc(Word16* lsp) {
    for (int i = 0; i < kOrder; ++i) {
        // Out-of-range frequencies from corrupt frames wrap around the table's
        // period rather than read outside it.
        const int j = Shr(lsp[i], 7) & (tables::kCosineTableSize - 1);
        const int next = (j + 1) & (tables::kCosineTableSize - 1);
        Word32 acc = LDepositH(tables::kCosine[j]);
        const Word16 slope = Sub(tables::kCosine[next], tables::kCosine[j]);
        acc = LMac(acc, slope, Add(Shl(static_cast<Word16>(lsp[i] & 0x7f), 8), 0x0080));
        acc = LShl(acc, 1);
        lsp[i] = Negate(Round(acc));
    }

    std::array<Word32, kOrder / 2 + 1> p{};
    std::array<Word32, kOrder / 2 + 1> q{};
    p[0] = 0x10000000;
    p[1] = LMac(LMult(lsp[0], 0x2000), lsp[2], 0x2000);
    p[2] = LAdd(LShr(LMult(lsp[0], lsp[2]), 1), 0x20000000);
    q[0] = 0x10000000;
    q[1] = LMac(LMult(lsp[1], 0x2000), lsp[3], 0x2000);
    q[2] = LAdd(LShr(LMult(lsp[1], lsp[3]), 1), 0x20000000);

    for (int i = 2; i < kOrder / 2; ++i) {
        p[i + 1] = LAdd(LMls(p[i], lsp[2 * i]), p[i - 1]);
        q[i + 1] = LAdd(LMls(q[i], lsp[2 * i + 1]), q[i - 1]);
        for (int j = i; j >= 2; --j) {
            p[j] = LAdd(LAdd(LMls(p[j - 1], lsp[2 * i]), LShr(p[j], 1)), LShr(p[j - 2], 1));
            q[j] = LAdd(LAdd(LMls(q[j - 1], lsp[2 * i + 1]), LShr(q[j], 1)), LShr(q[j - 2], 1));
        }
        p[0] = LShr(p[0], 1);
        q[0] = LShr(q[0], 1);
        p[1] = LShr(LAdd(LShr(LDepositH(lsp[2 * i]), i), p[1]), 1);
        q[1] = LShr(LAdd(LShr(LDepositH(lsp[2 * i + 1]), i), q[1]), 1);
    }

    for (int i = 0; i < kOrder / 2; ++i) {
        Word32 acc = LAdd(LSub(LAdd(p[i], p[i + 1]), q[i]), q[i + 1]);
        lsp[i] = Negate(Round(LShl(acc, 3)));
        acc = LSub(LAdd(LAdd(p[i], p[i + 1]), q[i]), q[i + 1]);
        lsp[kOrder - 1 - i] = Negate(Round(LShl(acc, 3)));
    }
}

// Linear interpolation of the LSP vectors for the four subframes, each turned
// into LPC coefficients.
void InterpolateLsp(std::array<Word16, kSubFrames * kOrder>& lpc, const std::array<Word16, kOrder>& current,
                    const std::array<Word16, kOrder>& previous) {
    constexpr Word16 kStep = static_cast<Word16>(-32768 / kSubFrames);
    Word16 weight = kStep;
    for (int i = 0; i < kSubFrames; ++i) {
        Word16* out = &lpc[i * kOrder];
        for (int j = 0; j < kOrder; ++j) {
            Word32 acc = LDepositH(previous[j]);
            acc = LMac(acc, weight, previous[j]);
            acc = LMsu(acc, weight, current[j]);
            out[j] = Round(acc);
        }
        LspToLpc(out);
        weight = Add(weight, kStep);
    }
}

// Adds copies of the pulses repeated at the pitch period.
void AddPulseTrain(Word16* vector, int pitch) {
    std::array<Word16, kSubLength> source;
    std::copy_n(vector, kSubLength, source.begin());
    for (int offset = pitch; offset < kSubLength; offset += pitch) {
        for (int i = offset; i < kSubLength; ++i) {
            vector[i] = Add(vector[i], source[i - offset]);
        }
    }
}

void UnpackFixedCodebook(Word16* vector, const SubFrameParams& sub, int pitch, int subFrame) {
    std::fill_n(vector, kSubLength, Word16{0});
    if (sub.positions >= tables::kMaxPosition[subFrame]) {
        return;
    }
    int placed = tables::kMaxPulses - tables::kPulseCount[subFrame];
    Word32 code = sub.positions;
    const Word16 gain = tables::kFixedGain[sub.amplitude];
    for (int i = 0; i < kSubLength / tables::kPulseGrid; ++i) {
        code = LSub(code, tables::kCombinatorial[placed][i]);
        if (code < 0) {
            code = LAdd(code, tables::kCombinatorial[placed][i]);
            ++placed;
            const bool negative = (sub.signs & (1 << (tables::kMaxPulses - placed))) != 0;
            vector[sub.grid + tables::kPulseGrid * i] = negative ? Negate(gain) : gain;
            if (placed == tables::kMaxPulses) {
                break;
            }
        }
    }
    if (sub.train == 1) {
        AddPulseTrain(vector, pitch);
    }
}

// The past excitation around one pitch period back, extended periodically
// when the lag is shorter than the subframe. `excitation` points at the start
// of the kPitchMax samples that precede the subframe.
void PastResidual(Word16* out, const Word16* excitation, int lag) {
    for (int i = 0; i < kPitchOrder / 2; ++i) {
        out[i] = excitation[kPitchMax - lag - kPitchOrder / 2 + i];
    }
    for (int i = 0, phase = 0; i < kSubLength + kPitchOrder / 2; ++i) {
        out[kPitchOrder / 2 + i] = excitation[kPitchMax - lag + phase];
        if (++phase == lag) {
            phase = 0;
        }
    }
}

void DecodeAdaptiveCodebook(Word16* out, const Word16* excitation, int pitch, int lagOffset, int gainIndex) {
    std::array<Word16, kSubLength + kPitchOrder - 1> residual;
    PastResidual(residual.data(), excitation, pitch - 1 + lagOffset);
    const Word16* gains = pitch >= kSubLength - 2 ? tables::kAdaptiveGain170[gainIndex].data()
                                                  : tables::kAdaptiveGain85[gainIndex].data();
    for (int i = 0; i < kSubLength; ++i) {
        Word32 acc = 0;
        for (int j = 0; j < kPitchOrder; ++j) {
            acc = LMac(acc, residual[i + j], gains[j]);
        }
        out[i] = Round(LShl(acc, 1));
    }
}

// Voicing of the last good frame for erasure concealment: the lag that best
// predicts the last 120 samples, or 0 when the prediction gain is too low.
// Normalises `buffer` in place and returns its energy and scale.
Word16 ClassifyFrame(Word16* buffer, int pitch, Word16& energy, Word16& scale) {
    scale = static_cast<Word16>(NormalizeVector(buffer, kPitchMax + kFrameLength));
    pitch = std::min(pitch, kPitchMax - 3);
    const Word16* tail = buffer + kPitchMax + kFrameLength - 2 * kSubLength;
    int index = pitch;
    Word32 best = 0;
    for (int lag = pitch - 3; lag <= pitch + 3; ++lag) {
        Word32 acc = 0;
        for (int j = 0; j < 2 * kSubLength; ++j) {
            acc = LMac(acc, tail[j], tail[j - lag]);
        }
        if (acc > best) {
            best = acc;
            index = lag;
        }
    }
    Word32 acc = 0;
    for (int j = 0; j < 2 * kSubLength; ++j) {
        acc = LMac(acc, tail[j], tail[j]);
    }
    const Word16 targetEnergy = Round(acc);
    energy = targetEnergy;

    acc = 0;
    for (int j = 0; j < 2 * kSubLength; ++j) {
        acc = LMac(acc, tail[j - index], tail[j - index]);
    }
    const Word16 correlation = Round(best);
    if (correlation <= 0) {
        return 0;
    }
    const Word16 lagEnergy = Round(acc);
    acc = LShr(LMult(lagEnergy, targetEnergy), 3);
    acc = LMsu(acc, correlation, correlation);
    return acc < 0 ? static_cast<Word16>(index) : Word16{0};
}

// Fills an erased frame: a repetition of the last pitch period for voiced
// speech, scaled noise for unvoiced, silence after three erasures.
void Regenerate(Word16* output, Word16* buffer, int lag, Word16 gain, int erasures, Word16& seed) {
    if (erasures >= kMaxErasures) {
        std::fill_n(output, kFrameLength, Word16{0});
        std::fill_n(buffer, kFrameLength + kPitchMax, Word16{0});
        return;
    }
    if (lag != 0) {
        for (int i = 0; i < kFrameLength; ++i) {
            buffer[kPitchMax + i] = buffer[kPitchMax - lag + i];
        }
        for (int i = 0; i < kFrameLength; ++i) {
            buffer[kPitchMax + i] = Mult(buffer[kPitchMax + i], 0x6000);
            output[i] = buffer[kPitchMax + i];
        }
    } else {
        for (int i = 0; i < kFrameLength; ++i) {
            output[i] = Mult(gain, Random(seed));
        }
        std::fill_n(buffer, kFrameLength + kPitchMax, Word16{0});
    }
}

int BackwardLag(const Word16* buffer, int pitch, int subFrame) {
    pitch = std::min(pitch, kPitchMax - 3);
    const Word16* current = buffer + kPitchMax + subFrame * kSubLength;
    int index = 0;
    Word32 best = 0;
    for (int lag = pitch - 3; lag <= pitch + 3; ++lag) {
        Word32 acc = 0;
        for (int j = 0; j < kSubLength; ++j) {
            acc = LMac(acc, current[j], current[j - lag]);
        }
        if (acc > best) {
            best = acc;
            index = -lag;
        }
    }
    return index;
}

int ForwardLag(const Word16* buffer, int pitch, int subFrame) {
    pitch = std::min(pitch, kPitchMax - 3);
    const Word16* current = buffer + kPitchMax + subFrame * kSubLength;
    int index = 0;
    Word32 best = 0;
    for (int lag = pitch - 3; lag <= pitch + 3; ++lag) {
        Word32 acc = 0;
        if (subFrame * kSubLength + kSubLength + lag <= kFrameLength) {
            for (int j = 0; j < kSubLength; ++j) {
                acc = LMac(acc, current[j], current[j + lag]);
            }
        }
        if (acc > best) {
            best = acc;
            index = lag;
        }
    }
    return index;
}

PitchPostFilter PitchFilterGains(int lag, Word16 energy, Word16 correlation, Word16 lagEnergy) {
    PitchPostFilter filter;
    filter.lag = lag;
    Word32 acc0 = LShr(LMult(energy, lagEnergy), 2);
    Word32 acc1 = LMult(correlation, correlation);
    if (acc1 > acc0) {
        if (correlation >= lagEnergy) {
            filter.gain = tables::kPitchPostFilterWeight;
        } else {
            filter.gain = Mult(DivS(correlation, lagEnergy), tables::kPitchPostFilterWeight);
        }
        acc0 = LShr(LDepositH(energy), 1);
        acc0 = LMac(acc0, correlation, filter.gain);
        const Word16 gainSquared = Mult(filter.gain, filter.gain);
        acc0 = LAdd(acc0, LShr(LMult(lagEnergy, gainSquared), 1));
        const Word16 filtered = Round(acc0);
        acc1 = LShr(LDepositH(energy), 1);
        acc0 = LDepositH(filtered);
        const Word16 ratio = acc1 >= acc0 ? kMax16 : DivL(acc1, filtered);
        filter.scale = SquareRoot(LDepositH(ratio));
    } else {
        filter.gain = 0;
        filter.scale = kMax16;
    }
    filter.gain = Mult(filter.gain, filter.scale);
    return filter;
}

PitchPostFilter ComputePitchPostFilter(const Word16* buffer, int pitch, int subFrame) {
    const int backward = BackwardLag(buffer, pitch, subFrame);
    const int forward = ForwardLag(buffer, pitch, subFrame);
    if (backward == 0 && forward == 0) {
        return {};
    }
    const Word16* current = buffer + kPitchMax + subFrame * kSubLength;
    std::array<Word32, 5> energies{};
    for (int j = 0; j < kSubLength; ++j) {
        energies[0] = LMac(energies[0], current[j], current[j]);
    }
    if (backward != 0) {
        for (int j = 0; j < kSubLength; ++j) {
            energies[1] = LMac(energies[1], current[j], current[backward + j]);
            energies[2] = LMac(energies[2], current[backward + j], current[backward + j]);
        }
    }
    if (forward != 0) {
        for (int j = 0; j < kSubLength; ++j) {
            energies[3] = LMac(energies[3], current[j], current[forward + j]);
            energies[4] = LMac(energies[4], current[forward + j], current[forward + j]);
        }
    }
    Word32 peak = 0;
    for (Word32 e : energies) {
        peak = std::max(peak, e);
    }
    const int shift = NormL(peak);
    std::array<Word16, 5> scaled{};
    for (int i = 0; i < 5; ++i) {
        scaled[i] = ExtractH(LShl(energies[i], shift));
    }
    if (backward != 0 && forward == 0) {
        return PitchFilterGains(backward, scaled[0], scaled[1], scaled[2]);
    }
    if (backward == 0) {
        return PitchFilterGains(forward, scaled[0], scaled[3], scaled[4]);
    }
    const Word32 backwardScore = LMult(MultR(scaled[1], scaled[1]), scaled[4]);
    const Word32 forwardScore = LMult(MultR(scaled[3], scaled[3]), scaled[2]);
    if (backwardScore > forwardScore) {
        return PitchFilterGains(backward, scaled[0], scaled[1], scaled[2]);
    }
    return PitchFilterGains(forward, scaled[0], scaled[3], scaled[4]);
}

void ApplyPitchPostFilter(Word16* output, const Word16* buffer, const PitchPostFilter& filter, int subFrame) {
    const Word16* current = buffer + kPitchMax + subFrame * kSubLength;
    for (int i = 0; i < kSubLength; ++i) {
        Word32 acc = LMult(current[i], filter.scale);
        acc = LMac(acc, current[filter.lag + i], filter.gain);
        output[subFrame * kSubLength + i] = Round(acc);
    }
}

// Filter memories are kept newest first; inside a subframe they are unrolled
// into one history buffer (oldest first) so no sample shifts them.
void Synthesize(SpeechDecoderState::Frame& state, Word16* vector, const Word16* lpc) {
    std::array<Word16, kOrder + kSubLength> history;
    std::reverse_copy(state.synthesisMemory.begin(), state.synthesisMemory.end(), history.begin());
    for (int i = 0; i < kSubLength; ++i) {
        const Word16* past = &history[kOrder + i - 1];  // past[-j] is the output j + 1 samples back
        Word32 acc = LShr(LDepositH(vector[i]), 3);
        for (int j = 0; j < kOrder; ++j) {
            acc = LMac(acc, lpc[j], past[-j]);
        }
        history[kOrder + i] = Round(LShl(acc, 2));
        vector[i] = history[kOrder + i];
    }
    std::reverse_copy(history.end() - kOrder, history.end(), state.synthesisMemory.begin());
}

// Formant post filter with tilt compensation; returns the input's energy for
// the gain scaling.
Word32 FormantPostFilter(SpeechDecoderState::Frame& state, Word16* vector, const Word16* lpc) {
    std::array<Word16, kOrder> fir;
    std::array<Word16, kOrder> iir;
    for (int i = 0; i < kOrder; ++i) {
        fir[i] = MultR(lpc[i], tables::kPostFilterZero[i]);
        iir[i] = MultR(lpc[i], tables::kPostFilterPole[i]);
    }
    std::array<Word16, kSubLength> normalized;
    std::copy_n(vector, kSubLength, normalized.begin());
    const int shift = NormalizeVector(normalized.data(), kSubLength);

    Word32 r1 = 0;
    Word32 r0 = LMult(normalized[0], normalized[0]);
    for (int i = 1; i < kSubLength; ++i) {
        r1 = LMac(r1, normalized[i], normalized[i - 1]);
        r0 = LMac(r0, normalized[i], normalized[i]);
    }
    const Word32 energy = LShr(r0, 2 * shift + 4);

    Word16 parcor = ExtractH(r0);
    if (parcor != 0) {
        r1 = LShr(r1, 1);
        const bool negative = r1 < 0;
        parcor = DivL(LAbs(r1), parcor);
        if (negative) {
            parcor = Negate(parcor);
        }
    }
    Word32 acc = LDepositH(state.parcor);
    acc = LMsu(acc, state.parcor, 0x2000);
    acc = LMac(acc, parcor, 0x2000);
    state.parcor = Round(acc);
    const Word16 tilt = static_cast<Word16>(Mult(state.parcor, kTiltCoefficient) & static_cast<Word16>(0xfffc));

    std::array<Word16, kOrder + kSubLength> input;
    std::array<Word16, kOrder + kSubLength> pole;
    std::reverse_copy(state.postFirMemory.begin(), state.postFirMemory.end(), input.begin());
    std::reverse_copy(state.postIirMemory.begin(), state.postIirMemory.end(), pole.begin());
    std::copy_n(vector, kSubLength, input.begin() + kOrder);
    for (int i = 0; i < kSubLength; ++i) {
        const Word16* pastInput = &input[kOrder + i - 1];
        const Word16* pastPole = &pole[kOrder + i - 1];
        acc = LShr(LDepositH(input[kOrder + i]), 2);
        for (int j = 0; j < kOrder; ++j) {
            acc = LMsu(acc, fir[j], pastInput[-j]);
        }
        for (int j = 0; j < kOrder; ++j) {
            acc = LMac(acc, iir[j], pastPole[-j]);
        }
        acc = LShl(acc, 2);
        pole[kOrder + i] = Round(acc);
        acc = LMac(acc, pastPole[0], tilt);
        vector[i] = Round(acc);
    }
    std::reverse_copy(input.end() - kOrder, input.end(), state.postFirMemory.begin());
    std::reverse_copy(pole.end() - kOrder, pole.end(), state.postIirMemory.begin());
    return energy;
}

// Matches the post-filtered subframe's energy to the unfiltered one with a
// slowly moving gain.
void ScaleGain(SpeechDecoderState::Frame& state, Word16* vector, Word32 inputEnergy) {
    Word32 acc0 = inputEnergy;
    Word32 acc1 = SubFrameEnergy(vector);
    Word16 target = 0x1000;
    if (acc1 != 0 && acc0 != 0) {
        int exponent = NormL(acc1);
        acc1 = LShl(acc1, exponent);
        const int shift = NormL(acc0);
        acc0 = LShr(LShl(acc0, shift), 1);
        exponent = 6 - (exponent - shift + 1);
        exponent = std::max(exponent, 0);
        target = DivL(acc0, ExtractH(acc1));
        acc0 = LShr(LDepositH(target), exponent);
        target = SquareRoot(acc0);
    }
    for (int i = 0; i < kSubLength; ++i) {
        Word32 acc = LDepositH(state.gain);
        acc = LMsu(acc, state.gain, 0x0800);
        acc = LMac(acc, target, 0x0800);
        state.gain = Round(acc);
        const Word16 factor = Add(state.gain, Shr(state.gain, 4));
        vector[i] = Round(LShl(LMult(vector[i], factor), 4));
    }
}

Word16 DecodeSidGain(Word16 index) {
    int segment = Shr(index, 4);
    if (segment == 3) {
        segment = 2;
    }
    const Word16 step = Sub(index, Shl(static_cast<Word16>(segment), 4));
    Word16 gain = Shl(step, segment + 1);
    gain = Add(gain, tables::kSidSegmentBase[segment]);
    return Shl(gain, 5);
}

// Quantises the excitation energy kept from the last active frame, for a
// silence period whose first description was lost.
Word16 QuantizeSavedEnergy(Word16 energy, Word16 scale) {
    Word16 shift = Sub(16, Shl(scale, 1));
    const Word32 x = LMls(LShl(LDepositL(energy), shift), tables::kSidEnergyFactor);
    if (x >= tables::kSidSegmentBound[2]) {
        return 63;
    }
    int segment = 0;
    int steps = 3;
    if (x >= tables::kSidSegmentBound[1]) {
        segment = 2;
        steps = 4;
    } else if (x >= tables::kSidSegmentBound[0]) {
        segment = 1;
    }
    const int width = segment + 1;
    const Word16 base = tables::kSidSegmentBase[segment];
    Word16 j = Shl(1, steps);
    Word16 k = Shr(j, 1);
    for (int i = 0; i < steps; ++i) {
        const Word16 level = Add(base, Shl(j, width));
        if (x >= LMult(level, level)) {
            j = Add(j, k);
        } else {
            j = Sub(j, k);
        }
        k = Shr(k, 1);
    }
    Word16 level = Add(base, Shl(j, width));
    const Word32 above = LSub(LMult(level, level), x);
    const Word16 segmentCode = Shl(static_cast<Word16>(segment), 4);
    if (above <= 0) {
        const Word16 j2 = Add(j, 1);
        level = Add(base, Shl(j2, width));
        const Word32 below = LSub(x, LMult(level, level));
        return above > below ? Add(segmentCode, j) : Add(segmentCode, j2);
    }
    const Word16 j2 = Sub(j, 1);
    level = Add(base, Shl(j2, width));
    const Word32 below = LSub(x, LMult(level, level));
    return above < below ? Add(segmentCode, j) : Add(segmentCode, j2);
}

// Random excitation of a silent frame: random pitch lags and gains, random
// pulses whose gain makes the frame's energy match `gain`.
void RandomExcitation(Word16 gain, Word16* previous, Word16* excitation, Word16& seed) {
    std::array<Word16, 2> pitch;
    pitch[0] = static_cast<Word16>(RandomNumber(21, seed) + 123);
    pitch[1] = static_cast<Word16>(RandomNumber(19, seed) + 123);
    std::array<Word16, kSubFrames> gainIndex;
    for (auto& g : gainIndex) {
        g = static_cast<Word16>(RandomNumber(kNoiseFilters, seed) + 1);
    }
    constexpr std::array<int, kSubFrames> kLagOffset = {1, 0, 1, 3};

    std::array<Word16, 2 * kNoisePulsesPerBlock> signs;
    std::array<Word16, kSubFrames> offset;
    for (int block = 0, s = 0; block < kSubFrames / 2; ++block) {
        Word16 bits = RandomNumber(1 << (kNoisePulsesPerBlock + 2), seed);
        offset[2 * block] = static_cast<Word16>(bits & 1);
        bits = Shr(bits, 1);
        offset[2 * block + 1] = static_cast<Word16>(kSubLength + (bits & 1));
        for (int i = 0; i < kNoisePulsesPerBlock; ++i) {
            signs[s++] = Shl(Sub(static_cast<Word16>(bits & 2), 1), 14);
            bits = Shr(bits, 1);
        }
    }

    std::array<Word16, 2 * kNoisePulsesPerBlock> positions;
    for (int sub = 0, p = 0; sub < kSubFrames; ++sub) {
        std::array<Word16, kSubLength / tables::kPulseGrid> free;
        for (int i = 0; i < static_cast<int>(free.size()); ++i) {
            free[i] = static_cast<Word16>(i);
        }
        Word16 remaining = static_cast<Word16>(free.size());
        for (int i = 0; i < tables::kPulseCount[sub]; ++i) {
            const int j = RandomNumber(remaining, seed);
            positions[p++] = Add(Shl(free[j], 1), offset[sub]);
            remaining = Sub(remaining, 1);
            free[j] = free[remaining];
        }
    }

    const Word16* position = positions.data();
    const Word16* sign = signs.data();
    Word16* current = excitation;
    for (int block = 0; block < kSubFrames / 2; ++block) {
        const int sub = 2 * block;
        DecodeAdaptiveCodebook(current, previous, pitch[block], kLagOffset[sub], gainIndex[sub]);
        DecodeAdaptiveCodebook(current + kSubLength, previous + kSubLength, pitch[block], kLagOffset[sub + 1],
                               gainIndex[sub + 1]);

        Word16 peak = 0;
        for (int i = 0; i < 2 * kSubLength; ++i) {
            peak = std::max(peak, Abs(current[i]));
        }
        int shift = 0;
        if (peak != 0) {
            shift = std::max(4 - NormS(peak), -2);
        }
        std::array<Word16, 2 * kSubLength> scaled;
        Word32 energy = 0;
        for (int i = 0; i < 2 * kSubLength; ++i) {
            scaled[i] = Shr(current[i], shift);
            energy = LMac(energy, scaled[i], scaled[i]);
        }
        Word32 acc = 0;
        for (int i = 0; i < kNoisePulsesPerBlock; ++i) {
            acc = LMac(acc, scaled[position[i]], sign[i]);
        }
        const Word16 cross = ExtractH(LShl(acc, 1));

        // Gain x solving x^2 + 2 b x + c = 0 with the smaller magnitude.
        acc = LShr(LMult(gain, kSubLength), 6);
        const Word16 scaledGain = static_cast<Word16>(acc);
        acc = LMult(scaledGain, gain);
        acc = LShr(acc, Add(Shl(static_cast<Word16>(shift), 1), 4));
        const Word32 c = LMls(LSub(energy, acc), kInverseNoisePulses);
        const Word16 b = MultR(cross, kInverseNoisePulses);
        const Word32 delta = LNegate(LMsu(c, b, b));
        Word16 x;
        if (delta <= 0) {
            x = Negate(b);
        } else {
            const Word16 root = SquareRoot(delta);
            x = Sub(root, b);
            const Word16 other = Add(b, root);
            if (Abs(other) < Abs(x)) {
                x = Negate(other);
            }
        }
        Word16 amplitude = Shl(x, shift + 1);
        amplitude = std::clamp<Word16>(amplitude, -2 * kNoiseMaxGain, 2 * kNoiseMaxGain);
        for (int i = 0; i < kNoisePulsesPerBlock; ++i) {
            const int at = position[i];
            current[at] = Add(current[at], Mult(amplitude, sign[i]));
        }

        std::copy(previous + 2 * kSubLength, previous + kPitchMax, previous);
        std::copy_n(current, 2 * kSubLength, previous + kPitchMax - 2 * kSubLength);

        position += kNoisePulsesPerBlock;
        sign += kNoisePulsesPerBlock;
        current += 2 * kSubLength;
    }
}

void DecodeComfortNoise(SpeechDecoderState& state, FrameType type, const FrameParams& params, Word16* excitation,
                        std::array<Word16, kSubFrames * kOrder>& lpc) {
    auto& noise = state.noise;
    auto& frame = state.frame;
    if (type == kSilenceDescription) {
        noise.sidGain = DecodeSidGain(params.sub[0].amplitude);
        std::array<Word16, kOrder> lsp;
        InverseQuantizeLsp(lsp, frame.previousLsp, params.lspIndex, false);
        noise.sidLsp = lsp;
    } else if (noise.pastFrameType == kActive) {
        // The silence description was lost: estimate it from the energy the
        // last active frame left in sidGain and currentGain.
        noise.sidGain = DecodeSidGain(QuantizeSavedEnergy(noise.sidGain, noise.currentGain));
    }
    if (noise.pastFrameType == kActive) {
        noise.currentGain = noise.sidGain;
    } else {
        noise.currentGain = ExtractH(LAdd(LMult(noise.currentGain, 0x7000), LMult(noise.sidGain, 0x1000)));
    }
    RandomExcitation(noise.currentGain, frame.previousExcitation.data(), excitation, noise.randomSeed);
    InterpolateLsp(lpc, noise.sidLsp, frame.previousLsp);
    frame.previousLsp = noise.sidLsp;
}

void DecodeActive(SpeechDecoderState& state, const FrameParams& params, Word16* output,
                  std::array<Word16, kSubFrames * kOrder>& lpc) {
    auto& frame = state.frame;
    auto& noise = state.noise;
    if (params.erased) {
        frame.erasureCount = std::min<Word16>(Add(frame.erasureCount, 1), kMaxErasures);
    } else {
        frame.erasureCount = 0;
    }

    std::array<Word16, kOrder> lsp;
    InverseQuantizeLsp(lsp, frame.previousLsp, params.lspIndex, params.erased);
    InterpolateLsp(lpc, lsp, frame.previousLsp);
    frame.previousLsp = lsp;

    if (frame.erasureCount == 0) {
        const Word16 level = Shr(Add(params.sub[2].amplitude, params.sub[3].amplitude), 1);
        frame.interpolationGain = tables::kFixedGain[level];
    } else {
        frame.interpolationGain = MultR(frame.interpolationGain, 0x6000);
    }

    // Past excitation followed by this frame's.
    std::array<Word16, kPitchMax + kFrameLength> buffer;
    std::copy(frame.previousExcitation.begin(), frame.previousExcitation.end(), buffer.begin());

    if (frame.erasureCount == 0) {
        Word16* current = buffer.data() + kPitchMax;
        std::array<Word16, kSubLength> adaptive;
        for (int i = 0; i < kSubFrames; ++i) {
            const SubFrameParams& sub = params.sub[i];
            const int pitch = params.pitch[i >> 1];
            UnpackFixedCodebook(current, sub, pitch, i);
            DecodeAdaptiveCodebook(adaptive.data(), buffer.data() + kSubLength * i, pitch, sub.lagOffset,
                                   sub.gainIndex);
            for (int j = 0; j < kSubLength; ++j) {
                current[j] = Add(Shl(current[j], 1), adaptive[j]);
            }
            current += kSubLength;
        }
        std::copy_n(buffer.begin() + kPitchMax, kFrameLength, output);

        // The energy estimate doubles as the comfort-noise level should the
        // next silence description be lost.
        frame.interpolationIndex =
            ClassifyFrame(buffer.data(), params.pitch[1], noise.sidGain, noise.currentGain);

        std::array<PitchPostFilter, kSubFrames> filters;
        for (int i = 0; i < kSubFrames; ++i) {
            filters[i] = ComputePitchPostFilter(buffer.data(), params.pitch[i >> 1], i);
        }
        std::copy(frame.previousExcitation.begin(), frame.previousExcitation.end(), buffer.begin());
        std::copy_n(output, kFrameLength, buffer.begin() + kPitchMax);
        for (int i = 0; i < kSubFrames; ++i) {
            ApplyPitchPostFilter(output, buffer.data(), filters[i], i);
        }
        noise.sidLsp = frame.previousLsp;
    } else {
        Regenerate(output, buffer.data(), frame.interpolationIndex, frame.interpolationGain, frame.erasureCount,
                   frame.randomSeed);
    }
    std::copy_n(buffer.begin() + kFrameLength, kPitchMax, frame.previousExcitation.begin());
    noise.randomSeed = kNoiseSeed;
}

}  // namespace

SpeechDecoderState SpeechDecoderState::Reset() {
    SpeechDecoderState state{};
    state.frame.previousLsp = tables::kLspDc;
    state.frame.gain = 0x1000;
    state.noise.pastFrameType = kActive;
    state.noise.sidGain = 0;
    state.noise.sidLsp = tables::kLspDc;
    state.noise.randomSeed = kNoiseSeed;
    return state;
}

void DecodeSpeechFrame(SpeechDecoderState& state, std::span<int16_t, kSpeechFrameSamples> output,
                       std::span<const uint8_t> frame, bool erasure) {
    std::array<uint8_t, 24> bytes{};
    std::copy_n(frame.begin(), std::min(frame.size(), bytes.size()), bytes.begin());

    if (!erasure && (bytes[0] & 3) == 1) {
        std::fill(output.begin(), output.end(), int16_t{0});
        return;
    }

    FrameType type = kActive;
    FrameParams params;
    if (erasure) {
        params.erased = true;
    } else {
        params = Unpack(bytes, type);
    }
    if (params.erased) {
        type = state.noise.pastFrameType == kActive ? kActive : kUntransmitted;
    }

    std::array<Word16, kSubFrames * kOrder> lpc;
    Word16* samples = output.data();
    if (type != kActive) {
        DecodeComfortNoise(state, type, params, samples, lpc);
    } else {
        DecodeActive(state, params, samples, lpc);
    }
    state.noise.pastFrameType = type;

    for (int i = 0; i < kSubFrames; ++i) {
        Word16* sub = samples + i * kSubLength;
        const Word16* coefficients = &lpc[i * kOrder];
        Synthesize(state.frame, sub, coefficients);
        const Word32 energy = FormantPostFilter(state.frame, sub, coefficients);
        ScaleGain(state.frame, sub, energy);
    }
}

}  // namespace sound
