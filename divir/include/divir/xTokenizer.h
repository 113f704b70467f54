#pragma once

// Splits one line into blank-separated tokens in place; a token that begins with
// a double quote runs to the next double quote. The untouched copy of the line
// gives the rest of the line from any token on.

#include <cstdint>

#include "divir/xAppObject.h"

class xTokenizer : public xAppObject {
  public:
    static constexpr std::int16_t kMaxLine = 512;
    static constexpr std::int16_t kMaxTokens = 256;

    // Tokenizes the first length characters of line (at most 512, and never past
    // its end). Returns the end of the working copy.
    const char* TokenizeLine(const char* line, std::int16_t length);

    std::int16_t GetTokenCount() const { return count_; }
    // The token, or "" when index is not below the count.
    const char* GetToken(std::int16_t index) const;
    // The untouched line from the token's first character on, or "".
    const char* GetRestOfLine(std::int16_t index) const;
    // Copy at most size bytes, terminated at the buffer's last byte.
    void CopyToken(std::int16_t index, char* buffer, std::int16_t size) const;
    void CopyRestOfLine(std::int16_t index, char* buffer, std::int16_t size) const;

  private:
    char work_[kMaxLine + 1] = {};
    char line_[kMaxLine + 1] = {};
    std::int16_t starts_[kMaxTokens] = {};
    std::int16_t count_ = 0;
};
