#pragma once

// The version text of a .srf: its "Ver " resource with id 1.

#include <string>

#include "resource/Version.h"

// True when the file opened as a .srf (an absolute path exactly, a relative one in
// the program's folder or along the search path). The version is the text read as
// a Version when it loaded, else (no "Ver " resource, or no file) 0.0.0 with the
// build absent. `loaded` (optional) tells whether the "Ver " resource loaded.
// Failures of the file and the resource are answered, not raised; others are
// raised again.
bool GetSrfVersion(const std::string& path, Version& version, bool* loaded = nullptr);
// The version GetSrfVersion reads.
Version ReadSrfVersion(const std::string& path);
// True when the file opened and its "Ver " resource loaded.
bool ReadSrfVersion(const std::string& path, Version& version);
