#pragma once

// A path text of the lower layer: 260 bytes, at most 259 characters and a
// terminating zero, in the program's Windows form ("Resources\Music\a.srf").

#include <cstddef>
#include <cstring>

class xFileSpec {
  public:
    static constexpr std::size_t kSize = 260;
    static constexpr std::size_t kMaxLength = kSize - 1;

    xFileSpec() = default;
    // Takes the text, cut to 259 characters; null gives the empty path.
    explicit xFileSpec(const char* text) { Set(text); }

    void Set(const char* text) {
        text_[0] = '\0';
        if (text != nullptr) {
            const std::size_t length = ::strnlen(text, kMaxLength);
            std::memcpy(text_, text, length);
            text_[length] = '\0';
        }
    }

    const char* c_str() const { return text_; }
    // The whole 260-byte buffer, for code that edits the text in place.
    char* data() { return text_; }
    bool empty() const { return text_[0] == '\0'; }

    bool operator==(const xFileSpec& other) const { return std::strcmp(text_, other.text_) == 0; }

  private:
    char text_[kSize] = {};
};
