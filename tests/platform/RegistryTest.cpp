#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "support/TempFolder.h"

namespace {

using platform::Registry;
using platform::RegistryKey;
using platform::RegistryRoot;
using platform::RegistryType;

constexpr RegistryKey kMachine = static_cast<RegistryKey>(RegistryRoot::LocalMachine);

class RegistryTest : public ::testing::Test {
  protected:
    std::string StoreFile() const { return dir_.Host("config/Vizuzor/registry.txt"); }
    std::vector<std::string> FolderNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Host("config/Vizuzor")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    TempFolder dir_;
};

TEST_F(RegistryTest, ValuesRoundTripThroughTheStoreFile) {
    Registry registry(StoreFile());
    RegistryKey key = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Halvane\\Quonza\\Brindlex", key));
    EXPECT_TRUE(registry.SetString(key, "Ad Path", "C:\\Ads \"x\"\n\xe9"));
    EXPECT_TRUE(registry.SetDword(key, "TimeStamp", 0x5f5e1000u));
    const std::uint8_t blob[] = {0, 1, 0xff};
    EXPECT_TRUE(registry.SetValue(key, "Window", RegistryType::Binary, blob));
    EXPECT_TRUE(registry.SetString(key, "", "default"));
    registry.CloseKey(key);

    Registry reread(StoreFile());  // a second instance reads only the file
    ASSERT_TRUE(reread.OpenKey(kMachine, "software\\HALVANE\\quonza\\brindlex", key));
    RegistryType type{};
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(reread.QueryValue(key, "ad path", type, data));
    EXPECT_EQ(type, RegistryType::String);
    const std::string text = "C:\\Ads \"x\"\n\xe9";
    EXPECT_EQ(std::string(data.begin(), data.end()), text + '\0') << "strings are stored terminated";
    ASSERT_TRUE(reread.QueryValue(key, "TimeStamp", type, data));
    EXPECT_EQ(type, RegistryType::Dword);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0x00, 0x10, 0x5e, 0x5f}));
    ASSERT_TRUE(reread.QueryValue(key, "WINDOW", type, data));
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0, 1, 0xff}));
    ASSERT_TRUE(reread.QueryValue(key, "", type, data));
    EXPECT_FALSE(reread.QueryValue(key, "Missing", type, data));
    EXPECT_TRUE(reread.DeleteValue(key, "Window"));
    EXPECT_FALSE(reread.QueryValue(key, "Window", type, data));
    EXPECT_FALSE(reread.OpenKey(kMachine, "Software\\Nowhere", key));
}

TEST_F(RegistryTest, SubkeysEnumerateAndDeleteWithTheirChildren) {
    Registry registry(StoreFile());
    RegistryKey players = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Halvane\\Quonza\\Players", players));
    for (const char* name : {"zed", "Ann", "bob"}) {
        RegistryKey player = 0;
        ASSERT_TRUE(registry.CreateKey(players, name, player));
        registry.SetDword(player, "TimeStamp", 1);
        registry.CloseKey(player);
    }
    RegistryKey deep = 0;
    ASSERT_TRUE(registry.CreateKey(players, "bob\\inner", deep));
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; registry.EnumKey(players, i, name); ++i) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Ann", "bob", "zed"}));

    EXPECT_TRUE(registry.DeleteKey(players, "BOB"));
    EXPECT_FALSE(registry.OpenKey(players, "bob\\inner", deep));
    names.clear();
    for (std::uint32_t i = 0; registry.EnumKey(players, i, name); ++i) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"Ann", "zed"}));
    EXPECT_FALSE(registry.DeleteKey(players, "bob"));
    EXPECT_FALSE(registry.CreateKey(players, "bad\nname", deep));
    EXPECT_TRUE(registry.CreateKey(players, "[x]\\y[", deep)) << "brackets are printable";
    EXPECT_FALSE(registry.CreateKey(12345, "x", deep)) << "not an open key";
}

