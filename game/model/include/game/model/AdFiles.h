#pragma once

// How a sponsor ad named by the room bot becomes a file of the ad folder, and
// how long its stand-by display runs while the file is not there yet.

#include <cstdint>
#include <string>

// Folder + "\" + name (the default folder "Ads\" gives two backslashes in a
// row). Empty when the name is not a plain file name: empty, "." or "..", or
// holding a path separator, "..", a colon or a control character; such an ad
// counts as missing.
std::string AdFilePath(const std::string& folder, const std::string& name);

// The repeat count of the stand-by text so that it runs about as long as the
// ad: duration x rate x 0.001 / cels, truncated, with no cels counting as one,
// held to 0-2045 (the animations' largest count) before it is converted.
std::int32_t StandByRepeats(std::int32_t durationMs, double framesPerSecond, std::int32_t cels);
