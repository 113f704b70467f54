#include "game/model/PictureDispatchProxy.h"

#include <array>
#include <cstring>

#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "game/model/PictureDispatchSucceededMsg.h"
#include "net/DispatchIni.h"
#include "net/HttpResponseMsg.h"

namespace {

constexpr char kMissing[] = "_eRrOr_";
constexpr char kDispatchSection[] = "Dispatch File";
constexpr char kSectionKey[] = "Vizuzor Server Section";
// The prefix is read into 100 characters, the names into 513.
constexpr std::uint32_t kPrefixSize = 100;
constexpr std::uint32_t kNameSize = 513;

}  // namespace

void PictureDispatchProxy::OnHttpMsg(const HttpResponseDoneMsg& msg) {
    if (IsStarted()) {
        if (ReadServerSections(msg.GetPath(), pictureInfo_)) {
            Send(PictureDispatchSucceededMsg(pictureInfo_));
            Stop();
        } else {
            Fail();
        }
    }
    const xFileSpec local(msg.GetPath().c_str());
    if (xFileExists(local)) xTry([&] { xFileDelete(local); });
}

bool PictureDispatchProxy::ReadServerSections(const std::string& path, PictureDispatchInfo& info) {
    if (!ParseDispatchFile(path, info)) return false;
    std::array<char, kPrefixSize> prefix{};
    const std::uint32_t length = DispatchIniGetString(kDispatchSection, kSectionKey, kMissing, prefix.data(),
                                                      kPrefixSize, path.c_str());
    info.ClearPictureServers();
    // A prefix that filled the buffer may have been cut: only the whole value names
    // the sections, so a cut one names none and the file is refused.
    if (length + 1 >= kPrefixSize && ReadText(path, kDispatchSection, kSectionKey) != prefix.data())
        return false;
    std::array<char, kNameSize> name{};
    while (info.GetPictureServerCount() < DispatchInfo::kMaxServers) {
        // Built at any length: the prefix comes from the downloaded file.
        const std::string section =
            std::string(prefix.data()) + " " + std::to_string(info.GetPictureServerCount() + 1);
        DispatchIniGetString(section.c_str(), "HTTP Server Name", kMissing, name.data(), kNameSize,
                             path.c_str());
        if (std::strcmp(name.data(), kMissing) == 0) break;
        info.AddPictureServer(ContentServer{
            name.data(), DispatchIniGetInt(section.c_str(), "HTTP Server Port", 0, path.c_str())});
    }
    return info.GetPictureServerCount() > 0;
}
