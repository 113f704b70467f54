#pragma once

// The hexadecimal-digit coding shared by the filter list and the registration form:
// 0-9 become "0"-"9", everything else is shifted up by the distance from 10 to "A"
// (8-bit arithmetic, so the coding wraps at 256 and is its own inverse's inverse).

#include <cstdint>

// value + 48 below 10, else value + 55.
char HexDigitChar(std::uint8_t value);
// A stored "0"-"9" gives its digit, any other byte is shifted back by 55. The test
// takes the byte as signed, so bytes above 127 never count as digits.
std::uint8_t HexDigitValue(char stored);
