#pragma once

#include "framework/xRGB.h"

#include <array>
#include <cstdint>
#include <span>

// 256 red, green, blue entries and an entry count. The screen canvas embeds one;
// palette resources derive from it.
class xPalette {
  public:
    xPalette();                                                   // all black
    explicit xPalette(std::span<const std::uint8_t, 768> table);  // red, green, blue triples
    xPalette(const xPalette& other);                              // each entry read through other's GetEntry
    xPalette& operator=(const xPalette& other);
    virtual ~xPalette() = default;

    virtual void GetEntry(xRGB& out, std::uint8_t index) const;
    virtual void SetEntry(std::uint8_t index, std::uint32_t colour);  // colour as 0x00BBGGRR
    // The drawing colour entry nearest to the colour (0x00BBGGRR); 0 when none
    // qualifies. The static entries 8, 9 and 246-255 are never answered.
    virtual std::uint8_t FindNearest(std::uint32_t colour) const;
    virtual void SetCount(std::uint16_t count) { count_ = count; }
    virtual std::uint16_t GetCount() const { return count_; }

    void CopyFrom(const xPalette& other);

    // The palette the screen starts with, built once from kDefaultTable.
    static const xPalette& Default();
    static const std::array<std::uint8_t, 768>& DefaultTable();

    static constexpr std::uint32_t Pack(const xRGB& c) {
        return c.red | (static_cast<std::uint32_t>(c.green) << 8) |
               (static_cast<std::uint32_t>(c.blue) << 16);
    }

  private:
    std::array<xRGB, 256> entries_{};
    std::uint16_t count_ = 256;
};
