#pragma once

// Whole-file operations on host paths (see HostPath.h for turning the program's
// path texts into host paths).

#include <cstdint>
#include <string>

namespace platform {

// A regular file that can be opened for reading.
bool HostFileExists(const std::string& hostPath);
bool HostIsDirectory(const std::string& hostPath);
bool HostDeleteFile(const std::string& hostPath);
// Moves a file; fails when the target exists, as the program expects.
bool HostRenameFile(const std::string& from, const std::string& to);
// Moves a file onto the target in one step, replacing a target that exists: the
// source's data reach the disk before the move and the folder's entry after it, so
// at every moment the target is either the old file or the whole new one.
bool HostReplaceFile(const std::string& from, const std::string& to);
bool HostMakeDirectory(const std::string& hostPath);
// Last-write time in seconds since 1970 (UTC).
bool HostGetModTime(const std::string& hostPath, std::int64_t& seconds);
bool HostSetModTime(const std::string& hostPath, std::int64_t seconds);
// Makes the folder the current one; the program's own folder becomes current at
// start, and every relative path text rests on it.
bool HostSetCurrentDirectory(const std::string& hostPath);

}  // namespace platform
