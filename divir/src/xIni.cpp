#include "divir/xIni.h"

#include <strings.h>

#include <string>

#include <algorithm>
#include <cstring>

#include "platform/PrivateProfile.h"

namespace {

constexpr std::uint32_t kHexReadMax = 255;
constexpr std::size_t kHexWriteMax = 126;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

}  // namespace

std::uint32_t xIniGetString(const char* section, const char* key, const char* defaultText, char* out,
                            std::uint32_t size, const xFileSpec& path) {
    return platform::GetPrivateProfileString(section, key, defaultText, out, size, path.c_str());
}

void xIniWriteString(const char* section, const char* key, const char* value, const xFileSpec& path) {
    platform::WritePrivateProfileString(section, key, value, path.c_str());
}

void IniWriteString(const char* section, const char* key, const char* value, const char* path) {
    platform::WritePrivateProfileString(section, key, value, path);
}

std::uint32_t IniGetHexString(const char* section, const char* key, const char* defaultText, char* out,
                              std::uint32_t outSize, const char* path) {
    char raw[kHexReadMax + 1] = {};
    const std::uint32_t length =
        platform::GetPrivateProfileString(section, key, defaultText, raw, sizeof raw, path);
    if (out == nullptr || outSize == 0) {
        return length;
    }
    const char* fallback = defaultText != nullptr ? defaultText : "";
    if (::strcasecmp(raw, fallback) == 0) {
        const std::size_t count = std::min<std::size_t>(std::strlen(fallback), outSize - 1);
        std::memcpy(out, fallback, count);
        out[count] = '\0';
        return length;
    }
    std::uint32_t written = 0;
    for (std::uint32_t i = 0; i + 1 < length && written + 1 < outSize; i += 2) {
        out[written++] = static_cast<char>(DigitValue(raw[i]) * 16 + DigitValue(raw[i + 1]));
    }
    out[written] = '\0';
    return length;
}

void IniWriteHexString(std::int32_t /*ignored*/, const char* section, const char* key, const char* text,
                       const char* path) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string encoded;
    if (text != nullptr) {
        const std::size_t count = ::strnlen(text, kHexWriteMax);
        for (std::size_t i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            encoded += kDigits[byte >> 4];
            encoded += kDigits[byte & 15];
        }
    }
    platform::WritePrivateProfileString(section, key, encoded.c_str(), path);
}
