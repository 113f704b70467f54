#pragma once

// Starts another program of ours (the updater) with its arguments, each handed
// over as one argument, never through a shell. The child does not inherit the
// caller's descriptors that are marked close-on-exec.

#include <string>
#include <vector>

namespace platform {

class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // Starts the program (a host path) and returns at once; false when it could
    // not be started.
    virtual bool Launch(const std::string& program, const std::vector<std::string>& arguments) = 0;

    // The installed launcher, else one that spawns the program directly.
    static ProcessLauncher& Current();
    // Installs a borrowed launcher; null restores the default. Returns the one before.
    static ProcessLauncher* Install(ProcessLauncher* launcher);
};

}  // namespace platform
