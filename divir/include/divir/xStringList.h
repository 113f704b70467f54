#pragma once

// The program's string-list resources: a signed 16-bit count, then that many
// NUL-terminated texts.

#include <cstdint>

// The font face names.
inline constexpr std::int16_t kFontNameList = 1024;
// What xLoadStringListEntry may write.
inline constexpr std::int16_t kStringListEntryMax = 254;

// Copies entry index (1-based) of the list, at most 254 characters and not
// terminated; returns its length, 0 when the list or the entry is missing.
std::int16_t xLoadStringListEntry(char* out, std::int16_t resourceId, std::int16_t index);
// As above, cut to size - 1 and terminated.
std::int16_t xGetStringListEntry(std::int16_t resourceId, std::int16_t index, char* buffer,
                                 std::int16_t size);
