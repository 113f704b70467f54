// A palette text ("pal " resource) as the art loads it: the input is the
// resource's bytes, placed in a one-entry .srf. Either 256 entries load or the
// load throws the integer 0.

#include "FuzzSupport.h"
#include "OneEntrySrf.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "framework/ExecutionService.h"
#include "media/PaletteResource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = [] {
        xFileStartup(8);
        ExecutionService::Register();
        return true;
    }();
    (void)started;
    const fuzz::Input input(data, size);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("art.srf", fuzz::OneEntrySrf(MakeFourCC("pal "), 1, input.Rest()));
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
