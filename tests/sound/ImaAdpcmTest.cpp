#include "sound/ImaAdpcm.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "SoundTestSupport.h"

namespace {

using sound::DecodeImaBlock;
using sound::ImaAdpcmTable;

struct ImaCase {
    const char* what;
    std::uint8_t word[2];
    std::uint8_t codes[2];
    std::int16_t first[4];
};

// Worked by hand from the step and index tables.
const ImaCase kCases[] = {
    // step 7: 7 -> 0 + 7 + 3 + 1 = 11 (index 8, step 16); 0 -> 2 (index 7, step 14);
    // F -> -(1 + 14 + 7 + 3) (index 15, step 31); 8 -> -3 (index 14).
    {"codes from rest", {0x00, 0x00}, {0x07, 0x8F}, {11, 13, -12, -15}},
    // The index bits stay in the first predictor: 5 + 1, then + 1 at step 11.
    {"unmasked predictor", {0x00, 0x05}, {0x00, 0x00}, {6, 7, 8, 9}},
    // Index 127 is held at 88 (step 32767): 32767 + 4095 saturates; then step 29794: -3724;
    // step 27086: +3385; step 24623: +3077 saturates.
    {"index past the table", {0x7F, 0xFF}, {0x80, 0x00}, {32767, 29043, 32428, 32767}},
    // -32768 - 11 saturates at -32767, not -32768; then +2, +1, +1.
    {"negative saturation", {0x80, 0x00}, {0x0F, 0x00}, {-32767, -32765, -32764, -32763}},
};

TEST(ImaAdpcmTest, DecodesHandWorkedBlocks) {
    const ImaAdpcmTable table;
    for (const ImaCase& c : kCases) {
        SCOPED_TRACE(c.what);
        std::array<std::uint8_t, sound::kImaBlockBytes> block{};
        block[0] = c.word[0];
        block[1] = c.word[1];
        block[2] = c.codes[0];
        block[3] = c.codes[1];
        std::array<std::int16_t, sound::kImaBlockSamples> samples{};
        DecodeImaBlock(table, block, samples);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(samples[static_cast<std::size_t>(i)], c.first[i]) << "sample " << i;
        }
    }
}

TEST(ImaAdpcmTest, TableHoldsTheStandardDifferences) {
    const ImaAdpcmTable table;
    EXPECT_EQ(ImaAdpcmTable::StepSize(0), 7);
    EXPECT_EQ(ImaAdpcmTable::StepSize(88), 32767);
    EXPECT_EQ(table.At(0, 7).difference, 11);
    EXPECT_EQ(table.At(0, 15).difference, -11);
    EXPECT_EQ(table.At(0, 0).nextIndex, 0) << "held at 0";
    EXPECT_EQ(table.At(88, 7).nextIndex, 88) << "held at 88";
    EXPECT_EQ(table.At(88, 4).difference, 4095 + 32767);
    EXPECT_EQ(sizeof(ImaAdpcmTable), 11392u);
}

}  // namespace

namespace {

TEST(ImaAdpcmTest, DecodesAnEncodersBlocksAsTheReferenceModelDoes) {
    const std::vector<std::uint8_t> stored = sound::test::ReadFixture("ima-qt.xima");
    const std::vector<std::int16_t> reference = sound::test::ReadSamples("ima-qt.ref.s16");
    ASSERT_GT(stored.size(), 8u);
    const std::size_t blocks = (stored.size() - 8) / sound::kImaBlockBytes;
    ASSERT_EQ(reference.size(), blocks * sound::kImaBlockSamples);
    const ImaAdpcmTable table;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::array<std::int16_t, sound::kImaBlockSamples> samples{};
        DecodeImaBlock(table, std::span(stored).subspan(8 + b * sound::kImaBlockBytes).first<sound::kImaBlockBytes>(),
                       samples);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            ASSERT_EQ(samples[i], reference[b * sound::kImaBlockSamples + i]) << "block " << b << " sample " << i;
        }
    }
}

}  // namespace
