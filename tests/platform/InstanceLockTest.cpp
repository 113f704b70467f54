#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

using platform::InstanceLock;

class InstanceLockTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            std::filesystem::temp_directory_path() /
            ("instance-lock-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::filesystem::path folder_;
};

TEST_F(InstanceLockTest, OnePathOneHolderUntilReleased) {
    auto first = InstanceLock::Acquire("/games/a/client", folder_);
    ASSERT_EQ(first.outcome, InstanceLock::Outcome::Acquired);
    ASSERT_NE(first.lock, nullptr);

    EXPECT_EQ(InstanceLock::Acquire("/games/a/client", folder_).outcome,
              InstanceLock::Outcome::HeldElsewhere);
    EXPECT_EQ(InstanceLock::Acquire("/games/b/client", folder_).outcome, InstanceLock::Outcome::Acquired);

    first.lock.reset();
    EXPECT_EQ(InstanceLock::Acquire("/games/a/client", folder_).outcome, InstanceLock::Outcome::Acquired);
}

TEST_F(InstanceLockTest, NamesDependOnTheWholePathOnly) {
    EXPECT_EQ(InstanceLock::LockFileName("/x/y"), InstanceLock::LockFileName("/x/y"));
    EXPECT_NE(InstanceLock::LockFileName("/x/y"), InstanceLock::LockFileName("/x/Y"));
    EXPECT_NE(InstanceLock::LockFileName("/x/y"), InstanceLock::LockFileName("/x/y2"));
    EXPECT_EQ(InstanceLock::LockFileName("/x/y").find('/'), std::string::npos);
}

// A shared folder such as /tmp: another user's file, or a link, in the lock
// file's place is not used; the user's own fallback folder is, with a warning.
TEST_F(InstanceLockTest, AForeignOrLinkedLockFileIsNotUsedAndTheFallbackIs) {
    namespace fs = std::filesystem;
    const std::string program = "/games/a/client";
    const fs::path shared = folder_ / "shared";
    const fs::path fallback = folder_ / "cache" / "Vizuzor";
    fs::create_directories(shared);
    const fs::path lockFile = shared / InstanceLock::LockFileName(program);
    const fs::path target = folder_ / "victim";

    enum class Kind { ForeignFile, Link, NoFolder };
    for (const Kind kind : {Kind::ForeignFile, Kind::Link, Kind::NoFolder}) {
        SCOPED_TRACE(static_cast<int>(kind));
        fs::remove(lockFile);
        std::string folder = shared.string();
        if (kind == Kind::ForeignFile) {
            if (::geteuid() != 0) {
                std::printf("(the foreign-owner row needs root to give a file away; skipped)\n");
                continue;
            }
            std::ofstream(lockFile).put('x');
            ASSERT_EQ(::chown(lockFile.c_str(), 65534, 65534), 0);
        } else if (kind == Kind::Link) {
            fs::create_symlink(target, lockFile);
        } else {
            folder = (folder_ / "absent").string();
        }
        EXPECT_EQ(InstanceLock::Acquire(program, folder).outcome, InstanceLock::Outcome::Unavailable);
        auto r = InstanceLock::Acquire(program, folder, fallback.string());
        EXPECT_EQ(r.outcome, InstanceLock::Outcome::Acquired);
        EXPECT_TRUE(fs::exists(fallback / InstanceLock::LockFileName(program)));
        EXPECT_NE(r.warning.find(fallback.string()), std::string::npos) << r.warning;
        EXPECT_FALSE(fs::exists(target)) << "the link was not followed";
        // The fallback lock is the one a second copy meets.
        EXPECT_EQ(InstanceLock::Acquire(program, folder, fallback.string()).outcome,
                  InstanceLock::Outcome::HeldElsewhere);
    }
}

// A message box shown through SDL runs in a forked child; when the program is
// killed while the box is up, the orphaned child must not keep the lock.
TEST_F(InstanceLockTest, AForkedChildOfAKilledHolderDoesNotKeepTheLock) {
    int boxUp[2];
    int boxPid[2];
    ASSERT_EQ(::pipe(boxUp), 0);
    ASSERT_EQ(::pipe(boxPid), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        auto r = InstanceLock::Acquire("/games/a/client", folder_.string());
        if (r.outcome != InstanceLock::Outcome::Acquired) ::_exit(1);
        const pid_t box = ::fork();
        if (box == 0) {
            // The box runs (the fork has returned in it), then waits for ever.
            if (::write(boxUp[1], "b", 1) != 1) ::_exit(1);
            for (;;) ::pause();
        }
        if (::write(boxPid[1], &box, sizeof box) != sizeof box) ::_exit(1);
        for (;;) ::pause();
    }
    ::close(boxUp[1]);
    ::close(boxPid[1]);
    pid_t box = -1;
    char byte = 0;
    ASSERT_EQ(::read(boxPid[0], &box, sizeof box), static_cast<ssize_t>(sizeof box));
    ASSERT_EQ(::read(boxUp[0], &byte, 1), 1);
    ::close(boxUp[0]);
    ::close(boxPid[0]);
    EXPECT_EQ(InstanceLock::Acquire("/games/a/client", folder_.string()).outcome,
              InstanceLock::Outcome::HeldElsewhere);

    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_EQ(::kill(box, 0), 0) << "the box outlives the program";
    EXPECT_EQ(InstanceLock::Acquire("/games/a/client", folder_.string()).outcome,
              InstanceLock::Outcome::Acquired);
    ::kill(box, SIGKILL);
}

TEST_F(InstanceLockTest, MissingFolderIsUnavailableNotHeld) {
    const auto r = InstanceLock::Acquire("/games/a/client", (folder_ / "absent").string());
    EXPECT_EQ(r.outcome, InstanceLock::Outcome::Unavailable);
    EXPECT_EQ(r.lock, nullptr);
}

}  // namespace
