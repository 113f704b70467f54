#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace platform {

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

InstanceLock::Result InstanceLock::Acquire(std::string_view programPath, const std::string& lockFolder) {
    const std::string path = lockFolder + "/" + LockFileName(programPath);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return {Outcome::Unavailable, nullptr};
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return {held ? Outcome::HeldElsewhere : Outcome::Unavailable, nullptr};
    }
    return {Outcome::Acquired, std::unique_ptr<InstanceLock>(new InstanceLock(fd))};
}

InstanceLock::~InstanceLock() {
    ::close(fd_);
}

}  // namespace platform
