#pragma once

// Reads the version record of a program file (platform/VersionRecord.h).

#include <cstdint>

// Parts 1 to 3 are set to 0 first. True when the file holds a version record:
// then the parts are its four file-version numbers (part4 may be null), and each
// text buffer given with a size above 0 receives its text cut to size - 1 and
// terminated (empty when the record's text is empty). Raises 1 when memory runs
// out.
bool ReadVersionInfo(const char* path, std::uint16_t* part1, std::uint16_t* part2, std::uint16_t* part3,
                     std::uint16_t* part4, char* productName, std::uint32_t productNameSize, char* comments,
                     std::uint32_t commentsSize, char* specialBuild, std::uint32_t specialBuildSize);
