#include "divir/xRandom.h"

#include <bit>

void xRandomGenerator::Seed(std::uint32_t seed) {
    const std::uint32_t mix = seed ^ std::rotl(seed, 16);
    for (std::uint32_t& word : state_) word ^= mix;
    j_ = mix % 55;
    k_ = (mix % 55 + 24) % 55;
}

std::uint32_t xRandomGenerator::Next(std::uint32_t n) {
    if (n == 0) n = 1;
    const int bits = std::bit_width(n);
    for (;;) {
        j_ = j_ == 0 ? 54 : j_ - 1;
        k_ = k_ == 0 ? 54 : k_ - 1;
        state_[j_] += state_[k_];
        const std::uint32_t value = bits == 32 ? state_[j_] : state_[j_] >> (32 - bits);
        if (value < n) return value;
    }
}

namespace {

xRandomGenerator& Generator() {
    static xRandomGenerator generator;
    return generator;
}

}  // namespace

void xRandomSeed(std::uint32_t seed) {
    Generator().Seed(seed);
}

std::uint32_t xRandom(std::uint32_t n) {
    return Generator().Next(n);
}
