#pragma once

// Whole-file reads and replacements for the settings stores (registry and
// profile files), and the lock that lets writers of one store take turns.
// Internal to the posix implementations.

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform::store {

// The file's bytes; an empty text for a file that does not exist; nullopt for
// one that exists but cannot be read (permissions, a folder, a read error).
std::optional<std::string> ReadWholeFile(const std::string& path);

// Where a replacement of path really goes: a symbolic link is followed to its
// target (which need not exist yet); nullopt for a link loop.
std::optional<std::string> ReplacementTarget(const std::string& path);

// Replaces the file with text as one step: the text goes to an unnamed file in
// the target's folder (a named one where the file system has no unnamed
// files), is synced, gets the old file's mode (newMode when there is no file)
// and is renamed over the target; a link is written through to its target.
// beforeRename runs just before the rename; when it returns false the
// replacement is abandoned as if the process had died there. Nothing is left
// behind on any failure. False on any failure, the old file untouched.
bool ReplaceWholeFile(const std::string& path, std::string_view text, mode_t newMode,
                      const std::function<bool()>& beforeRename = {});

// The mode new files get under the process's umask, from 0666.
mode_t DefaultFileMode();

// Removes the named temporary files that writers killed between naming their
// file and renaming it left beside path. Only safe while holding WriterLock.
void RemoveLeftovers(const std::string& path);

// An exclusive lock held for the object's life, so that writers take turns:
// on a side file (path + ".lock", made 0600), or on the folder the file's
// replacements are made in (every file of the folder then shares it).
class WriterLock {
  public:
    enum class On { SideFile, Folder };
    WriterLock(const std::string& path, On on);
    ~WriterLock();
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;
    bool Held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace platform::store
