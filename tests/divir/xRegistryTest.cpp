#include "divir/xRegistry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/TempFolder.h"

namespace {

constexpr platform::RegistryKey kMachine =
    static_cast<platform::RegistryKey>(platform::RegistryRoot::LocalMachine);

class xRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { platform::Registry::UseDefaultStore(dir_.Host("registry.txt")); }
    void TearDown() override { platform::Registry::UseDefaultStore(platform::Registry::DefaultStorePath()); }
    TempFolder dir_;
};

TEST_F(xRegistryTest, ReadsOnlyWhatFitsWithItsTerminator) {
    platform::RegistryKey key = 0;
    ASSERT_TRUE(OpenRegistryKey(kMachine, "Software\\Halvane\\Quonza\\Brindlex", key));
    platform::Registry::Default().SetString(key, "Ad Path", "abcd");
    platform::Registry::Default().SetDword(key, "Count", 7);
    platform::Registry::Default().CloseKey(key);

    struct Case {
        const char* name;
        std::uint32_t size;
        bool ok;
    };
    const Case cases[] = {{"Ad Path", 16, true}, {"Ad Path", 5, true}, {"Ad Path", 4, false},
                          {"Count", 4, true},    {"Count", 3, false},  {"Absent", 16, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " into " + std::to_string(c.size));
        char buffer[20];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(ReadRegistryValue(kMachine, "Software\\Halvane\\Quonza\\Brindlex", c.name, buffer, c.size),
                  c.ok);
        EXPECT_EQ(buffer[c.size], '#');
        if (c.ok && std::strcmp(c.name, "Ad Path") == 0) {
            EXPECT_STREQ(buffer, "abcd");
        }
    }
    char buffer[8];
    EXPECT_TRUE(
        GetRegistryValue(kMachine, "software\\halvane\\quonza\\brindlex", "AD PATH", buffer, sizeof buffer));
    EXPECT_FALSE(ReadRegistryValue(kMachine, nullptr, "x", buffer, sizeof buffer));
    EXPECT_FALSE(ReadRegistryValue(kMachine, "k", nullptr, buffer, sizeof buffer));
    EXPECT_FALSE(ReadRegistryValue(kMachine, "k", "x", nullptr, 8));
    EXPECT_FALSE(OpenRegistryKey(kMachine, nullptr, key));
}

TEST_F(xRegistryTest, ReadingUnderAMissingKeyCreatesIt) {
    char buffer[8];
    EXPECT_FALSE(ReadRegistryValue(kMachine, "Software\\New\\Key", "x", buffer, sizeof buffer));
    platform::RegistryKey key = 0;
    EXPECT_TRUE(platform::Registry::Default().OpenKey(kMachine, "Software\\New\\Key", key));
}

}  // namespace
