#pragma once

#include <cstdint>

// An entry of the Dar Eradar list ("B" record): a number and a flag; the game
// gives them their meaning.
struct FatChanceEntry {
    std::int32_t number = 0;
    bool flag = false;
    bool operator==(const FatChanceEntry&) const = default;
};
