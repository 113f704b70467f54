#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(CommandLineTest, ArgumentsJoinAndSplitBack) {
    const std::vector<const char*> args = {"/opt/game/vizuzor", "/home/a b/x.ini", "", "plain"};
    const std::string line = platform::JoinCommandLine(args);
    EXPECT_EQ(line, "/opt/game/vizuzor \"/home/a b/x.ini\" \"\" plain");
    const std::string longArgument(600, 'a');
    EXPECT_EQ(platform::JoinCommandLine(std::vector<const char*>{"p", longArgument.c_str()}).size(),
              platform::kMaxCommandLine);
    platform::SetCommandLine(line);
    EXPECT_EQ(platform::GetCommandLine(), line);
    platform::SetCommandLine("");
}

}  // namespace
