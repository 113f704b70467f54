// The dispatch file as the game's dispatch proxy reads it once downloaded: the
// generic keys, then the numbered picture-server sections its own key names.

#include "FuzzSupport.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "game/model/PictureDispatchInfo.h"
#include "game/model/PictureDispatchProxy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static PictureDispatchProxy* const proxy = [] {
        xFileStartup(8);
        return new PictureDispatchProxy;
    }();
    const fuzz::Input input(data, size);
    fuzz::ScratchFolder& folder = fuzz::ScratchFolder::Get();
    folder.Write("dispatch.ini", input.Rest());
    PictureDispatchInfo info;
    const bool good = proxy->ReadServerSections(folder.Win("dispatch.ini"), info);
    const std::int32_t servers = info.GetPictureServerCount();
    if (servers < 0 || servers > DispatchInfo::kMaxServers || (good && servers == 0)) __builtin_trap();
    xErrorCode = 0;
    return 0;
}
