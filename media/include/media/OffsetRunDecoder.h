#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// Decodes the compressed run stream of one offset-strip image a few kilobytes
// at a time into a window, and walks the runs from there: transparent runs
// leave the destination alone, opaque runs hand over palette indices. The
// stream comes from downloaded files, so every read is bounded: a match that
// reaches before the data, a missing end marker or a stream that stops short
// all end the stream, and every pixel after the end is transparent.
class OffsetRunDecoder {
  public:
    static constexpr int kWindow = 8192;
    static constexpr int kKeep = 4096;                    // kept on a refill; 2 * the widest row
    static constexpr int kHighWater = kWindow - 8 * 273;  // a group of eight items makes at most 2184 bytes
    static constexpr int kMaxWidth = 2048;

    void Start(std::span<const std::uint8_t> stored);
    // Before each row of `width` pixels: refills when the reader is within two
    // rows of the decoded end.
    void BeforeRow(int width);
    // Walks `count` pixels; Opaque gets runs of indices, Transparent run lengths.
    template <typename Sink>
    void Walk(std::int32_t count, Sink& sink);
    void Skip(std::int64_t count);
    // Indices into `out` (count bytes); transparent pixels are left as they are.
    void Copy(std::uint8_t* out, std::int32_t count);

    bool Ended() const { return ended_; }

  private:
    void Decode();
    bool Refill();
    int NextRunLength();

    std::array<std::uint8_t, kWindow> window_{};
    std::span<const std::uint8_t> stored_;
    std::size_t storedPos_ = 0;
    std::int32_t outEnd_ = 0;
    std::int32_t read_ = 0;
    std::int32_t runLeft_ = 0;
    bool opaque_ = false;
    bool ended_ = true;
    bool exhausted_ = false;
};

template <typename Sink>
void OffsetRunDecoder::Walk(std::int32_t count, Sink& sink) {
    while (count > 0) {
        if (exhausted_) {
            sink.Transparent(count);
            return;
        }
        if (runLeft_ == 0) {
            const int length = NextRunLength();
            if (length < 0) {
                exhausted_ = true;
                continue;
            }
            opaque_ = !opaque_;
            runLeft_ = length;
            continue;
        }
        std::int32_t n = runLeft_ < count ? runLeft_ : count;
        if (!opaque_) {
            sink.Transparent(n);
        } else {
            if (read_ >= outEnd_ && !Refill()) {
                exhausted_ = true;
                continue;
            }
            const std::int32_t available = outEnd_ - read_;
            if (n > available) {
                n = available;
            }
            sink.Opaque(window_.data() + read_, n);
            read_ += n;
        }
        runLeft_ -= n;
        count -= n;
    }
}
