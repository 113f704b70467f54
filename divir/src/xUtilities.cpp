#include "divir/xUtilities.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <ctime>

void xGetDateTime(xDateTime& out) {
    const std::time_t now = std::time(nullptr);
    std::tm fields{};
    ::localtime_r(&now, &fields);
    out = xDateTime::FromCalendar(fields);
}

void xSwapBytes16(std::uint16_t& value) {
    value = static_cast<std::uint16_t>((value << 8) | (value >> 8));
}

void xSwapBytesInHalves32(std::uint32_t& value) {
    value = ((value & 0x00FF00FFu) << 8) | ((value >> 8) & 0x00FF00FFu);
}

void xFormatDollars(int value, char* out) {
    if (out == nullptr) return;
    const bool negative = value < 0;
    // Through 64 bits, so that the most negative int has a magnitude.
    std::uint64_t magnitude = negative ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value))
                                       : static_cast<std::uint64_t>(value);
    char digits[kDollarsTextSize];
    int n = 0;
    do {
        if (n % 4 == 3) digits[n++] = ',';
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int at = 0;
    if (negative) out[at++] = '-';
    out[at++] = '$';
    while (n > 0) out[at++] = digits[--n];
    out[at] = '\0';
}

namespace {

// The start of entry index (0-based) of a word list, or null.
const char* WordListEntry(const char* list, int index) {
    for (int i = 0; *list != '\0'; ++i) {
        if (i == index) return list;
        list += std::strlen(list) + 1;
    }
    return nullptr;
}

bool IsWordCharacter(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    // Letters of Windows-1252 above ASCII.
    switch (c) {
        case 0x83:
        case 0x8A:
        case 0x8C:
        case 0x8E:
        case 0x9A:
        case 0x9C:
        case 0x9E:
        case 0x9F:
        case 0xAA:
        case 0xB5:
        case 0xBA:
            return true;
        default:
            return c >= 0xC0 && c != 0xD7 && c != 0xF7;
    }
}

void CopyCut(const char* text, std::size_t length, char* buffer, std::int32_t size) {
    if (buffer == nullptr || size <= 0) return;
    const std::size_t count = std::min<std::size_t>(length, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text, count);
    buffer[count] = '\0';
}

}  // namespace

std::int16_t xCountFields(const char* list, char separator) {
    if (list == nullptr) return 0;
    if (separator == '\0') {
        std::int16_t count = 0;
        while (WordListEntry(list, count) != nullptr) ++count;
        return count;
    }
    if (*list == '\0') return 0;
    std::int16_t count = 1;
    for (const char* p = list; *p != '\0'; ++p) {
        if (*p == separator) ++count;
    }
    return count;
}

bool xGetField(const char* list, char separator, std::int16_t index, char* buffer, std::int16_t size) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    if (list == nullptr || index < 1 || index > xCountFields(list, separator)) return false;
    if (separator == '\0') {
        const char* entry = WordListEntry(list, index - 1);
        CopyCut(entry, std::strlen(entry), buffer, size);
        return true;
    }
    const char* start = list;
    for (int i = 1; i < index; ++i) start = std::strchr(start, separator) + 1;
    const char* end = std::strchr(start, separator);
    CopyCut(start, end ? static_cast<std::size_t>(end - start) : std::strlen(start), buffer, size);
    return true;
}

std::int16_t xSplitWords(const char* text, char* out, std::int32_t size, char separator) {
    if (out == nullptr || size <= 0) return 0;
    if (size == 1) {
        out[0] = '\0';
        return 0;
    }
    // Two bytes stay free for the terminators of the word being built and of the list.
    std::int32_t used = 0;
    std::int32_t wordLength = 0;
    std::int16_t words = 0;
    auto endWord = [&] {
        if (wordLength > 0) {
            out[used++] = '\0';
            ++words;
            wordLength = 0;
        }
    };
    for (const char* p = text ? text : ""; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (*p == separator) {
            endWord();
        } else if (IsWordCharacter(c) && used + 2 < size) {
            out[used++] = *p;
            ++wordLength;
        }
    }
    endWord();
    out[used] = '\0';
    return words;
}

int xCompareStringLists(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return (a != nullptr) - (b != nullptr);
    while (*a != '\0' && *b != '\0') {
        const int order = ::strcasecmp(a, b);
        if (order != 0) return order;
        a += std::strlen(a) + 1;
        b += std::strlen(b) + 1;
    }
    return (*a != '\0') - (*b != '\0');
}

bool xParseKeyValue(const char* line, const char* key, char* value, std::int32_t size) {
    if (line == nullptr || key == nullptr) return false;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (blank(*line)) ++line;
    const std::size_t keyLength = std::strlen(key);
    if (std::strncmp(line, key, keyLength) != 0) return false;
    line += keyLength;
    while (blank(*line)) ++line;
    if (*line != '=') return false;
    ++line;
    while (blank(*line)) ++line;
    std::size_t length = std::strlen(line);
    while (length > 0 && (blank(line[length - 1]) || line[length - 1] == '\r' || line[length - 1] == '\n'))
        --length;
    CopyCut(line, length, value, size);
    return true;
}
