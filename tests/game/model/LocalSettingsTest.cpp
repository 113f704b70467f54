#include "game/model/LocalSettings.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/HostPath.h"
#include "platform/Registry.h"

namespace {

class LocalSettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/vizuzor-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        root_ = dir;
        ::mkdir((root_ + "/prog").c_str(), 0700);
        ::mkdir((root_ + "/cwd").c_str(), 0700);
        ::mkdir((root_ + "/with blanks").c_str(), 0700);
        char old[PATH_MAX];
        ASSERT_NE(::getcwd(old, sizeof old), nullptr);
        oldCwd_ = old;
        ASSERT_EQ(::chdir((root_ + "/cwd").c_str()), 0);
        programFolder_ = platform::ToWindowsPath(root_ + "/prog/");
        registry_ = std::make_unique<platform::Registry>(root_ + "/registry.txt");
    }
    void TearDown() override {
        ASSERT_EQ(::chdir(oldCwd_.c_str()), 0);
        registry_.reset();
        const std::string command = "rm -rf '" + root_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    std::string Write(const std::string& relative, const std::vector<std::string>& lines) {
        const std::string path = root_ + "/" + relative;
        std::ofstream out(path, std::ios::binary);
        out << "[Debug]\r\n";
        for (const std::string& l : lines) out << l << "\r\n";
        return path;
    }

    void SetWindowValue() {
        platform::RegistryKey key = 0;
        ASSERT_TRUE(
            registry_->CreateKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine),
                                 LocalSettings::kRegistryKey, key));
        ASSERT_TRUE(registry_->SetDword(key, "Window", 1));
        registry_->CloseKey(key);
    }

    LocalSettings Read(const std::string& commandLine) {
        return LocalSettings::Read(commandLine, programFolder_, *registry_);
    }

    std::string root_;
    std::string oldCwd_;
    std::string programFolder_;
    std::unique_ptr<platform::Registry> registry_;
};

TEST_F(LocalSettingsTest, ChoosingTheFile) {
    const std::string upper = Write("x.INI", {"UserName=upper"});
    Write("a.ini.txt", {"UserName=double"});
    Write("noext", {"UserName=noext"});
    Write("with blanks/s.ini", {"UserName=blanks"});
    struct Case {
        const char* what;
        std::string commandLine;
        std::vector<std::string> present;  // settings files that exist, beside the command line's
        std::string user;
    };
    const std::string prog = "prog/Vizuzor.ini";
    const std::string cwd = "cwd/Vizuzor.ini";
    const Case cases[] = {
        {"x.INI", "game " + upper, {}, "upper"},
        {"a host path with a Windows text", "game " + platform::ToWindowsPath(upper), {}, "upper"},
        {"an extension after .ini", "game " + root_ + "/a.ini.txt", {prog}, "prog"},
        {"no extension", "game " + root_ + "/noext", {prog}, "prog"},
        {"a quoted path with blanks",
         platform::JoinCommandLine(std::vector<const char*>{"game", (root_ + "/with blanks/s.ini").c_str()}),
         {},
         "blanks"},
        {"a missing candidate: the program folder", "game " + root_ + "/missing.ini", {prog, cwd}, "prog"},
        {"a missing candidate: the current folder", "game " + root_ + "/missing.ini", {cwd}, "cwd"},
        {"a missing candidate: none", "game " + root_ + "/missing.ini", {}, "Test User"},
        {"no argument", "game", {cwd}, "cwd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& f : c.present) Write(f, {"UserName=" + f.substr(0, f.find('/'))});
        EXPECT_EQ(Read(c.commandLine).userName, c.user);
        for (const std::string& f : c.present) ::unlink((root_ + "/" + f).c_str());
    }
    EXPECT_EQ(LocalSettings::ChooseFile("game", programFolder_), programFolder_ + "Vizuzor.ini");
}

TEST_F(LocalSettingsTest, TheFileNameIsFoundCaseBlind) {
    Write("prog/VIZUZOR.INI", {"UserName=shouting"});
    EXPECT_EQ(Read("game").userName, "shouting");
}

TEST_F(LocalSettingsTest, AbsentFileGivesEveryDefault) {
    const LocalSettings s = Read("game");
    EXPECT_EQ(s.dispatchServerName, LocalSettings::kDefaultDispatchServerName);
    EXPECT_EQ(s.dispatchServerPort, 80);
    EXPECT_EQ(s.dispatchServerFilePath, "picture/dispatch/client/dispatch.ini");
    EXPECT_FALSE(s.overrideGameServer);
    EXPECT_EQ(s.gameServerName, LocalSettings::kDefaultGameServerName);
    EXPECT_EQ(s.gameServerPort, 6666);
    EXPECT_EQ(s.listChannelName, "Big_List");
    EXPECT_FALSE(s.simulateLogon);
    EXPECT_TRUE(s.launchBrowser);
    EXPECT_FALSE(s.gotoGameRoom);
    EXPECT_EQ(s.userName, "Test User");
    EXPECT_EQ(s.gameChannelName, "Big_000");
    EXPECT_TRUE(s.fullScreen);
    EXPECT_EQ(s.screenBitsPerPixel, 16);
    EXPECT_EQ(s.screenWidth, 640);
    EXPECT_EQ(s.screenHeight, 480);
    EXPECT_FALSE(s.disableSound);
    EXPECT_FALSE(s.preflight);
    // The registry key was only looked for.
    platform::RegistryKey key = 0;
    EXPECT_FALSE(registry_->OpenKey(static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine),
                                    LocalSettings::kRegistryKey, key));
}

