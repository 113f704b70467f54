#include "resource/SrfVersion.h"

#include <cstring>
#include <string_view>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "resource/xSimpleResFile.h"

bool GetSrfVersion(const std::string& path, Version& version, bool* loaded) {
    bool opened = false;
    bool read = false;
    std::uint8_t* data = nullptr;
    std::string text;
    {
        xSimpleResFile reader("GetSrfVersion");
        const std::int16_t code = xTry([&] {
            if (xFileIsAbsolutePath(path.c_str())) {
                reader.OpenAt(0, xFileSpec(path.c_str()), 0);
            } else {
                reader.OpenSrfFile(0, path.c_str(), 0);
            }
            opened = true;
            data = reader.LoadResource(MakeFourCC("Ver "), 1, xSimpleResFile::kAnyFile);
            const char* bytes = reinterpret_cast<const char*>(data);
            text.assign(bytes, ::strnlen(bytes, ResDataSize(data)));
            read = true;
        });
        ResDataFree(data);
        switch (code) {
            case 0:
            case kErrResourceFile:
            case kErrResourceMissing:
            case kErrFileOpen:
            case kErrFileRead:
            case kErrFileCreate:
                xErrorCode = 0;
                break;
            default:
                reader.Close(xSimpleResFile::kAnyFile);
                xThrow(code);
                break;
        }
    }
    if (loaded != nullptr) *loaded = read;
    if (!opened) {
        version = Version(0, 0, 0, Version::kAbsent);
        return false;
    }
    version = read ? Version(text) : Version(0, 0, 0, Version::kAbsent);
    return true;
}

Version ReadSrfVersion(const std::string& path) {
    Version version;
    GetSrfVersion(path, version);
    return version;
}

bool ReadSrfVersion(const std::string& path, Version& version) {
    bool loaded = false;
    return GetSrfVersion(path, version, &loaded) && loaded;
}
