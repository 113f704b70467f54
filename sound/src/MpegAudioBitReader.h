#pragma once

#include <cstdint>
#include <span>

namespace sound {

// Big-endian bit reader over one frame. Reads past the end yield zero bits and set the
// overrun flag instead of touching memory outside the frame.
class MpegAudioBitReader {
  public:
    explicit MpegAudioBitReader(std::span<const std::uint8_t> bytes)
        : next_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    // n in 1 .. 32.
    std::uint32_t Read(int n) {
        if (count_ < n) {
            Refill();
            if (count_ < n) {
                overrun_ = true;
                count_ = n;  // the cache holds zeros below its valid bits
            }
        }
        const auto value = static_cast<std::uint32_t>(cache_ >> (64 - n));
        cache_ <<= n;
        count_ -= n;
        return value;
    }

    void Skip(int n) {
        while (n > 0) {
            const int step = n < 16 ? n : 16;
            Read(step);
            n -= step;
        }
    }

    bool Overrun() const { return overrun_; }

  private:
    void Refill() {
        if (count_ <= 32 && end_ - next_ >= 4) {
            const std::uint32_t word = (std::uint32_t{next_[0]} << 24) | (std::uint32_t{next_[1]} << 16) |
                                       (std::uint32_t{next_[2]} << 8) | std::uint32_t{next_[3]};
            cache_ |= static_cast<std::uint64_t>(word) << (32 - count_);
            next_ += 4;
            count_ += 32;
            return;
        }
        while (count_ <= 56 && next_ != end_) {
            cache_ |= static_cast<std::uint64_t>(*next_++) << (56 - count_);
            count_ += 8;
        }
    }

    const std::uint8_t* next_;
    const std::uint8_t* end_;
    std::uint64_t cache_ = 0;
    int count_ = 0;
    bool overrun_ = false;
};

}  // namespace sound
