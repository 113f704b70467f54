#pragma once

// The reader of .srf resource files: a big-endian container of a 12-byte header
// ("srf1" or "srf2", total size, index size), an index of typed entries, and the
// entries' data. A reader keeps up to 100 open files, each under a 16-bit file id
// the caller chooses, and loads one resource at a time into a block the caller
// owns. Failures raise lower-layer codes (3 bad file, 4 data not read whole, 6 no
// such resource, 1 no memory). Every open and load lets the sound mixer refill
// between its steps, so music keeps playing while large resources are read.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "divir/xFilePath.h"

// Four characters packed with the first in the high byte ("off4", "Ver ").
constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}
constexpr std::uint32_t MakeFourCC(const char (&code)[5]) {
    return MakeFourCC(code[0], code[1], code[2], code[3]);
}

// Loaded resource data: a zero-filled block of the entry's size plus one zero byte
// (so a text always ends), owned by whoever loaded it. The pointer stays valid
// until ResDataFree.
std::uint32_t ResDataSize(const std::uint8_t* data);
std::uint8_t* ResDataLock(std::uint8_t* data);
void ResDataUnlock(std::uint8_t* data);
// Frees the block and nulls the caller's pointer; a null pointer is ignored.
void ResDataFree(std::uint8_t*& data);

// The file operations and the mixer poll the reader goes through. The default is
// the lower layer's file functions and xMixerPoll; tests put a recording layer in
// between. Open, Seek and Read raise lower-layer codes as the file functions do.
class SrfFileAccess {
  public:
    virtual ~SrfFileAccess() = default;
    virtual std::uint16_t OpenByName(const char* name) = 0;
    virtual std::uint16_t Open(const xFileSpec& fileSpec) = 0;
    virtual std::uint32_t Seek(std::uint16_t handle, std::int32_t offset) = 0;
    // Bytes read; 0 or 0xFFFFFFFF when nothing was left.
    virtual std::uint32_t Read(std::uint16_t handle, void* buffer, std::uint32_t count) = 0;
    virtual std::int32_t GetSize(std::uint16_t handle) = 0;
    virtual void Close(std::uint16_t& handle) = 0;
    virtual void Poll(std::uint32_t ms) = 0;

    static SrfFileAccess& Default();
};

class xSimpleResFile {
  public:
    static constexpr std::int16_t kAnyFile = -32767;
    static constexpr int kMaxFiles = 100;
    static constexpr std::uint32_t kMaxIndexSize = 65531;
    static constexpr std::uint32_t kPiece = 32768;

    // Keeps at most 31 characters of the owner's name; no file is open. The access
    // layer (not owned) must outlive the reader; null means the default.
    explicit xSimpleResFile(const char* ownerName, SrfFileAccess* access = nullptr);
    virtual ~xSimpleResFile();
    xSimpleResFile(const xSimpleResFile&) = delete;
    xSimpleResFile& operator=(const xSimpleResFile&) = delete;

    // Opens exactly that file, the .srf beginning at the base offset, under the id.
    // A failure raises its code with nothing left open under it; the other files
    // stay as they were. A 101st open is refused with code 3.
    void OpenAt(std::int16_t fileId, const xFileSpec& fileSpec, std::uint32_t baseOffset);
    // Same with a name looked up in the program's folder or along the search path.
    void OpenSrfFile(std::int16_t fileId, const char* name, std::uint32_t baseOffset);

    bool IsOpen(std::int16_t fileId) const;
    // Closes the first file of the id; kAnyFile closes all.
    void Close(std::int16_t fileId);

    // A new block holding resource (type, id) of the file id, or of the first open
    // file that has it for kAnyFile. Raises 6 when absent, 4 when the data cannot
    // be read whole (nothing stays allocated), 1 when memory runs out.
    std::uint8_t* LoadResource(std::uint32_t type, std::int32_t id, std::int16_t fileId);

    // Reads count bytes at the file's position in pieces that end on 32 KB
    // boundaries of the entry offset; stops early at the end of the file. Returns
    // the bytes read.
    std::uint32_t ReadChunked(std::uint16_t handle, std::uint8_t* buffer, std::uint32_t count,
                              std::uint32_t offset);

    const char* GetOwnerName() const { return ownerName_; }
    std::int16_t GetOpenCount() const { return count_; }

  private:
    struct Record {
        std::int16_t fileId = 0;
        std::uint16_t handle = 0;
        std::uint16_t indexSize = 0;
        std::uint16_t version = 0;
        std::uint32_t totalSize = 0;
        std::vector<std::uint32_t> index;  // host order
        std::uint32_t baseOffset = 0;
        std::string fileName;              // at most 64 characters
    };
    struct Entry {
        const Record* record;
        std::uint32_t offset;
        std::uint32_t size;
        std::uint32_t stored;
    };

    template <typename OpenFile>
    void Open(std::int16_t fileId, const char* name, std::uint32_t baseOffset, OpenFile&& openFile);
    // Failures name the file as the caller gave it (the record keeps 64 characters).
    void ReadHeaderAndIndex(Record& record, const std::string& name);
    void CloseRecord(int index);
    bool Find(std::uint32_t type, std::int32_t id, std::int16_t fileId, Entry& found) const;
    std::uint8_t* LoadEntry(const Entry& entry);

    SrfFileAccess* access_;
    std::array<Record, kMaxFiles> records_;
    std::int16_t count_ = 0;
    char ownerName_[32] = {};
};
