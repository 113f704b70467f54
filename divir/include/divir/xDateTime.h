#pragma once

#include <cstdint>

// Calendar time as the lower layer passes it.
struct xDateTime {
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t day = 0;
    std::uint16_t month = 0;    // 1-12
    std::uint16_t year = 0;     // four digits
    std::uint16_t weekday = 0;  // 1 = Sunday .. 7
};
