#include "platform/ProcessLauncher.h"

#include <spawn.h>

extern char** environ;

namespace platform {

namespace {

// The child is not waited for: the caller stops right after starting it, and
// the child outlives it.
class PosixProcessLauncher : public ProcessLauncher {
  public:
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override {
        std::vector<std::string> copies;
        copies.reserve(arguments.size() + 1);
        copies.push_back(program);
        copies.insert(copies.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        argv.reserve(copies.size() + 1);
        for (std::string& copy : copies) argv.push_back(copy.data());
        argv.push_back(nullptr);
        pid_t child = 0;
        return ::posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) == 0;
    }
};

ProcessLauncher*& Installed() {
    static ProcessLauncher* installed = nullptr;
    return installed;
}

}  // namespace

ProcessLauncher& ProcessLauncher::Current() {
    static PosixProcessLauncher launcher;
    ProcessLauncher* installed = Installed();
    return installed ? *installed : launcher;
}

ProcessLauncher* ProcessLauncher::Install(ProcessLauncher* launcher) {
    ProcessLauncher* before = Installed();
    Installed() = launcher;
    return before;
}

}  // namespace platform
