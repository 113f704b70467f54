#include "resource/ExeResource.h"

#include "divir/xVersionInfo.h"
#include "resource/FileFunctions.h"
#include "resource/ResourceMsgs.h"

ExeResource::ExeResource(const std::string& name) : FileResource(name) {
    if (FileExists(GetPath())) {
        Update();
    }
}

Version ExeResource::GetVersion() const {
    return version_;
}

bool ExeResource::Exists() {
    return exists_;
}

void ExeResource::Update() {
    FileResource::Update();
    if (!IsCurrent()) return;
    std::uint16_t parts[4] = {};
    exists_ = ReadVersionInfo(GetPath().c_str(), &parts[0], &parts[1], &parts[2], &parts[3], nullptr, 0, nullptr, 0,
                              nullptr, 0);
    version_ = exists_ ? Version(parts[0], parts[1], parts[2], parts[3]) : Version::None();
    Send(FileUpdatedMsg());
}
