#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(InstanceLockTest, MissingFolderIsUnavailableNotHeld) {
    const auto r = InstanceLock::Acquire("/games/a/client", (folder_ / "absent").string());
    EXPECT_EQ(r.outcome, InstanceLock::Outcome::Unavailable);
    EXPECT_EQ(r.lock, nullptr);
}

}  // namespace