TEST_F(RegistryTest, AnInterruptedWriteLeavesTheOldStore) {
    Registry registry(StoreFile());
    RegistryKey key = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Game", key));
    ASSERT_TRUE(registry.SetString(key, "Name", "old"));
    registry.SetCommitHook([] { return false; });  // the program dies before the rename
    EXPECT_FALSE(registry.SetString(key, "Name", "new"));
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"registry.txt", "registry.txt.lock"}))
        << "nothing left behind";

    Registry after(StoreFile());
    ASSERT_TRUE(after.OpenKey(kMachine, "Software\\Game", key));
    RegistryType type{};
    std::vector<std::uint8_t> data;
    ASSERT_TRUE(after.QueryValue(key, "Name", type, data));
    EXPECT_EQ(std::string(data.begin(), data.end()), std::string("old", 4));
    // The next complete write replaces the leftover.
    ASSERT_TRUE(after.SetString(key, "Name", "newer"));
    ASSERT_TRUE(Registry(StoreFile()).OpenKey(kMachine, "Software\\Game", key));
}

TEST_F(RegistryTest, LinesTheReaderDoesNotUnderstandAreWrittenBack) {
    dir_.Write("config/Vizuzor/registry.txt",
               "; Vizuzor settings store\n"
               "# kept by hand\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Game]\n"
               "\"Name\"=sz:\"old\"\n"
               "; a note under the key\n"
               "\"Big\"=qword:0000000000000001\n"
               "\"Broken\"=sz:\"no end\n"
               "[HKEY_ELSEWHERE\\X]\n"
               "\"y\"=dword:00000001\n");
    Registry registry(StoreFile());
    RegistryKey key = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Game", key));
    ASSERT_TRUE(registry.SetString(key, "Name", "new"));
    EXPECT_EQ(dir_.Read("config/Vizuzor/registry.txt"),
              "; Vizuzor settings store\n"
              "# kept by hand\n"
              "\n[HKEY_LOCAL_MACHINE\\Software]\n"
              "\n[HKEY_LOCAL_MACHINE\\Software\\Game]\n"
              "\"Name\"=sz:\"new\"\n"
              "; a note under the key\n"
              "\"Big\"=qword:0000000000000001\n"
              "\"Broken\"=sz:\"no end\n"
              "\n[HKEY_ELSEWHERE\\X]\n"
              "\"y\"=dword:00000001\n");
}

// Saved players are keys named by their user names: 3 to 12 printable
// characters, inner blanks allowed.
TEST_F(RegistryTest, AnyPrintableKeyNameRoundTrips) {
    const std::string names[] = {"[Boss]",       "a]b[c",     "100% sure", "back\\slash", "~!@#$^&*()_+",
                                 "\"quoted\" x", "semi;colon", "eq=ual",    "%5B",         "{}|:<>?,./`'",
                                 "   ",          "Zed"};
    Registry registry(StoreFile());
    RegistryKey players = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Halvane\\Quonza\\Players", players));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        RegistryKey player = 0;
        ASSERT_TRUE(registry.CreateNamedKey(players, name, player));
        EXPECT_TRUE(registry.SetString(player, "Password", name));
        EXPECT_TRUE(registry.SetDword(player, "TimeStamp", 7));
        registry.CloseKey(player);
    }
    Registry reread(StoreFile());
    ASSERT_TRUE(reread.OpenKey(kMachine, "Software\\Halvane\\Quonza\\Players", players));
    std::vector<std::string> listed;
    std::string name;
    for (std::uint32_t i = 0; reread.EnumKey(players, i, name); ++i) listed.push_back(name);
    std::vector<std::string> expected(std::begin(names), std::end(names));
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
    for (const std::string& n : names) {
        SCOPED_TRACE(n);
        RegistryKey player = 0;
        ASSERT_TRUE(reread.OpenNamedKey(players, n, player));
        RegistryType type{};
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(reread.QueryValue(player, "Password", type, data));
        EXPECT_EQ(std::string(data.begin(), data.end()), n + '\0');
    }
    // A backslash read as a step down is another key; the named one goes alone.
    RegistryKey other = 0;
    EXPECT_FALSE(reread.OpenKey(players, "back\\slash", other));
    EXPECT_TRUE(reread.DeleteNamedKey(players, "back\\slash"));
    EXPECT_FALSE(reread.OpenNamedKey(players, "back\\slash", other));
    EXPECT_TRUE(reread.OpenNamedKey(players, "[boss]", other)) << "names match ignoring case";
    EXPECT_FALSE(reread.CreateNamedKey(players, "tab\there", other)) << "control characters are no names";
    EXPECT_FALSE(reread.CreateNamedKey(players, "", other));
}

