#pragma once

// A block of pixels that the drawing layer writes into: the window's back buffer or
// a memory bitmap. Rows are padded to a multiple of 4 bytes, as device-independent
// bitmaps are, and may be stored bottom-up (the last row first in memory).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace platform {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

using ColourTable = std::array<Rgb, 256>;

class Surface {
  public:
    // depth is 8 (indices into the colour table), 24 (blue, green, red) or 32
    // (blue, green, red, unused). Pixels start zero-filled. Any other depth or a
    // size outside 1..32767 gives an empty surface (Valid() false).
    Surface(int width, int height, int depth, bool bottomUp);

    bool Valid() const { return !bits_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Depth() const { return depth_; }
    int BytesPerPixel() const { return depth_ / 8; }
    int Stride() const { return stride_; }
    bool BottomUp() const { return bottomUp_; }

    // Row y counted from the top of the picture, whatever the memory order.
    std::uint8_t* Row(int y) { return bits_.data() + RowOffset(y); }
    const std::uint8_t* Row(int y) const { return bits_.data() + RowOffset(y); }
    std::span<std::uint8_t> Bits() { return bits_; }
    std::span<const std::uint8_t> Bits() const { return bits_; }

    // Colours of an 8-bit surface's indices (unused at other depths).
    ColourTable& Colours() { return colours_; }
    const ColourTable& Colours() const { return colours_; }

    // Index of the entry nearest to the colour (least squared distance, lowest
    // index on ties); an exact match wins at once.
    std::uint8_t NearestIndex(Rgb colour) const;

    // Colour of pixel (x, y); the caller keeps x and y inside the surface.
    Rgb PixelColour(int x, int y) const;

    static int StrideFor(int width, int depth) { return ((width * depth + 31) >> 3) & ~3; }

  private:
    std::size_t RowOffset(int y) const {
        return static_cast<std::size_t>(bottomUp_ ? height_ - 1 - y : y) * static_cast<std::size_t>(stride_);
    }

    int width_ = 0;
    int height_ = 0;
    int depth_ = 0;
    int stride_ = 0;
    bool bottomUp_ = false;
    std::vector<std::uint8_t> bits_;
    ColourTable colours_{};
};

}  // namespace platform
