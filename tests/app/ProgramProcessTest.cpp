// Starts the built program as a real process under SDL's dummy drivers.

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/InstanceLock.h"
#include "platform/SdlMessageBoxSink.h"

namespace {

namespace fs = std::filesystem;

const fs::path kProgram = fs::path(VIZUZOR_BINARY_DIR) / "app" / "RovodevIdozEzozuz";

struct Child {
    pid_t pid = -1;
    int errFd = -1;  // read end of the child's standard error
    // Its standard error as read so far: read while the test waits, so that a
    // child with much to say (a sanitizer's report, say) never stalls on a full
    // pipe and its words are not lost.
    std::string err;
    bool errEnded = false;
    // How the last wait ended, for the failure message.
    std::string ending;
};

class ProgramProcessTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kProgram)) << kProgram;
        root_ = fs::temp_directory_path() / ("program-process-" + std::to_string(::getpid()));
        fs::create_directories(root_ / "locks");
        // The program's dispatch server takes the connection and never answers,
        // so a running program waits at its first step (120 s) rather than
        // failing at once for want of a network.
        silent_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(silent_, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(silent_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(silent_, 16), 0);
        socklen_t length = sizeof address;
        ASSERT_EQ(::getsockname(silent_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        std::ofstream(root_ / "silent.ini", std::ios::binary)
            << "[Debug]\r\nDispatchServerName=127.0.0.1\r\nDispatchServerPort=" << ntohs(address.sin_port)
            << "\r\n";
    }
    void TearDown() override {
        for (Child& c : children_) Stop(c);
        if (silent_ >= 0) ::close(silent_);
        fs::remove_all(root_);
    }

    // With headless false the child gets no display and no chosen video driver;
    // with a display it gets that X display and no chosen driver.
    Child Start(const fs::path& program, bool headless = true, const std::string& display = "") {
        int pipeFds[2];
        EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const std::string locks = (root_ / "locks").string();
        const std::string suppressions = (root_ / "lsan.supp").string();
        std::ofstream(suppressions) << "leak:libdbus-1.so\n";
        // A close asked for before the program can have its handlers (in the child
        // before the exec, or while the loader runs) waits for them instead of
        // killing it: the program unblocks both signals as it installs them. They
        // are blocked before the fork, so that the child has them blocked from its
        // first instruction.
        sigset_t both;
        sigset_t before;
        sigemptyset(&both);
        sigaddset(&both, SIGINT);
        sigaddset(&both, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &both, &before);
        const pid_t pid = ::fork();
        if (pid != 0) ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
        if (pid == 0) {
            ::dup2(pipeFds[1], STDERR_FILENO);
            if (!display.empty()) {
                // SDL's desktop support leaves libdbus's allocations for the system to free.
                ::setenv("LSAN_OPTIONS", ("suppressions=" + suppressions).c_str(), 1);
                ::unsetenv("SDL_VIDEODRIVER");
                ::unsetenv("WAYLAND_DISPLAY");
                ::setenv("DISPLAY", display.c_str(), 1);
            } else if (headless) {
                ::setenv("SDL_VIDEODRIVER", "dummy", 1);
            } else {
                ::unsetenv("SDL_VIDEODRIVER");
                ::unsetenv("DISPLAY");
                ::unsetenv("WAYLAND_DISPLAY");
            }
            ::setenv("SDL_AUDIODRIVER", "dummy", 1);
            ::setenv("XDG_RUNTIME_DIR", locks.c_str(), 1);
            const std::string settings = (root_ / "silent.ini").string();
            ::execl(program.c_str(), program.c_str(), settings.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        Child child;
        child.pid = pid;
        child.errFd = pipeFds[0];
        children_.push_back(std::move(child));
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

    // The exit status, or -1 when the process did not end normally in time (the
    // limit is generous: sanitizer builds on loaded machines are slow); how it
    // ended is left in c.ending. With a signal, sends it once first. Its
    // standard error is read all along.
    static int WaitForExit(Child& c, int signal = 0) {
        if (signal != 0) ::kill(c.pid, signal);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(c.pid, &status, WNOHANG) == c.pid) {
                c.pid = -1;
                if (WIFEXITED(status)) {
                    c.ending = "exited with " + std::to_string(WEXITSTATUS(status));
                    return WEXITSTATUS(status);
                }
                c.ending = "ended by signal " + std::to_string(WTERMSIG(status)) + "; standard error: " + c.err;
                return -1;
            }
            // Waits for output (or 10 ms) in place of a plain sleep.
            if (!Drain(c, 10)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        c.ending = "still running after 60 s: " + StateOf(c.pid) + "; standard error so far: " + c.err;
        return -1;
    }

    // Reads what the child has written, waiting at most waitMs for it; false
    // once its standard error has ended (then nothing is waited for).
    static bool Drain(Child& c, int waitMs) {
        if (c.errFd < 0 || c.errEnded) return false;
        pollfd p{c.errFd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0) return true;
        char buffer[4096];
        const ssize_t n = ::read(c.errFd, buffer, sizeof buffer);
        if (n > 0) {
            c.err.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            c.errEnded = true;
        }
        return !c.errEnded;
    }

    // The kernel's view of a process that did not end: its state and, per
    // thread, its name and where it waits.
    static std::string StateOf(pid_t pid) {
        const auto read = [](const fs::path& file) {
            std::ifstream in(file);
            std::string text;
            std::getline(in, text, '\0');
            while (!text.empty() && text.back() == '\n') text.pop_back();
            return text;
        };
        const fs::path proc = "/proc/" + std::to_string(pid);
        std::string out;
        std::ifstream status(proc / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("State:", 0) == 0) out += line;
        }
        std::error_code ignored;
        for (const auto& task : fs::directory_iterator(proc / "task", ignored)) {
            out += "; " + read(task.path() / "comm") + " waits in " + read(task.path() / "wchan");
        }
        return out;
    }

    // The child's whole standard error: what was read while waiting and the
    // rest up to its end.
    std::string ReadAll(int fd) {
        for (Child& c : children_) {
            if (c.errFd != fd) continue;
            while (Drain(c, -1)) {
            }
            return c.err;
        }
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
    int silent_ = -1;
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

// A close by signal is never lost and never kills: at any moment of the start,
// twice in a row, and again while the program shuts down, every run ends
// normally (exit code 0) with nothing to report.
TEST_F(ProgramProcessTest, SigtermAtAnyMomentEndsTheProgramNormally) {
    enum class Kind { OneDuringTheStart, TwoInARow, OneMoreDuringShutdown };
    struct Row {
        const char* name;
        Kind kind;
        int runs;
    };
    const Row rows[] = {
        {"one SIGTERM at a random moment of the first 200 ms", Kind::OneDuringTheStart, 8},
        {"two SIGTERMs in a row", Kind::TwoInARow, 4},
        {"one SIGTERM, then another while the program shuts down", Kind::OneMoreDuringShutdown, 4},
    };
    std::mt19937 random(20261210);
    for (const Row& row : rows) {
        for (int run = 0; run < row.runs; ++run) {
            // The moments are chosen, not waited for: the program may be anywhere
            // in its start or already running.
            const auto first = std::chrono::microseconds(random() % 200000);
            const auto second = std::chrono::microseconds(random() % 100000);
            SCOPED_TRACE(std::string(row.name) + ", run " + std::to_string(run) + ", first after " +
                         std::to_string(first.count()) + " us");
            Child c = Start(kProgram);
            std::this_thread::sleep_for(first);
            ::kill(children_.back().pid, SIGTERM);
            if (row.kind == Kind::TwoInARow) ::kill(children_.back().pid, SIGTERM);
            if (row.kind == Kind::OneMoreDuringShutdown) {
                std::this_thread::sleep_for(second);
                ::kill(children_.back().pid, SIGTERM);
            }
            EXPECT_EQ(WaitForExit(children_.back()), 0) << children_.back().ending;
            EXPECT_EQ(ReadAll(c.errFd), "");
        }
    }
}

// A child with more to say on standard error than a pipe holds (a sanitizer's
// report at the end, say) is read while the test waits: it is not held up in
// its writes until the wait gives up, and nothing it said is lost.
TEST_F(ProgramProcessTest, MuchOnStandardErrorNeverHoldsUpTheWait) {
    const fs::path talker = root_ / "talker.sh";
    std::ofstream(talker) << "#!/bin/sh\nhead -c 300000 /dev/zero | tr '\\000' x >&2\n";
    fs::permissions(talker, fs::perms::owner_all);
    Child c = Start(talker);
    EXPECT_EQ(WaitForExit(children_.back()), 0) << children_.back().ending;
    EXPECT_EQ(ReadAll(c.errFd), std::string(300000, 'x'));
}

// A virtual X display for the tests that need real message boxes; skips when
// Xvfb is missing.
class XDisplay {
  public:
    XDisplay() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string fd = std::to_string(fds[1]);
            ::fcntl(fds[1], F_SETFD, 0);
            const int devnull = ::open("/dev/null", O_WRONLY);
            ::dup2(devnull, STDERR_FILENO);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        // Xvfb writes the display number once it accepts clients.
        std::string number;
        char ch;
        while (::read(fds[0], &ch, 1) == 1 && ch != '\n') number += ch;
        ::close(fds[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    ~XDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& Name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// The children of a process, from the kernel's list.
std::vector<pid_t> ChildrenOf(pid_t pid) {
    std::ifstream list("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<pid_t> children;
    for (pid_t child; list >> child;) children.push_back(child);
    return children;
}

std::string ExeOf(pid_t pid) {
    std::error_code ignored;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ignored).string();
}

// Whether a window of that title is on the display.
bool WindowShown(const std::string& display, const std::string& title) {
    const std::string command = "xwininfo -root -tree -display " + display + " 2>/dev/null";
    std::FILE* out = ::popen(command.c_str(), "r");
    if (out == nullptr) return false;
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) text.append(buffer, n);
    ::pclose(out);
    return text.find("\"" + title + "\"") != std::string::npos;
}

// Waits (real time: another process) until the box titled title is up and
// returns SDL's helper that shows it: a child of the program file exe, forked
// without starting another program. -1 when the process ended first.
pid_t WaitForBoxHelper(pid_t pid, const std::string& exe, const std::string& display, const std::string& title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (WindowShown(display, title)) {
            for (const pid_t child : ChildrenOf(pid)) {
                if (ExeOf(child) == exe) return child;
            }
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

bool Gone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    return !(stat >> pidText >> name >> state) || state == "Z";
}

// SIGTERM while a box is up (here the "already running" box) still ends the
// program, and its box goes with it.
TEST_F(ProgramProcessTest, SigtermWhileABoxIsUpEndsTheProgramAndItsBox) {
    XDisplay display;
    if (display.Name().empty()) GTEST_SKIP() << "Xvfb is not installed (tools/deps.sh installs it)";
    // This test holds the program's lock, so the program starts to its box.
    auto lock = platform::InstanceLock::Acquire(kProgram.string(), (root_ / "locks").string());
    ASSERT_EQ(lock.outcome, platform::InstanceLock::Outcome::Acquired);

    Child c = Start(kProgram, true, display.Name());
    Child& child = children_.back();
    const pid_t box =
        WaitForBoxHelper(child.pid, fs::canonical(kProgram).string(), display.Name(), "Vizuzor - Error");
    if (box < 0) {
        child.pid = -1;  // ended already
        GTEST_SKIP() << "SDL could not show a box on the virtual display (X core fonts missing? tools/deps.sh "
                        "installs xfonts-base): "
                     << ReadAll(c.errFd);
    }
    EXPECT_EQ(WaitForExit(child, SIGTERM), 0) << ReadAll(c.errFd);
    EXPECT_TRUE(Gone(box));
}

// A program killed while a box is up leaves the box's helper behind; the helper
// must not keep the single-instance lock.
TEST_F(ProgramProcessTest, AnOrphanedBoxHelperDoesNotKeepTheLock) {
    XDisplay display;
    if (display.Name().empty()) GTEST_SKIP() << "Xvfb is not installed (tools/deps.sh installs it)";
    const std::string locks = (root_ / "locks").string();
    const std::string program = (root_ / "a" / "client").string();
    int up[2];
    ASSERT_EQ(::pipe(up), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::close(up[0]);
        ::unsetenv("SDL_VIDEODRIVER");
        ::setenv("DISPLAY", display.Name().c_str(), 1);
        auto r = platform::InstanceLock::Acquire(program, locks);
        if (r.outcome != platform::InstanceLock::Outcome::Acquired || ::write(up[1], "l", 1) != 1) ::_exit(1);
        platform::SdlMessageBoxSink boxes;
        boxes.Show("Vizuzor - Error", "A box nobody clicks.", 0);
        ::_exit(0);
    }
    ::close(up[1]);
    char byte = 0;
    ASSERT_EQ(::read(up[0], &byte, 1), 1);
    ::close(up[0]);
    const pid_t box = WaitForBoxHelper(holder, ExeOf(::getpid()), display.Name(), "Vizuzor - Error");
    if (box < 0) GTEST_SKIP() << "SDL could not show a box on the virtual display (X core fonts missing? "
                                 "tools/deps.sh installs xfonts-base)";
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_FALSE(Gone(box)) << "the helper outlives the program";
    EXPECT_EQ(platform::InstanceLock::Acquire(program, locks).outcome, platform::InstanceLock::Outcome::Acquired);
    ::kill(box, SIGKILL);
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
