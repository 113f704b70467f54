#pragma once

// Profile (ini) values of the lower layer, over the platform's private-profile
// files, and hex-coded values: each byte written as two uppercase hexadecimal
// digits.

#include <cstdint>

#include "divir/xFilePath.h"

// Integer reads use this default to tell an absent key.
inline constexpr std::int32_t kIniAbsent = -666;

std::uint32_t xIniGetString(const char* section, const char* key, const char* defaultText, char* out,
                            std::uint32_t size, const xFileSpec& path);
void xIniWriteString(const char* section, const char* key, const char* value, const xFileSpec& path);
void IniWriteString(const char* section, const char* key, const char* value, const char* path);

// Reads at most 255 characters; unless they equal the default (ignoring case),
// decodes digit pairs into out while a full pair remains and out has room for
// them and a terminator; otherwise copies the default. Returns the length read.
std::uint32_t IniGetHexString(const char* section, const char* key, const char* defaultText, char* out,
                              std::uint32_t outSize, const char* path);
// Encodes at most 126 bytes of text as digit pairs and writes them.
void IniWriteHexString(std::int32_t ignored, const char* section, const char* key, const char* text,
                       const char* path);
