// A program file's version record as start-up reads it (found by scanning the
// file in pieces, then through ReadVersionInfo into buffers of the sizes the
// input picks), and the input as a dotted version text. The first byte picks
// whether a record is placed in the bytes with its checksum sealed, so the
// scan gets past the checksum. Reading the file finds what scanning the bytes
// finds.

#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xVersionInfo.h"
#include "platform/VersionRecord.h"
#include "resource/Version.h"

namespace {

// Makes the record-sized run of bytes at `at` (or the last one) a valid record:
// the signature, each text's field ending in a zero, and the checksum.
void Seal(std::vector<std::uint8_t>& bytes, std::size_t at) {
    constexpr std::size_t kRecord = sizeof(platform::VersionRecord);
    constexpr std::size_t kSummed = offsetof(platform::VersionRecord, checksum);
    if (bytes.size() < kRecord) bytes.resize(kRecord);
    at = std::min(at, bytes.size() - kRecord);
    std::memcpy(bytes.data() + at, platform::kVersionRecordSignature, sizeof platform::kVersionRecordSignature);
    bytes[at + offsetof(platform::VersionRecord, comments) - 1] = 0;
    bytes[at + offsetof(platform::VersionRecord, specialBuild) - 1] = 0;
    bytes[at + kSummed - 1] = 0;
    const std::uint32_t sum = platform::VersionRecordChecksum(bytes.data() + at, kSummed);
    for (std::size_t i = 0; i < 4; ++i) bytes[at + kSummed + i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

bool SameInfo(const std::optional<platform::VersionInfo>& a, const std::optional<platform::VersionInfo>& b) {
    if (a.has_value() != b.has_value()) return false;
    if (!a) return true;
    return std::memcmp(a->parts, b->parts, sizeof a->parts) == 0 && a->productName == b->productName &&
           a->comments == b->comments && a->specialBuild == b->specialBuild;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (xFileStartup(8), true);
    (void)started;
    fuzz::Input input(data, size);
    const std::uint32_t mode = input.Small(256);
    const std::uint32_t textSize = input.Small(80);
    std::vector<std::uint8_t> bytes(input.Rest().begin(), input.Rest().end());
    if ((mode & 1) != 0) Seal(bytes, (mode >> 1) * 97);

    const auto scanned = platform::FindVersionRecord(bytes);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    const std::string host = folder.Write("program.exe", bytes);
    const auto read = platform::ReadVersionRecord(host);
    if (!SameInfo(scanned, read)) __builtin_trap();
    if ((mode & 1) != 0 && !scanned) __builtin_trap();

    std::uint16_t parts[4] = {9, 9, 9, 9};
    std::vector<char> product(textSize + 1, '\x7f'), comments(textSize + 1, '\x7f'), special(textSize + 1, '\x7f');
    const bool found = ReadVersionInfo(folder.Win("program.exe").c_str(), &parts[0], &parts[1], &parts[2], &parts[3],
                                       product.data(), textSize, comments.data(), textSize, special.data(), textSize);
    if (found != scanned.has_value()) __builtin_trap();
    for (const std::vector<char>* text : {&product, &comments, &special}) {
        if ((*text)[textSize] != '\x7f') __builtin_trap();
        if (found && textSize > 0 && std::memchr(text->data(), 0, textSize) == nullptr) __builtin_trap();
    }

    // The bytes as a version text: what it reads as writes a text that reads the same.
    const std::string_view text = input.RestText().substr(0, 40);
    const Version version(text);
    const std::string written = version.GetText();
    if (written != "<Invalid>" && written != "<None>" && Version(written).GetText() != written) __builtin_trap();
    xErrorCode = 0;
    return 0;
}
