#include "sound/SpeechTables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

namespace tables = sound::speech_tables;

TEST(SpeechTablesTest, CosineTableIsDerivedAndMatchesThePublishedValues) {
    for (int i = 0; i < tables::kCosineTableSize; ++i) {
        const double exact = 16384.0 * std::cos(2 * std::numbers::pi * i / tables::kCosineTableSize);
        EXPECT_EQ(tables::kCosine[i], static_cast<int>(std::lround(exact))) << i;
    }
    struct Case {
        int index;
        int16_t value;
    };
    for (const Case c : {Case{0, 16384}, Case{1, 16383}, Case{4, 16364}, Case{75, 9921}, Case{124, 804},
                         Case{127, 201}, Case{128, 0}, Case{129, -201}, Case{256, -16384}, Case{511, 16383}}) {
        EXPECT_EQ(tables::kCosine[c.index], c.value) << c.index;
    }
}

TEST(SpeechTablesTest, PulseCodeTablesMatchThePublishedValues) {
    EXPECT_EQ(tables::kMaxPosition[0], 0x00090f6f);
    EXPECT_EQ(tables::kMaxPosition[1], 0x00022caa);
    struct Case {
        int row, column;
        int32_t value;
    };
    for (const Case c : {Case{0, 0, 118755}, Case{0, 7, 26334}, Case{0, 24, 1}, Case{0, 25, 0}, Case{1, 0, 23751},
                         Case{2, 26, 1}, Case{3, 0, 406}, Case{3, 27, 1}, Case{4, 0, 29}, Case{4, 29, 0},
                         Case{5, 29, 1}}) {
        EXPECT_EQ(tables::kCombinatorial[c.row][c.column], c.value) << c.row << "," << c.column;
    }
}

// Guards the transcribed codebooks against accidental edits: position-weighted
// sums of the published tables.
int64_t WeightedSum(const auto& table) {
    int64_t sum = 0;
    int64_t i = 0;
    for (const auto& row : table) {
        for (const int16_t v : row) {
            sum += ++i * v;
        }
    }
    return sum & 0xffffffff;
}

TEST(SpeechTablesTest, CodebooksKeepTheirChecksums) {
    EXPECT_EQ(WeightedSum(tables::kLspBand0), 249437813);
    EXPECT_EQ(WeightedSum(tables::kLspBand1), 130305626);
    EXPECT_EQ(WeightedSum(tables::kLspBand2), 64492895);
    EXPECT_EQ(WeightedSum(tables::kAdaptiveGain85), 284633036);
    EXPECT_EQ(WeightedSum(tables::kAdaptiveGain170), 1084324967);
}

TEST(SpeechTablesTest, FirstCodebookEntriesAreZero) {
    for (const int16_t v : tables::kLspBand0[0]) EXPECT_EQ(v, 0);
    for (const int16_t v : tables::kLspBand1[0]) EXPECT_EQ(v, 0);
    for (const int16_t v : tables::kLspBand2[0]) EXPECT_EQ(v, 0);
    for (const int16_t v : tables::kAdaptiveGain85[0]) EXPECT_EQ(v, 0);
    for (const int16_t v : tables::kAdaptiveGain170[0]) EXPECT_EQ(v, 0);
}

}  // namespace
