#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builders of stored sound data for the mixer's tests: RIFF WAVE and "XIMA" made in code.
namespace sound::mixer_test {

inline void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

inline void PutTag(std::vector<std::uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

struct WaveFormat {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t align = 2;
    std::uint16_t bits = 16;
};

// A RIFF WAVE file: the format chunk, any extra chunk before it, then the data chunk.
// `dataSize` overrides the data chunk's stated size (-1: the real size).
inline std::vector<std::uint8_t> MakeWave(const std::vector<std::int16_t>& samples, WaveFormat format = {},
                                          long dataSize = -1, const std::vector<std::uint8_t>& extraChunk = {}) {
    std::vector<std::uint8_t> body;
    PutTag(body, "WAVE");
    body.insert(body.end(), extraChunk.begin(), extraChunk.end());
    PutTag(body, "fmt ");
    PutLe32(body, 16);
    PutLe16(body, format.tag);
    PutLe16(body, format.channels);
    PutLe32(body, format.rate);
    PutLe32(body, format.rate * format.align);
    PutLe16(body, format.align);
    PutLe16(body, format.bits);
    PutTag(body, "data");
    PutLe32(body, dataSize < 0 ? static_cast<std::uint32_t>(samples.size() * 2) : static_cast<std::uint32_t>(dataSize));
    for (const std::int16_t sample : samples) {
        PutLe16(body, static_cast<std::uint16_t>(sample));
    }
    std::vector<std::uint8_t> file;
    PutTag(file, "RIFF");
    PutLe32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// "XIMA", the stated block count (big-endian), then the blocks.
inline std::vector<std::uint8_t> MakeXima(std::uint32_t statedBlocks, const std::vector<std::uint8_t>& blocks) {
    std::vector<std::uint8_t> data = {'X',
                                      'I',
                                      'M',
                                      'A',
                                      static_cast<std::uint8_t>(statedBlocks >> 24),
                                      static_cast<std::uint8_t>(statedBlocks >> 16),
                                      static_cast<std::uint8_t>(statedBlocks >> 8),
                                      static_cast<std::uint8_t>(statedBlocks)};
    data.insert(data.end(), blocks.begin(), blocks.end());
    return data;
}

// `count` IMA blocks of a slow rising and falling pattern, starting from predictor 0, index 20.
inline std::vector<std::uint8_t> ImaBlocks(std::size_t count) {
    std::vector<std::uint8_t> blocks;
    for (std::size_t b = 0; b < count; ++b) {
        blocks.push_back(0x00);
        blocks.push_back(20);
        for (int i = 0; i < 32; ++i) {
            const std::uint8_t nibble = (b + static_cast<std::size_t>(i) / 8) % 2 == 0 ? 0x3 : 0xB;
            blocks.push_back(static_cast<std::uint8_t>(nibble | (nibble << 4)));
        }
    }
    return blocks;
}

}  // namespace sound::mixer_test
