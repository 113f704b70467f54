#include "resource/xSimpleResFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "SrfFixtures.h"
#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xTryFrame.h"
#include "support/TempFolder.h"

namespace {

using srf_fixtures::Path;

constexpr std::uint32_t kMn01 = MakeFourCC("Mn01");
constexpr std::uint32_t kVer = MakeFourCC("Ver ");

// Passes everything to the lower layer and writes down the reads and the polls.
class RecordingAccess final : public SrfFileAccess {
  public:
    std::uint16_t OpenByName(const char* name) override { return base_.OpenByName(name); }
    std::uint16_t Open(const xFileSpec& fileSpec) override { return base_.Open(fileSpec); }
    std::uint32_t Seek(std::uint16_t handle, std::int32_t offset) override {
        seeks.push_back(offset);
        return base_.Seek(handle, offset);
    }
    std::uint32_t Read(std::uint16_t handle, void* buffer, std::uint32_t count) override {
        reads.push_back(count);
        return base_.Read(handle, buffer, count);
    }
    std::int32_t GetSize(std::uint16_t handle) override { return base_.GetSize(handle); }
    void Close(std::uint16_t& handle) override {
        ++closes;
        base_.Close(handle);
    }
    void Poll(std::uint32_t ms) override { polls.push_back(ms); }

    std::vector<std::uint32_t> reads;
    std::vector<std::int32_t> seeks;
    std::vector<std::uint32_t> polls;
    int closes = 0;

  private:
    SrfFileAccess& base_ = SrfFileAccess::Default();
};

class xSimpleResFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xFileStartup(8);
    }
    void TearDown() override {
        xFileCleanup();
        EXPECT_EQ(xTryTop(), nullptr);
        xErrorCode = 0;
    }

    static std::int16_t Open(xSimpleResFile& reader, std::int16_t id, const std::string& path,
                             std::uint32_t base = 0) {
        return xTry([&] { reader.OpenAt(id, xFileSpec(path.c_str()), base); });
    }
    // The loaded bytes (without the trailing zero), and the code through out.
    static std::vector<std::uint8_t> Load(xSimpleResFile& reader, std::uint32_t type, std::int32_t id,
                                          std::int16_t fileId, std::int16_t& code) {
        std::uint8_t* data = nullptr;
        code = xTry([&] { data = reader.LoadResource(type, id, fileId); });
        std::vector<std::uint8_t> bytes;
        if (data != nullptr) {
            bytes.assign(data, data + ResDataSize(data));
            EXPECT_EQ(data[ResDataSize(data)], 0) << "a block ends with a zero byte";
            ResDataFree(data);
            EXPECT_EQ(data, nullptr);
        }
        return bytes;
    }
};

// Every entry the writer makes loads byte for byte; the ones it marks as broken
// are refused with 4, and the file stays open for the rest.
TEST_F(xSimpleResFileTest, LoadsEveryEntryTheWriterMakes) {
    const char* const fixtures[] = {"kinds_v2",    "kinds_v1",         "any_a",          "any_b",
                                    "offset32767", "index_65531",      "no_version",     "version_long",
                                    "version_2",   "count_past_index", "entry_past_end", "offset_past_end",
                                    "huge_block",  "stored_above_size", "method_one"};
    for (const char* name : fixtures) {
        SCOPED_TRACE(name);
        xSimpleResFile reader("test");
        ASSERT_EQ(Open(reader, 3, Path(name)), 0);
        const auto entries = srf_fixtures::Entries(name);
        ASSERT_FALSE(entries.empty());
        for (const auto& e : entries) {
            SCOPED_TRACE(e.id);
            std::int16_t code = 0;
            const auto bytes = Load(reader, e.type, e.id, 3, code);
            if (e.fails) {
                EXPECT_EQ(code, kErrResourceRead);
                EXPECT_TRUE(bytes.empty());
            } else {
                EXPECT_EQ(code, 0);
                EXPECT_EQ(bytes, e.bytes);
            }
            EXPECT_TRUE(reader.IsOpen(3));
        }
    }
}

