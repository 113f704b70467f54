#pragma once

// Text inside the program is Windows-1252; the system hands us UTF-8.

#include <string>
#include <string_view>

namespace platform {

// Converts UTF-8 to Windows-1252. Characters the code page cannot hold, C1
// controls and malformed sequences are dropped.
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace platform
