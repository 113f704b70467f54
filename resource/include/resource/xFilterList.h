#pragma once

// Reader of the filter list's coded text block: a little-endian stored checksum,
// a little-endian text length, then the text, one hex-digit coded byte per text
// byte. The text is a series of lines ending in CR LF. The block belongs to the
// caller and must outlive the reader.

#include <cstddef>
#include <cstdint>
#include <span>

#include "divir/xAppObject.h"
#include "resource/xCheckSum.h"

class xFilterList : public xAppObject {
  public:
    struct Header {
        std::uint32_t checksum = 0;
        std::uint32_t length = 0;
    };

    // The length comes from the file, so it is checked against the block: see IsValid.
    explicit xFilterList(std::span<const std::uint8_t> block);

    Header GetHeader() const { return header_; }
    // False when the block is shorter than its header or than the length it states.
    bool IsValid() const { return valid_; }

    // Decodes the next line into out (terminated, its CR LF removed) and returns 1, or
    // returns 0 when no line starts before the last two bytes of the text. Every byte
    // read is added to the checksum. A line that does not fit the buffer is read to
    // its end all the same and comes back empty, so a caller skips it.
    std::int16_t ReadLine(char* out, std::size_t outSize);

    const xCheckSum& GetCheckSum() const { return checkSum_; }

  private:
    Header header_;
    bool valid_ = false;
    std::span<const std::uint8_t> text_;
    std::size_t read_ = 0;
    xCheckSum checkSum_;
};
