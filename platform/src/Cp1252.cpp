#include "platform/Cp1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace platform {

namespace {

// Code points of bytes 0x80-0x9F; 0 marks the five bytes the code page leaves undefined.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<unsigned char> ToByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] != 0 && kHigh[i] == c) return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

}  // namespace

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            least = 0x10000;
        } else {
            ++i;  // a stray continuation byte or an invalid lead
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && i + taken < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + taken]) & 0xC0) == 0x80) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + taken]) & 0x3F);
            ++taken;
        }
        i += taken;
        // Truncated, overlong or surrogate sequences count as malformed.
        if (taken != length || c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) continue;
        if (const auto b = ToByte(c)) out.push_back(static_cast<char>(*b));
    }
    return out;
}

}  // namespace platform
