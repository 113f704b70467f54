#include "platform/HostPath.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/HostFileSystem.h"
#include "support/TempFolder.h"

namespace {

TEST(HostPathTest, ResolvesEachComponentCaseBlindAndKeepsNewOnes) {
    TempFolder dir;
    dir.Write("Resources/Music/Title.srf", "x");
    dir.Write("Resources/Music/title.SRF.bak", "x");
    std::filesystem::create_directories(dir.Host("Resources/music2"));
    const std::string root = dir.Win();
    struct Case {
        const char* win;
        const char* host;
    };
    const Case cases[] = {
        {"\\Resources\\Music\\Title.srf", "/Resources/Music/Title.srf"},
        {"\\resources\\MUSIC\\title.SRF", "/Resources/Music/Title.srf"},
        {"\\RESOURCES\\Music2\\", "/Resources/music2/"},
        {"\\resources\\NewDir\\New.txt", "/Resources/NewDir/New.txt"},
        {"\\resources\\\\music\\.\\TITLE.srf", "/Resources/Music/./Title.srf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.win);
        EXPECT_EQ(platform::ResolveHostPath(root + c.win), dir.Host() + c.host);
    }
    EXPECT_EQ(platform::ResolveHostPath("C:\\x\\y"), "/x/y");
    EXPECT_EQ(platform::ResolveHostPath(".\\"), "./");
    EXPECT_EQ(platform::ResolveHostPath(""), ".");
    EXPECT_EQ(platform::ToWindowsPath("/a/b"), "\\a\\b");
}

TEST(HostPathTest, TellsWhetherAPathStaysInsideAFolder) {
    TempFolder dir;
    dir.Write("Game/Resources/a.srf", "x");
    dir.Write("Outside/b.txt", "x");
    std::filesystem::create_symlink(dir.Host("Outside"), dir.Host("Game/Link"));
    const std::string game = dir.Win("Game") + "\\";
    struct Case {
        const char* name;
        bool inside;
    };
    const Case cases[] = {
        {"Resources\\a.srf", true},
        {"resources\\NEW.srf", true},
        {"new.txt", true},
        {"..\\Outside\\b.txt", false},
        {"Resources\\..\\..\\x", false},
        {"Resources\\..\\ok.txt", true},
        {"Link\\b.txt", false},
        {".", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::IsPathInsideFolder(game, game + c.name), c.inside);
    }
    EXPECT_FALSE(platform::IsPathInsideFolder(game, dir.Win("GameOther\\x")));
    EXPECT_FALSE(platform::IsPathInsideFolder(game, "\\etc\\passwd"));
}

TEST(HostPathTest, ProgramPathIsThisExecutable) {
    const auto program = platform::ProgramPath();
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(std::filesystem::path(*program).filename(), "platform_tests");
}

TEST(HostPathTest, RelativePathsRestOnTheCurrentFolder) {
    TempFolder dir;
    dir.Write("Game/Settings.INI", "x");
    const std::filesystem::path before = std::filesystem::current_path();
    ASSERT_TRUE(platform::HostSetCurrentDirectory(platform::ResolveHostPath(dir.Win("game"))));
    EXPECT_EQ(platform::ResolveHostPath(".\\settings.ini"), "./Settings.INI");
    EXPECT_TRUE(platform::HostFileExists(platform::ResolveHostPath("SETTINGS.ini")));
    EXPECT_FALSE(platform::HostSetCurrentDirectory(dir.Host("missing")));
    std::filesystem::current_path(before);
}

}  // namespace

// A downloaded replacement takes the mode of the file it replaces (a program
// keeps its execute bits); a new file keeps its own.
TEST(HostFileSystemTest, AReplacementKeepsTheTargetsMode) {
    char dir[] = "/tmp/vizuzor-replace-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string folder = dir;
    const std::string target = folder + "/prog";
    const std::string download = folder + "/update_prog";
    std::ofstream(target) << "old";
    std::ofstream(download) << "new";
    ASSERT_EQ(::chmod(target.c_str(), 0751), 0);
    ASSERT_EQ(::chmod(download.c_str(), 0644), 0);
    ASSERT_TRUE(platform::HostReplaceFile(download, target));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0751u);
    std::ifstream in(target);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "new");
    const std::string fresh = folder + "/fresh";
    std::ofstream(download) << "x";
    ASSERT_EQ(::chmod(download.c_str(), 0640), 0);
    ASSERT_TRUE(platform::HostReplaceFile(download, fresh));
    ASSERT_EQ(::stat(fresh.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ::unlink(target.c_str());
    ::unlink(fresh.c_str());
    ::rmdir(dir);
}
