// The dispatch file as start-up reads it once downloaded.

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "net/DispatchInfo.h"
#include "net/DispatchProxy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static DispatchProxy* const proxy = [] {
        xFileStartup(8);
        return new DispatchProxy;
    }();
    const fuzz::Input input(data, size);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("dispatch.ini", input.Rest());
    DispatchInfo info;
    proxy->ParseDispatchFile(folder.Win("dispatch.ini"), info);
    if (info.registrationServerCount < 0 || info.registrationServerCount > DispatchInfo::kMaxServers) {
        __builtin_trap();
    }
    xErrorCode = 0;
    return 0;
}
