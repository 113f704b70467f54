// The settings stores under real processes: writers that overlap, writers killed
// at random moments, a store the user cannot read and a full disk. Writers are
// forked copies of this test process working in a temporary configuration folder.

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/PrivateProfile.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::Registry;
using platform::RegistryKey;

constexpr RegistryKey kMachine = static_cast<RegistryKey>(platform::RegistryRoot::LocalMachine);
constexpr char kGameKey[] = "Software\\Halvane\\Quonza\\Game";

// Runs body in a forked copy of this process; its result is the exit code.
pid_t Fork(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    return pid;
}

int ExitCodeOf(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool ReadByte(int fd, char& byte) {
    ssize_t n;
    do {
        n = ::read(fd, &byte, 1);
    } while (n < 0 && errno == EINTR);
    return n == 1;
}

std::string ValueText(Registry& registry, RegistryKey key, const std::string& name) {
    platform::RegistryType type{};
    std::vector<std::uint8_t> data;
    if (!registry.QueryValue(key, name, type, data) || data.empty()) return "(absent)";
    return std::string(data.begin(), data.end() - 1);
}

// Every name in the folder that is not one of these.
std::vector<std::string> Others(const std::string& folder, std::initializer_list<std::string> expected) {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
    }
    return others;
}

class SettingsStoreProcessTest : public testing::Test {
  protected:
    void SetUp() override {
        if (const char* before = std::getenv("XDG_CONFIG_HOME")) configBefore_ = before;
        ::setenv("XDG_CONFIG_HOME", dir_.Host("config").c_str(), 1);
        storeFolder_ = dir_.Host("config/Vizuzor");
        storePath_ = Registry::DefaultStorePath();
        ASSERT_EQ(storePath_, storeFolder_ + "/registry.txt");
    }

    // A store of count values "other<n>" = "kept<n>" under the game key, written
    // as the file directly.
    void WriteStore(int count, const std::string& extraLines = "") {
        std::string text = "[HKEY_LOCAL_MACHINE\\Software\\Halvane\\Quonza\\Game]\n" + extraLines;
        for (int i = 0; i < count; ++i)
            text += "\"other" + std::to_string(i) + "\"=sz:\"kept" + std::to_string(i) + "\"\n";
        dir_.Write("config/Vizuzor/registry.txt", text);
    }

    // The check that a store of WriteStore still holds all it held.
    void ExpectOthersKept(Registry& registry, RegistryKey key, int count) {
        int missing = 0;
        for (int i = 0; i < count; ++i)
            missing += ValueText(registry, key, "other" + std::to_string(i)) != "kept" + std::to_string(i);
        EXPECT_EQ(missing, 0);
    }

