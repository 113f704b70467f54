#pragma once

#include "framework/xRect.h"

#include <cstdint>
#include <string>
#include <vector>

// Builds "off4" strip resources for the tests: images as indexed pixels (0 is
// transparent), run-coded and compressed the way the strips store them, and
// cels made of parts.
namespace off4 {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height indices, 0 transparent
};

struct Part {
    std::uint16_t flags = 0;
    xRect rect;
    std::int16_t number = 0;
};

struct Cel {
    bool exists = true;
    std::uint16_t partSlot = 0;  // the slot number whose parts this cel uses
    xRect rect;
    std::vector<Part> parts;
    int partCount = -1;  // -1: parts.size()
};

// The run stream of an image: transparent length, opaque length, indices, ...
std::vector<std::uint8_t> RunStream(const Image& image);
// The stored form: three bytes as they are, then flag bytes and items; matches
// are searched only when `compress` is on. Ends with the end marker.
std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& stream, bool compress = true);

struct Strip {
    std::vector<Cel> cels;      // cel c is cels[c - 1]; its slot is c when it exists
    std::vector<Image> images;  // image i is images[i - 1]
    int opaqueCount = -1;       // -1: all
    int slotWords = 0;          // 0: enough for the largest part list
    bool compress = true;
};

std::vector<std::uint8_t> Build(const Strip& strip);

// Pixels from rows of characters: '.' 0, '1'-'9', 'a'-'z' 10-35.
Image ImageOf(const std::vector<std::string>& rows);
// A one-part cel showing image `image` at (0, 0) of its own size.
Cel SimpleCel(const Image& image, std::int16_t number, std::uint16_t layer = 1);

}  // namespace off4
