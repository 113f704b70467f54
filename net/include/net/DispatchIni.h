#pragma once

// Readers of the dispatch file, a private profile file.

#include <cstdint>

// One text value, the default when the key is absent; the number of characters
// copied into out (at most size - 1).
std::uint32_t DispatchIniGetString(const char* section, const char* key, const char* defaultText, char* out,
                                   std::uint32_t size, const char* path);
// One number, the default when the key is absent.
std::int32_t DispatchIniGetInt(const char* section, const char* key, std::int32_t defaultValue,
                               const char* path);
