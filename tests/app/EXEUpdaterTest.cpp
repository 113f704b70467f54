// The updater program, run as the client runs it, on copies of a small stand-in
// client in a temporary folder: it replaces and restarts, or leaves the client
// untouched and says why.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/InstanceLock.h"
#include "support/TempFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

class EXEUpdaterTest : public testing::Test {
  protected:
    void SetUp() override {
        client_ = folder_.Host("client");
        replacement_ = folder_.Host("update_client");
        marker_ = folder_.Host("marker.txt");
        original_ = ReadAll(VIZUZOR_TEST_CLIENT);
        ASSERT_FALSE(original_.empty());
        WriteAll(client_, original_);
        ASSERT_EQ(::chmod(client_.c_str(), 0755), 0);
        // A newer copy: the same program with bytes after it, without the execute bit.
        newer_ = original_ + std::string("newer build");
        WriteAll(replacement_, newer_);
        ASSERT_EQ(::chmod(replacement_.c_str(), 0644), 0);
    }

    // Runs the updater to its end (or to the end of the client it starts);
    // returns the exit status and keeps standard error.
    int Run(const std::string& replacement, int waitMs = 5000) {
        const std::string errors = folder_.Host("stderr.txt");
        const pid_t child = ::fork();
        if (child == 0) {
            ::setenv("VIZUZOR_TEST_MARKER", marker_.c_str(), 1);
            ::setenv("VIZUZOR_UPDATER_WAIT_MS", std::to_string(waitMs).c_str(), 1);
            std::FILE* err = std::freopen(errors.c_str(), "w", stderr);
            (void)err;
            ::execl(VIZUZOR_UPDATER, VIZUZOR_UPDATER, "Vizuzor", client_.c_str(), client_.c_str(),
                    replacement.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        errors_ = ReadAll(errors);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void ExpectUntouched() {
        EXPECT_EQ(ReadAll(client_), original_);
        EXPECT_EQ(ModeOf(client_), 0755u);
        EXPECT_FALSE(std::filesystem::exists(marker_)) << "nothing was restarted";
        EXPECT_NE(errors_.find("the program was not updated"), std::string::npos) << errors_;
    }

    TempFolder folder_;
    std::string client_;
    std::string replacement_;
    std::string marker_;
    std::string original_;
    std::string newer_;
    std::string errors_;
};

TEST_F(EXEUpdaterTest, TheReplacementTakesThePlaceAndModeOfTheClientWhichStartsAgain) {
    EXPECT_EQ(Run(replacement_), 0) << errors_;
    EXPECT_EQ(ReadAll(client_), newer_);
    EXPECT_EQ(ModeOf(client_), 0755u);
    EXPECT_FALSE(std::filesystem::exists(replacement_));
    EXPECT_EQ(ReadAll(marker_), "ran 1\n");
}

TEST_F(EXEUpdaterTest, AMissingReplacementLeavesTheClient) {
    EXPECT_NE(Run(folder_.Host("nothing")), 0);
    ExpectUntouched();
}

TEST_F(EXEUpdaterTest, AReplacementWithoutAVersionRecordLeavesTheClient) {
    WriteAll(replacement_, "#!/bin/sh\necho hi\n");
    EXPECT_NE(Run(replacement_), 0);
    ExpectUntouched();
    EXPECT_TRUE(std::filesystem::exists(replacement_));
}

TEST_F(EXEUpdaterTest, AFolderAsReplacementLeavesTheClient) {
    std::filesystem::create_directory(folder_.Host("dir"));
    EXPECT_NE(Run(folder_.Host("dir")), 0);
    ExpectUntouched();
}

TEST_F(EXEUpdaterTest, AClientThatKeepsRunningIsLeftAlone) {
    auto held = platform::InstanceLock::Acquire(client_, platform::InstanceLock::DefaultLockFolder(),
                                                platform::InstanceLock::FallbackLockFolder());
    ASSERT_EQ(held.outcome, platform::InstanceLock::Outcome::Acquired);
    EXPECT_NE(Run(replacement_, 200), 0);
    ExpectUntouched();
    EXPECT_NE(errors_.find("still running"), std::string::npos) << errors_;
}

TEST_F(EXEUpdaterTest, AFolderThatCannotBeWrittenLeavesTheClient) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes any folder";
    ASSERT_EQ(::chmod(folder_.Host().c_str(), 0555), 0);
    EXPECT_NE(Run(replacement_), 0);
    ::chmod(folder_.Host().c_str(), 0755);
    ExpectUntouched();
}

}  // namespace
