#include "platform/PosixUrlLauncher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace platform {

PosixUrlLauncher::~PosixUrlLauncher() {
    ReapFinished();
}

void PosixUrlLauncher::Launch(const std::string& url) {
    ReapFinished();
    if (!IsLaunchableUrl(url)) {
        return;
    }
    std::string program = program_;
    std::string argument = url;
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) == 0) {
        children_.push_back(child);
    }
}

int PosixUrlLauncher::ReapFinished() {
    for (auto it = children_.begin(); it != children_.end();) {
        int status = 0;
        const pid_t done = ::waitpid(*it, &status, WNOHANG);
        if (done == *it || (done < 0 && errno == ECHILD)) {
            it = children_.erase(it);
        } else {
            ++it;
        }
    }
    return static_cast<int>(children_.size());
}

void PosixUrlLauncher::WaitForChildren() {
    for (pid_t child : children_) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    children_.clear();
}

namespace {

UrlLauncher*& Installed() {
    static UrlLauncher* installed = nullptr;
    return installed;
}

}  // namespace

UrlLauncher& UrlLauncher::Current() {
    static PosixUrlLauncher browser;
    UrlLauncher* installed = Installed();
    return installed ? *installed : browser;
}

UrlLauncher* UrlLauncher::Install(UrlLauncher* launcher) {
    UrlLauncher* before = Installed();
    Installed() = launcher;
    return before;
}

}  // namespace platform
