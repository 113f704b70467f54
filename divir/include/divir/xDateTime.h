#pragma once

#include <cstdint>
#include <ctime>

// Calendar time as the lower layer passes it.
struct xDateTime {
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t day = 0;
    std::uint16_t month = 0;    // 1-12
    std::uint16_t year = 0;     // four digits
    std::uint16_t weekday = 0;  // 1 = Sunday .. 7

    // From the C library's broken-down time (months from 0, years from 1900,
    // weekdays from 0 = Sunday).
    static xDateTime FromCalendar(const std::tm& fields) {
        return {
            static_cast<std::uint16_t>(fields.tm_hour),    static_cast<std::uint16_t>(fields.tm_min),
            static_cast<std::uint16_t>(fields.tm_sec),     static_cast<std::uint16_t>(fields.tm_mday),
            static_cast<std::uint16_t>(fields.tm_mon + 1), static_cast<std::uint16_t>(fields.tm_year + 1900),
            static_cast<std::uint16_t>(fields.tm_wday + 1)};
    }
};
