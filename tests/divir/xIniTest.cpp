#include "divir/xIni.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/PrivateProfile.h"
#include "support/TempFolder.h"

namespace {

class xIniTest : public ::testing::Test {
  protected:
    const char* Path() {
        path_ = dir_.Win("hex.ini");
        return path_.c_str();
    }
    TempFolder dir_;
    std::string path_;
};

TEST_F(xIniTest, HexValuesDecodeByPairs) {
    dir_.Write("hex.ini", "[S]\r\nEven=414243\r\nOdd=41424\r\nLower=6a6B\r\nJunk=4G\r\nDflt=none\r\n");
    struct Case {
        const char* key;
        std::uint32_t outSize;
        std::string expected;
        std::uint32_t rawLength;
    };
    const Case cases[] = {
        {"Even", 16, "ABC", 6}, {"Odd", 16, "AB", 5},    {"Lower", 16, "jk", 4},    {"Junk", 16, "@", 2},
        {"Even", 3, "AB", 6},   {"Dflt", 16, "NONE", 4}, {"Absent", 16, "NONE", 4}, {"Absent", 3, "NO", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " into " + std::to_string(c.outSize));
        char out[32];
        std::memset(out, '#', sizeof out);
        EXPECT_EQ(IniGetHexString("S", c.key, "NONE", out, c.outSize, Path()), c.rawLength);
        EXPECT_EQ(std::string(out), c.expected);
        EXPECT_EQ(out[c.outSize], '#');
    }
}

TEST_F(xIniTest, HexWritesUppercasePairsOfAtMost126Bytes) {
    IniWriteHexString(0, "S", "K", "ABC\xff", Path());
    char raw[300];
    platform::GetPrivateProfileString("S", "K", "", raw, sizeof raw, Path());
    EXPECT_STREQ(raw, "414243FF");
    const std::string longText(200, 'z');
    IniWriteHexString(0, "S", "K", longText.c_str(), Path());
    platform::GetPrivateProfileString("S", "K", "", raw, sizeof raw, Path());
    EXPECT_EQ(std::strlen(raw), 252u);
    char out[300];
    IniGetHexString("S", "K", "", out, sizeof out, Path());
    EXPECT_EQ(std::string(out), std::string(126, 'z'));
}

TEST_F(xIniTest, StringsThroughFileSpecs) {
    const xFileSpec fileSpec(dir_.Win("Plain.ini").c_str());
    xIniWriteString("Debug", "User", "\"quoted\"", fileSpec);
    IniWriteString("Debug", "Port", "6667", dir_.Win("plain.ini").c_str());
    char out[16];
    EXPECT_EQ(xIniGetString("debug", "user", "nOtFoUnD", out, sizeof out, fileSpec), 6u);
    EXPECT_STREQ(out, "quoted");
    xIniGetString("Debug", "Port", "", out, sizeof out, fileSpec);
    EXPECT_STREQ(out, "6667");
}

}  // namespace
