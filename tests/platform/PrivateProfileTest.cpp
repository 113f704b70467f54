#include "platform/PrivateProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace {

using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

class PrivateProfileTest : public ::testing::Test {
  protected:
    std::string Get(const char* section, const char* key, const char* fallback = "nOtFoUnD",
                    std::uint32_t size = 64) {
        std::string out(size + 8, '#');
        const std::uint32_t count = GetPrivateProfileString(section, key, fallback, out.data(), size, Path());
        EXPECT_EQ(out[size + 2], '#') << "wrote past the buffer";
        EXPECT_EQ(count, std::strlen(out.c_str()));
        return std::string(out.c_str());
    }
    const char* Path() {
        path_ = dir_.Win("Game.ini");
        return path_.c_str();
    }

    TempFolder dir_;
    std::string path_;
};

TEST_F(PrivateProfileTest, ReadsMatchCaseBlindAndStripQuotesAndBlanks) {
    dir_.Write("game.INI",
               "; a comment line\r\n"
               "[Debug]\r\n"
               "  Server = irc.example.net  \r\n"
               "Port=6667\r\n"
               "Quoted=\"  spaced  \"\r\n"
               "Single='x'\r\n"
               "Unbalanced=\"open\r\n"
               "Empty=\r\n"
               "[Other]\n"
               "Server=elsewhere\n"
               "  =blank name\n"
               "[  ]\n"
               "K=blank section\n");
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"debug", "SERVER", "irc.example.net"}, {"Debug", "Port", "6667"},
        {"Debug", "Quoted", "  spaced  "},      {"Debug", "Single", "x"},
        {"Debug", "Unbalanced", "\"open"},      {"Debug", "Empty", ""},
        {"OTHER", "server", "elsewhere"},       {"Debug", "Missing", "nOtFoUnD"},
        {"Nowhere", "Server", "nOtFoUnD"},
        // Blank names trim to empty texts (found by the update-script fuzz target).
        {"Other", "", "blank name"},            {"", "K", "blank section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(Get(c.section, c.key), c.expected);
    }
    EXPECT_EQ(GetPrivateProfileInt("Debug", "Port", -666, Path()), 6667);
    EXPECT_EQ(GetPrivateProfileInt("Debug", "Server", -666, Path()), 0) << "present but not a number";
    EXPECT_EQ(GetPrivateProfileInt("Debug", "Absent", -666, Path()), -666);
}

TEST_F(PrivateProfileTest, ReadsAreCutToTheBufferWithTheCountReturned) {
    dir_.Write("Game.ini", "[S]\r\nK=abcdefghij\r\n");
    EXPECT_EQ(Get("S", "K", "", 5), "abcd");
    EXPECT_EQ(Get("S", "K", "", 1), "");
    EXPECT_EQ(Get("S", "Absent", "defaults  ", 64), "defaults");
    EXPECT_EQ(Get("S", "Absent", nullptr, 64), "");
    char untouched = 'u';
    EXPECT_EQ(GetPrivateProfileString("S", "K", "", &untouched, 0, Path()), 0u);
    EXPECT_EQ(untouched, 'u');
}

TEST_F(PrivateProfileTest, MissingFileGivesDefaults) {
    EXPECT_EQ(Get("S", "K", "dflt"), "dflt");
    EXPECT_EQ(GetPrivateProfileInt("S", "K", 5, Path()), 5);
}

TEST_F(PrivateProfileTest, WritesCreateReplaceInPlaceAndKeepOtherLines) {
    ASSERT_TRUE(WritePrivateProfileString("ControlPanel", "Music", "1", Path()));
    EXPECT_EQ(dir_.Read("Game.ini"), "[ControlPanel]\r\nMusic=1\r\n");
    dir_.Write("Game.ini",
               "; keep me\n"
               "[ControlPanel]\n"
               "Music=1\n"
               "Voice = 0\n"
               "\n"
               "[Debug]\n"
               "Port=1\n");
    ASSERT_TRUE(WritePrivateProfileString("controlpanel", "VOICE", "7", Path()));
    ASSERT_TRUE(WritePrivateProfileString("ControlPanel", "Volume", "50", Path()));
    ASSERT_TRUE(WritePrivateProfileString("New", "Key", "v", Path()));
    EXPECT_EQ(dir_.Read("Game.ini"),
              "; keep me\r\n"
              "[ControlPanel]\r\n"
              "Music=1\r\n"
              "Voice=7\r\n"
              "Volume=50\r\n"
              "\r\n"
              "[Debug]\r\n"
              "Port=1\r\n"
              "\r\n"
              "[New]\r\n"
              "Key=v\r\n");
    EXPECT_EQ(Get("ControlPanel", "Voice"), "7");

    ASSERT_TRUE(WritePrivateProfileString("ControlPanel", "Music", nullptr, Path()));
    EXPECT_EQ(Get("ControlPanel", "Music"), "nOtFoUnD");
    ASSERT_TRUE(WritePrivateProfileString("Debug", nullptr, nullptr, Path()));
    EXPECT_EQ(Get("Debug", "Port"), "nOtFoUnD");
    EXPECT_EQ(Get("New", "Key"), "v");
}

