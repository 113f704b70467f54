#include "divir/LogonRandom.h"

namespace {

LogonRandom& Generator() {
    static LogonRandom generator;
    return generator;
}

}  // namespace

void RandomSeed(std::uint32_t seed) {
    Generator().Seed(seed);
}

std::uint16_t RandomNext16() {
    return Generator().Next16();
}

std::uint16_t LogonChallengeResponse(std::uint32_t challenge) {
    RandomSeed(challenge);
    return RandomNext16();
}
