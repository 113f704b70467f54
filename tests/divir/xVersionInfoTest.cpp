#include "divir/xVersionInfo.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "divir/xFile.h"
#include "platform/VersionRecord.h"
#include "support/TempFolder.h"

namespace {

std::string ProgramSpec() {
    return xFileGetApplicationFileSpec().c_str();
}

TEST(xVersionInfoTest, ReadsTheRecordOfThisTestProgram) {
    std::uint16_t parts[4] = {9, 9, 9, 9};
    char product[100];
    char comments[100];
    char special[100];
    ASSERT_TRUE(ReadVersionInfo(ProgramSpec().c_str(), &parts[0], &parts[1], &parts[2], &parts[3], product,
                                sizeof product, comments, sizeof comments, special, sizeof special));
    EXPECT_EQ(parts[0], 1);
    EXPECT_EQ(parts[1], 0);
    EXPECT_EQ(parts[2], 2);
    EXPECT_EQ(parts[3], 3);
    EXPECT_STREQ(product, "Vizuzor");
    EXPECT_STREQ(comments, "test build");
    EXPECT_STREQ(special, "divir");
}

TEST(xVersionInfoTest, TextsAreCutToTheirBuffers) {
    TempFolder dir;
    const auto record = platform::MakeVersionRecord(4, 3, 2, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "", "sb");
    std::string bytes(1000, 'x');
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    dir.Write("other.exe", bytes);
    char product[16];
    char comments[8] = "keep";
    char special[8] = "keep";
    std::uint16_t major = 0, minor = 0, release = 0;
    ASSERT_TRUE(ReadVersionInfo(dir.Win("OTHER.EXE").c_str(), &major, &minor, &release, nullptr, product,
                                sizeof product, comments, sizeof comments, special, 0));
    EXPECT_EQ(major, 4);
    EXPECT_EQ(release, 2);
    EXPECT_STREQ(product, "ABCDEFGHIJKLMNO") << "16 bytes hold the first 15 characters";
    EXPECT_STREQ(comments, "") << "an empty text empties the buffer";
    EXPECT_STREQ(special, "keep") << "a size of 0 leaves the buffer alone";
}

TEST(xVersionInfoTest, FilesWithoutARecordHaveNoVersion) {
    TempFolder dir;
    auto record = platform::MakeVersionRecord(1, 2, 3, 4, "Broken", "", "");
    record.productName[0] = 'b';  // the checksum no longer matches
    std::string bytes(reinterpret_cast<const char*>(&record), sizeof record);
    dir.Write("broken.exe", bytes);
    dir.Write("plain.txt", "no record here");
    for (const std::string name : {"broken.exe", "plain.txt", "missing.exe"}) {
        SCOPED_TRACE(name);
        std::uint16_t parts[3] = {7, 7, 7};
        char product[8] = "keep";
        EXPECT_FALSE(ReadVersionInfo(dir.Win(name).c_str(), &parts[0], &parts[1], &parts[2], nullptr, product,
                                     sizeof product, nullptr, 0, nullptr, 0));
        EXPECT_EQ(parts[0] + parts[1] + parts[2], 0);
    }
}

TEST(VersionRecordTest, RecordsAcrossReadPiecesAndAmongDecoysAreFound) {
    TempFolder dir;
    const auto record = platform::MakeVersionRecord(5, 6, 7, 8, "Vizuzor", "c", "s");
    std::string bytes;
    // Signatures that lead nowhere, then the record straddling the first 1 MiB.
    bytes.append(reinterpret_cast<const char*>(platform::kVersionRecordSignature), 16);
    bytes.append((1 << 20) - 100 - bytes.size(), '\0');
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
    bytes.append(5000, '\x7f');
    dir.Write("big.bin", bytes);
    const auto info = platform::ReadVersionRecord(dir.Host("big.bin"));
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->parts[3], 8);
    EXPECT_EQ(info->productName, "Vizuzor");
}

// A FIFO with no writer would block a read for ever, a device would read for
// ever: only regular files are scanned.
TEST(VersionRecordTest, OnlyRegularFilesAreScanned) {
    TempFolder dir;
    ASSERT_EQ(::mkfifo(dir.Host("pipe").c_str(), 0600), 0);
    std::filesystem::create_directories(dir.Host("folder"));
    for (const std::string& path : {dir.Host("pipe"), std::string("/dev/zero"), dir.Host("folder")}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(platform::ReadVersionRecord(path).has_value());
        std::uint16_t parts[3] = {7, 7, 7};
        EXPECT_FALSE(ReadVersionInfo(platform::ToWindowsPath(path).c_str(), &parts[0], &parts[1], &parts[2],
                                     nullptr, nullptr, 0, nullptr, 0, nullptr, 0));
    }
}

TEST(VersionRecordTest, TruncatedAndCorruptedRecordsAreRejectedSafely) {
    const auto record = platform::MakeVersionRecord(1, 0, 0, 0, "Vizuzor", "comment", "");
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&record);
    const std::vector<std::uint8_t> whole(raw, raw + sizeof record);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        EXPECT_FALSE(platform::FindVersionRecord(std::span(whole.data(), cut)).has_value()) << cut;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> bytes = whole;
        bytes[16 + random() % (bytes.size() - 16)] ^= static_cast<std::uint8_t>(1 + random() % 255);
        EXPECT_FALSE(platform::FindVersionRecord(bytes).has_value());
    }
}

}  // namespace
