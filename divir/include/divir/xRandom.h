#pragma once

// Generator B: the program's general random generator. Its state starts from the
// table below (free of any protocol: the high 32 bits of SplitMix64 seeded with
// 0x52414E44, "RAND") and is never reset; seeding only mixes into it.

#include <array>
#include <cstdint>

inline constexpr std::array<std::uint32_t, 55> kGeneralRandomTable = {
    0xB9150D54u, 0x87C22082u, 0x2534DF9Bu, 0x985CAA03u, 0xA3CA49EEu, 0x429BCB9Bu, 0x55864FCFu, 0x6679E1FAu,
    0xFF56B8C5u, 0xF303ECB7u, 0x45D9DA90u, 0xCC63F334u, 0xC56033B7u, 0xF652BC24u, 0x276847E0u, 0x2FF9168Au,
    0x7666AC90u, 0x551F57E0u, 0xA7B78158u, 0x1DDFD88Eu, 0xD191A3F2u, 0x5215A6AAu, 0xCEF5D94Bu, 0x351D8F38u,
    0x57B97AA1u, 0x7B6BFEA7u, 0x9595A944u, 0x2EBBDC29u, 0x92790327u, 0xD9896713u, 0x3BF7226Au, 0xD0833218u,
    0x6B37B958u, 0x9C7ABFE6u, 0xD15AB428u, 0x89B639AEu, 0xB8EA9522u, 0x19B9B0F9u, 0x17E0DBCEu, 0x842C8FD1u,
    0xC1FEA6B0u, 0x982F17E2u, 0xE4DF5F6Eu, 0x4FDABE09u, 0xEDD61E80u, 0x38F0257Au, 0x19A63C8Cu, 0xB81F09FDu,
    0x8811063Bu, 0x3F2EF489u, 0x426D0264u, 0x530D7CCCu, 0x62B02D5Eu, 0x632AAA0Du, 0x0EDB51EFu,
};

class xRandomGenerator {
  public:
    void Seed(std::uint32_t seed);
    // 0 .. n - 1; n = 0 counts as 1.
    std::uint32_t Next(std::uint32_t n);

  private:
    std::array<std::uint32_t, 55> state_ = kGeneralRandomTable;
    std::uint32_t j_ = 0;
    std::uint32_t k_ = 24;
};

// The program's one generator B.
void xRandomSeed(std::uint32_t seed);
std::uint32_t xRandom(std::uint32_t n);
