#include "divir/xVersionInfo.h"

#include <cstring>
#include <optional>
#include <string>

#include "divir/xError.h"
#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"
#include "platform/HostPath.h"
#include "platform/VersionRecord.h"

namespace {

void CopyText(const std::string& text, char* out, std::uint32_t size) {
    if (out == nullptr || size == 0) return;
    const std::size_t count = std::min<std::size_t>(text.size(), size);
    std::memcpy(out, text.data(), count);
    if (count < size) out[count] = '\0';
    out[size - 1] = '\0';
}

}  // namespace

bool ReadVersionInfo(const char* path, std::uint16_t* part1, std::uint16_t* part2, std::uint16_t* part3,
                     std::uint16_t* part4, char* productName, std::uint32_t productNameSize, char* comments,
                     std::uint32_t commentsSize, char* specialBuild, std::uint32_t specialBuildSize) {
    const xFileSpec fileSpec(path);
    for (std::uint16_t* part : {part1, part2, part3}) {
        if (part != nullptr) *part = 0;
    }
    std::optional<platform::VersionInfo> info;
    const std::int16_t code =
        xTry([&] { info = platform::ReadVersionRecord(platform::ResolveHostPath(fileSpec.c_str())); });
    if (code == 0 && info) {
        std::uint16_t* parts[4] = {part1, part2, part3, part4};
        for (int i = 0; i < 4; ++i) {
            if (parts[i] != nullptr) *parts[i] = info->parts[i];
        }
        CopyText(info->productName, productName, productNameSize);
        CopyText(info->comments, comments, commentsSize);
        CopyText(info->specialBuild, specialBuild, specialBuildSize);
    }
    xThrow(code);
    return code == 0 && info.has_value();
}
