#include "resource/xSimpleResFile.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xMemory.h"
#include "divir/xTryFrame.h"
#include "framework/xMixerPoll.h"

namespace {

constexpr std::uint32_t kMagic1 = MakeFourCC("srf1");
constexpr std::uint32_t kMagic2 = MakeFourCC("srf2");
constexpr std::size_t kNameLength = 64;

// A data block: this header, the data, one zero byte. The header keeps the data
// 16-byte aligned.
struct alignas(16) BlockHeader {
    std::uint32_t size;
};
constexpr std::size_t kHeaderSize = sizeof(BlockHeader);

std::uint32_t FromBigEndian(const std::uint8_t* bytes) {
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | static_cast<std::uint32_t>(bytes[3]);
}

// What the file layer's read gave, as a count (its end-of-file answer is none).
std::uint32_t Got(std::uint32_t read) {
    return read == kFileEnd ? 0 : read;
}

void RaiseNamed(std::int16_t code, const std::string& name) {
    xErrorSetDetail(name.c_str());
    xThrow(code);
}

class LowerLayerAccess final : public SrfFileAccess {
  public:
    std::uint16_t OpenByName(const char* name) override {
        return xFileOpen(name, kFileModeRead, xFourCC("????"), xFourCC("TEXT"));
    }
    std::uint16_t Open(const xFileSpec& fileSpec) override {
        return xFileOpen(fileSpec, kFileModeRead, xFourCC("????"), xFourCC("TEXT"));
    }
    std::uint32_t Seek(std::uint16_t handle, std::int32_t offset) override { return xFileSeek(handle, offset, 0); }
    std::uint32_t Read(std::uint16_t handle, void* buffer, std::uint32_t count) override {
        return xFileRead(handle, buffer, count);
    }
    std::int32_t GetSize(std::uint16_t handle) override { return xFileGetSize(handle); }
    void Close(std::uint16_t& handle) override { xFileClose(handle); }
    void Poll(std::uint32_t ms) override { xMixerPoll(ms); }
};

}  // namespace

SrfFileAccess& SrfFileAccess::Default() {
    static LowerLayerAccess access;
    return access;
}

std::uint32_t ResDataSize(const std::uint8_t* data) {
    if (data == nullptr) return 0;
    return reinterpret_cast<const BlockHeader*>(data - kHeaderSize)->size;
}

std::uint8_t* ResDataLock(std::uint8_t* data) {
    return data;
}

void ResDataUnlock(std::uint8_t* /*data*/) {}

void ResDataFree(std::uint8_t*& data) {
    if (data == nullptr) return;
    xMemFree(data - kHeaderSize);
    data = nullptr;
}

xSimpleResFile::xSimpleResFile(const char* ownerName, SrfFileAccess* access)
    : access_(access != nullptr ? access : &SrfFileAccess::Default()) {
    if (ownerName != nullptr) {
        std::strncpy(ownerName_, ownerName, sizeof ownerName_ - 1);
    }
}

xSimpleResFile::~xSimpleResFile() {
    Close(kAnyFile);
}

void xSimpleResFile::OpenAt(std::int16_t fileId, const xFileSpec& fileSpec, std::uint32_t baseOffset) {
    Open(fileId, fileSpec.c_str(), baseOffset, [&] { return access_->Open(fileSpec); });
}

void xSimpleResFile::OpenSrfFile(std::int16_t fileId, const char* name, std::uint32_t baseOffset) {
    Open(fileId, name != nullptr ? name : "", baseOffset, [&] { return access_->OpenByName(name != nullptr ? name : ""); });
}

