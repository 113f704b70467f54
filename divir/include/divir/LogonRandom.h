#pragma once

// Generator A: the random generator that answers the room bot's logon challenge.
// Header-only, so that test peers (the scripted room bot) compute the same
// answers without linking the client.
//
// Its starting table is ours and is part of the protocol with the room bot: both
// ends must hold these exact words. They are the high 32 bits of the first 55
// outputs of SplitMix64 seeded with 0x56495A55 ("VIZU"); this is the one place
// they are written down.

#include <array>
#include <cstdint>

inline constexpr std::array<std::uint32_t, 55> kLogonRandomTable = {
    0x38291B69u, 0x63F92717u, 0x734E49E1u, 0x965BA3AEu, 0xF76D3318u, 0x4D00152Eu, 0xAE631CCAu, 0xFBE289D8u,
    0xE2C7D138u, 0xD91A57C7u, 0xB9A298E4u, 0x297722FEu, 0xB72B5DC0u, 0x94E168C2u, 0xF42A8681u, 0x08DAD793u,
    0x759009A2u, 0xA6821413u, 0x76C62B24u, 0xBC165E71u, 0x247A526Au, 0x9FA60964u, 0x05F00232u, 0xD78FFD0Au,
    0x6DFDB69Du, 0xA3D0470Bu, 0x47FDFAA5u, 0x5276934Du, 0xA2F3F5EAu, 0xE90AD79Au, 0x4ED9A596u, 0xFC38817Eu,
    0x22561001u, 0x39FE020Bu, 0x6778AB4Au, 0xB0E1C8B9u, 0x2C80DD4Du, 0xAEE6C04Eu, 0x3B0E95C8u, 0xFCB74D09u,
    0xA3F685ACu, 0xBEDE4C52u, 0xE22E7CE6u, 0xD972D194u, 0xDB5D89C5u, 0x88054B53u, 0xF2A60553u, 0x7570CCD7u,
    0xAFB937E0u, 0x1AC76D3Eu, 0xD685A1BBu, 0x8CCD9042u, 0x02A9C4A2u, 0xBAB5EEBCu, 0xB10A0441u,
};

class LogonRandom {
  public:
    // Every seeding starts again from the table.
    constexpr void Seed(std::uint32_t seed) {
        const std::uint32_t mix = seed ^ ((seed << 16) | (seed >> 16));
        for (std::size_t i = 0; i < state_.size(); ++i) state_[i] = kLogonRandomTable[i] ^ mix;
        j_ = mix % 55;
        k_ = (mix % 55 + 24) % 55;
    }

    // 0 .. 65534.
    constexpr std::uint16_t Next16() {
        for (;;) {
            j_ = j_ == 0 ? 54 : j_ - 1;
            k_ = k_ == 0 ? 54 : k_ - 1;
            state_[j_] += state_[k_];
            const std::uint32_t value = state_[j_] >> 16;
            if (value < 65535) return static_cast<std::uint16_t>(value);
        }
    }

    // The answer to a challenge: the first value after seeding with it.
    static constexpr std::uint16_t Answer(std::uint32_t challenge) {
        LogonRandom generator;
        generator.Seed(challenge);
        return generator.Next16();
    }

  private:
    std::array<std::uint32_t, 55> state_ = kLogonRandomTable;
    std::uint32_t j_ = 0;
    std::uint32_t k_ = 24;
};

// The program's one generator A.
void RandomSeed(std::uint32_t seed);
std::uint16_t RandomNext16();
std::uint16_t LogonChallengeResponse(std::uint32_t challenge);
