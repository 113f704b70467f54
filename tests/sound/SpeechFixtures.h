#pragma once

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <limits>
#include <span>
#include <string>
#include <vector>

// Fixture files of tests/fixtures/sound (made by
// testbed/fixtures/make-speech-fixtures.sh) and comparison helpers.
namespace sound_test {

inline std::vector<uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<int16_t> ReadPcmFixture(const std::string& name) {
    const std::vector<uint8_t> bytes = ReadFixture(name);
    std::vector<int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return samples;
}

// Signal-to-noise ratio of `actual` against `reference` in dB (infinite when
// they are equal).
inline double SnrDb(std::span<const int16_t> reference, std::span<const int16_t> actual) {
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < reference.size() && i < actual.size(); ++i) {
        const double r = reference[i];
        const double d = r - actual[i];
        signal += r * r;
        noise += d * d;
    }
    if (noise == 0) {
        return std::numeric_limits<double>::infinity();
    }
    return 10 * std::log10(signal / noise);
}

}  // namespace sound_test
