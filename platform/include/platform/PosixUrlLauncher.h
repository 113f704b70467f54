#pragma once

// Starts a browser program (xdg-open by default) with the address as its one
// argument. Children are reaped without waiting on each later launch and at
// destruction; WaitForChildren waits for them (tests).

#include <sys/types.h>
#include <string>
#include <vector>

#include "platform/UrlLauncher.h"

namespace platform {

class PosixUrlLauncher : public UrlLauncher {
  public:
    explicit PosixUrlLauncher(std::string program = "xdg-open") : program_(std::move(program)) {}
    ~PosixUrlLauncher() override;
    PosixUrlLauncher(const PosixUrlLauncher&) = delete;
    PosixUrlLauncher& operator=(const PosixUrlLauncher&) = delete;

    void Launch(const std::string& url) override;
    // Reaps the children that have ended; returns how many are still running.
    int ReapFinished();
    void WaitForChildren();

  private:
    std::string program_;
    std::vector<pid_t> children_;
};

}  // namespace platform
