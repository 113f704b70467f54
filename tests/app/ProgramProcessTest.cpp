// Starts the built program as a real process under SDL's dummy drivers.

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/InstanceLock.h"

namespace {

namespace fs = std::filesystem;

const fs::path kProgram = fs::path(VIZUZOR_BINARY_DIR) / "app" / "RovodevIdozEzozuz";

struct Child {
    pid_t pid = -1;
    int errFd = -1;  // read end of the child's standard error
};

class ProgramProcessTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
        root_ = fs::temp_directory_path() / ("program-process-" + std::to_string(::getpid()));
        fs::create_directories(root_ / "locks");
    }
    void TearDown() override {
        for (Child& c : children_) Stop(c);
        fs::remove_all(root_);
    }

    // With headless false the child gets no display and no chosen video driver.
    Child Start(const fs::path& program, bool headless = true) {
        int pipeFds[2];
        EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const std::string locks = (root_ / "locks").string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(pipeFds[1], STDERR_FILENO);
            if (headless) {
                ::setenv("SDL_VIDEODRIVER", "dummy", 1);
            } else {
                ::unsetenv("SDL_VIDEODRIVER");
                ::unsetenv("DISPLAY");
                ::unsetenv("WAYLAND_DISPLAY");
            }
            ::setenv("SDL_AUDIODRIVER", "dummy", 1);
            ::setenv("XDG_RUNTIME_DIR", locks.c_str(), 1);
            ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        children_.push_back(Child{pid, pipeFds[0]});
        return children_.back();
    }

    // Waits (in real time: this is another process) until the program holds its lock.
    // The probe only reads the kernel's lock table: taking the lock itself, even for
    // a moment, could make the starting program believe another copy runs.
    bool WaitUntilRunning(const fs::path& program, const Child& c) {
        const fs::path lockFile = root_ / "locks" / platform::InstanceLock::LockFileName(program.string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (HoldsFlock(c.pid, lockFile)) return true;
            int status = 0;
            if (::waitpid(c.pid, &status, WNOHANG) == c.pid) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // Whether /proc/locks lists a FLOCK of the process on the file's inode.
    static bool HoldsFlock(pid_t pid, const fs::path& file) {
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) return false;
        std::ifstream locks("/proc/locks");
        const std::string inodeSuffix = ":" + std::to_string(st.st_ino);
        std::string line;
        while (std::getline(locks, line)) {
            std::istringstream fields(line);
            std::string number, kind, advisory, mode, owner, device;
            fields >> number >> kind >> advisory >> mode >> owner >> device;
            if (kind == "FLOCK" && owner == std::to_string(pid) && device.size() > inodeSuffix.size() &&
                device.compare(device.size() - inodeSuffix.size(), inodeSuffix.size(), inodeSuffix) == 0) {
                return true;
            }
        }
        return false;
    }

    // The exit status, or -1 when the process did not end normally in time. With a
    // signal, sends it again while waiting: a close that arrives before the
    // application has finished starting is dropped, as the window's close is.
    static int WaitForExit(Child& c, int signal = 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (signal != 0) ::kill(c.pid, signal);
            int status = 0;
            if (::waitpid(c.pid, &status, WNOHANG) == c.pid) {
                c.pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return -1;
    }

    static std::string ReadAll(int fd) {
        std::string text;
        char buffer[512];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

    static void Stop(Child& c) {
        if (c.pid > 0) {
            ::kill(c.pid, SIGKILL);
            ::waitpid(c.pid, nullptr, 0);
            c.pid = -1;
        }
        if (c.errFd >= 0) ::close(c.errFd);
        c.errFd = -1;
    }

    fs::path root_;
    std::vector<Child> children_;
};

TEST_F(ProgramProcessTest, ASecondStartOfTheSameFileIsRefusedAndACopyElsewhereRuns) {
    const fs::path here = root_ / "a" / "RovodevIdozEzozuz";
    const fs::path there = root_ / "b" / "RovodevIdozEzozuz";
    fs::create_directories(here.parent_path());
    fs::create_directories(there.parent_path());
    fs::copy_file(kProgram, here);
    fs::copy_file(kProgram, there);

    Child first = Start(here);
    ASSERT_TRUE(WaitUntilRunning(here, first));

    Child second = Start(here);
    EXPECT_EQ(WaitForExit(children_[1]), 0);
    const std::string err = ReadAll(second.errFd);
    EXPECT_NE(err.find(" is already running.\nYou cannot run more than one client."), std::string::npos)
        << err;

    Child copy = Start(there);
    ASSERT_TRUE(WaitUntilRunning(there, copy));

    // SIGTERM arrives as the close command: both end normally and show nothing.
    for (std::size_t i : {std::size_t{0}, std::size_t{2}}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(WaitForExit(children_[i], SIGTERM), 0);
        EXPECT_EQ(ReadAll(children_[i].errFd), "");
    }
}

// SDL would fall back to its off-screen driver; the program takes that as no display,
// fails its colour-depth check and says so on standard error.
TEST_F(ProgramProcessTest, WithoutAnyDisplayTheDepthCheckFailsOnStandardError) {
    Child child = Start(kProgram, false);
    EXPECT_EQ(WaitForExit(children_[0]), 0);
    const std::string err = ReadAll(child.errFd);
    EXPECT_NE(err.find("You need to set your video display to at least 256 colors"), std::string::npos) << err;
}

}  // namespace
