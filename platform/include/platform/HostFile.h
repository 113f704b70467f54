#pragma once

// An open host file: a POSIX descriptor owned for the object's lifetime.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

class HostFile {
  public:
    enum class Access { Read, Write, ReadWrite };
    enum class Origin { Start = 0, Current = 1, End = 2 };

    // Opens an existing file.
    static std::optional<HostFile> Open(const std::string& hostPath, Access access);
    // Creates the file, or truncates it when it exists.
    static std::optional<HostFile> Create(const std::string& hostPath, Access access);

    HostFile() = default;
    HostFile(HostFile&& other) noexcept;
    HostFile& operator=(HostFile&& other) noexcept;
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    ~HostFile();

    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    // Bytes read (0 at end of file), or -1 when the system read fails.
    std::int64_t Read(std::span<std::uint8_t> buffer);
    // Bytes written, or -1 when the system write fails.
    std::int64_t Write(std::span<const std::uint8_t> buffer);
    // The new position, or -1 (a position before the start fails).
    std::int64_t Seek(std::int64_t offset, Origin origin);
    // The file's size, or -1.
    std::int64_t Size() const;
    bool SetSize(std::int64_t size);

  private:
    explicit HostFile(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace platform
