#pragma once

// Small helpers of the lower layer: calendar time, byte swapping, money text and
// lists of words. A "word list" is a series of NUL-terminated texts ended by an
// empty one.

#include <cstdint>

#include "divir/xDateTime.h"

// The local time now.
void xGetDateTime(xDateTime& out);

void xSwapBytes16(std::uint16_t& value);
// Swaps the bytes inside each 16-bit half; the halves keep their places.
void xSwapBytesInHalves32(std::uint32_t& value);

// Room for the longest money text, "-$2,147,483,648", and its terminator.
inline constexpr int kDollarsTextSize = 16;
// "-$1,234,567"; out must hold kDollarsTextSize bytes.
void xFormatDollars(int value, char* out);

// Fields of a text separated by separator (an empty text has none), or, with
// separator 0, the entries of a word list.
std::int16_t xCountFields(const char* list, char separator);
// Copies field index (1-based), cut to size - 1 and terminated; false (and an
// empty buffer) when there is no such field.
bool xGetField(const char* list, char separator, std::int16_t index, char* buffer, std::int16_t size);

// Builds a word list from the letters and digits of text (Windows-1252 letters
// included); the separator ends a word, other characters are dropped, and empty
// words are skipped (an empty entry would end the list). The list is cut to fit
// size bytes and always ends properly. Returns the number of words.
std::int16_t xSplitWords(const char* text, char* out, std::int32_t size, char separator);

// Compares two word lists entry by entry ignoring ASCII case; the first
// difference decides, and a list that ends first is smaller.
int xCompareStringLists(const char* a, const char* b);

// True when line (leading blanks and tabs skipped) is key, optional blanks and
// tabs, and "="; the value after "=" is copied without surrounding blanks and
// tabs, cut to size - 1 and terminated. The key matches exactly.
bool xParseKeyValue(const char* line, const char* key, char* value, std::int32_t size);
