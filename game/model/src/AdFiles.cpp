#include "game/model/AdFiles.h"

#include <cmath>

namespace {

constexpr double kMostRepeats = 2045.0;

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name.find("..") != std::string::npos) return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127 || c == '\\' || c == '/' || c == ':') return false;
    }
    return true;
}

}  // namespace

std::string AdFilePath(const std::string& folder, const std::string& name) {
    if (!IsPlainName(name)) return "";
    return folder + "\\" + name;
}

std::int32_t StandByRepeats(std::int32_t durationMs, double framesPerSecond, std::int32_t cels) {
    const double count = durationMs * framesPerSecond * 0.001 / (cels > 0 ? cels : 1);
    if (!(count > 0.0)) return 0;
    if (count >= kMostRepeats) return static_cast<std::int32_t>(kMostRepeats);
    return static_cast<std::int32_t>(std::trunc(count));
}
