#include "platform/HostFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace platform {

bool HostFileExists(const std::string& hostPath) {
    struct stat info {};
    return ::stat(hostPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(hostPath.c_str(), R_OK) == 0;
}

bool HostIsDirectory(const std::string& hostPath) {
    struct stat info {};
    return ::stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool HostDeleteFile(const std::string& hostPath) {
    return ::unlink(hostPath.c_str()) == 0;
}

bool HostRenameFile(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    // A file system without the no-replace move: a hard link refuses an existing
    // target just the same.
    if (::link(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    return ::unlink(from.c_str()) == 0;
}

namespace {

bool SyncPath(const std::string& hostPath, int flags) {
    const int fd = ::open(hostPath.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

std::string FolderOf(const std::string& hostPath) {
    const std::size_t slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return hostPath.substr(0, slash);
}

}  // namespace

bool HostReplaceFile(const std::string& from, const std::string& to) {
    if (!HostFileExists(from) || HostIsDirectory(to)) {
        return false;
    }
    // A download arrives without the execute bit: the file it replaces keeps its mode.
    struct stat target {};
    if (::stat(to.c_str(), &target) == 0 && S_ISREG(target.st_mode) &&
        ::chmod(from.c_str(), target.st_mode & 07777) != 0) {
        return false;
    }
    if (!SyncPath(from, O_RDONLY)) {
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) != 0) {
        return false;
    }
    // The move has happened; a folder that cannot be synced only delays its record.
    SyncPath(FolderOf(to), O_RDONLY | O_DIRECTORY);
    return true;
}

bool HostMakeDirectory(const std::string& hostPath) {
    return ::mkdir(hostPath.c_str(), 0755) == 0;
}

bool HostGetModTime(const std::string& hostPath, std::int64_t& seconds) {
    struct stat info {};
    if (::stat(hostPath.c_str(), &info) != 0) return false;
    seconds = info.st_mtim.tv_sec;
    return true;
}

bool HostSetModTime(const std::string& hostPath, std::int64_t seconds) {
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, hostPath.c_str(), times, 0) == 0;
}

bool HostSetCurrentDirectory(const std::string& hostPath) {
    return ::chdir(hostPath.c_str()) == 0;
}

}  // namespace platform
