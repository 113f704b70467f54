#include "media/xPalette.h"

#include <cstdlib>

namespace {

// Entries 1-7 and 248-255 are the twenty static colours of the old display (with
// white at 0, 8, 9, 246 and 247); 10-224 a 6x6x6 cube without its white corner,
// 225-244 five-step ramps of red, green, blue and grey, 245 an almost black.
std::array<std::uint8_t, 768> BuildDefaultTable() {
    std::array<std::uint8_t, 768> t{};
    auto put = [&t](int i, std::uint32_t rgb) {
        t[static_cast<std::size_t>(i) * 3] = static_cast<std::uint8_t>(rgb >> 16);
        t[static_cast<std::size_t>(i) * 3 + 1] = static_cast<std::uint8_t>(rgb >> 8);
        t[static_cast<std::size_t>(i) * 3 + 2] = static_cast<std::uint8_t>(rgb);
    };
    constexpr std::uint32_t kDark[7] = {0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0};
    constexpr std::uint32_t kLight[8] = {0x808080, 0xff0000, 0x00ff00, 0xffff00,
                                         0x0000ff, 0xff00ff, 0x00ffff, 0x000000};
    for (int i : {0, 8, 9, 246, 247}) {
        put(i, 0xffffff);
    }
    for (int i = 0; i < 7; ++i) {
        put(1 + i, kDark[i]);
    }
    for (int i = 0; i < 8; ++i) {
        put(248 + i, kLight[i]);
    }
    int n = 10;
    for (int r = 0xff; r >= 0; r -= 0x33) {
        for (int g = 0xff; g >= 0; g -= 0x33) {
            for (int b = 0xff; b >= 0; b -= 0x33) {
                if (r == 0xff && g == 0xff && b == 0xff) {
                    continue;
                }
                put(n++, static_cast<std::uint32_t>(r << 16 | g << 8 | b));
            }
        }
    }
    constexpr int kRamp[5] = {0xee, 0xbb, 0x88, 0x55, 0x22};
    for (int v : kRamp) {
        put(n++, static_cast<std::uint32_t>(v << 16));
    }
    for (int v : kRamp) {
        put(n++, static_cast<std::uint32_t>(v << 8));
    }
    for (int v : kRamp) {
        put(n++, static_cast<std::uint32_t>(v));
    }
    for (int v : kRamp) {
        put(n++, static_cast<std::uint32_t>(v << 16 | v << 8 | v));
    }
    put(n, 0x000001);  // n is 245 here
    return t;
}

}  // namespace

xPalette::xPalette() = default;

xPalette::xPalette(std::span<const std::uint8_t, 768> table) {
    for (int i = 0; i < 256; ++i) {
        const std::size_t k = static_cast<std::size_t>(i) * 3;
        SetEntry(static_cast<std::uint8_t>(i), Pack(xRGB{table[k], table[k + 1], table[k + 2]}));
    }
}

xPalette::xPalette(const xPalette& other) {
    for (int i = 0; i < 256; ++i) {
        xRGB c;
        other.GetEntry(c, static_cast<std::uint8_t>(i));
        SetEntry(static_cast<std::uint8_t>(i), Pack(c));
    }
}

xPalette& xPalette::operator=(const xPalette& other) {
    CopyFrom(other);
    return *this;
}

void xPalette::CopyFrom(const xPalette& other) {
    entries_ = other.entries_;
    count_ = other.count_;
}

void xPalette::GetEntry(xRGB& out, std::uint8_t index) const {
    out = entries_[index];
}

void xPalette::SetEntry(std::uint8_t index, std::uint32_t colour) {
    entries_[index] = xRGB{static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                           static_cast<std::uint8_t>(colour >> 16)};
}

std::uint8_t xPalette::FindNearest(std::uint32_t colour) const {
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    const bool grey = r == g && g == b;
    int best = 0;
    int bestDistance = 800;
    for (int i = 1; i <= 253; ++i) {
        if (i == 8 || i == 9 || i == 246 || i == 247) {
            continue;
        }
        const xRGB& e = entries_[static_cast<std::size_t>(i)];
        if (grey) {
            if (e.red != e.green || e.green != e.blue) {
                continue;
            }
        } else {
            auto keeps = [](int wanted, int have) {
                return (wanted != 255 || have == 255) && (wanted != 0 || have == 0);
            };
            if (!keeps(r, e.red) || !keeps(g, e.green) || !keeps(b, e.blue)) {
                continue;
            }
        }
        const int d = std::abs(r - e.red) + std::abs(g - e.green) + std::abs(b - e.blue);
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

const std::array<std::uint8_t, 768>& xPalette::DefaultTable() {
    static const std::array<std::uint8_t, 768> table = BuildDefaultTable();
    return table;
}

const xPalette& xPalette::Default() {
    static const xPalette palette(DefaultTable());
    return palette;
}
