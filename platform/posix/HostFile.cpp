#include "platform/HostFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

namespace {

int Flags(HostFile::Access access) {
    switch (access) {
        case HostFile::Access::Read:
            return O_RDONLY;
        case HostFile::Access::Write:
            return O_WRONLY;
        case HostFile::Access::ReadWrite:
            return O_RDWR;
    }
    return O_RDONLY;
}

bool IsDirectoryFd(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<HostFile> HostFile::Open(const std::string& hostPath, Access access) {
    const int fd = ::open(hostPath.c_str(), Flags(access) | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    if (IsDirectoryFd(fd)) {  // a folder is not a file to the program
        ::close(fd);
        return std::nullopt;
    }
    return HostFile(fd);
}

std::optional<HostFile> HostFile::Create(const std::string& hostPath, Access access) {
    const int fd = ::open(hostPath.c_str(), Flags(access) | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return std::nullopt;
    }
    return HostFile(fd);
}

HostFile::HostFile(HostFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

HostFile& HostFile::operator=(HostFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

HostFile::~HostFile() {
    Close();
}

void HostFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::int64_t HostFile::Read(std::span<std::uint8_t> buffer) {
    if (fd_ < 0) return -1;
    std::size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t got = ::read(fd_, buffer.data() + total, buffer.size() - total);
        if (got < 0) {
            if (errno == EINTR) continue;
            return total > 0 ? static_cast<std::int64_t>(total) : -1;
        }
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(total);
}

std::int64_t HostFile::Write(std::span<const std::uint8_t> buffer) {
    if (fd_ < 0) return -1;
    std::size_t total = 0;
    while (total < buffer.size()) {
        const ssize_t put = ::write(fd_, buffer.data() + total, buffer.size() - total);
        if (put < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        total += static_cast<std::size_t>(put);
    }
    return static_cast<std::int64_t>(total);
}

std::int64_t HostFile::Seek(std::int64_t offset, Origin origin) {
    if (fd_ < 0) return -1;
    const int whence = origin == Origin::Start ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
    return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

std::int64_t HostFile::Size() const {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return -1;
    return info.st_size;
}

bool HostFile::SetSize(std::int64_t size) {
    return fd_ >= 0 && size >= 0 && ::ftruncate(fd_, size) == 0;
}

}  // namespace platform
