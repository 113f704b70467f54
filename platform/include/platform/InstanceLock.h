#pragma once

// Keeps a second copy of the same program file from running: an exclusive lock on
// a file named by a hash of the program's full path. The system drops the lock
// when the process ends, a crash included; a copy in another folder hashes to
// another file and is not blocked. A child the process forks without starting a
// new program (a message box's helper, say) does not keep the lock.
// The lock file must be the user's own plain file: a link, or a file another
// user made first in a shared folder, is not used.

#include <memory>
#include <string>
#include <string_view>

namespace platform {

class InstanceLock {
  public:
    enum class Outcome { Acquired, HeldElsewhere, Unavailable };

    struct Result {
        Outcome outcome;
        std::unique_ptr<InstanceLock> lock;  // set when acquired; closing it releases
        // Why the first folder could not be used (for standard error), or empty.
        std::string warning;
    };

    static Result Acquire(std::string_view programPath, const std::string& lockFolder);
    // Acquire in lockFolder; when no lock can be had there, in fallbackFolder
    // (made when missing), with a warning that says so.
    static Result Acquire(std::string_view programPath, const std::string& lockFolder,
                          const std::string& fallbackFolder);
    // $XDG_RUNTIME_DIR when it names a folder, else /tmp.
    static std::string DefaultLockFolder();
    // The user's own: $XDG_CACHE_HOME/Vizuzor, else ~/.cache/Vizuzor.
    static std::string FallbackLockFolder();
    static std::string LockFileName(std::string_view programPath);

    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

  private:
    explicit InstanceLock(int fd);
    int fd_;
};

}  // namespace platform
