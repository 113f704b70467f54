#include "divir/xStringList.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

namespace {

// The font list announces five names and holds four: the fifth reads as missing.
constexpr char kFontNames[] =
    "\x05\x00"
    "Times New Roman\0"
    "Arial\0"
    "Courier New Bold\0"
    "Arial Bold";

std::span<const char> Resource(std::int16_t id) {
    if (id == kFontNameList) return std::span<const char>(kFontNames, sizeof kFontNames);
    return {};
}

// The entry's text, or an empty view when the list or entry is not there.
std::string_view Entry(std::int16_t id, std::int16_t index) {
    const std::span<const char> bytes = Resource(id);
    if (bytes.size() < 2 || index < 1) return {};
    const auto count = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[0]) |
                                                 (static_cast<unsigned char>(bytes[1]) << 8));
    if (index > count) return {};
    std::size_t at = 2;
    for (std::int16_t i = 1; at < bytes.size(); ++i) {
        const char* start = bytes.data() + at;
        const void* end = std::memchr(start, '\0', bytes.size() - at);
        if (end == nullptr) return {};
        const std::size_t length = static_cast<const char*>(end) - start;
        if (i == index) return std::string_view(start, length);
        at += length + 1;
    }
    return {};
}

}  // namespace

std::int16_t xLoadStringListEntry(char* out, std::int16_t resourceId, std::int16_t index) {
    if (out == nullptr) return 0;
    const std::string_view text = Entry(resourceId, index);
    const std::size_t length = std::min<std::size_t>(text.size(), kStringListEntryMax);
    if (length > 0) std::memcpy(out, text.data(), length);
    return static_cast<std::int16_t>(length);
}

std::int16_t xGetStringListEntry(std::int16_t resourceId, std::int16_t index, char* buffer,
                                 std::int16_t size) {
    if (buffer == nullptr || size <= 0) return 0;
    const std::string_view text = Entry(resourceId, index);
    const std::size_t length =
        std::min<std::size_t>({text.size(), kStringListEntryMax, static_cast<std::size_t>(size - 1)});
    if (length > 0) std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<std::int16_t>(length);
}
