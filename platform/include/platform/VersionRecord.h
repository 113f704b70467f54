#pragma once

// The version record our own binaries carry in place of a Windows version block:
// a fixed-size record marked by a 16-byte signature and guarded by a checksum,
// placed in the binary by add_version_record (cmake/VersionRecord.cmake). The
// reader finds it by scanning any file, so a file without one simply has no
// version.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

struct VersionRecord {
    static constexpr std::size_t kProductNameSize = 64;
    static constexpr std::size_t kCommentsSize = 128;
    static constexpr std::size_t kSpecialBuildSize = 64;

    unsigned char signature[16];
    unsigned char parts[8];  // four 16-bit file-version parts, little-endian, most significant first
    char productName[kProductNameSize];  // each text terminated inside its field
    char comments[kCommentsSize];
    char specialBuild[kSpecialBuildSize];
    unsigned char checksum[4];  // FNV-1a of every byte before it, little-endian
};
static_assert(sizeof(VersionRecord) == 284, "the record is read by offsets");

inline constexpr unsigned char kVersionRecordSignature[16] = {0x7F, 'V', 'z', 'V', 'e', 'r',  's',  'i',
                                                              'o',  'n', 'R', 'e', 'c', 0x00, 0x01, 0xFE};

constexpr std::uint32_t VersionRecordChecksum(const unsigned char* bytes, std::size_t count) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < count; ++i) {
        hash = (hash ^ bytes[i]) * 16777619u;
    }
    return hash;
}

// Builds the record at compile time; texts are cut to fit their fields.
constexpr VersionRecord MakeVersionRecord(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                          std::uint16_t build, const char* productName, const char* comments,
                                          const char* specialBuild) {
    VersionRecord record{};
    for (std::size_t i = 0; i < 16; ++i) record.signature[i] = kVersionRecordSignature[i];
    const std::uint16_t parts[4] = {major, minor, release, build};
    for (std::size_t i = 0; i < 4; ++i) {
        record.parts[2 * i] = static_cast<unsigned char>(parts[i] & 0xFF);
        record.parts[2 * i + 1] = static_cast<unsigned char>(parts[i] >> 8);
    }
    auto copy = [](char* field, std::size_t size, const char* text) {
        for (std::size_t i = 0; text != nullptr && text[i] != '\0' && i + 1 < size; ++i) field[i] = text[i];
    };
    copy(record.productName, VersionRecord::kProductNameSize, productName);
    copy(record.comments, VersionRecord::kCommentsSize, comments);
    copy(record.specialBuild, VersionRecord::kSpecialBuildSize, specialBuild);
    // The checksum covers the bytes as laid out: gather them without a cast.
    unsigned char bytes[offsetof(VersionRecord, checksum)] = {};
    std::size_t at = 0;
    for (unsigned char b : record.signature) bytes[at++] = b;
    for (unsigned char b : record.parts) bytes[at++] = b;
    for (char c : record.productName) bytes[at++] = static_cast<unsigned char>(c);
    for (char c : record.comments) bytes[at++] = static_cast<unsigned char>(c);
    for (char c : record.specialBuild) bytes[at++] = static_cast<unsigned char>(c);
    const std::uint32_t sum = VersionRecordChecksum(bytes, at);
    for (std::size_t i = 0; i < 4; ++i) record.checksum[i] = static_cast<unsigned char>(sum >> (8 * i));
    return record;
}

struct VersionInfo {
    std::uint16_t parts[4] = {};
    std::string productName;
    std::string comments;
    std::string specialBuild;
};

// The first valid record in the bytes (signature, checksum, terminated texts).
std::optional<VersionInfo> FindVersionRecord(std::span<const std::uint8_t> bytes);
// The record of a file, read in pieces; none for a missing file or one without it.
std::optional<VersionInfo> ReadVersionRecord(const std::string& hostPath);

}  // namespace platform
