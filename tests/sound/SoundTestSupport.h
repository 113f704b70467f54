#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace sound::test {

inline std::vector<std::uint8_t> ReadFixture(const std::string& name) {
    std::ifstream in(std::string(VIZUZOR_FIXTURES) + "/sound/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::int16_t> ReadSamples(const std::string& name) {
    const std::vector<std::uint8_t> bytes = ReadFixture(name);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return samples;
}

// Writes big-endian bit fields, as MPEG audio frames are packed.
class BitWriter {
  public:
    void Put(std::uint32_t value, int bits) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used_ % 8 == 0) {
                bytes_.push_back(0);
            }
            bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (7 - used_ % 8));
            ++used_;
        }
    }
    std::size_t BitCount() const { return used_; }
    std::vector<std::uint8_t> Bytes(std::size_t size) const {
        std::vector<std::uint8_t> out = bytes_;
        out.resize(size, 0);
        return out;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t used_ = 0;
};

// Builds stored music: "XMP", the header byte, the declared sample count and the frame bytes.
inline std::vector<std::uint8_t> MakeStoredMusic(std::uint8_t headerByte, std::uint32_t samples,
                                                 const std::vector<std::uint8_t>& frames) {
    std::vector<std::uint8_t> data = {'X',
                                      'M',
                                      'P',
                                      headerByte,
                                      static_cast<std::uint8_t>(samples >> 24),
                                      static_cast<std::uint8_t>(samples >> 16),
                                      static_cast<std::uint8_t>(samples >> 8),
                                      static_cast<std::uint8_t>(samples)};
    data.insert(data.end(), frames.begin(), frames.end());
    return data;
}

}  // namespace sound::test
