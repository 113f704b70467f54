// The language filter's coded list as the game loads it from its "Text"
// resource, then chat texts checked against it. The first byte picks whether
// the input's block is taken as it stands or sealed first with its true length
// and checksum (so that the load gets past the checksum), and the length of
// the chat text that follows; the rest is the block (or, sealed, its coded text).

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "resource/LanguageFilter.h"
#include "resource/xFilterList.h"

namespace {

void PutLittle32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The coded text behind a header of its length and the checksum the reader adds up.
std::vector<std::uint8_t> Sealed(std::span<const std::uint8_t> text) {
    std::vector<std::uint8_t> block(8);
    block.insert(block.end(), text.begin(), text.end());
    PutLittle32(block, 4, static_cast<std::uint32_t>(text.size()));
    xFilterList list(block);
    char line[600];
    while (list.ReadLine(line, sizeof line) != 0) {
    }
    PutLittle32(block, 0, list.GetCheckSum().GetSum());
    return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const std::uint32_t mode = input.Small(256);
    const bool seal = (mode & 1) != 0;
    const std::size_t textLength = std::min<std::size_t>(mode >> 1, input.Rest().size());
    const std::string text(input.RestText().substr(0, textLength));
    const std::span<const std::uint8_t> rest = input.Rest().subspan(textLength);
    const std::vector<std::uint8_t> block = seal ? Sealed(rest) : std::vector<std::uint8_t>(rest.begin(), rest.end());

    const std::int16_t code = xTry([&] { LanguageFilterLoadBlock(block); });
    if (seal && code != 0) __builtin_trap();
    if (code != 0 && !LanguageFilterPatterns().empty()) __builtin_trap();

    // Every loaded pattern is lower case, with no line end left in it.
    for (const std::string& pattern : LanguageFilterPatterns()) {
        if (pattern.empty()) __builtin_trap();
        for (char c : pattern) {
            if (c >= 'A' && c <= 'Z') __builtin_trap();
        }
    }
    for (std::size_t outSize : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{64}}) {
        char out[65];
        std::memset(out, 0x7f, sizeof out);
        const std::int16_t clean = LanguageFilterCheck(text.c_str(), outSize == 0 ? nullptr : out, outSize);
        if (clean != 0 && clean != 1) __builtin_trap();
        if (outSize > 0 && std::memchr(out, 0, outSize) == nullptr) __builtin_trap();
        if (out[outSize] != 0x7f && outSize < sizeof out) __builtin_trap();
    }
    LanguageFilterMatchWord(text.c_str());
    LanguageFilterClear();
    xErrorCode = 0;
    return 0;
}
