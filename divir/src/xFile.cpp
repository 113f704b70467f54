#include "divir/xFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "divir/xDEQList.h"
#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "platform/HostFile.h"
#include "platform/HostFileSystem.h"
#include "platform/HostPath.h"

namespace {

constexpr std::uint32_t kReadChunk = 100000;
constexpr std::uint32_t kWriteChunk = 32768;
constexpr std::int16_t kSearchPathMax = 4;
// Every host drive counts as a fixed disk.
constexpr std::uint16_t kDriveFixed = 512;

// One open file: its host file, the drive kind, the open mode and its handle.
struct xFileRec {
    platform::HostFile file;
    std::uint16_t driveKind = kDriveFixed;
    std::uint16_t mode = 0;
    std::uint16_t handle = 0;
};

// The table of open files: its data words are xFileRec pointers, and the handle
// a reservation returns is the file handle the layer gives out.
class xFileList final : public xDEQList {};

struct FileLayer {
    std::unique_ptr<xFileList> files;
    std::int16_t startups = 0;
    std::int16_t error = 0;
    std::unique_ptr<std::array<xFileSpec, kSearchPathMax>> searchPath;
    std::int16_t searchCount = 0;
};

FileLayer& Layer() {
    static FileLayer layer;
    return layer;
}

std::string Host(const xFileSpec& fileSpec) {
    return platform::ResolveHostPath(fileSpec.c_str());
}

// Raises a failure that has no path to name: the detail of an earlier failure
// must not be shown with it.
void RaiseWithoutDetail(std::int16_t code) {
    xErrorSetDetail(nullptr);
    xThrow(code);
}

// The record of a handle; raises 1 for an unknown one.
xFileRec* Lookup(std::uint16_t handle) {
    FileLayer& layer = Layer();
    xFileRec* rec = nullptr;
    if (layer.files && handle <= xDEQList::kMaxCapacity) {
        rec = reinterpret_cast<xFileRec*>(layer.files->GetDataItem(static_cast<std::int16_t>(handle)));
    }
    if (rec == nullptr) {
        RaiseWithoutDetail(kErrMemory);
    }
    return rec;
}

void DeleteRecord(xFileRec* rec) {
    FileLayer& layer = Layer();
    if (rec->handle != 0 && layer.files) {
        layer.files->ReleaseRef(static_cast<std::int16_t>(rec->handle), 1);
    }
    delete rec;
}

platform::HostFile::Access AccessFor(std::int16_t mode) {
    using Access = platform::HostFile::Access;
    if ((mode & kFileModeWrite) && (mode & kFileModeRead)) return Access::ReadWrite;
    if (mode & kFileModeWrite) return Access::Write;
    return Access::Read;
}

// The folders a bare name is looked for in.
std::vector<xFileSpec> SearchFolders() {
    FileLayer& layer = Layer();
    std::vector<xFileSpec> folders;
    if (layer.searchCount == 0) {
        folders.push_back(xFileGetApplicationFileSpec());
    } else {
        for (std::int16_t i = 0; i < layer.searchCount; ++i) folders.push_back((*layer.searchPath)[i]);
    }
    return folders;
}

}  // namespace

void xFileStartup(std::int16_t grow) {
    FileLayer& layer = Layer();
    if (!layer.files) {
        const std::int16_t code = xTry([&] {
            auto files = std::make_unique<xFileList>();
            files->IDEQList(grow);
            layer.files = std::move(files);
        });
        if (code != 0) {
            layer.files.reset();
            xErrorSetDetail(nullptr);
            xThrow(code);
            return;
        }
    }
    ++layer.startups;
    layer.error = 0;
}