template <typename OpenFile>
void xSimpleResFile::Open(std::int16_t fileId, const char* name, std::uint32_t baseOffset, OpenFile&& openFile) {
    if (count_ >= kMaxFiles) {
        RaiseNamed(kErrResourceFile, name);
        return;
    }
    const int slot = count_++;
    Record& record = records_[slot];
    record = Record{};
    record.fileId = fileId;
    record.baseOffset = baseOffset;
    record.fileName.assign(name, ::strnlen(name, kNameLength));
    const std::int16_t code = xTry([&] {
        access_->Poll(400);
        record.handle = openFile();
        if (baseOffset != 0) {
            access_->Seek(record.handle, static_cast<std::int32_t>(baseOffset));
        }
        ReadHeaderAndIndex(record, name);
    });
    if (code != 0) {
        // Its own record goes, not the first of its id (ids may repeat).
        CloseRecord(slot);
        xThrow(code);
    }
}

void xSimpleResFile::ReadHeaderAndIndex(Record& record, const std::string& name) {
    std::uint8_t header[12];
    if (Got(access_->Read(record.handle, header, sizeof header)) != sizeof header) {
        RaiseNamed(kErrResourceFile, name);
    }
    const std::uint32_t magic = FromBigEndian(header);
    const std::uint32_t totalSize = FromBigEndian(header + 4);
    const std::uint32_t indexSize = FromBigEndian(header + 8);
    if (magic == kMagic1) {
        record.version = 1;
    } else if (magic == kMagic2) {
        record.version = 2;
    } else {
        RaiseNamed(kErrResourceFile, name);
    }
    if (indexSize > kMaxIndexSize) {
        RaiseNamed(kErrResourceFile, name);
    }
    record.totalSize = totalSize;
    record.indexSize = static_cast<std::uint16_t>(indexSize);
    access_->Poll(300);
    std::vector<std::uint8_t> raw(indexSize);
    access_->Poll(300);
    const std::uint32_t got = indexSize == 0 ? 0 : Got(access_->Read(record.handle, raw.data(), indexSize));
    const std::int64_t fileSize = access_->GetSize(record.handle);
    const std::int64_t needed = static_cast<std::int64_t>(record.baseOffset) + totalSize;
    if (record.baseOffset == 0 ? fileSize != needed : fileSize < needed) {
        RaiseNamed(kErrResourceFile, name);
    }
    if (got != indexSize) {
        RaiseNamed(kErrResourceFile, name);
    }
    record.index.resize(indexSize / 4);
    for (std::size_t i = 0; i < record.index.size(); ++i) {
        record.index[i] = FromBigEndian(raw.data() + 4 * i);
    }
}

void xSimpleResFile::CloseRecord(int index) {
    if (index < 0 || index >= count_) return;
    Record& record = records_[index];
    if (record.handle != 0) {
        access_->Close(record.handle);
    }
    record.index.clear();
    record.index.shrink_to_fit();
    const int last = count_ - 1;
    if (index != last) {
        record = std::move(records_[last]);
    }
    records_[last] = Record{};
    --count_;
}

bool xSimpleResFile::IsOpen(std::int16_t fileId) const {
    for (int i = 0; i < count_; ++i) {
        if (records_[i].fileId == fileId) return true;
    }
    return false;
}

void xSimpleResFile::Close(std::int16_t fileId) {
    if (fileId == kAnyFile) {
        while (count_ > 0) CloseRecord(count_ - 1);
        return;
    }
    for (int i = 0; i < count_; ++i) {
        if (records_[i].fileId == fileId) {
            CloseRecord(i);
            return;
        }
    }
}

