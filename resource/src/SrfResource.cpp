#include "resource/SrfResource.h"

#include <cstring>
#include <string_view>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "resource/FileFunctions.h"
#include "resource/ResourceMsgs.h"

namespace {

constexpr std::uint32_t kVersionType = MakeFourCC("Ver ");
constexpr std::uint32_t kLongestVersionText = 98;

}  // namespace

SrfResource::SrfResource(const std::string& name, SrfFileAccess* access)
    : FileResource(name), xSimpleResFile(name.c_str(), access) {
    if (FileExists(GetPath())) {
        Update();
    }
}

SrfResource::~SrfResource() = default;

bool SrfResource::Exists() {
    return open_;
}

Version SrfResource::GetVersion() const {
    return version_;
}

void SrfResource::ReleaseFile() {
    if (IsOpen(0)) Close(0);
    open_ = false;
    version_ = Version::None();
}

void SrfResource::Update() {
    FileResource::Update();
    if (!IsCurrent()) return;
    ReleaseFile();
    std::uint8_t* data = nullptr;
    const std::int16_t code = xTry([&] {
        OpenAt(0, xFileSpec(GetPath().c_str()), 0);
        open_ = true;
        data = LoadResource(kVersionType, 1, 0);
        const std::uint32_t size = ResDataSize(data);
        if (size <= kLongestVersionText) {
            const char* text = reinterpret_cast<const char*>(data);
            version_ = Version(std::string_view(text, ::strnlen(text, size)));
        }
    });
    ResDataFree(data);
    if (code != 0) {
        // A file that does not open, or has no version, is no failure here.
        xErrorCode = 0;
    }
    Send(FileUpdatedMsg());
}

bool SrfResource::DeleteFile() {
    if (IsLocked()) return false;
    ReleaseFile();
    return FileResource::DeleteFile();
}

bool SrfResource::RenameTo(FileResource& other) {
    if (IsLocked()) return false;
    ReleaseFile();
    return FileResource::RenameTo(other);
}
