#pragma once

#include "framework/xRGB.h"

#include <array>
#include <cstdint>

// One text style: the font, the sizes to try (largest first, 0 ends the
// list), the alignment format, line spacing, line and length limits, the
// cache slot and four selectable colours.
struct TextStyle {
    std::uint16_t id = 0;
    std::uint16_t font = 0;
    std::array<std::int16_t, 4> sizes{};
    std::int16_t format = 0;
    std::int16_t spacing = 0;
    std::int16_t lines = 0;
    std::int16_t length = 0;
    std::int16_t slot = 0;
    std::array<xRGB, 4> colours{};
};

// The program's 246 text styles in table order; row 0 holds the defaults.
class TextStyleTable {
  public:
    static constexpr int kRows = 246;
    static const std::array<TextStyle, kRows>& Rows();
    // The row of that style id, or null.
    static const TextStyle* Find(std::uint16_t id);
};
