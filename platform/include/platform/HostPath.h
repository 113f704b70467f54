#pragma once

// The program speaks Windows path texts ("Resources\Music\Title.srf", ".\",
// "C:\Game\Client.exe"); the host speaks POSIX paths. These helpers are the one
// place where the two meet.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The host path for a Windows path text: '\' becomes '/', a leading drive ("C:")
// is dropped, and every component that does not exist exactly is matched
// case-blind (ASCII) among the entries of its folder; when several match, the
// smallest name in byte order wins. Components that match nothing (new files and
// folders) are kept as given. A trailing separator is kept. Relative texts stay
// relative to the current folder.
std::string ResolveHostPath(std::string_view windowsPath);

// The Windows text of a host path: '/' becomes '\'.
std::string ToWindowsPath(std::string_view hostPath);

// Whether a path text, once resolved (symbolic links and "." / ".." included),
// lies strictly beneath the folder text. Both may be relative to the current
// folder. Names that come from downloaded files must pass this before use.
bool IsPathInsideFolder(std::string_view folder, std::string_view path);

// The host path of the running program file; empty when the system cannot tell.
std::optional<std::string> ProgramPath();

// The system's own folder, ending with '/': the folder of the system's shared
// libraries. Empty when it is not there.
std::optional<std::string> SystemFolder();

}  // namespace platform
