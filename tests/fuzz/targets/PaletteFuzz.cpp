// A palette text ("pal " resource) as the art loads it: the input is the
// resource's bytes, placed in a one-entry .srf. Either 256 entries load or the
// load throws the integer 0.

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/ExecutionService.h"
#include "media/PaletteResource.h"
#include "resource/xSimpleResFile.h"

namespace {

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// "srf1": the header, one index group of one entry (id 1), then the data.
std::vector<std::uint8_t> OneEntrySrf(std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kIndexBytes = 20;
    std::vector<std::uint8_t> srf;
    PutBig32(srf, MakeFourCC("srf1"));
    PutBig32(srf, static_cast<std::uint32_t>(12 + kIndexBytes + bytes.size()));
    PutBig32(srf, kIndexBytes);
    PutBig32(srf, MakeFourCC("pal "));
    PutBig32(srf, 1);
    PutBig32(srf, 1);
    PutBig32(srf, 12 + kIndexBytes);
    PutBig32(srf, static_cast<std::uint32_t>(bytes.size()));
    srf.insert(srf.end(), bytes.begin(), bytes.end());
    return srf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = [] {
        xFileStartup(8);
        ExecutionService::Register();
        return true;
    }();
    (void)started;
    const fuzz::Input input(data, size);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("art.srf", OneEntrySrf(input.Rest()));
    PaletteResource palette(folder.Win("art.srf"), 1);
    bool threw = false;
    try {
        palette.Load();
    } catch (int) {
        threw = true;
    }
    if (threw == palette.IsLoaded()) __builtin_trap();
    if (palette.IsLoaded() && palette.GetCount() != 256) __builtin_trap();
    xErrorCode = 0;
    return 0;
}
