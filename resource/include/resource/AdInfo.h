#pragma once

// A sponsor ad: its name (also its file name), a second text, and its play time.

#include <cstdint>
#include <string>
#include <utility>

class AdInfo {
  public:
    AdInfo() = default;
    AdInfo(std::string name, std::string text, std::int32_t playTimeMs)
        : name_(std::move(name)), text_(std::move(text)), playTimeMs_(playTimeMs) {}

    const std::string& GetName() const { return name_; }
    const std::string& GetText() const { return text_; }
    std::int32_t GetPlayTime() const { return playTimeMs_; }

    bool operator==(const AdInfo& other) const = default;

  private:
    std::string name_;
    std::string text_;
    std::int32_t playTimeMs_ = 0;
};