TEST_F(LocalSettingsTest, EveryKeyIsRead) {
    const std::string file = Write("all.ini", {
                                                  "DispatchServerName=d.example",
                                                  "DispatchServerPort=8080",
                                                  "DispatchServerFilePath=/x/dispatch.ini",
                                                  "OverrideGameServer=1",
                                                  "GameServerName=g.example",
                                                  "GameServerPort=-5",
                                                  "ListChannelName=List",
                                                  "SimulateLogon=true",
                                                  "LaunchBrowser=FALSE",
                                                  "GotoGameRoom=True",
                                                  "UserName=\"Ann Lee\"",
                                                  "GameChannelName=Room_1",
                                                  "FullScreen=0",
                                                  "ScreenBitsPerPixel=8",
                                                  "ScreenWidth=800x",
                                                  "ScreenHeight=600",
                                                  "DisableSound=1",
                                                  "Preflight=TRUE",
                                              });
    const LocalSettings s = Read("game " + file);
    EXPECT_EQ(s.dispatchServerName, "d.example");
    EXPECT_EQ(s.dispatchServerPort, 8080);
    EXPECT_EQ(s.dispatchServerFilePath, "/x/dispatch.ini");
    EXPECT_TRUE(s.overrideGameServer);
    EXPECT_EQ(s.gameServerName, "g.example");
    EXPECT_EQ(s.gameServerPort, -5);
    EXPECT_EQ(s.listChannelName, "List");
    EXPECT_TRUE(s.simulateLogon);
    EXPECT_FALSE(s.launchBrowser);
    EXPECT_TRUE(s.gotoGameRoom);
    EXPECT_EQ(s.userName, "Ann Lee");
    EXPECT_EQ(s.gameChannelName, "Room_1");
    EXPECT_FALSE(s.fullScreen);
    EXPECT_EQ(s.screenBitsPerPixel, 8);
    EXPECT_EQ(s.screenWidth, 800);
    EXPECT_EQ(s.screenHeight, 600);
    EXPECT_TRUE(s.disableSound);
    EXPECT_TRUE(s.preflight);
}

TEST_F(LocalSettingsTest, ValueEdgeCases) {
    struct Case {
        const char* line;
        bool launchBrowser, preflight;
        std::int32_t width;
    };
    const Case cases[] = {
        {"LaunchBrowser=no", true, false, 640},
        {"LaunchBrowser=FALSE", false, false, 640},
        {"LaunchBrowser=0", false, false, 640},
        {"LaunchBrowser=", true, false, 640},
        {"Preflight=yes", true, false, 640},
        {"Preflight=TRUE", true, true, 640},
        {"Preflight=1", true, true, 640},
        {"Preflight=2", true, false, 640},
        {"ScreenWidth=letters", true, false, 0},
        {"ScreenWidth= 12", true, false, 12},
        {"ScreenWidth=99999999999", true, false, INT32_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string file = Write("edge.ini", {c.line});
        const LocalSettings s = Read("game " + file);
        EXPECT_EQ(s.launchBrowser, c.launchBrowser);
        EXPECT_EQ(s.preflight, c.preflight);
        EXPECT_EQ(s.screenWidth, c.width);
    }
}

TEST_F(LocalSettingsTest, FullScreenAgainstTheWindowValue) {
    const std::string none = Write("none.ini", {"UserName=x"});
    const std::string on = Write("on.ini", {"FullScreen=1"});
    const std::string off = Write("off.ini", {"FullScreen=false"});
    EXPECT_TRUE(Read("game " + none).fullScreen);
    EXPECT_FALSE(Read("game " + off).fullScreen);
    SetWindowValue();
    EXPECT_FALSE(Read("game " + none).fullScreen);
    EXPECT_TRUE(Read("game " + on).fullScreen);
    EXPECT_FALSE(Read("game " + off).fullScreen);
}

}  // namespace
