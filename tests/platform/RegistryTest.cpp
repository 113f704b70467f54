#include "platform/Registry.h"

#include <gtest/gtest.h>

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
    EXPECT_FALSE(registry.CreateKey(12345, "x", deep)) << "not an open key";
}

TEST_F(RegistryTest, AnInterruptedWriteLeavesTheOldStore) {
    Registry registry(StoreFile());
    RegistryKey key = 0;
    ASSERT_TRUE(registry.CreateKey(kMachine, "Software\\Game", key));
    ASSERT_TRUE(registry.SetString(key, "Name", "old"));
    registry.SetCommitHook([] { return false; });  // the program dies before the rename
    EXPECT_FALSE(registry.SetString(key, "Name", "new"));
    EXPECT_TRUE(std::filesystem::exists(StoreFile() + ".tmp")) << "the new store was written beside";

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

}  // namespace
