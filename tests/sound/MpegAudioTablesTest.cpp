#include "sound/MpegAudioTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace sound {
namespace {

std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

TEST(MpegAudioTablesTest, WindowIsTheStandardsTable) {
    const auto& steps = MpegAudioTables::WindowSteps();
    // Checksum of the 512 coefficients as little-endian 32-bit words, taken from the
    // transcription after it was checked against a second, independent copy of the table.
    std::vector<std::uint8_t> bytes;
    long sum = 0;
    for (std::int32_t step : steps) {
        sum += step;
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(step) >> shift));
        }
    }
    EXPECT_EQ(sum, 92686);
    EXPECT_EQ(Crc32(bytes), 2330886771u);

    EXPECT_EQ(steps[0], 0);
    EXPECT_EQ(steps[256], 75038);  // 1.144989014, the peak
    for (int i = 1; i < 256; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(std::abs(steps[512 - i]), std::abs(steps[i]));
    }
    MpegAudioTables tables;
    for (int i = 0; i < 512; ++i) {
        EXPECT_EQ(tables.Window()[i], static_cast<float>(steps[i] / 65536.0));
    }
}

TEST(MpegAudioTablesTest, ScaleFactorsFallByAThirdOctave) {
    MpegAudioTables tables;
    const auto& sf = tables.ScaleFactors();
    EXPECT_EQ(sf[0], 65536.0f);
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(sf[i], 65536.0 * std::pow(2.0, -i / 3.0), 65536.0 * std::pow(2.0, -i / 3.0) * 1e-7);
        if (i % 3 == 0) {
            EXPECT_EQ(sf[i], std::ldexp(65536.0f, -i / 3));
        }
    }
    EXPECT_NEAR(sf[1] / 2.0f, 1.587401051968f * 16384.0f, 0.01f);  // the standard's 1.587401051968
}

TEST(MpegAudioTablesTest, AllocationFollowsTheLowSamplingFrequencyTable) {
    struct Range {
        int first;
        int last;
        int bits;
        std::vector<std::uint32_t> levels;  // by allocation code 1, 2, ...
    };
    const std::vector<Range> ranges = {
        {0, 3, 4, {3, 5, 7, 9, 15, 31, 63, 127, 255, 511, 1023, 2047, 4095, 8191, 16383}},
        {4, 10, 3, {3, 5, 9, 15, 31, 63, 127}},
        {11, 29, 2, {3, 5, 9}},
    };
    MpegAudioTables tables;
    int totalBits = 0;
    for (const Range& range : ranges) {
        for (int sb = range.first; sb <= range.last; ++sb) {
            SCOPED_TRACE(sb);
            const auto& allocation = tables.Allocation()[sb];
            EXPECT_EQ(allocation.bits, range.bits);
            totalBits += allocation.bits;
            EXPECT_EQ(allocation.classOf[0], -1);
            for (std::size_t code = 1; code < 16; ++code) {
                if (code <= range.levels.size()) {
                    ASSERT_GE(allocation.classOf[code], 0);
                    EXPECT_EQ(tables.Classes()[allocation.classOf[code]].levels, range.levels[code - 1]);
                } else if (code < (1u << range.bits)) {
                    ADD_FAILURE() << "code " << code << " unused";
                }
            }
        }
    }
    EXPECT_EQ(totalBits, 16 + 21 + 38);
}

TEST(MpegAudioTablesTest, QuantiserClassesAndGroups) {
    MpegAudioTables tables;
    for (const auto& quant : tables.Classes()) {
        SCOPED_TRACE(quant.levels);
        EXPECT_EQ(quant.step, static_cast<float>(2.0 / quant.levels));
        EXPECT_EQ(quant.centre, (quant.levels - 1) / 2.0f);
        if (quant.grouped) {
            EXPECT_LE(quant.levels * quant.levels * quant.levels, 1u << quant.bits);
        } else {
            EXPECT_EQ((1u << quant.bits) - 1, quant.levels);
        }
    }
    struct Group {
        const float* values;
        int levels;
    };
    for (const Group& group :
         {Group{tables.Group3(), 3}, Group{tables.Group5(), 5}, Group{tables.Group9(), 9}}) {
        const int n = group.levels;
        for (int d2 = 0; d2 < n; ++d2) {
            for (int d1 = 0; d1 < n; ++d1) {
                for (int d0 = 0; d0 < n; ++d0) {
                    const int word = d0 + n * d1 + n * n * d2;
                    const float centre = (n - 1) / 2.0f;
                    EXPECT_FLOAT_EQ(group.values[3 * word], (d0 - centre) * 2.0f / n);
                    EXPECT_FLOAT_EQ(group.values[3 * word + 1], (d1 - centre) * 2.0f / n);
                    EXPECT_FLOAT_EQ(group.values[3 * word + 2], (d2 - centre) * 2.0f / n);
                }
            }
        }
    }
}

TEST(MpegAudioTablesTest, CosineFactorsOfEveryStage) {
    MpegAudioTables tables;
    std::size_t at = 0;
    for (int n = 32; n >= 2; n /= 2) {
        for (int k = 0; k < n / 2; ++k) {
            SCOPED_TRACE(at);
            EXPECT_FLOAT_EQ(tables.CosineFactors()[at++],
                            static_cast<float>(0.5 / std::cos((2 * k + 1) * std::numbers::pi / (2 * n))));
        }
    }
    EXPECT_EQ(at, tables.CosineFactors().size());
}

}  // namespace
}  // namespace sound