TEST_F(RegistryTest, TheStoreIsPrivateKeepsItsModeAndWritesThroughALink) {
    namespace fs = std::filesystem;
    Registry registry(StoreFile());
    RegistryKey key = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Game", key));
    EXPECT_EQ(fs::status(StoreFile()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    fs::permissions(StoreFile(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(registry.SetString(key, "Name", "x"));
    EXPECT_EQ(fs::status(StoreFile()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A store kept elsewhere (a dotfiles folder, say) behind a link stays there.
    dir_.Write("dotfiles/registry.txt", "");
    fs::remove(StoreFile());
    fs::create_symlink("../../dotfiles/registry.txt", StoreFile());
    ASSERT_TRUE(registry.SetString(key, "Name", "through"));
    EXPECT_TRUE(fs::is_symlink(StoreFile()));
    EXPECT_NE(dir_.Read("dotfiles/registry.txt").find("sz:\"through\""), std::string::npos);
}

TEST_F(RegistryTest, AStoreThatCannotBeReadIsNeitherEmptyNorOverwritten) {
    // A folder where the file should be: every change fails, nothing is read.
    std::filesystem::create_directories(StoreFile());
    Registry registry(StoreFile());
    RegistryKey key = 0;
    EXPECT_FALSE(registry.CreateKey(kMachine, "Software\\Game", key));
    EXPECT_TRUE(std::filesystem::is_directory(StoreFile()));
}

TEST_F(RegistryTest, DefaultStoreFollowsTheConfigurationFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(Registry::DefaultStorePath(), "/cfg/Vizuzor/registry.txt");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_NE(Registry::DefaultStorePath().find("/.config/Vizuzor/registry.txt"), std::string::npos);
    if (saved) ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
}

TEST(RegistryParseTest, RandomStoreTextsNeverBreakTheReader) {
    std::mt19937 random(99);
    const std::string seed = Registry::Format(Registry::Parse(
        "[HKEY_LOCAL_MACHINE\\A\\B]\n\"s\"=sz:\"a\\x41\\\"\"\n\"d\"=dword:0000000a\n@=hex:01,ff\n"));
    ASSERT_NE(seed.find("sz:\"aA\\\"\""), std::string::npos);
    for (int round = 0; round < 2000; ++round) {
        std::string text = seed;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
                case 0:
                    text[at] = static_cast<char>(random());
                    break;
                case 1:
                    text.erase(at, 1 + random() % 5);
                    break;
                default:
                    text.resize(at);
                    break;
            }
        }
        const Registry::Store store = Registry::Parse(text);
        // What was read is written and read back the same.
        const std::string again = Registry::Format(store);
        EXPECT_EQ(Registry::Format(Registry::Parse(again)), again);
    }
}

// A kept line that ends in several carriage returns is kept without them:
// one save after another leaves the file as it is.
TEST(RegistryParseTest, LinesEndingInSeveralCarriageReturnsReadBackTheSame) {
    const std::string text =
        "[HKEY_LOCAL_MACHINE\\Software\\X]\n\"Name\"=sz:\"quo\\\"ted\\\\\r\r\r\n; note\r\r\n[ELSEWHERE]\r\r\r\n";
    const std::string once = Registry::Format(Registry::Parse(text));
    EXPECT_EQ(once.find('\r'), std::string::npos);
    EXPECT_EQ(Registry::Format(Registry::Parse(once)), once);
}

}  // namespace
