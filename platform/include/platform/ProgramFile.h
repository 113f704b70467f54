#pragma once

#include <string>

namespace platform {

// The running program file's absolute path; empty when the system cannot tell.
std::string ProgramFilePath();

}  // namespace platform
