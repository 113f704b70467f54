#include "media/OffsetRunDecoder.h"

#include <algorithm>
#include <cstring>

void OffsetRunDecoder::Start(std::span<const std::uint8_t> stored) {
    stored_ = stored;
    const std::size_t head = std::min<std::size_t>(3, stored.size());
    std::copy_n(stored.begin(), head, window_.begin());
    outEnd_ = static_cast<std::int32_t>(head);
    read_ = 0;
    storedPos_ = 3;  // the first flag byte
    runLeft_ = 0;
    opaque_ = true;  // the first length read toggles to a transparent run
    exhausted_ = false;
    ended_ = stored.size() < 4;
    Decode();
}

void OffsetRunDecoder::Decode() {
    const std::uint8_t* src = stored_.data();
    const std::size_t size = stored_.size();
    std::uint8_t* w = window_.data();
    while (!ended_ && outEnd_ < kHighWater) {
        if (storedPos_ >= size) {
            ended_ = true;
            break;
        }
        std::uint8_t flags = src[storedPos_++];
        for (int bit = 0; bit < 8 && !ended_; ++bit, flags = static_cast<std::uint8_t>(flags << 1)) {
            if ((flags & 0x80) == 0) {
                if (storedPos_ >= size) {
                    ended_ = true;
                    break;
                }
                w[outEnd_++] = src[storedPos_++];
                continue;
            }
            if (storedPos_ + 2 > size) {
                ended_ = true;
                break;
            }
            const unsigned word = src[storedPos_] | (static_cast<unsigned>(src[storedPos_ + 1]) << 8);
            storedPos_ += 2;
            const std::int32_t distance = static_cast<std::int32_t>(word & 0xFFF);
            if (distance == 0 || distance > outEnd_) {
                ended_ = true;
                break;
            }
            std::int32_t length = static_cast<std::int32_t>(word >> 12);
            if (length != 0) {
                length += 2;
            } else {
                if (storedPos_ >= size) {
                    ended_ = true;
                    break;
                }
                length = src[storedPos_++] + 18;
            }
            // Byte by byte, so a match that overlaps its own output repeats it.
            std::uint8_t* to = w + outEnd_;
            const std::uint8_t* from = to - distance;
            if (distance >= length) {
                std::memcpy(to, from, static_cast<std::size_t>(length));
            } else {
                for (std::int32_t i = 0; i < length; ++i) {
                    to[i] = from[i];
                }
            }
            outEnd_ += length;
        }
    }
}

bool OffsetRunDecoder::Refill() {
    if (ended_) {
        return read_ < outEnd_;
    }
    const std::int32_t shift = std::min(read_, std::max(0, outEnd_ - kKeep));
    if (shift > 0) {
        std::memmove(window_.data(), window_.data() + shift, static_cast<std::size_t>(outEnd_ - shift));
        outEnd_ -= shift;
        read_ -= shift;
    }
    Decode();
    return read_ < outEnd_;
}

void OffsetRunDecoder::BeforeRow(int width) {
    if (!ended_ && read_ > outEnd_ - 2 * width) {
        Refill();
    }
}

int OffsetRunDecoder::NextRunLength() {
    if (read_ >= outEnd_ && !Refill()) {
        return -1;
    }
    return window_[static_cast<std::size_t>(read_++)];
}

namespace {

struct Skipper {
    void Transparent(std::int32_t) {}
    void Opaque(const std::uint8_t*, std::int32_t) {}
};

struct Copier {
    std::uint8_t* out;
    void Transparent(std::int32_t n) { out += n; }
    void Opaque(const std::uint8_t* s, std::int32_t n) {
        std::memcpy(out, s, static_cast<std::size_t>(n));
        out += n;
    }
};

}  // namespace

void OffsetRunDecoder::Skip(std::int64_t count) {
    Skipper skipper;
    while (count > 0) {
        const std::int32_t step = static_cast<std::int32_t>(std::min<std::int64_t>(count, 1 << 30));
        Walk(step, skipper);
        count -= step;
    }
}

void OffsetRunDecoder::Copy(std::uint8_t* out, std::int32_t count) {
    Copier copier{out};
    Walk(count, copier);
}
