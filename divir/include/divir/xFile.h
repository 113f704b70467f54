#pragma once

// The lower layer's file interface: open files are small 16-bit handles into one
// table, paths are xFileSpec texts in the program's Windows form (resolved
// case-blind on the host), a bare name is looked up along a search path of up to
// four folders, and every failure raises a lower-layer code (xError.h). With no
// error frame open a failing call returns a neutral value and does nothing more.

#include <cstdint>

#include "divir/xDateTime.h"
#include "divir/xFilePath.h"

// Open-mode bits.
inline constexpr std::int16_t kFileModeCreate = 1;  // do not try to open an existing file
inline constexpr std::int16_t kFileModeRead = 2;
inline constexpr std::int16_t kFileModeWrite = 4;

// What xFileRead and xFileReadLine return at the end of the file.
inline constexpr std::uint32_t kFileEnd = 0xFFFFFFFFu;

// Four-character codes packed with the first character in the high byte.
constexpr std::int32_t xFourCC(const char (&code)[5]) {
    return static_cast<std::int32_t>((static_cast<std::uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                                     (static_cast<std::uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                                     (static_cast<std::uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                                     static_cast<std::uint32_t>(static_cast<unsigned char>(code[3])));
}

// The first start-up creates the file table with that grow step; each call must
// be matched by xFileCleanup, and the last one closes what is still open.
void xFileStartup(std::int16_t grow);
void xFileCleanup();

// Opens a path: mode 2 reads, 4 writes (creating a missing file), 5 creates or
// truncates, 6 reads and writes. Type and creator are accepted and ignored.
// Raises 12003 (read open failed) or 12006 (creation failed), detail the path.
std::uint16_t xFileOpen(const xFileSpec& fileSpec, std::int16_t mode, std::int32_t type,
                        std::int32_t creator);
// Opens a bare name in the first folder of the search path (or the program's
// folder when the path is empty) that holds it.
std::uint16_t xFileOpen(const char* name, std::int16_t mode, std::int32_t type, std::int32_t creator);
void xFileClose(std::uint16_t& handle);

// Reads up to count bytes; the total, or kFileEnd when nothing was left.
std::uint32_t xFileRead(std::uint16_t handle, void* buffer, std::uint32_t count);
void xFileWrite(std::uint16_t handle, const void* buffer, std::uint32_t count);
// Reads one line of at most size - 1 characters into buffer without its end (CR,
// LF, CR LF or LF CR); returns the bytes consumed including the end, kFileEnd at
// the end of the file. A longer line comes back in pieces. A size below 2 has no
// room for a character and reports the end of the file.
std::uint32_t xFileReadLine(std::uint16_t handle, char* buffer, std::int16_t size);
void xFileWriteLine(std::uint16_t handle, const char* text);
// Origin 0 start, 1 current, 2 end; returns the new position.
std::uint32_t xFileSeek(std::uint16_t handle, std::int32_t offset, std::int16_t origin);
std::int32_t xFileGetSize(std::uint16_t handle);
std::int32_t xFileGetEOF(std::uint16_t handle);
// Sets the file's length; -1 means the current position.
void xFileSetEOF(std::uint16_t handle, std::int32_t position);
// The open mode the file was opened with.
std::int16_t xFileGetAttr(std::uint16_t handle);

std::int16_t xFileExists(const xFileSpec& fileSpec);
void xFileDelete(const xFileSpec& fileSpec);
// Moves a file; fails (silently) when the target exists.
void xFileRename(const xFileSpec& from, const xFileSpec& to);
// Moves a file; a new name without '\' stays in the old folder. The file path becomes
// the new path. Raises 1 when the move fails.
void xFileRenameInPlace(xFileSpec& path, const char* newName);
// The program file's full path, in Windows form; raises 12011 when unknown.
xFileSpec xFileGetApplicationFileSpec();
// The system folder with a trailing '\', in Windows form; raises 12011 when the
// system has none.
xFileSpec xFileGetSystemFileSpec();
// Replaces the last component of the file path by name (':' in name separates
// folders); a null name keeps only the folder with its separator.
void xFileChangeFileSpec(xFileSpec& fileSpec, const char* name);
std::int16_t xFileIsAbsolutePath(const char* path);
std::int16_t xFileIsAbsolutePath(const xFileSpec& fileSpec);
// Creates the folder name inside the program's folder unless it exists.
void xFileMakeDirectory(const char* name);

// Folders end with a separator; a fifth raises 12008.
void xFileAddToSearchPath(const xFileSpec& folder);
void xFileRemoveFromSearchPath(const xFileSpec& folder);
void xFileResetSearchPath();
// 1 and the file path in out (when given) for the first folder that holds name, else 0.
std::int16_t xFileFindOnPath(const char* name, xFileSpec* out);

void xFileSetError(std::int16_t error);
std::int16_t xFileGetLastError();

// Last-write time as UTC calendar fields; raises 1 on failure.
void xFileGetModTime(const xFileSpec& path, xDateTime& time);
// Sets the last-write time from UTC fields; fields that are no date change nothing.
void xFileSetModTime(const xFileSpec& path, const xDateTime& time);