bool xSimpleResFile::Find(std::uint32_t type, std::int32_t id, std::int16_t fileId, Entry& found) const {
    for (int r = 0; r < count_; ++r) {
        const Record& record = records_[r];
        if (fileId != kAnyFile && record.fileId != fileId) continue;
        const std::vector<std::uint32_t>& index = record.index;
        const std::size_t words = index.size();
        const std::size_t entryWords = record.version == 1 ? 3 : 4;
        std::size_t group = 0;
        // A group's type and count word, and each of its entries, must lie inside
        // the index; a count that claims more entries than fit ends the walk.
        while (group + 2 <= words) {
            const std::size_t count = index[group + 1] & 0xFFFF;
            const std::size_t end = group + 2 + count * entryWords;
            if (index[group] == type) {
                for (std::size_t e = group + 2; e + entryWords <= end && e + entryWords <= words; e += entryWords) {
                    if (static_cast<std::int32_t>(index[e]) == id) {
                        found.record = &record;
                        found.offset = index[e + 1];
                        found.size = index[e + 2];
                        found.stored = entryWords == 4 ? index[e + 3] : index[e + 2];
                        return true;
                    }
                }
            }
            group = end;
        }
    }
    return false;
}

std::uint8_t* xSimpleResFile::LoadResource(std::uint32_t type, std::int32_t id, std::int16_t fileId) {
    access_->Poll(350);
    Entry entry{};
    if (!Find(type, id, fileId, entry)) {
        char detail[64];
        std::snprintf(detail, sizeof detail, "%c%c%c%c %" PRId32, static_cast<char>(type >> 24),
                      static_cast<char>(type >> 16), static_cast<char>(type >> 8), static_cast<char>(type), id);
        xErrorSetDetail(detail);
        xThrow(kErrResourceMissing);
        return nullptr;
    }
    return LoadEntry(entry);
}

std::uint8_t* xSimpleResFile::LoadEntry(const Entry& entry) {
    const Record& record = *entry.record;
    std::uint8_t* data = nullptr;
    const std::int16_t code = xTry([&] {
        // The entry must lie inside the .srf before anything is allocated for it:
        // a flagged entry holds its method byte and stored size, any other its size
        // bytes, and no block may be larger than the whole file.
        const bool flagged = record.version == 2 && entry.stored != entry.size;
        const std::uint64_t count = record.version == 2 ? entry.stored : entry.size;
        const std::uint64_t extent = static_cast<std::uint64_t>(entry.offset) + count + (flagged ? 1 : 0);
        if (extent > record.totalSize || entry.size > record.totalSize || count > entry.size) {
            xErrorSetDetail("");
            xThrow(kErrResourceRead);
        }
        access_->Poll(300);
        void* block = xMemAlloc(kHeaderSize + entry.size + 1);
        if (block == nullptr) {
            xThrow(kErrMemory);
        }
        reinterpret_cast<BlockHeader*>(block)->size = entry.size;
        data = static_cast<std::uint8_t*>(block) + kHeaderSize;
        access_->Poll(300);
        access_->Seek(record.handle, static_cast<std::int32_t>(record.baseOffset + entry.offset));
        std::uint8_t method = 0;
        if (flagged && Got(access_->Read(record.handle, &method, 1)) != 1) {
            method = 0xFF;
        }
        std::uint32_t read = 0;
        if (method == 0) {
            read = ReadChunked(record.handle, data, static_cast<std::uint32_t>(count), entry.offset);
        }
        if (method != 0 || read != count) {
            xErrorSetDetail("");
            xThrow(kErrResourceRead);
        }
    });
    if (code != 0) {
        ResDataFree(data);
        xThrow(code);
        return nullptr;
    }
    return data;
}

std::uint32_t xSimpleResFile::ReadChunked(std::uint16_t handle, std::uint8_t* buffer, std::uint32_t count,
                                          std::uint32_t offset) {
    if (count == 0) return 0;
    access_->Poll(1600);
    std::uint32_t total = 0;
    std::uint32_t left = count;
    std::uint32_t piece = kPiece - offset % kPiece;
    while (left > 0) {
        piece = std::min(piece, left);
        const std::uint32_t read = access_->Read(handle, buffer, piece);
        access_->Poll(500);
        // The file layer answers the end of the file with all ones: as good as 0.
        if (read == 0 || read == kFileEnd) break;
        const std::uint32_t got = std::min(read, piece);
        buffer += got;
        left -= got;
        total += got;
        piece = kPiece;
    }
    return total;
}
