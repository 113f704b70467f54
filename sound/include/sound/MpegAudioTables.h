#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sound {

// The decoding tables of the music decoder (MPEG-2 LSF Layer II, one channel, 22050 Hz),
// built once when the mixer opens and shared read-only by every channel that plays music.
class MpegAudioTables {
  public:
    static constexpr int kSubbands = 32;
    static constexpr int kCodedSubbands = 30;  // sblimit of the LSF allocation table
    static constexpr int kClassCount = 17;     // quantiser classes, 3 .. 65535 levels
    static constexpr int kScaleFactorCount = 64;
    static constexpr int kWindowLength = 512;

    // One quantiser class. A sample code c stands for (c - centre) * step of the scale factor,
    // step being 2 / levels; the 3-, 5- and 9-level classes pack three codes in one word.
    struct QuantClass {
        std::uint32_t levels;
        std::uint8_t bits;  // per sample, or per group of three when grouped
        bool grouped;
        float centre;  // (levels - 1) / 2
        float step;    // 2 / levels
    };

    // Allocation of one coded subband: the width of its allocation code and, for each code
    // value, the quantiser class it selects (-1: the subband carries nothing).
    struct SubbandAllocation {
        std::uint8_t bits;
        std::array<std::int8_t, 16> classOf;
    };

    MpegAudioTables();

    // 65536 * 2^(-i/3): the standard's scale factors times 32768, so that the synthesis
    // produces 16-bit sample values directly. Index 63 is not in the standard; it is kept
    // on the same curve so a corrupt frame cannot index past the table.
    const std::array<float, kScaleFactorCount>& ScaleFactors() const { return scaleFactors_; }
    const std::array<QuantClass, kClassCount>& Classes() const { return classes_; }
    const std::array<SubbandAllocation, kCodedSubbands>& Allocation() const { return allocation_; }

    // Dequantised values (c - centre) * step of every possible group word, three per word,
    // first sample first. Sized for every word the code width allows (32, 128, 1024).
    const float* Group3() const { return group3_.data(); }
    const float* Group5() const { return group5_.data(); }
    const float* Group9() const { return group9_.data(); }

    // Factors 1 / (2 cos((2k + 1) pi / 2N)) of the 32-point cosine transform's stages,
    // N = 32, 16, 8, 4, 2 stored one after another (16 + 8 + 4 + 2 + 1 values).
    const std::array<float, 31>& CosineFactors() const { return cosineFactors_; }

    // The synthesis window D[i] of the standard, i = 0 .. 511.
    const std::array<float, kWindowLength>& Window() const { return window_; }

    // The window exactly as the standard prints it: every coefficient is a whole number of
    // 1/65536 steps. Exposed so tests can check the transcription.
    static const std::array<std::int32_t, kWindowLength>& WindowSteps();

  private:
    std::array<float, kScaleFactorCount> scaleFactors_{};
    std::array<QuantClass, kClassCount> classes_{};
    std::array<SubbandAllocation, kCodedSubbands> allocation_{};
    std::array<float, 32 * 3> group3_{};
    std::array<float, 128 * 3> group5_{};
    std::array<float, 1024 * 3> group9_{};
    std::array<float, 31> cosineFactors_{};
    std::array<float, kWindowLength> window_{};
};

}  // namespace sound
