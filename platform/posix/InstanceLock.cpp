#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

// The descriptors of the locks this process holds (-1: none). A flock belongs to the
// open file, which a forked child shares: SDL shows its message boxes in a forked
// child, and a child that outlived a killed program would keep the lock. The
// child's copy is closed as the fork returns in it (close-on-exec covers a child
// that starts a new program).
constexpr int kMaxHeld = 8;
int gHeldFds[kMaxHeld] = {-1, -1, -1, -1, -1, -1, -1, -1};

extern "C" void CloseLocksInChild() {
    for (int& fd : gHeldFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void WatchForks() {
    static const bool registered = ::pthread_atfork(nullptr, nullptr, &CloseLocksInChild) == 0;
    (void)registered;
}

}  // namespace

std::string InstanceLock::LockFileName(std::string_view programPath) {
    // FNV-1a, 64 bits: stable across runs and builds, unlike std::hash.
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (const char c : programPath) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ull;
    }
    char name[48];
    std::snprintf(name, sizeof name, "vizuzor-%016llx.lock", static_cast<unsigned long long>(h));
    return name;
}

std::string InstanceLock::DefaultLockFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime != nullptr && *runtime != '\0' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return runtime;
    return "/tmp";
}

std::string InstanceLock::FallbackLockFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/')
        return std::string(cache) + "/Vizuzor";
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0')
        return std::string(home) + "/.cache/Vizuzor";
    return ".cache/Vizuzor";
}

InstanceLock::Result InstanceLock::Acquire(std::string_view programPath, const std::string& lockFolder) {
    const std::string path = lockFolder + "/" + LockFileName(programPath);
    // Never through a link, and only a plain file of our own: in a shared folder
    // another user could otherwise make the file first and hold its lock.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) return {Outcome::Unavailable, nullptr, {}};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return {Outcome::Unavailable, nullptr, {}};
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return {held ? Outcome::HeldElsewhere : Outcome::Unavailable, nullptr, {}};
    }
    return {Outcome::Acquired, std::unique_ptr<InstanceLock>(new InstanceLock(fd)), {}};
}

InstanceLock::Result InstanceLock::Acquire(std::string_view programPath, const std::string& lockFolder,
                                           const std::string& fallbackFolder) {
    Result first = Acquire(programPath, lockFolder);
    if (first.outcome != Outcome::Unavailable) return first;
    std::error_code ignored;
    std::filesystem::create_directories(fallbackFolder, ignored);
    Result second = Acquire(programPath, fallbackFolder);
    const std::string file = LockFileName(programPath);
    if (second.outcome == Outcome::Unavailable) {
        second.warning = "No private lock file could be had in " + lockFolder + " nor in " + fallbackFolder +
                         ": a second copy of this program is not kept from running.";
    } else {
        second.warning = "The lock file " + lockFolder + "/" + file + " cannot be used (not our own plain file); " +
                         "using " + fallbackFolder + "/" + file + ".";
    }
    return second;
}

InstanceLock::InstanceLock(int fd) : fd_(fd) {
    WatchForks();
    for (int& held : gHeldFds) {
        if (held < 0) {
            held = fd;
            break;
        }
    }
}

InstanceLock::~InstanceLock() {
    for (int& held : gHeldFds) {
        if (held == fd_) held = -1;
    }
    ::close(fd_);
}

}  // namespace platform
