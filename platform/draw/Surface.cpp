#include "platform/Surface.h"

namespace platform {

Surface::Surface(int width, int height, int depth, bool bottomUp) : bottomUp_(bottomUp) {
    if (width < 1 || height < 1 || width > 32767 || height > 32767 ||
        (depth != 8 && depth != 24 && depth != 32)) {
        return;
    }
    width_ = width;
    height_ = height;
    depth_ = depth;
    stride_ = StrideFor(width, depth);
    bits_.assign(static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height), 0);
}

std::uint8_t Surface::NearestIndex(Rgb colour) const {
    int best = 0;
    int bestDistance = 0x7FFFFFFF;
    for (int i = 0; i < 256; ++i) {
        const Rgb& e = colours_[static_cast<std::size_t>(i)];
        const int dr = e.r - colour.r;
        const int dg = e.g - colour.g;
        const int db = e.b - colour.b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) {
                break;
            }
        }
    }
    return static_cast<std::uint8_t>(best);
}

Rgb Surface::PixelColour(int x, int y) const {
    const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * static_cast<std::size_t>(BytesPerPixel());
    if (depth_ == 8) {
        return colours_[*p];
    }
    return Rgb{p[2], p[1], p[0]};
}

}  // namespace platform
