#include "platform/HostPath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace platform {

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string Join(const std::string& folder, std::string_view name) {
    if (folder.empty()) {
        return std::string(name);
    }
    std::string out = folder;
    if (out.back() != '/') {
        out += '/';
    }
    out.append(name);
    return out;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// The entry of folder whose name equals name ignoring ASCII case.
std::optional<std::string> FindCaseBlind(const std::string& folder, const std::string& name) {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir) {
        return std::nullopt;
    }
    std::optional<std::string> best;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (::strcasecmp(entry->d_name, name.c_str()) == 0 && (!best || *best > entry->d_name)) {
            best = entry->d_name;
        }
    }
    return best;
}

}  // namespace

std::string ResolveHostPath(std::string_view windowsPath) {
    std::string text(windowsPath);
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    if (text.size() >= 2 && text[1] == ':' &&
        ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        text.erase(0, 2);
    }
    const bool absolute = !text.empty() && text.front() == '/';
    const bool trailing = !text.empty() && text.back() == '/';

    std::string out = absolute ? "/" : "";
    bool searching = true;  // once a component is new, nothing beneath it exists
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('/', pos);
        if (end == std::string::npos) end = text.size();
        const std::string part = text.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty()) {
            continue;
        }
        std::string exact = Join(out, part);
        if (!searching || part == "." || part == ".." || Exists(exact)) {
            out = std::move(exact);
            continue;
        }
        if (std::optional<std::string> match = FindCaseBlind(out, part)) {
            out = Join(out, *match);
        } else {
            out = std::move(exact);
            searching = false;
        }
    }
    if (out.empty()) {
        out = ".";
    }
    if (trailing && out.back() != '/') {
        out += '/';
    }
    return out;
}

std::string ToWindowsPath(std::string_view hostPath) {
    std::string out(hostPath);
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

bool IsPathInsideFolder(std::string_view folder, std::string_view path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path base = fs::weakly_canonical(fs::absolute(ResolveHostPath(folder), error), error);
    if (error) return false;
    const fs::path target = fs::weakly_canonical(fs::absolute(ResolveHostPath(path), error), error);
    if (error) return false;
    auto b = base.begin();
    auto t = target.begin();
    for (; b != base.end(); ++b, ++t) {
        if (b->empty() && std::next(b) == base.end()) break;  // a trailing separator
        if (t == target.end() || *t != *b) return false;
    }
    for (; t != target.end(); ++t) {
        if (!t->empty()) return true;
    }
    return false;
}

std::optional<std::string> ProgramPath() {
    std::vector<char> buffer(4096);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return std::nullopt;
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::optional<std::string> SystemFolder() {
    static constexpr const char* kLibraries = "/usr/lib/";
    struct stat info {};
    if (::stat(kLibraries, &info) != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return std::string(kLibraries);
}

}  // namespace platform
