#include "divir/xFile.h"

#include <gtest/gtest.h>

#include <ostream>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "divir/xError.h"
#include "divir/xTryFrame.h"
#include "support/TempFolder.h"

namespace {

constexpr std::int32_t kText = xFourCC("TEXT");
constexpr std::int32_t kAny = xFourCC("????");

class xFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xErrorCode = 0;
        xErrorSetDetail(nullptr);
        xFileStartup(2);  // a small table, so opening a few files grows it
    }
    void TearDown() override {
        xFileResetSearchPath();
        xFileCleanup();
        EXPECT_EQ(xTryTop(), nullptr);
        xErrorCode = 0;
    }
    xFileSpec PathOf(const std::string& name) const { return xFileSpec(dir_.Win(name).c_str()); }

    // Opens under a frame; the code is returned, the handle through out.
    std::int16_t Open(const std::string& name, std::int16_t mode, std::uint16_t& out) {
        return xTry([&] { out = xFileOpen(PathOf(name), mode, kText, kAny); });
    }

    TempFolder dir_;
};

struct OpenCase {
    const char* name;
    bool present;
    std::int16_t mode;
    std::int16_t code;
    const char* written;     // written after the open, when it succeeded
    const char* afterwards;  // the file's content at the end; null: no file
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class xFileOpenModes : public xFileTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(xFileOpenModes, OpenPresentAndMissingFiles) {
    const OpenCase& c = GetParam();
    if (c.present) dir_.Write("f.dat", "old!");
    std::uint16_t h = 0;
    EXPECT_EQ(Open("f.dat", c.mode, h), c.code);
    if (c.code == 0) {
        ASSERT_NE(h, 0);
        EXPECT_EQ(xFileGetAttr(h), c.mode);
        xFileWrite(h, c.written, static_cast<std::uint32_t>(std::strlen(c.written)));
        xFileClose(h);
        EXPECT_EQ(h, 0);
    } else {
        EXPECT_EQ(h, 0);
        EXPECT_EQ(xErrorGetDetail(), " (" + dir_.Win("f.dat") + ")");
    }
    if (c.afterwards) {
        EXPECT_EQ(dir_.Read("f.dat"), c.afterwards);
    } else {
        EXPECT_FALSE(std::filesystem::exists(dir_.Host("f.dat")));
    }
}

const OpenCase kOpenCases[] = {OpenCase{"ReadPresent", true, 2, 0, "", "old!"},
                               OpenCase{"ReadMissing", false, 2, kErrFileOpen, "", nullptr},
                               OpenCase{"WriteMissingCreates", false, 4, 0, "new", "new"},
                               OpenCase{"WriteOpensInPlace", true, 4, 0, "N", "Nld!"},
                               OpenCase{"CreateWriteTruncates", true, 5, 0, "x", "x"},
                               OpenCase{"ReadWritePresent", true, 6, 0, "ab", "abd!"},
                               OpenCase{"CreateBitWithoutWriteFails", true, 3, kErrFileOpen, "", "old!"}};

INSTANTIATE_TEST_SUITE_P(Cases, xFileOpenModes, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(xFileTest, ChunkedReadStopsAtTheEnd) {
    std::string content(120000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    dir_.Write("big.bin", content);
    std::uint16_t h = 0;
    ASSERT_EQ(Open("big.bin", 2, h), 0);
    std::vector<char> buffer(250000);
    EXPECT_EQ(xFileRead(h, buffer.data(), 0), 0u);
    EXPECT_EQ(xFileRead(h, buffer.data(), 250000), 120000u);
    EXPECT_EQ(std::string(buffer.data(), 120000), content);
    EXPECT_EQ(xFileRead(h, buffer.data(), 250000), kFileEnd);
    EXPECT_EQ(xFileGetSize(h), 120000);
    EXPECT_EQ(xFileSeek(h, 100, 0), 100u);
    EXPECT_EQ(xFileGetEOF(h), 120000);
    EXPECT_EQ(xFileSeek(h, 0, 1), 100u) << "GetEOF seeks back";
    xFileClose(h);
}

struct LineCase {
    const char* name;
    std::string content;
    std::int16_t size;
    std::vector<std::pair<std::uint32_t, std::string>> lines;  // then the end
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class xFileReadLines : public xFileTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(xFileReadLines, SplitsLinesAndResumesAfterTheirEnds) {
    const LineCase& c = GetParam();
    dir_.Write("lines.txt", c.content);
    std::uint16_t h = 0;
    ASSERT_EQ(Open("lines.txt", 2, h), 0);
    std::vector<char> buffer(std::max<int>(c.size, 1) + 4, 'Z');
    for (const auto& [count, text] : c.lines) {
        ASSERT_EQ(xFileReadLine(h, buffer.data(), c.size), count);
        EXPECT_EQ(std::string(buffer.data()), text);
    }
    EXPECT_EQ(xFileReadLine(h, buffer.data(), c.size), kFileEnd);
    EXPECT_EQ(buffer[std::max<int>(c.size, 1) + 3], 'Z') << "wrote past the buffer";
    xFileClose(h);
}

const LineCase kLineCases[] = {
        LineCase{"CrLf", "ab\r\ncd", 10, {{4, "ab"}, {2, "cd"}}},
        LineCase{"LfCr", "ab\n\rcd", 10, {{4, "ab"}, {2, "cd"}}},
        LineCase{"LfOnly", "a\nb\n\nc", 10, {{2, "a"}, {2, "b"}, {1, ""}, {1, "c"}}},
        LineCase{"CrOnly", "a\rb", 10, {{2, "a"}, {1, "b"}}},
        LineCase{"LongLineInPieces", "abcdefghij\r\nk", 5, {{4, "abcd"}, {4, "efgh"}, {4, "ij"}, {1, "k"}}},
        // An end split between two reads: the text, then the end alone; never more than size - 1.
        LineCase{"CrEndsTheChunkLfStartsTheNext", "abc\r\nd", 5, {{3, "abc"}, {2, ""}, {1, "d"}}},
        LineCase{"LfEndsTheChunkCrStartsTheNext", "abc\n\rd", 5, {{3, "abc"}, {2, ""}, {1, "d"}}},
        LineCase{"SizeTwoTakesOneEndByteAtATime", "\r\na", 2, {{1, ""}, {1, ""}, {1, "a"}}},
        LineCase{"LfEndsTheChunkNoPartner", "abc\nd", 5, {{4, "abc"}, {1, "d"}}},
        LineCase{"CrEndsTheFile", "abc\r", 5, {{4, "abc"}}}, LineCase{"SizeOneReadsNothing", "abc", 1, {}},
        LineCase{"SizeZeroReadsNothing", "abc", 0, {}},
};

INSTANTIATE_TEST_SUITE_P(Cases, xFileReadLines, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(xFileTest, RandomLinesAreConsumedExactlyOnce) {
    std::mt19937 random(11);
    const char alphabet[] = "ab\r\n\r\n";
    for (int round = 0; round < 300; ++round) {
        std::string content(random() % 60, 'a');
        for (char& c : content) c = alphabet[random() % (sizeof alphabet - 1)];
        dir_.Write("r.txt", content);
        const auto size = static_cast<std::int16_t>(1 + random() % 12);
        std::uint16_t h = 0;
        ASSERT_EQ(Open("r.txt", 2, h), 0);
        std::vector<char> buffer(size + 1, '#');
        std::uint32_t total = 0;
        for (int calls = 0; calls < 200; ++calls) {
            const std::uint32_t n = xFileReadLine(h, buffer.data(), size);
            if (n == kFileEnd) break;
            ASSERT_GT(n, 0u) << "a call that consumes nothing would repeat forever";
            ASSERT_LE(n, static_cast<std::uint32_t>(size - 1)) << "more than the buffer holds";
            ASSERT_LE(std::strlen(buffer.data()), static_cast<std::size_t>(std::max<int>(size - 1, 0)));
            total += n;
        }
        EXPECT_EQ(buffer[size], '#');
        EXPECT_EQ(total, size >= 2 ? content.size() : 0u) << "content " << ::testing::PrintToString(content);
        xFileClose(h);
    }
}

TEST_F(xFileTest, WrittenLinesEndWithCrLf) {
    std::uint16_t h = 0;
    ASSERT_EQ(Open("out.txt", 5, h), 0);
    xFileWriteLine(h, "one");
    xFileWriteLine(h, "");
    std::string big(70000, 'q');  // more than one write chunk
    xFileWrite(h, big.data(), static_cast<std::uint32_t>(big.size()));
    xFileSetEOF(h, 6);
    xFileClose(h);
    EXPECT_EQ(dir_.Read("out.txt"), "one\r\n\r");
}

TEST_F(xFileTest, UnknownHandlesRaiseMemoryOrDoNothing) {
    std::uint16_t bogus = 77;
    char buffer[4];
    EXPECT_EQ(xTry([&] { xFileRead(bogus, buffer, 4); }), kErrMemory);
    EXPECT_EQ(xTry([&] { xFileClose(bogus); }), kErrMemory);
    bogus = 40000;
    EXPECT_EQ(xTry([&] { xFileGetSize(bogus); }), kErrMemory);
    // Without a frame the raise returns and the call does nothing.
    EXPECT_EQ(xFileGetSize(bogus), 0);
    EXPECT_EQ(xFileRead(bogus, buffer, 4), 0u);
    xFileClose(bogus);
    EXPECT_EQ(bogus, 0);
    EXPECT_EQ(xErrorCode, kErrMemory);
}

TEST_F(xFileTest, SeekBeforeTheStartRaisesReadError) {
    dir_.Write("s.txt", "abc");
    std::uint16_t h = 0;
    ASSERT_EQ(Open("s.txt", 2, h), 0);
    EXPECT_EQ(xTry([&] { xFileSeek(h, -10, 0); }), kErrFileRead);
    EXPECT_EQ(xTry([&] { xFileSeek(h, 0, 7); }), kErrFileRead);
    xFileClose(h);
}

TEST_F(xFileTest, StartupsAreCountedAndTheLastCleanupClosesAll) {
    xFileStartup(2);
    dir_.Write("a.txt", "a");
    std::uint16_t h = 0;
    ASSERT_EQ(Open("a.txt", 2, h), 0);
    xFileCleanup();
    EXPECT_EQ(xFileGetAttr(h), 2) << "one cleanup of two keeps the table";
    xFileCleanup();
    EXPECT_EQ(xTry([&] { xFileGetAttr(h); }), kErrMemory);
    EXPECT_EQ(Open("a.txt", 2, h), kErrMemory) << "no table, no files";
    xFileStartup(2);  // for TearDown
}

TEST_F(xFileTest, CaseBlindResolutionFindsMixedCaseNames) {
    dir_.Write("Resources/Music/Title.SRF", "music");
    std::uint16_t h = 0;
    ASSERT_EQ(Open("resources\\MUSIC\\title.srf", 2, h), 0);
    char buffer[8] = {};
    EXPECT_EQ(xFileRead(h, buffer, 7), 5u);
    EXPECT_STREQ(buffer, "music");
    xFileClose(h);
    // New names are created as given inside the folder that matched.
    ASSERT_EQ(Open("RESOURCES\\New.Txt", 5, h), 0);
    xFileClose(h);
    EXPECT_TRUE(std::filesystem::exists(dir_.Host("Resources/New.Txt")));
    EXPECT_EQ(xFileExists(PathOf("resources\\new.TXT")), 1);
    EXPECT_EQ(xFileExists(PathOf("resources")), 0) << "a folder is no file";
    EXPECT_EQ(xFileExists(PathOf("missing.txt")), 0);
}

TEST_F(xFileTest, RenameRefusesAnExistingTarget) {
    dir_.Write("a.txt", "A");
    dir_.Write("b.txt", "B");
    xFileRename(PathOf("a.txt"), PathOf("b.txt"));
    EXPECT_EQ(dir_.Read("b.txt"), "B");
    EXPECT_EQ(dir_.Read("a.txt"), "A");
    xFileRename(PathOf("A.TXT"), PathOf("c.txt"));
    EXPECT_EQ(dir_.Read("c.txt"), "A");

    xFileSpec path = PathOf("c.txt");
    xFileRenameInPlace(path, "d.txt");
    EXPECT_EQ(std::string(path.c_str()), dir_.Win("d.txt"));
    EXPECT_EQ(dir_.Read("d.txt"), "A");
    EXPECT_EQ(xTry([&] { xFileRenameInPlace(path, "b.txt"); }), kErrMemory);
    EXPECT_EQ(std::string(path.c_str()), dir_.Win("d.txt"));

    xFileDelete(PathOf("d.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir_.Host("d.txt")));
    EXPECT_EQ(xTry([&] { xFileDelete(PathOf("d.txt")); }), kErrFileWrite);
    EXPECT_EQ(xErrorGetDetail(), " (" + dir_.Win("d.txt") + ")");
}

TEST(xFileChangeFileSpecTest, ReplacesTheLastComponent) {
    struct Case {
        const char* fileSpec;
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\Game\\Client.exe", "Resources:Music:a.srf", "C:\\Game\\Resources\\Music\\a.srf"},
        {"a/x/y", "z\\w", "a/x/z/w"},
        {"a/x/y", "p:q", "a/x/p/q"},
        {"C:\\Game\\Client.exe", nullptr, "C:\\Game\\"},
        {".\\", "settings.ini", ".\\settings.ini"},
        {"plain", "other", "other"},
        {"", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileSpec);
        xFileSpec fileSpec(c.fileSpec);
        xFileChangeFileSpec(fileSpec, c.name);
        EXPECT_STREQ(fileSpec.c_str(), c.expected);
    }
    // Never past 259 characters.
    xFileSpec fileSpec((std::string(250, 'd') + "\\f").c_str());
    xFileChangeFileSpec(fileSpec, std::string(40, 'n').c_str());
    EXPECT_EQ(std::strlen(fileSpec.c_str()), xFileSpec::kMaxLength);
}

TEST(xFileIsAbsolutePathTest, RootsAndDrives) {
    EXPECT_EQ(xFileIsAbsolutePath("\\x"), 1);
    EXPECT_EQ(xFileIsAbsolutePath("/x"), 1);
    EXPECT_EQ(xFileIsAbsolutePath("C:x"), 1);
    EXPECT_EQ(xFileIsAbsolutePath(".\\x"), 0);
    EXPECT_EQ(xFileIsAbsolutePath(""), 0);
    EXPECT_EQ(xFileIsAbsolutePath(static_cast<const char*>(nullptr)), 0);
}

TEST_F(xFileTest, BareNamesFollowTheSearchPath) {
    dir_.Write("one/x.txt", "1");
    dir_.Write("two/x.txt", "2");
    dir_.Write("two/y.txt", "Y");
    const xFileSpec one((dir_.Win("one") + "\\").c_str());
    const xFileSpec two((dir_.Win("two") + "\\").c_str());
    xFileAddToSearchPath(one);
    xFileAddToSearchPath(two);

    xFileSpec found;
    EXPECT_EQ(xFileFindOnPath("y.txt", &found), 1);
    EXPECT_STREQ(found.c_str(), (dir_.Win("two") + "\\y.txt").c_str());
    const xFileSpec before("unchanged");
    found = before;
    EXPECT_EQ(xFileFindOnPath("none.txt", &found), 0);
    EXPECT_EQ(found, before);

    std::uint16_t h = 0;
    ASSERT_EQ(xTry([&] { h = xFileOpen("x.txt", 2, kText, kAny); }), 0);
    char c = 0;
    xFileRead(h, &c, 1);
    EXPECT_EQ(c, '1');
    xFileClose(h);
    EXPECT_EQ(xTry([&] { h = xFileOpen("none.txt", 2, kText, kAny); }), kErrFileOpen);

    xFileRemoveFromSearchPath(one);
    ASSERT_EQ(xTry([&] { h = xFileOpen("X.TXT", 2, kText, kAny); }), 0);
    xFileRead(h, &c, 1);
    EXPECT_EQ(c, '2');
    xFileClose(h);

    xFileAddToSearchPath(one);
    xFileAddToSearchPath(one);
    xFileAddToSearchPath(one);
    EXPECT_EQ(xTry([&] { xFileAddToSearchPath(one); }), kErrSearchPathFull);
}

TEST_F(xFileTest, WithNoSearchPathTheProgramFolderIsSearched) {
    const xFileSpec program = xFileGetApplicationFileSpec();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.c_str()[0], '\\');
    const std::string name = std::filesystem::path(platform::ResolveHostPath(program.c_str())).filename();
    xFileSpec found;
    EXPECT_EQ(xFileFindOnPath(name.c_str(), &found), 1);
    EXPECT_EQ(found, program);
}

TEST_F(xFileTest, ModificationTimesRoundTripInUtc) {
    dir_.Write("t.txt", "t");
    const xDateTime set{4, 5, 6, 3, 2, 2001, 0};
    xFileSetModTime(PathOf("t.txt"), set);
    xDateTime got;
    xFileGetModTime(PathOf("t.txt"), got);
    EXPECT_EQ(got.hour, 4);
    EXPECT_EQ(got.minute, 5);
    EXPECT_EQ(got.second, 6);
    EXPECT_EQ(got.day, 3);
    EXPECT_EQ(got.month, 2);
    EXPECT_EQ(got.year, 2001);
    EXPECT_EQ(got.weekday, 7) << "3 February 2001 was a Saturday";
    xFileSetModTime(PathOf("t.txt"), xDateTime{1, 1, 1, 29, 2, 2001, 0});  // no such day
    xFileSetModTime(PathOf("t.txt"), xDateTime{1, 1, 1, 1, 13, 2001, 0});
    xFileGetModTime(PathOf("t.txt"), got);
    EXPECT_EQ(got.day, 3);
    EXPECT_EQ(xTry([&] { xFileGetModTime(PathOf("gone.txt"), got); }), kErrMemory);
}

TEST_F(xFileTest, MakeDirectoryCreatesInsideTheProgramFolderOnce) {
    const std::string name = "divir-made-" + std::to_string(::getpid());
    const std::filesystem::path made =
        std::filesystem::path(platform::ResolveHostPath(xFileGetApplicationFileSpec().c_str()))
            .parent_path() /
        name;
    xFileMakeDirectory(name.c_str());
    EXPECT_TRUE(std::filesystem::is_directory(made));
    xFileMakeDirectory(name.c_str());
    std::filesystem::remove(made);
}

// Every raise of the layer: the code, and the detail that goes with it (the path
// for opens and deletes, nothing for the rest, never a stale one).
TEST_F(xFileTest, FailuresRaiseTheirCodesWithTheirDetail) {
    dir_.Write("w.dat", "data");
    struct RaiseCase {
        const char* name;
        std::function<void()> act;
        std::int16_t code;
        std::string detail;
    };
    const std::string missingFolder = dir_.Win("nofolder\\f.dat");
    const std::vector<RaiseCase> cases = {
        {"ReadOpenOfAMissingFile", [&] { xFileOpen(PathOf("none.dat"), 2, kText, kAny); }, kErrFileOpen,
         " (" + dir_.Win("none.dat") + ")"},
        {"CreateInAMissingFolder", [&] { xFileOpen(xFileSpec(missingFolder.c_str()), 4, kText, kAny); },
         kErrFileCreate, " (" + missingFolder + ")"},
        {"CreateOrTruncateInAMissingFolder",
         [&] { xFileOpen(xFileSpec(missingFolder.c_str()), 5, kText, kAny); }, kErrFileCreate,
         " (" + missingFolder + ")"},
        {"ReadOfAWriteOnlyFile",
         [&] {
             const std::uint16_t h = xFileOpen(PathOf("w.dat"), 4, kText, kAny);
             char buffer[4];
             xFileRead(h, buffer, sizeof buffer);
         },
         kErrFileRead, ""},
        {"WriteThatDoesNotFit",
         [&] {
             const std::uint16_t h = xFileOpen(xFileSpec("\\dev\\full"), 4, kText, kAny);
             xFileWrite(h, "0123456789", 10);
         },
         kErrFileWrite, ""},
        {"SeekBeforeTheStart",
         [&] {
             const std::uint16_t h = xFileOpen(PathOf("w.dat"), 2, kText, kAny);
             xFileSeek(h, -1, 0);
         },
         kErrFileRead, ""},
        {"DeleteOfAMissingFile", [&] { xFileDelete(PathOf("none.dat")); }, kErrFileWrite,
         " (" + dir_.Win("none.dat") + ")"},
        {"UnknownHandle", [&] { xFileGetSize(99); }, kErrMemory, ""},
        {"RenameOntoAnExistingFile",
         [&] {
             xFileSpec path = PathOf("w.dat");
             xFileRenameInPlace(path, "w.dat");
         },
         kErrMemory, ""},
        {"TimeOfAMissingFile",
         [&] {
             xDateTime time;
             xFileGetModTime(PathOf("none.dat"), time);
         },
         kErrMemory, ""},
        {"FifthSearchFolder",
         [&] {
             for (int i = 0; i < 5; ++i) xFileAddToSearchPath(xFileSpec(".\\"));
         },
         kErrSearchPathFull, ""},
    };
    for (const RaiseCase& c : cases) {
        SCOPED_TRACE(c.name);
        xFileResetSearchPath();
        xErrorSetDetail("stale");
        EXPECT_EQ(xTry(c.act), c.code);
        EXPECT_EQ(xErrorCode, c.code);
        EXPECT_EQ(xErrorGetDetail(), c.detail);
    }
    EXPECT_EQ(dir_.Read("w.dat"), "data");
}

// A bare name opened for writing: a folder where the file can be neither made
// nor read ends the search at once with its own code.
TEST_F(xFileTest, WritingABareNameStopsAtTheFirstFolderThatCannotHoldIt) {
    dir_.Write("two/x.txt", "2");
    xFileAddToSearchPath(xFileSpec((dir_.Win("missing") + "\\").c_str()));
    xFileAddToSearchPath(xFileSpec((dir_.Win("two") + "\\").c_str()));
    std::uint16_t h = 0;
    EXPECT_EQ(xTry([&] { h = xFileOpen("x.txt", 6, kText, kAny); }), kErrFileCreate);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(xErrorGetDetail(), " (" + dir_.Win("missing") + "\\x.txt)");
    // Read-only opens go on to the next folder instead.
    ASSERT_EQ(xTry([&] { h = xFileOpen("x.txt", 2, kText, kAny); }), 0);
    xFileClose(h);
    EXPECT_EQ(dir_.Read("two/x.txt"), "2");
}

TEST_F(xFileTest, ErrorWordIsClearedOnlyByStartup) {
    xFileSetError(7);
    EXPECT_EQ(xFileGetLastError(), 7);
    EXPECT_EQ(xTry([&] { xFileGetSize(99); }), kErrMemory);
    EXPECT_EQ(xFileGetLastError(), 7) << "failures do not touch the word";
    xFileStartup(2);
    EXPECT_EQ(xFileGetLastError(), 0);
    xFileCleanup();
}

TEST(xFileSystemSpecTest, SystemFolderEndsWithASeparator) {
    xErrorCode = 0;
    const xFileSpec system = xFileGetSystemFileSpec();
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(xErrorCode, 0);
    const std::string text = system.c_str();
    EXPECT_EQ(text.front(), '\\');
    EXPECT_EQ(text.back(), '\\');
    EXPECT_TRUE(std::filesystem::is_directory(platform::ResolveHostPath(text)));
}

}  // namespace