void xFileCleanup() {
    FileLayer& layer = Layer();
    if (layer.startups > 0 && --layer.startups > 0) {
        return;
    }
    if (!layer.files) {
        return;
    }
    // Records still open are deleted newest first. Their host files close with
    // them: the program does this only at exit, and a leaked descriptor helps no one.
    while (std::int16_t h = layer.files->GetInUseHead()) {
        DeleteRecord(reinterpret_cast<xFileRec*>(layer.files->GetDataItem(h)));
    }
    layer.files.reset();
}

std::uint16_t xFileOpen(const xFileSpec& fileSpec, std::int16_t mode, std::int32_t /*type*/,
                        std::int32_t /*creator*/) {
    FileLayer& layer = Layer();
    xFileRec* rec = nullptr;
    std::uint16_t handle = 0;
    const std::int16_t code = xTry([&] {
        rec = new xFileRec;
        if (!layer.files) {
            xThrow(kErrMemory);  // the file layer was never started
        }
        const std::int16_t h = layer.files->ReserveRef(reinterpret_cast<std::uintptr_t>(rec), 0, 1);
        rec->handle = static_cast<std::uint16_t>(h);
        rec->mode = static_cast<std::uint16_t>(mode);
        const std::string host = Host(fileSpec);
        std::optional<platform::HostFile> file;
        if (!(mode & kFileModeCreate)) {
            file = platform::HostFile::Open(host, AccessFor(mode));
        }
        if (!file) {
            if (!(mode & kFileModeWrite)) {
                xErrorSetDetail(fileSpec.c_str());
                xThrow(kErrFileOpen);
            }
            file = platform::HostFile::Create(host, AccessFor(mode));
            xErrorSetDetail(fileSpec.c_str());
            if (!file) {
                xThrow(kErrFileCreate);
            }
        }
        rec->file = std::move(*file);
        handle = rec->handle;
    });
    if (code != 0) {
        if (rec != nullptr) DeleteRecord(rec);
        xErrorSetDetail(fileSpec.c_str());
        xThrow(code);
        return 0;
    }
    return handle;
}

std::uint16_t xFileOpen(const char* name, std::int16_t mode, std::int32_t type, std::int32_t creator) {
    std::uint16_t handle = 0;
    std::int16_t lastCode = 0;
    for (const xFileSpec& folder : SearchFolders()) {
        xFileSpec fileSpec = folder;
        xFileChangeFileSpec(fileSpec, name);
        lastCode = xTry([&] { handle = xFileOpen(fileSpec, mode, type, creator); });
        if (lastCode == 0) {
            break;
        }
        if (mode != kFileModeRead) {
            const std::int16_t probe = xTry([&] {
                std::uint16_t h = xFileOpen(fileSpec, kFileModeRead, xFourCC("TEXT"), xFourCC("????"));
                xFileClose(h);
            });
            if (probe != 0) {
                break;  // not in this folder: the first failure stands
            }
        }
    }
    xThrow(lastCode);
    return lastCode == 0 ? handle : 0;
}

std::int16_t xFileFindOnPath(const char* name, xFileSpec* out) {
    for (const xFileSpec& folder : SearchFolders()) {
        xFileSpec fileSpec = folder;
        xFileChangeFileSpec(fileSpec, name);
        const std::int16_t code = xTry([&] {
            std::uint16_t h = xFileOpen(fileSpec, kFileModeRead, xFourCC("TEXT"), xFourCC("????"));
            xFileClose(h);
        });
        if (code == 0) {
            if (out != nullptr) *out = fileSpec;
            return 1;
        }
    }
    return 0;
}

void xFileClose(std::uint16_t& handle) {
    if (xFileRec* rec = Lookup(handle)) {
        rec->file.Close();
        DeleteRecord(rec);
    }
    handle = 0;
}

