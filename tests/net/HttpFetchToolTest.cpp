#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestHttpServer.h"

namespace {

int RunTool(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(HttpFetchToolTest, FetchesACompressedFileByteIdentical) {
    TestHttpServer server;
    if (!server.Running()) GTEST_SKIP() << "python3 is missing: no test HTTP server";
    char original[] = "/tmp/vizuzor-original-XXXXXX";
    char fetched[] = "/tmp/vizuzor-fetched-XXXXXX";
    ::close(::mkstemp(original));
    ::close(::mkstemp(fetched));
    ASSERT_TRUE(TestHttpServer::RunScript({"--write-content", "text", original}));
    EXPECT_EQ(RunTool({HTTP_FETCH_TOOL, server.Address(), "/zip/text", fetched}), 0);
    const std::string want = TestHttpServer::ReadFile(original);
    const std::string got = TestHttpServer::ReadFile(fetched);
    EXPECT_EQ(got.size(), want.size());
    EXPECT_TRUE(got == want);
    // A failure is reported, not written.
    EXPECT_EQ(RunTool({HTTP_FETCH_TOOL, server.Address(), "/status/404", fetched}), 1);
    ::unlink(original);
    ::unlink(fetched);
}
