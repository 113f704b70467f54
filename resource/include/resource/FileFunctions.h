#pragma once

// Whole-file helpers over path texts in the program's Windows form (resolved
// case-blind on the host).

#include <string>

// The program's folder in Windows form, with its trailing separator; empty when the
// system cannot tell.
std::string ProgramFolder();

// The path names a file that can be opened.
bool FileExists(const std::string& path);
// Removes the file; true on success.
bool FileDelete(const std::string& path);
// Moves the file; refuses an existing target, as the program expects. True on success.
bool FileRename(const std::string& oldPath, const std::string& newPath);
// Moves the file onto the target, replacing it in one step (the target is the old
// file or the whole new one at every moment). True on success.
bool FileReplace(const std::string& fromPath, const std::string& toPath);
// "TempFile.tmp" in the folder of the path: the first 255 characters of the path
// cut after their last '\' (else their last ':'), or the whole path when it has
// neither. Returns a buffer shared by every call, overwritten by the next one.
const char* TempFilePathBeside(const std::string& path);