std::uint32_t xFileRead(std::uint16_t handle, void* buffer, std::uint32_t count) {
    if (count == 0) {
        return 0;
    }
    xFileRec* rec = Lookup(handle);
    if (rec == nullptr || buffer == nullptr) {
        return 0;
    }
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::uint32_t total = 0;
    while (total < count) {
        const std::uint32_t chunk = std::min(count - total, kReadChunk);
        const std::int64_t got = rec->file.Read(std::span<std::uint8_t>(bytes + total, chunk));
        if (got < 0) {
            xErrorSetDetail(nullptr);
            xThrow(kErrFileRead);
            break;
        }
        total += static_cast<std::uint32_t>(got);
        if (static_cast<std::uint32_t>(got) < chunk) {
            break;
        }
    }
    return total == 0 ? kFileEnd : total;
}

void xFileWrite(std::uint16_t handle, const void* buffer, std::uint32_t count) {
    xFileRec* rec = Lookup(handle);
    if (rec == nullptr || (buffer == nullptr && count != 0)) {
        return;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(buffer);
    std::uint32_t total = 0;
    while (total < count) {
        const std::uint32_t chunk = std::min(count - total, kWriteChunk);
        const std::int64_t put = rec->file.Write(std::span<const std::uint8_t>(bytes + total, chunk));
        if (put != static_cast<std::int64_t>(chunk)) {
            xErrorSetDetail(nullptr);
            xThrow(kErrFileWrite);
            return;
        }
        total += chunk;
    }
}

std::uint32_t xFileReadLine(std::uint16_t handle, char* buffer, std::int16_t size) {
    if (size < 2 || buffer == nullptr) {
        if (size == 1 && buffer != nullptr) buffer[0] = '\0';
        return kFileEnd;
    }
    const std::uint32_t got = xFileRead(handle, buffer, static_cast<std::uint32_t>(size - 1));
    if (got == kFileEnd || got == 0) {
        return got == 0 ? 0 : kFileEnd;
    }
    buffer[got] = '\0';
    std::uint32_t readTotal = got;
    std::uint32_t consumed = got;
    for (std::uint32_t i = 0; i < got; ++i) {
        const char end = buffer[i];
        if (end != '\r' && end != '\n') continue;
        const char partner = end == '\r' ? '\n' : '\r';
        buffer[i] = '\0';
        consumed = i + 1;
        if (i + 1 < got) {
            if (buffer[i + 1] == partner) ++consumed;
        } else if (i > 0) {
            // The end was the last byte read and its partner may open the next
            // read. The two count as one end, which this call has no room for
            // (it returns at most size - 1): the text before it comes back on its
            // own, and the next call reads the end alone (an empty text).
            char next = 0;
            if (xFileRead(handle, &next, 1) == 1) {
                ++readTotal;
                if (next == partner) consumed = i;
            }
        }
        break;
    }
    if (readTotal > consumed) {
        xFileSeek(handle, -static_cast<std::int32_t>(readTotal - consumed), 1);
    }
    return consumed;
}

void xFileWriteLine(std::uint16_t handle, const char* text) {
    if (text != nullptr) {
        xFileWrite(handle, text, static_cast<std::uint32_t>(std::strlen(text)));
    }
    xFileWrite(handle, "\r\n", 2);
}

std::uint32_t xFileSeek(std::uint16_t handle, std::int32_t offset, std::int16_t origin) {
    xFileRec* rec = Lookup(handle);
    if (rec == nullptr) {
        return kFileEnd;
    }
    std::int64_t position = -1;
    if (origin >= 0 && origin <= 2) {
        position = rec->file.Seek(offset, static_cast<platform::HostFile::Origin>(origin));
    }
    if (position < 0 || position > 0xFFFFFFFELL) {
        xErrorSetDetail(nullptr);
        xThrow(kErrFileRead);
        return kFileEnd;
    }
    return static_cast<std::uint32_t>(position);
}

std::int32_t xFileGetSize(std::uint16_t handle) {
    xFileRec* rec = Lookup(handle);
    if (rec == nullptr) return 0;
    const std::int64_t size = rec->file.Size();
    return size < 0 ? 0 : static_cast<std::int32_t>(std::min<std::int64_t>(size, INT32_MAX));
}

std::int32_t xFileGetEOF(std::uint16_t handle) {
    xFileRec* rec = Lookup(handle);
    if (rec == nullptr) return 0;
    using Origin = platform::HostFile::Origin;
    const std::int64_t here = rec->file.Seek(0, Origin::Current);
    const std::int64_t end = rec->file.Seek(0, Origin::End);
    if (here >= 0) rec->file.Seek(here, Origin::Start);
    return end < 0 ? 0 : static_cast<std::int32_t>(std::min<std::int64_t>(end, INT32_MAX));
}

void xFileSetEOF(std::uint16_t handle, std::int32_t position) {
    xFileRec* rec = Lookup(handle);
    if (rec == nullptr) return;
    std::int64_t length = position;
    if (position == -1) {
        length = rec->file.Seek(0, platform::HostFile::Origin::Current);
    }
    if (length < 0 || !rec->file.SetSize(length)) {
        xErrorSetDetail(nullptr);
        xThrow(kErrFileWrite);
    }
}

std::int16_t xFileGetAttr(std::uint16_t handle) {
    xFileRec* rec = Lookup(handle);
    return rec ? static_cast<std::int16_t>(rec->mode) : 0;
}

std::int16_t xFileExists(const xFileSpec& fileSpec) {
    return platform::HostFileExists(Host(fileSpec)) ? 1 : 0;
}

void xFileDelete(const xFileSpec& fileSpec) {
    if (!platform::HostDeleteFile(Host(fileSpec))) {
        xErrorSetDetail(fileSpec.c_str());
        xThrow(kErrFileWrite);
    }
}

void xFileRename(const xFileSpec& from, const xFileSpec& to) {
    platform::HostRenameFile(Host(from), Host(to));
}

void xFileRenameInPlace(xFileSpec& path, const char* newName) {
    if (newName == nullptr) {
        RaiseWithoutDetail(kErrMemory);
        return;
    }
    xFileSpec target = path;
    if (std::strchr(newName, '\\') == nullptr) {
        xFileChangeFileSpec(target, newName);
    } else {
        target.Set(newName);
    }
    if (!platform::HostRenameFile(Host(path), Host(target))) {
        RaiseWithoutDetail(kErrMemory);
        return;
    }
    path = target;
}

xFileSpec xFileGetApplicationFileSpec() {
    xFileSpec fileSpec;
    const std::optional<std::string> program = platform::ProgramPath();
    // A longer path cannot be held; a cut one would name another file.
    if (!program || program->empty() || program->size() > xFileSpec::kMaxLength) {
        xErrorSetDetail(nullptr);
        xThrow(kErrProgramPath);
        return fileSpec;
    }
    fileSpec.Set(platform::ToWindowsPath(*program).c_str());
    return fileSpec;
}

xFileSpec xFileGetSystemFileSpec() {
    xFileSpec fileSpec;
    const std::optional<std::string> folder = platform::SystemFolder();
    if (!folder || folder->empty() || folder->size() > xFileSpec::kMaxLength) {
        RaiseWithoutDetail(kErrProgramPath);
        return fileSpec;
    }
    std::string text = platform::ToWindowsPath(*folder);
    if (text.back() != '\\') text += '\\';
    fileSpec.Set(text.c_str());
    return fileSpec;
}

void xFileChangeFileSpec(xFileSpec& fileSpec, const char* name) {
    char* text = fileSpec.data();
    text[xFileSpec::kMaxLength] = '\0';
    std::size_t length = std::strlen(text);
    std::size_t folderEnd = 0;
    bool forward = false;
    while (length > 0) {
        const char c = text[length - 1];
        if (c == '\\' || c == '/') {
            folderEnd = length;
            forward = c == '/';
            break;
        }
        --length;
    }
    std::size_t out = folderEnd;
    if (name != nullptr) {
        for (const char* p = name; *p != '\0' && out < xFileSpec::kMaxLength; ++p) {
            char c = *p == ':' ? '\\' : *p;
            if (forward && c == '\\') c = '/';
            text[out++] = c;
        }
    }
    text[out] = '\0';
}

std::int16_t xFileIsAbsolutePath(const char* path) {
    if (path == nullptr || path[0] == '\0') return 0;
    return (path[0] == '\\' || path[0] == '/' || path[1] == ':') ? 1 : 0;
}

std::int16_t xFileIsAbsolutePath(const xFileSpec& fileSpec) {
    return xFileIsAbsolutePath(fileSpec.c_str());
}

void xFileMakeDirectory(const char* name) {
    xFileSpec fileSpec = xFileGetApplicationFileSpec();
    if (fileSpec.empty()) return;
    xFileChangeFileSpec(fileSpec, name);
    const std::string host = Host(fileSpec);
    if (!platform::HostIsDirectory(host)) {
        platform::HostMakeDirectory(host);
    }
}

void xFileAddToSearchPath(const xFileSpec& folder) {
    FileLayer& layer = Layer();
    if (!layer.searchPath) {
        layer.searchPath = std::make_unique<std::array<xFileSpec, kSearchPathMax>>();
    }
    if (layer.searchCount >= kSearchPathMax) {
        xErrorSetDetail(nullptr);
        xThrow(kErrSearchPathFull);
        return;
    }
    (*layer.searchPath)[layer.searchCount++] = folder;
}

void xFileRemoveFromSearchPath(const xFileSpec& folder) {
    FileLayer& layer = Layer();
    if (!layer.searchPath) return;
    auto& entries = *layer.searchPath;
    for (std::int16_t i = 0; i < layer.searchCount; ++i) {
        if (entries[i] == folder) {
            for (std::int16_t j = i; j + 1 < layer.searchCount; ++j) entries[j] = entries[j + 1];
            --layer.searchCount;
            return;
        }
    }
}

void xFileResetSearchPath() {
    FileLayer& layer = Layer();
    layer.searchCount = 0;
    layer.searchPath.reset();
}

void xFileSetError(std::int16_t error) {
    Layer().error = error;
}
std::int16_t xFileGetLastError() {
    return Layer().error;
}

void xFileGetModTime(const xFileSpec& path, xDateTime& time) {
    std::int64_t seconds = 0;
    std::tm fields{};
    if (!platform::HostGetModTime(Host(path), seconds)) {
        RaiseWithoutDetail(kErrMemory);
        return;
    }
    const std::time_t stamp = static_cast<std::time_t>(seconds);
    if (::gmtime_r(&stamp, &fields) == nullptr) {
        RaiseWithoutDetail(kErrMemory);
        return;
    }
    time = xDateTime::FromCalendar(fields);
}

void xFileSetModTime(const xFileSpec& path, const xDateTime& time) {
    static constexpr int kDaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (time.month < 1 || time.month > 12 || time.day < 1 || time.day > kDaysInMonth[time.month - 1] ||
        time.hour > 23 || time.minute > 59 || time.second > 59 || time.year < 1601 || time.year > 30827) {
        return;
    }
    const bool leap = (time.year % 4 == 0 && time.year % 100 != 0) || time.year % 400 == 0;
    if (time.month == 2 && time.day == 29 && !leap) {
        return;
    }
    std::tm fields{};
    fields.tm_hour = time.hour;
    fields.tm_min = time.minute;
    fields.tm_sec = time.second;
    fields.tm_mday = time.day;
    fields.tm_mon = time.month - 1;
    fields.tm_year = time.year - 1900;
    const std::time_t stamp = ::timegm(&fields);
    if (!platform::HostSetModTime(Host(path), static_cast<std::int64_t>(stamp))) {
        RaiseWithoutDetail(kErrMemory);
    }
}
