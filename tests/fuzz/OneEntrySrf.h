#pragma once

// A .srf made around one resource, for the targets whose input is the bytes of
// a resource the program loads from a .srf.

#include <cstdint>
#include <span>
#include <vector>

#include "resource/xSimpleResFile.h"

namespace fuzz {

// "srf1": the header, one index group of one entry, then the bytes.
inline std::vector<std::uint8_t> OneEntrySrf(std::uint32_t type, std::int32_t id, std::span<const std::uint8_t> bytes) {
    constexpr std::uint32_t kIndexBytes = 20;
    std::vector<std::uint8_t> srf;
    const auto put = [&srf](std::uint32_t value) {
        for (int i = 3; i >= 0; --i) srf.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(MakeFourCC("srf1"));
    put(static_cast<std::uint32_t>(12 + kIndexBytes + bytes.size()));
    put(kIndexBytes);
    put(type);
    put(1);
    put(static_cast<std::uint32_t>(id));
    put(12 + kIndexBytes);
    put(static_cast<std::uint32_t>(bytes.size()));
    srf.insert(srf.end(), bytes.begin(), bytes.end());
    return srf;
}

}  // namespace fuzz
