#pragma once

// Keeps a second copy of the same program file from running: an exclusive lock on
// a file named by a hash of the program's full path. The system drops the lock
// when the process ends, a crash included; a copy in another folder hashes to
// another file and is not blocked.

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
    };

    static Result Acquire(std::string_view programPath, const std::string& lockFolder);
    // $XDG_RUNTIME_DIR when it names a folder, else /tmp.
    static std::string DefaultLockFolder();
    static std::string LockFileName(std::string_view programPath);

    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

  private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace platform