TEST_F(xSimpleResFileTest, OpensOrRefusesWholeFiles) {
    struct Case {
        const char* name;
        std::uint32_t base;
        std::int16_t code;
    } const cases[] = {
        {"kinds_v2", 0, 0},
        {"index_65531", 0, 0},
        {"index_65532", 0, kErrResourceFile},
        {"embedded", 100, 0},
        {"embedded", 0, kErrResourceFile},    // the magic is not at the start
        {"total_plus_one", 0, kErrResourceFile},
        {"total_minus_one", 0, kErrResourceFile},
        {"bad_magic", 0, kErrResourceFile},
        {"short_header", 0, kErrResourceFile},
        {"short_index", 0, kErrResourceFile},
        {"index_size_lie", 0, kErrResourceFile},
        {"not_there", 0, kErrFileOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xSimpleResFile reader("test");
        EXPECT_EQ(Open(reader, 1, Path(c.name), c.base), c.code);
        EXPECT_EQ(reader.IsOpen(1), c.code == 0);
        EXPECT_EQ(reader.GetOpenCount(), c.code == 0 ? 1 : 0);
        if (c.code == kErrResourceFile) {
            EXPECT_NE(xErrorGetDetail().find(c.name), std::string::npos) << "the detail names the file";
        }
    }
}

// A .srf inside a larger file opens when the file holds base + total; a stand-alone
// file must match its total exactly.
TEST_F(xSimpleResFileTest, EmbeddedFileNeedsRoomForItsTotal) {
    TempFolder dir;
    const std::string bytes = srf_fixtures::Bytes("embedded");  // 100 + srf + 7
    dir.Write("cut.bin", bytes.substr(0, bytes.size() - 7));
    dir.Write("short.bin", bytes.substr(0, bytes.size() - 8));
    xSimpleResFile reader("test");
    EXPECT_EQ(Open(reader, 1, dir.Win("cut.bin"), 100), 0);
    EXPECT_EQ(Open(reader, 2, dir.Win("short.bin"), 100), kErrResourceFile);
    std::int16_t code = 0;
    const auto data = Load(reader, kMn01, 5, 1, code);
    EXPECT_EQ(std::string(data.begin(), data.end()), "embedded");
}

// The first piece of a load ends on a 32 KB boundary of the entry offset; the
// mixer is polled at the fixed points of an open and a load.
TEST_F(xSimpleResFileTest, ReadsInPiecesAlignedToTheEntryOffset) {
    RecordingAccess access;
    xSimpleResFile reader("test", &access);
    ASSERT_EQ(xTry([&] { reader.OpenAt(0, xFileSpec(Path("offset32767").c_str()), 0); }), 0);
    EXPECT_EQ(access.polls, (std::vector<std::uint32_t>{400, 300, 300}));
    access.reads.clear();
    access.polls.clear();
    std::int16_t code = 0;
    const auto bytes = Load(reader, kMn01, 1, 0, code);
    ASSERT_EQ(code, 0);
    EXPECT_EQ(bytes.size(), 70000u);
    EXPECT_EQ(access.seeks.back(), 32767);
    EXPECT_EQ(access.reads, (std::vector<std::uint32_t>{1, 32768, 32768, 70000 - 1 - 2 * 32768}));
    EXPECT_EQ(access.polls, (std::vector<std::uint32_t>{350, 300, 300, 1600, 500, 500, 500, 500}));
}

// The end of the file stops the loop: the file layer answers it with all ones.
TEST_F(xSimpleResFileTest, ReadChunkedStopsAtTheEndOfTheFile) {
    TempFolder dir;
    dir.Write("ten.bin", "0123456789");
    std::uint16_t handle = 0;
    ASSERT_EQ(xTry([&] { handle = xFileOpen(xFileSpec(dir.Win("ten.bin").c_str()), kFileModeRead, 0, 0); }), 0);
    xSimpleResFile reader("test");
    std::vector<std::uint8_t> buffer(100000);
    EXPECT_EQ(reader.ReadChunked(handle, buffer.data(), 100000, 0), 10u);
    EXPECT_EQ(reader.ReadChunked(handle, buffer.data(), 100000, 5), 0u);
    EXPECT_EQ(reader.ReadChunked(handle, buffer.data(), 0, 0), 0u);
    xFileClose(handle);
}

TEST_F(xSimpleResFileTest, AnyFileSearchesInTableOrder) {
    xSimpleResFile reader("test");
    ASSERT_EQ(Open(reader, 1, Path("any_a")), 0);
    ASSERT_EQ(Open(reader, 2, Path("kinds_v1")), 0);
    ASSERT_EQ(Open(reader, 3, Path("any_b")), 0);
    std::int16_t code = 0;
    auto text = [&](std::int32_t id, std::int16_t fileId) {
        const auto bytes = Load(reader, kMn01, id, fileId, code);
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(text(5, xSimpleResFile::kAnyFile), "from a");
    EXPECT_EQ(text(5, 3), "from b");
    EXPECT_EQ(text(6, xSimpleResFile::kAnyFile), "only b");
    // Closing the first moves the last record into its place: b now comes first.
    reader.Close(1);
    EXPECT_FALSE(reader.IsOpen(1));
    EXPECT_EQ(text(5, xSimpleResFile::kAnyFile), "from b");
    EXPECT_EQ(text(5, 1), "");
    EXPECT_EQ(code, kErrResourceMissing);
    EXPECT_EQ(xErrorGetDetail(), " (Mn01 5)");
}

TEST_F(xSimpleResFileTest, MissingResourceNamesTypeAndId) {
    xSimpleResFile reader("test");
    ASSERT_EQ(Open(reader, 1, Path("kinds_v2")), 0);
    std::int16_t code = 0;
    Load(reader, MakeFourCC("off4"), -99, 1, code);
    EXPECT_EQ(code, kErrResourceMissing);
    EXPECT_EQ(xErrorGetDetail(), " (off4 -99)");
    Load(reader, kVer, 1, 2, code);  // no such file id
    EXPECT_EQ(code, kErrResourceMissing);
}

// Two groups of one type are both searched; a count that claims entries past the
// end of the index stops the walk there.
TEST_F(xSimpleResFileTest, WalksGroupsWithinTheIndex) {
    xSimpleResFile reader("test");
    ASSERT_EQ(Open(reader, 1, Path("count_past_index")), 0);
    std::int16_t code = 0;
    Load(reader, kMn01, 2, 1, code);
    EXPECT_EQ(code, kErrResourceMissing);
    Load(reader, kMn01, 0, 1, code);
    EXPECT_EQ(code, kErrResourceMissing);
}

// A failed open removes its own record, even when an open file has the same id.
TEST_F(xSimpleResFileTest, FailedOpenLeavesTheOtherFilesAlone) {
    RecordingAccess access;
    xSimpleResFile reader("test", &access);
    ASSERT_EQ(Open(reader, 1, Path("any_a")), 0);
    EXPECT_EQ(Open(reader, 1, Path("bad_magic")), kErrResourceFile);
    EXPECT_EQ(access.closes, 1) << "only the failed file was closed";
    EXPECT_EQ(reader.GetOpenCount(), 1);
    std::int16_t code = 0;
    const auto bytes = Load(reader, kMn01, 5, 1, code);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "from a");
}

TEST_F(xSimpleResFileTest, RefusesAHundredAndFirstFile) {
    xSimpleResFile reader("test");
    for (int i = 0; i < xSimpleResFile::kMaxFiles; ++i) {
        ASSERT_EQ(Open(reader, static_cast<std::int16_t>(i), Path("any_a")), 0) << i;
    }
    EXPECT_EQ(Open(reader, 100, Path("any_a")), kErrResourceFile);
    EXPECT_EQ(reader.GetOpenCount(), xSimpleResFile::kMaxFiles);
    reader.Close(xSimpleResFile::kAnyFile);
    EXPECT_EQ(reader.GetOpenCount(), 0);
}

TEST_F(xSimpleResFileTest, KeepsThirtyOneCharactersOfItsOwnerName) {
    xSimpleResFile reader("0123456789012345678901234567890123456789");
    EXPECT_STREQ(reader.GetOwnerName(), "0123456789012345678901234567890");
}

TEST_F(xSimpleResFileTest, WithoutAFrameAFailureOnlyRecordsItsCode) {
    xSimpleResFile reader("test");
    reader.OpenAt(1, xFileSpec(Path("bad_magic").c_str()), 0);
    EXPECT_EQ(xErrorCode, kErrResourceFile);
    EXPECT_FALSE(reader.IsOpen(1));
    xErrorCode = 0;
    EXPECT_EQ(reader.LoadResource(kMn01, 1, 1), nullptr);
    EXPECT_EQ(xErrorCode, kErrResourceMissing);
}

// Truncated and randomly damaged files never crash the reader: each open and load
// either works or raises a code.
TEST_F(xSimpleResFileTest, SurvivesTruncatedAndDamagedFiles) {
    TempFolder dir;
    const std::string good = srf_fixtures::Bytes("kinds_v2");
    const auto entries = srf_fixtures::Entries("kinds_v2");
    std::mt19937 random(1234);
    auto tryAll = [&](const std::string& bytes) {
        dir.Write("f.srf", bytes);
        xSimpleResFile reader("fuzz");
        if (Open(reader, 0, dir.Win("f.srf")) != 0) return;
        for (const auto& e : entries) {
            std::int16_t code = 0;
            Load(reader, e.type, e.id, 0, code);
        }
        std::int16_t code = 0;
        Load(reader, static_cast<std::uint32_t>(random()), static_cast<std::int32_t>(random() % 8), 0, code);
    };
    for (std::size_t length = 0; length < good.size(); length += 1 + length / 16) {
        std::string cut = good.substr(0, length);
        // Make the header agree with the cut, so the index and data are reached.
        if (length >= 8) {
            for (int i = 0; i < 4; ++i) cut[4 + i] = static_cast<char>((length >> (24 - 8 * i)) & 0xFF);
        }
        tryAll(cut);
    }
    for (int round = 0; round < 300; ++round) {
        std::string damaged = good;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) {
            // Mostly the header and index, where the damage matters.
            const std::size_t at = random() % 3 == 0 ? random() % damaged.size() : random() % 256;
            damaged[at] = static_cast<char>(random());
        }
        tryAll(damaged);
    }
}

}  // namespace
