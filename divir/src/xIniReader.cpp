#include "divir/xIniReader.h"

#include "divir/xIni.h"
#include "platform/PrivateProfile.h"

bool xIniReader::GetInt(std::int32_t& out, const char* section, const char* key) const {
    if (path_.empty()) return false;
    out = platform::GetPrivateProfileInt(section, key, kIniAbsent, path_.c_str());
    return out != kIniAbsent;
}

bool xIniReader::GetIntWithFallback(std::int32_t& out, const char* first, const char* second,
                                    const char* key) const {
    return GetInt(out, first, key) || GetInt(out, second, key);
}

bool xIniReader::GetBool(std::int16_t& out, const char* section, const char* key) const {
    std::int32_t value = 0;
    if (!GetInt(value, section, key)) return false;
    out = value != 0 ? 1 : 0;
    return true;
}

bool xIniReader::GetBoolWithFallback(std::int16_t& out, const char* first, const char* second,
                                     const char* key) const {
    return GetBool(out, first, key) || GetBool(out, second, key);
}

bool xIniReader::GetString(char* out, std::uint32_t size, const char* section, const char* key) const {
    if (out == nullptr || size == 0) return false;
    platform::GetPrivateProfileString(section, key, "", out, size, path_.c_str());
    return out[0] != '\0';
}

bool xIniReader::GetStringWithFallback(char* out, std::uint32_t size, const char* first, const char* second,
                                       const char* key) const {
    return GetString(out, size, first, key) || GetString(out, size, second, key);
}
