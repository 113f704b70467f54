#include "StoreFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace platform::store {

namespace {

// Every temporary name starts so: "." + the file's name + this.
constexpr std::string_view kTempMark = ".tmp-";
constexpr int kMaxLinks = 40;

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TempPrefix(const std::string& target) {
    return "." + NameOf(target) + std::string(kTempMark);
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string RandomSuffix() {
    static std::mt19937_64 random{std::random_device{}() ^ static_cast<std::uint64_t>(::getpid())};
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix(10, 'x');
    for (char& c : suffix) c = kChars[random() % (sizeof kChars - 1)];
    return suffix;
}

// Gives the unnamed file a unique name beside the target; false when it cannot.
bool NameUnnamedFile(int fd, const std::string& target, std::string& name) {
    const std::string procPath = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = FolderOf(target) + "/" + TempPrefix(target) + RandomSuffix();
        if (::linkat(AT_FDCWD, procPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // Non-blocking, so that a FIFO in the file's place cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    std::string text;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[8192];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<std::string> ReplacementTarget(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < kMaxLinks; ++depth) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string link(4096, '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= link.size()) return std::nullopt;
        link.resize(static_cast<std::size_t>(n));
        current = link.front() == '/' ? link : FolderOf(current) + "/" + link;
    }
    return std::nullopt;
}

mode_t DefaultFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool ReplaceWholeFile(const std::string& path, std::string_view text, mode_t newMode,
                      const std::function<bool()>& beforeRename) {
    const std::optional<std::string> resolved = ReplacementTarget(path);
    if (!resolved) return false;
    const std::string& target = *resolved;
    const std::string folder = FolderOf(target);

    mode_t mode = newMode;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return false;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }

    // An unnamed file vanishes by itself when the process dies before the rename.
    std::string name;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        name = folder + "/" + TempPrefix(target) + "XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return false;
    }
    const auto fail = [&fd, &name] {
        ::close(fd);
        if (!name.empty()) ::unlink(name.c_str());
        return false;
    };
    if (!WriteAll(fd, text) || ::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) return fail();
    if (beforeRename && !beforeRename()) return fail();
    if (name.empty() && !NameUnnamedFile(fd, target, name)) {
        name.clear();
        return fail();
    }
    if (::rename(name.c_str(), target.c_str()) != 0) return fail();
    ::close(fd);
    SyncFolder(folder);
    return true;
}

void RemoveLeftovers(const std::string& path) {
    const std::optional<std::string> target = ReplacementTarget(path);
    if (!target) return;
    const std::string folder = FolderOf(*target);
    const std::string prefix = TempPrefix(*target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

WriterLock::WriterLock(const std::string& path, On on) {
    if (on == On::SideFile) {
        const std::string lockPath = path + ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } else if (const std::optional<std::string> target = ReplacementTarget(path)) {
        fd_ = ::open(FolderOf(*target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd_ < 0) return;
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

WriterLock::~WriterLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform::store
