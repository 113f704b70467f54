#pragma once

#include <cstdint>
#include <string>

// A picture as the room bot describes it ("Zuv" record); the game gives the fields
// their meaning.
struct PictureInfo {
    std::string text1;
    std::string text2;
    std::uint32_t number1 = 0;
    std::int32_t number2 = 0;
    std::string text3;
    std::uint32_t number3 = 0;
    bool operator==(const PictureInfo&) const = default;
};
