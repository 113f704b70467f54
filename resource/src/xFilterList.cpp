#include "resource/xFilterList.h"

#include "resource/HexDigit.h"

namespace {

std::uint32_t ReadLittle32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

xFilterList::xFilterList(std::span<const std::uint8_t> block) {
    if (block.size() < 8) {
        return;
    }
    header_.checksum = ReadLittle32(block.data());
    header_.length = ReadLittle32(block.data() + 4);
    if (header_.length > block.size() - 8) {
        return;
    }
    text_ = block.subspan(8, header_.length);
    valid_ = true;
}

std::int16_t xFilterList::ReadLine(char* out, std::size_t outSize) {
    // The last two bytes of the text never start a line (a length below 2 has none).
    if (text_.size() < 2 || read_ >= text_.size() - 2 || out == nullptr || outSize == 0) {
        return 0;
    }
    std::size_t written = 0;
    bool overflow = false;
    while (read_ < text_.size()) {
        const std::uint8_t byte = HexDigitValue(static_cast<char>(text_[read_++]));
        checkSum_.Add(static_cast<std::int8_t>(byte));
        if (written < outSize - 1) {
            out[written++] = static_cast<char>(byte);
        } else {
            overflow = true;
        }
        if (byte == 10) {
            break;
        }
    }
    // Drop the CR LF: the cut sits two places before the end, never before the start.
    const std::size_t cut = overflow ? 0 : (written >= 2 ? written - 2 : 0);
    out[cut] = '\0';
    return 1;
}
