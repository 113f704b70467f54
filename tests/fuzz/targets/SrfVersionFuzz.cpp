// A .srf's version text ("Ver " resource 1) as the file updates and the
// resource service read it: the input is the resource's bytes, placed in a
// one-entry .srf. The version is the text up to its first zero, read as a
// dotted version.

#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "OneEntrySrf.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "resource/SrfVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (xFileStartup(8), true);
    (void)started;
    const fuzz::Input input(data, size);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("ads.srf", fuzz::OneEntrySrf(MakeFourCC("Ver "), 1, input.Rest()));
    Version version;
    bool loaded = false;
    if (!GetSrfVersion(folder.Win("ads.srf"), version, &loaded)) __builtin_trap();
    const std::string_view bytes = input.RestText();
    const std::string text(bytes.substr(0, ::strnlen(bytes.data(), bytes.size())));
    if (loaded && !(version == Version(text))) __builtin_trap();
    xErrorCode = 0;
    return 0;
}
