// An .srf file opened by the resource reader, and every resource its index
// names (the first 64) loaded, as the program loads art and sound.

#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "resource/xSimpleResFile.h"

namespace {

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (at + 4 > bytes.size()) return 0;
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (xFileStartup(8), true);
    (void)started;
    const fuzz::Input input(data, size);
    const std::span<const std::uint8_t> file = input.Rest();
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("art.srf", file);

    // What the index claims, read here independently of the reader: type and
    // count words, then entries of 3 (srf1) or 4 (srf2) words led by the id.
    std::vector<std::pair<std::uint32_t, std::int32_t>> wanted;
    const std::size_t entryWords = BigEndian(file, 0) == MakeFourCC("srf1") ? 3 : 4;
    const std::size_t indexEnd = 12 + std::min<std::size_t>(BigEndian(file, 8), file.size());
    std::size_t at = 12;
    while (at + 8 <= indexEnd && wanted.size() < 64) {
        const std::uint32_t type = BigEndian(file, at);
        const std::size_t count = BigEndian(file, at + 4) & 0xFFFF;
        at += 8;
        for (std::size_t e = 0; e < count && at + 4 <= indexEnd && wanted.size() < 64; ++e, at += entryWords * 4) {
            wanted.emplace_back(type, static_cast<std::int32_t>(BigEndian(file, at)));
        }
    }
    wanted.emplace_back(MakeFourCC("Ver "), 1);

    xSimpleResFile reader("fuzz");
    if (xTry([&] { reader.OpenAt(1, xFileSpec(folder.Win("art.srf").c_str()), 0); }) == 0) {
        for (const auto& want : wanted) {
            const std::uint32_t type = want.first;
            const std::int32_t id = want.second;
            std::uint8_t* block = nullptr;
            xTry([&] { block = reader.LoadResource(type, id, xSimpleResFile::kAnyFile); });
            if (block != nullptr) {
                // The block holds the entry and one terminating zero.
                const std::uint32_t blockSize = ResDataSize(block);
                if (ResDataLock(block)[blockSize] != 0) __builtin_trap();
                ResDataUnlock(block);
                ResDataFree(block);
            }
        }
    }
    reader.Close(xSimpleResFile::kAnyFile);
    xErrorCode = 0;
    return 0;
}
