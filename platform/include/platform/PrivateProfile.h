#pragma once

// Private profile (ini) files with the observable behaviour the program was
// written against: sections and keys match ignoring ASCII case, surrounding
// blanks and one pair of matching quotes are stripped from values, an absent key
// gives the default, reads are cut to the buffer with the count returned, and a
// write creates the file and section as needed and replaces a key in place
// (keeping the file's spelling of it), keeping every other line, with CR LF line
// ends. Comment lines (";" first) and lines without "=" are never keys. A file
// that cannot be read reads as empty, and a write to it fails without touching
// it; a write keeps the file's mode and goes through a symbolic link to its
// target. Paths are the program's Windows texts; a bare name lies in the
// current folder.

#include <cstdint>

namespace platform {

// Copies the value (or the default; null counts as empty) into out, cut to
// size - 1 characters and terminated; returns the characters copied. A null key
// lists the section's keys, a null section the file's sections, each terminated,
// with one more terminator after the last; a list that does not fit is cut to
// size - 2 bytes and ends with two terminators, and size - 2 is returned.
std::uint32_t GetPrivateProfileString(const char* section, const char* key, const char* defaultText,
                                      char* out, std::uint32_t size, const char* path);

// The value's leading decimal integer (0 when it has none), or the default when
// the key is absent.
std::int32_t GetPrivateProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                                  const char* path);

// Sets the key; a null value deletes the key, a null key the whole section. The
// file is replaced atomically. False when the file cannot be written.
bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* path);

}  // namespace platform
