#include "resource/FileFunctions.h"

#include <cstring>
#include <optional>

#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"

std::string ProgramFolder() {
    const std::optional<std::string> program = platform::ProgramPath();
    if (!program) return std::string();
    const std::string text = platform::ToWindowsPath(*program);
    const std::size_t cut = text.find_last_of('\\');
    return cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
}

bool FileExists(const std::string& path) {
    return platform::HostFileExists(platform::ResolveHostPath(path));
}

bool FileDelete(const std::string& path) {
    return platform::HostDeleteFile(platform::ResolveHostPath(path));
}

bool FileRename(const std::string& oldPath, const std::string& newPath) {
    return platform::HostRenameFile(platform::ResolveHostPath(oldPath), platform::ResolveHostPath(newPath));
}

bool FileReplace(const std::string& fromPath, const std::string& toPath) {
    return platform::HostReplaceFile(platform::ResolveHostPath(fromPath), platform::ResolveHostPath(toPath));
}

const char* TempFilePathBeside(const std::string& path) {
    static constexpr char kName[] = "TempFile.tmp";
    static char buffer[256 + sizeof kName];
    const std::size_t length = path.size() < 255 ? path.size() : 255;
    std::memcpy(buffer, path.data(), length);
    buffer[length] = '\0';
    char* cut = std::strrchr(buffer, '\\');
    if (cut == nullptr) cut = std::strrchr(buffer, ':');
    char* end = cut != nullptr ? cut + 1 : buffer + length;
    std::memcpy(end, kName, sizeof kName);
    return buffer;
}
