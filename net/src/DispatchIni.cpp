#include "net/DispatchIni.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "divir/xFilePath.h"
#include "divir/xIni.h"

namespace {

constexpr char kAbsent[] = "nOtFoUnD";

}  // namespace

std::uint32_t DispatchIniGetString(const char* section, const char* key, const char* defaultText, char* out,
                                   std::uint32_t size, const char* path) {
    return xIniGetString(section, key, defaultText, out, size, xFileSpec(path));
}

std::int32_t DispatchIniGetInt(const char* section, const char* key, std::int32_t defaultValue,
                               const char* path) {
    char text[64];
    xIniGetString(section, key, kAbsent, text, sizeof text, xFileSpec(path));
    if (std::string(text) == kAbsent) return defaultValue;
    // Out-of-range numbers from a downloaded file are held to the 32-bit range.
    const long long value = std::strtoll(text, nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}
