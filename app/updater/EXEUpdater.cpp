// The updater the client starts when the update script has downloaded a new copy
// of the client: EXEUpdater <product name> <client> <client> <replacement>, each
// one argument. It waits (within a limit) until the client has ended, checks
// the replacement, moves it over the client and starts the client again. When
// any step fails the client is left as it was, the reason goes to standard
// error, and nothing is restarted: a client that found the same replacement
// pending again would start the updater again.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "platform/InstanceLock.h"
#include "platform/VersionRecord.h"

namespace {

constexpr int kDefaultWaitMs = 30000;

int Refuse(const std::string& why) {
    std::fprintf(stderr, "EXEUpdater: %s; the program was not updated.\n", why.c_str());
    return 1;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

bool Sync(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The wait for the client's end, in ms: VIZUZOR_UPDATER_WAIT_MS when set.
int WaitLimitMs() {
    const char* text = std::getenv("VIZUZOR_UPDATER_WAIT_MS");
    if (text == nullptr) return kDefaultWaitMs;
    const int ms = std::atoi(text);
    return ms < 0 ? 0 : ms;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) return Refuse("expected the product name, the program twice and the replacement");
    const std::string client = argv[2];
    const std::string replacement = argv[4];
    if (client != argv[3]) return Refuse("the two program paths differ");

    // The running client holds its instance lock; it is free once the client has ended.
    std::unique_ptr<platform::InstanceLock> lock;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitLimitMs());
    for (;;) {
        auto result = platform::InstanceLock::Acquire(client, platform::InstanceLock::DefaultLockFolder(),
                                                      platform::InstanceLock::FallbackLockFolder());
        if (result.outcome == platform::InstanceLock::Outcome::Acquired) {
            lock = std::move(result.lock);
            break;
        }
        if (result.outcome == platform::InstanceLock::Outcome::Unavailable) {
            return Refuse("the program's instance lock cannot be had (" + result.warning + ")");
        }
        if (std::chrono::steady_clock::now() >= deadline) return Refuse("the program is still running");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }

    struct stat replacementInfo {};
    if (::lstat(replacement.c_str(), &replacementInfo) != 0 || !S_ISREG(replacementInfo.st_mode)) {
        return Refuse("the replacement " + replacement + " is not a plain file");
    }
    if (!platform::ReadVersionRecord(replacement).has_value()) {
        return Refuse("the replacement " + replacement + " has no version record");
    }
    struct stat clientInfo {};
    if (::lstat(client.c_str(), &clientInfo) != 0 || !S_ISREG(clientInfo.st_mode)) {
        return Refuse("the program " + client + " is not a plain file");
    }
    if (::chmod(replacement.c_str(), clientInfo.st_mode & 07777) != 0) {
        return Refuse("the replacement's mode cannot be set");
    }
    if (!Sync(replacement, O_RDONLY)) return Refuse("the replacement cannot be written out");
    if (::rename(replacement.c_str(), client.c_str()) != 0) {
        return Refuse("the replacement cannot be moved over the program");
    }
    Sync(FolderOf(client), O_RDONLY | O_DIRECTORY);

    // The lock goes before the new client is started, which takes it.
    lock.reset();
    std::string program = client;
    char* args[] = {program.data(), nullptr};
    ::execv(program.c_str(), args);
    std::fprintf(stderr, "EXEUpdater: the program was updated but cannot be started again.\n");
    return 1;
}
