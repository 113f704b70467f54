#include "resource/HexDigit.h"

char HexDigitChar(std::uint8_t value) {
    return static_cast<char>(static_cast<std::uint8_t>(value < 10 ? value + 48 : value + 55));
}

std::uint8_t HexDigitValue(char stored) {
    const auto s = static_cast<std::int8_t>(stored);
    const auto byte = static_cast<std::uint8_t>(stored);
    return static_cast<std::uint8_t>(s >= 48 && s <= 57 ? byte - 48 : byte - 55);
}
