#include <gtest/gtest.h>

#include <set>

#include "divir/LogonRandom.h"
#include "divir/xRandom.h"

namespace {

// Known answers computed with an independent model of the generators.
TEST(LogonRandomTest, ChallengesGiveKnownAnswers) {
    struct Case {
        std::uint32_t challenge;
        std::uint16_t first[5];
    };
    const Case cases[] = {
        {0x00000000u, {34970, 49317, 41551, 45383, 37532}},
        {0x00000001u, {13409, 65507, 41920, 42395, 57156}},
        {0x12345678u, {57020, 38523, 17959, 5543, 50432}},
        {0xFFFFFFFFu, {34970, 49317, 41551, 45383, 37532}},  // mixes to the same as 0
        {0xDEADBEEFu, {50330, 14363, 64701, 46731, 23008}},
        {1999u, {46260, 2133, 43544, 34565, 49081}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.challenge);
        EXPECT_EQ(LogonChallengeResponse(c.challenge), c.first[0]);
        EXPECT_EQ(LogonRandom::Answer(c.challenge), c.first[0]);
        RandomSeed(c.challenge);
        for (std::uint16_t expected : c.first) EXPECT_EQ(RandomNext16(), expected);
    }
    static_assert(LogonRandom::Answer(1999u) == 46260, "usable at compile time by test peers");
}

TEST(LogonRandomTest, NeverYields65535) {
    LogonRandom generator;
    generator.Seed(42);
    for (int i = 0; i < 200000; ++i) ASSERT_LT(generator.Next16(), 65535);
}

TEST(xRandomTest, KnownAnswersAndRanges) {
    xRandomGenerator unseeded;
    EXPECT_EQ(unseeded.Next(10), 4u);
    EXPECT_EQ(unseeded.Next(10), 3u);
    EXPECT_EQ(unseeded.Next(10), 2u);
    EXPECT_EQ(unseeded.Next(1000), 385u);

    xRandomGenerator seeded;
    seeded.Seed(0x12345678u);
    const std::uint32_t bounds[] = {1, 0, 2, 10, 1000, 65536, 0xFFFFFFFFu, 0x80000000u, 7, 100};
    const std::uint32_t expected[] = {0, 0, 1, 8, 950, 22572, 3067126574u, 269806877u, 3, 43};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(seeded.Next(bounds[i]), expected[i]) << "bound " << bounds[i];

    std::set<std::uint32_t> seen;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(xRandom(1), 0u);
        EXPECT_EQ(xRandom(0), 0u);
        const std::uint32_t v = xRandom(6);
        ASSERT_LT(v, 6u);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 6u);
}

TEST(xRandomTest, SeedingMixesIntoTheStateInsteadOfResettingIt) {
    xRandomGenerator a;
    xRandomGenerator b;
    a.Seed(5);
    b.Seed(5);
    EXPECT_EQ(a.Next(1u << 30), b.Next(1u << 30));
    a.Seed(5);
    xRandomGenerator fresh;
    fresh.Seed(5);
    EXPECT_NE(a.Next(1u << 30), fresh.Next(1u << 30)) << "the earlier draws stay in the state";
}

}  // namespace
