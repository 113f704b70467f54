#include "platform/VersionRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr std::size_t kRecordSize = sizeof(VersionRecord);
constexpr std::size_t kReadPiece = 1 << 20;

// A field's text, when it is terminated inside the field.
std::optional<std::string> FieldText(const std::uint8_t* field, std::size_t size) {
    const void* end = std::memchr(field, 0, size);
    if (end == nullptr) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(field), static_cast<const std::uint8_t*>(end) - field);
}

std::optional<VersionInfo> ParseAt(const std::uint8_t* at) {
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < 4; ++i)
        stored |= std::uint32_t{at[offsetof(VersionRecord, checksum) + i]} << (8 * i);
    if (VersionRecordChecksum(at, offsetof(VersionRecord, checksum)) != stored) return std::nullopt;
    VersionInfo info;
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint8_t* part = at + offsetof(VersionRecord, parts) + 2 * i;
        info.parts[i] = static_cast<std::uint16_t>(part[0] | (part[1] << 8));
    }
    auto product = FieldText(at + offsetof(VersionRecord, productName), VersionRecord::kProductNameSize);
    auto comments = FieldText(at + offsetof(VersionRecord, comments), VersionRecord::kCommentsSize);
    auto special = FieldText(at + offsetof(VersionRecord, specialBuild), VersionRecord::kSpecialBuildSize);
    if (!product || !comments || !special) return std::nullopt;
    info.productName = std::move(*product);
    info.comments = std::move(*comments);
    info.specialBuild = std::move(*special);
    return info;
}

}  // namespace

std::optional<VersionInfo> FindVersionRecord(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* from = bytes.data();
    const std::uint8_t* const end = from + bytes.size();
    // A program scans its own file (tens of megabytes in a debug or sanitizer
    // build) at every start: the signature's first byte is found with memchr,
    // which stays fast where a byte-by-byte search is not optimised.
    while (static_cast<std::size_t>(end - from) >= kRecordSize) {
        const std::size_t starts = static_cast<std::size_t>(end - from) - kRecordSize + 1;
        const auto* hit = static_cast<const std::uint8_t*>(std::memchr(from, kVersionRecordSignature[0], starts));
        if (hit == nullptr) break;
        if (std::memcmp(hit, kVersionRecordSignature, sizeof kVersionRecordSignature) == 0) {
            if (std::optional<VersionInfo> info = ParseAt(hit)) return info;
        }
        from = hit + 1;
    }
    return std::nullopt;
}

std::optional<VersionInfo> ReadVersionRecord(const std::string& hostPath) {
    // Only a regular file is scanned: a FIFO would block the read for ever and a
    // device could read for ever. The open itself must not wait for a FIFO's writer.
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } const closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    // Each window holds the tail of the one before, so a record across the
    // boundary of two pieces is still seen whole.
    std::vector<std::uint8_t> window;
    std::vector<std::uint8_t> piece(kReadPiece);
    for (;;) {
        const ssize_t n = ::read(fd, piece.data(), piece.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        const auto got = static_cast<std::size_t>(n);
        window.insert(window.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        if (std::optional<VersionInfo> info = FindVersionRecord(window)) return info;
        if (window.size() >= kRecordSize) {
            window.erase(window.begin(), window.end() - static_cast<std::ptrdiff_t>(kRecordSize - 1));
        }
    }
    return std::nullopt;
}

}  // namespace platform
