#include "platform/VersionRecord.h"

#include <algorithm>
#include <cstring>
#include <fstream>
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
    const std::uint8_t* begin = bytes.data();
    const std::uint8_t* end = begin + bytes.size();
    const std::uint8_t* from = begin;
    while (static_cast<std::size_t>(end - from) >= kRecordSize) {
        const std::uint8_t* hit =
            std::search(from, end, std::begin(kVersionRecordSignature), std::end(kVersionRecordSignature));
        if (hit == end || static_cast<std::size_t>(end - hit) < kRecordSize) break;
        if (std::optional<VersionInfo> info = ParseAt(hit)) return info;
        from = hit + 1;
    }
    return std::nullopt;
}

std::optional<VersionInfo> ReadVersionRecord(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return std::nullopt;
    // Each window holds the tail of the one before, so a record across the
    // boundary of two pieces is still seen whole.
    std::vector<std::uint8_t> window;
    std::vector<std::uint8_t> piece(kReadPiece);
    while (in) {
        in.read(reinterpret_cast<char*>(piece.data()), static_cast<std::streamsize>(piece.size()));
        const std::size_t got = static_cast<std::size_t>(in.gcount());
        if (got == 0) break;
        window.insert(window.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        if (std::optional<VersionInfo> info = FindVersionRecord(window)) return info;
        if (window.size() >= kRecordSize) {
            window.erase(window.begin(), window.end() - static_cast<std::ptrdiff_t>(kRecordSize - 1));
        }
    }
    return std::nullopt;
}

}  // namespace platform