    void TearDown() override {
        if (configBefore_)
            ::setenv("XDG_CONFIG_HOME", configBefore_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

    TempFolder dir_;
    std::string storeFolder_;
    std::string storePath_;
    std::optional<std::string> configBefore_;
};

TEST_F(SettingsStoreProcessTest, OverlappingWritersKeepEveryWriteThatSucceeded) {
    constexpr int kOthers = 1000;
    constexpr int kWriters = 3;
    constexpr int kValues = 100;
    WriteStore(kOthers);
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    std::vector<pid_t> writers;
    std::vector<int> results;
    for (int w = 0; w < kWriters; ++w) {
        int result[2];
        ASSERT_EQ(::pipe(result), 0);
        writers.push_back(Fork([&, w] {
            ::close(go[1]);
            ::close(result[0]);
            char byte;
            ReadByte(go[0], byte);  // all start together when the pipe closes
            Registry registry(Registry::DefaultStorePath());
            RegistryKey key = 0;
            if (!registry.CreateKey(kMachine, kGameKey, key)) return 1;
            for (int i = 0; i < kValues; ++i) {
                const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
                const char ok = registry.SetString(key, name, name) ? '1' : '0';
                if (::write(result[1], &ok, 1) != 1) return 2;
            }
            return 0;
        }));
        ::close(result[1]);
        results.push_back(result[0]);
    }
    ::close(go[0]);
    ::close(go[1]);

    Registry registry(storePath_);
    RegistryKey key = 0;
    int succeeded = 0;
    for (int w = 0; w < kWriters; ++w) {
        SCOPED_TRACE(w);
        EXPECT_EQ(ExitCodeOf(writers[static_cast<std::size_t>(w)]), 0);
        ASSERT_TRUE(registry.OpenKey(kMachine, kGameKey, key));
        char ok;
        for (int i = 0; ReadByte(results[static_cast<std::size_t>(w)], ok); ++i) {
            const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
            if (ok == '1') {
                ++succeeded;
                EXPECT_EQ(ValueText(registry, key, name), name) << "a write that succeeded was lost";
            }
        }
        ::close(results[static_cast<std::size_t>(w)]);
    }
    EXPECT_EQ(succeeded, kWriters * kValues) << "writers wait for their turn rather than fail";
    ExpectOthersKept(registry, key, kOthers);
    EXPECT_EQ(Others(storeFolder_, {"registry.txt", "registry.txt.lock"}), std::vector<std::string>{});
}

// What one kind of store does when its writers die at random moments.
struct KillCase {
    const char* name;
    std::function<void()> prepare;
    std::function<bool(int n)> write;  // the n-th write of a writer
    std::function<void()> check;       // after each round of kills
    std::function<bool()> finalWrite;  // by the next user of the store
    std::function<std::vector<std::string>()> leftovers;
};

TEST_F(SettingsStoreProcessTest, WritersKilledAtRandomMomentsLeaveOldOrNewValuesAndNoTemporaryFile) {
    constexpr int kOthers = 200;
    constexpr int kKeys = 8;
    const std::string ini = dir_.Host("game/Game.ini");
    const std::string iniWin = dir_.Win("game/Game.ini");
    const auto oldOrNew = [](const std::string& value) {
        return value == "old" || (value.rfind("new-", 0) == 0 && value.size() > 4);
    };
    const KillCase cases[] = {
        {"registry",
         [&] {
             std::string keys;
             for (int k = 0; k < kKeys; ++k) keys += "\"k" + std::to_string(k) + "\"=sz:\"old\"\n";
             WriteStore(kOthers, keys);
         },
         [&](int n) {
             static Registry registry(Registry::DefaultStorePath());
             RegistryKey key = 0;
             return registry.CreateKey(kMachine, kGameKey, key) &&
                    registry.SetString(key, "k" + std::to_string(n % kKeys), "new-" + std::to_string(n));
         },
         [&] {
             const std::string text = dir_.Read("config/Vizuzor/registry.txt");
             const Registry::Store store = Registry::Parse(text);
             EXPECT_TRUE(store.before.empty() && store.foreign.empty());
             Registry registry(storePath_);
             RegistryKey key = 0;
             ASSERT_TRUE(registry.OpenKey(kMachine, kGameKey, key));
             for (int k = 0; k < kKeys; ++k) {
                 const std::string value = ValueText(registry, key, "k" + std::to_string(k));
                 EXPECT_TRUE(oldOrNew(value)) << value;
             }
             ExpectOthersKept(registry, key, kOthers);
         },
         [&] {
             Registry registry(storePath_);
             RegistryKey key = 0;
             return registry.CreateKey(kMachine, kGameKey, key) && registry.SetString(key, "k0", "new-0");
         },
         [&] { return Others(storeFolder_, {"registry.txt", "registry.txt.lock"}); }},
        {"profile file",
         [&] {
             std::string text = "[Debug]\r\n";
             for (int i = 0; i < kOthers; ++i)
                 text += "other" + std::to_string(i) + "=kept" + std::to_string(i) + "\r\n";
             for (int k = 0; k < kKeys; ++k) text += "k" + std::to_string(k) + "=old\r\n";
             dir_.Write("game/Game.ini", text);
         },
         [&](int n) {
             return platform::WritePrivateProfileString("Debug", ("k" + std::to_string(n % kKeys)).c_str(),
                                                        ("new-" + std::to_string(n)).c_str(), iniWin.c_str());
         },
         [&] {
             char out[64];
             for (int k = 0; k < kKeys; ++k) {
                 platform::GetPrivateProfileString("Debug", ("k" + std::to_string(k)).c_str(), "(absent)", out,
                                                   sizeof out, iniWin.c_str());
                 EXPECT_TRUE(oldOrNew(out)) << out;
             }
             int missing = 0;
             for (int i = 0; i < kOthers; ++i) {
                 platform::GetPrivateProfileString("Debug", ("other" + std::to_string(i)).c_str(), "", out,
                                                   sizeof out, iniWin.c_str());
                 missing += std::string(out) != "kept" + std::to_string(i);
             }
             EXPECT_EQ(missing, 0);
         },
         [&] { return platform::WritePrivateProfileString("Debug", "k0", "new-0", iniWin.c_str()); },
         [&] { return Others(dir_.Host("game"), {"Game.ini"}); }},
    };
    for (const KillCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937 random(2026);
        c.prepare();
        for (int round = 0; round < 25; ++round) {
            SCOPED_TRACE(round);
            std::vector<pid_t> writers;
            std::vector<int> ready;
            for (int w = 0; w < 2; ++w) {
                int pipeFds[2];
                ASSERT_EQ(::pipe(pipeFds), 0);
                writers.push_back(Fork([&, w] {
                    ::close(pipeFds[0]);
                    for (int n = w;; n += 2) {
                        const bool ok = c.write(n);
                        // Killing starts once each writer has written once.
                        if (n < 2 && (!ok || ::write(pipeFds[1], "r", 1) != 1)) return 1;
                    }
                }));
                ::close(pipeFds[1]);
                ready.push_back(pipeFds[0]);
            }
            for (int fd : ready) {
                char byte;
                EXPECT_TRUE(ReadByte(fd, byte));
                ::close(fd);
            }
            // The random moment: any point of the writers' work, timing is not waited on.
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
            for (pid_t pid : writers) ::kill(pid, SIGKILL);
            for (pid_t pid : writers) EXPECT_EQ(ExitCodeOf(pid), 128 + SIGKILL);
            c.check();
            if (HasFatalFailure()) return;
        }
        // What a killed writer had named is gone once the next writer has had its turn.
        EXPECT_TRUE(c.finalWrite());
        EXPECT_EQ(c.leftovers(), std::vector<std::string>{});
    }
}

// Runs body as another user when this process may (it is root, who reads any
// file); otherwise in this process. -1 when it could not switch.
int AsAnotherUser(const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    return ExitCodeOf(Fork([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 99;
        return body();
    }));
}

TEST_F(SettingsStoreProcessTest, AStoreTheUserCannotReadFailsEveryWriteAndStaysUntouched) {
    WriteStore(3);
    dir_.Write("game/Game.ini", "[Debug]\r\nServer=irc.example.net\r\n");
    const std::string ini = dir_.Win("game/Game.ini");
    for (const std::string& folder : {dir_.Host(), dir_.Host("config"), storeFolder_, dir_.Host("game")})
        fs::permissions(folder, fs::perms::all);
    for (const std::string& file : {storePath_, dir_.Host("game/Game.ini")})
        fs::permissions(file, fs::perms::owner_write);
    const std::string storeBefore = dir_.Read("config/Vizuzor/registry.txt");

    const int result = AsAnotherUser([&] {
        Registry registry(Registry::DefaultStorePath());
        RegistryKey key = 0;
        if (registry.CreateKey(kMachine, kGameKey, key)) return 1;
        if (registry.OpenKey(kMachine, kGameKey, key)) return 2;
        if (platform::WritePrivateProfileString("Debug", "Port", "6667", ini.c_str())) return 3;
        char out[32];
        platform::GetPrivateProfileString("Debug", "Server", "nOtFoUnD", out, sizeof out, ini.c_str());
        if (std::string(out) != "nOtFoUnD") return 4;
        return 0;
    });
    ASSERT_NE(result, 99) << "could not switch to another user";
    EXPECT_EQ(result, 0) << "1-2: the registry, 3-4: the profile file";
    fs::permissions(storePath_, fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(dir_.Host("game/Game.ini"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(dir_.Read("config/Vizuzor/registry.txt"), storeBefore);
    EXPECT_EQ(dir_.Read("game/Game.ini"), "[Debug]\r\nServer=irc.example.net\r\n");
    EXPECT_EQ(Others(storeFolder_, {"registry.txt", "registry.txt.lock"}), std::vector<std::string>{});
    EXPECT_EQ(Others(dir_.Host("game"), {"Game.ini"}), std::vector<std::string>{});
}

// Mounts a tmpfs of the given size on folder in a mount namespace of its own;
// false when this process may not.
bool MountPrivateTmpfs(const std::string& folder, const char* size) {
    if (::unshare(CLONE_NEWNS) != 0) {
        // Without privilege a user namespace may still allow it.
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        const auto put = [](const char* file, const std::string& text) {
            const int fd = ::open(file, O_WRONLY);
            const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
            if (fd >= 0) ::close(fd);
            return ok;
        };
        put("/proc/self/setgroups", "deny");
        if (!put("/proc/self/uid_map", std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
            !put("/proc/self/gid_map", std::to_string(gid) + " " + std::to_string(gid) + " 1"))
            return false;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    return ::mount("tmpfs", folder.c_str(), "tmpfs", 0, (std::string("size=") + size).c_str()) == 0;
}

TEST_F(SettingsStoreProcessTest, AFullDiskFailsTheWriteAndKeepsTheOldFile) {
    const std::string disk = dir_.Host("disk");
    fs::create_directories(disk);
    // 0: passed; 77: no tmpfs could be mounted; others name the check that failed.
    const int result = ExitCodeOf(Fork([&] {
        if (!MountPrivateTmpfs(disk, "256k")) return 77;
        const std::string store = disk + "/registry.txt";
        const std::string ini = platform::ToWindowsPath(disk + "/Game.ini");
        Registry registry(store);
        RegistryKey key = 0;
        if (!registry.CreateKey(kMachine, kGameKey, key) || !registry.SetString(key, "Name", "old")) return 1;
        if (!platform::WritePrivateProfileString("Debug", "Name", "old", ini.c_str())) return 2;
        // Fill the disk to its last block.
        {
            const int fd = ::open((disk + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
            const std::string block(4096, 'f');
            while (::write(fd, block.data(), block.size()) > 0) {
            }
            while (::write(fd, block.data(), 1) > 0) {
            }
            ::close(fd);
        }
        const std::string big(64 * 1024, 'n');
        if (registry.SetString(key, "Name", big)) return 3;
        if (platform::WritePrivateProfileString("Debug", "Name", big.c_str(), ini.c_str())) return 4;
        if (ValueText(registry, key, "Name") != "old") return 5;
        char out[16];
        platform::GetPrivateProfileString("Debug", "Name", "", out, sizeof out, ini.c_str());
        if (std::string(out) != "old") return 6;
        for (const auto& entry : fs::directory_iterator(disk)) {
            const std::string name = entry.path().filename().string();
            if (name != "registry.txt" && name != "registry.txt.lock" && name != "Game.ini" && name != "filler")
                return 7;
        }
        ::unlink((disk + "/filler").c_str());
        if (!registry.SetString(key, "Name", "new") || ValueText(registry, key, "Name") != "new") return 8;
        return 0;
    }));
    if (result == 77) GTEST_SKIP() << "this test may not mount a small tmpfs (needs root or user namespaces)";
    EXPECT_EQ(result, 0) << "1-2: setting up, 3-4: a write that did not fit reported success, 5-6: the old "
                            "value went, 7: a temporary file stayed, 8: no write after space came back";
}

}  // namespace
