#pragma once

// Reads typed values from one ini file.

#include <cstdint>
#include <string>

#include "divir/xAppObject.h"

class xIniReader : public xAppObject {
  public:
    xIniReader() = default;
    explicit xIniReader(std::string path) : path_(std::move(path)) {}

    const std::string& GetPath() const { return path_; }

    // False when the path is empty or the key is absent; out receives the value
    // read, kIniAbsent for an absent key. A stored -666 reads as absent.
    bool GetInt(std::int32_t& out, const char* section, const char* key) const;
    bool GetIntWithFallback(std::int32_t& out, const char* first, const char* second, const char* key) const;
    // As GetInt; out = value != 0, set only when the key is present.
    bool GetBool(std::int16_t& out, const char* section, const char* key) const;
    bool GetBoolWithFallback(std::int16_t& out, const char* first, const char* second, const char* key) const;
    // Reads with the empty default; true when the text is not empty.
    bool GetString(char* out, std::uint32_t size, const char* section, const char* key) const;
    bool GetStringWithFallback(char* out, std::uint32_t size, const char* first, const char* second,
                               const char* key) const;

  private:
    std::string path_;
};