TEST_F(PrivateProfileTest, NullKeyAndSectionListNames) {
    dir_.Write("Game.ini", "[A]\nx=1\ny=2\n[B]\nz=3\n");
    char out[32];
    std::uint32_t n = GetPrivateProfileString("A", nullptr, "", out, sizeof out, Path());
    EXPECT_EQ(std::string(out, n + 1), std::string("x\0y\0\0", 5));
    n = GetPrivateProfileString(nullptr, nullptr, "", out, sizeof out, Path());
    EXPECT_EQ(std::string(out, n + 1), std::string("A\0B\0\0", 5));
    // A list that does not fit: size - 2 bytes, then two terminators; size - 2 returned.
    struct Case {
        const char* section;
        std::uint32_t size;
        std::uint32_t count;
        const char* bytes;
        std::size_t length;
    };
    const Case cases[] = {
        {nullptr, 5, 4, "A\0B\0\0", 5}, {nullptr, 4, 2, "A\0\0\0", 4}, {nullptr, 3, 1, "A\0\0", 3},
        {nullptr, 2, 0, "\0\0", 2},      {nullptr, 1, 0, "\0", 1},        {"A", 4, 2, "x\0\0\0", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section ? c.section : "(sections)") + " into " + std::to_string(c.size));
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(GetPrivateProfileString(c.section, nullptr, "", out, c.size, Path()), c.count);
        EXPECT_EQ(std::string(out, c.length), std::string(c.bytes, c.length));
        EXPECT_EQ(out[c.size], '#');
    }
}

TEST_F(PrivateProfileTest, CommentsAndLinesWithoutEqualsAreNeverKeys) {
    dir_.Write("Game.ini",
               "[Dispatch]\r\n"
               "; Server=commented\r\n"
               "  ;Port=1\r\n"
               "Bare\r\n"
               "Name=value\r\n");
    EXPECT_EQ(Get("Dispatch", "Bare", "_eRrOr_"), "_eRrOr_") << "the caller's absence marker";
    EXPECT_EQ(Get("Dispatch", "; Server", "_eRrOr_"), "_eRrOr_");
    EXPECT_EQ(GetPrivateProfileInt("Dispatch", "Bare", -666, Path()), -666);
    char out[64];
    const std::uint32_t n = GetPrivateProfileString("Dispatch", nullptr, "", out, sizeof out, Path());
    EXPECT_EQ(std::string(out, n + 1), std::string("Name\0\0", 6));

    // Writing the bare name adds a key and leaves the bare line and comments alone.
    ASSERT_TRUE(WritePrivateProfileString("dispatch", "bare", "1", Path()));
    EXPECT_EQ(dir_.Read("Game.ini"),
              "[Dispatch]\r\n"
              "; Server=commented\r\n"
              "  ;Port=1\r\n"
              "Bare\r\n"
              "Name=value\r\n"
              "bare=1\r\n");
    EXPECT_EQ(Get("Dispatch", "BARE"), "1");
}

TEST_F(PrivateProfileTest, AWriteKeepsTheModeGoesThroughALinkAndLeavesNothingBeside) {
    namespace fs = std::filesystem;
    dir_.Write("Game.ini", "[S]\r\nK=1\r\n");
    fs::permissions(dir_.Host("Game.ini"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "2", Path()));
    EXPECT_EQ(fs::status(dir_.Host("Game.ini")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    dir_.Write("real/Game.ini", "[S]\r\nK=1\r\n");
    fs::remove(dir_.Host("Game.ini"));
    fs::create_symlink("real/Game.ini", dir_.Host("Game.ini"));
    ASSERT_TRUE(WritePrivateProfileString("S", "K", "3", Path()));
    EXPECT_TRUE(fs::is_symlink(dir_.Host("Game.ini")));
    EXPECT_EQ(dir_.Read("real/Game.ini"), "[S]\r\nK=3\r\n");

    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.Host())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Game.ini", "real"}));
}

TEST_F(PrivateProfileTest, RandomFilesNeverBreakTheReader) {
    std::mt19937 random(1234);
    const std::string alphabet = "[]= \t\r\n\"'abcK;S";
    for (int round = 0; round < 200; ++round) {
        std::string content(random() % 200, ' ');
        for (char& c : content)
            c = random() % 4 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        dir_.Write("Game.ini", content);
        char out[8];
        GetPrivateProfileString("S", "K", "d", out, sizeof out, Path());
        EXPECT_LT(std::strlen(out), sizeof out);
        GetPrivateProfileString(nullptr, nullptr, "", out, sizeof out, Path());
        GetPrivateProfileString("S", nullptr, "", out, sizeof out, Path());
        GetPrivateProfileInt("S", "K", 0, Path());
        ASSERT_TRUE(WritePrivateProfileString("S", "K", "v", Path()));
        EXPECT_EQ(Get("S", "K"), "v");
    }
}

}  // namespace
