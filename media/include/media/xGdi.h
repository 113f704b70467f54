#pragma once

// Checked creators of drawing objects: each raises x-layer error 2 (system
// resources) when the drawing layer cannot give the object. Colours are
// palette-relative references (platform::PaletteRgb).

#include "framework/xRGB.h"

#include "platform/DrawContext.h"
#include "platform/FontFace.h"

#include <array>
#include <cstdint>
#include <memory>

// One entry of a logical palette: a colour and its flags (4 = no collapse).
struct xLogPaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
};
using xLogPalette = std::array<xLogPaletteEntry, 256>;

// A hook for tests of the failure path; answers false in the program.
bool xSimulateGdiFailure();

std::unique_ptr<platform::Brush> xCreateSolidBrush(platform::ColourRef colour);
std::unique_ptr<platform::Pen> xCreatePen(int style, int width, platform::ColourRef colour);
std::unique_ptr<xLogPalette> xCreatePalette(const xLogPalette& entries);
std::unique_ptr<platform::FontFace> xCreateFont(const platform::FontRequest& request);

// Deletes the object unless the handle is null; answers 0 for null, else 1.
template <typename T>
int xDeleteGdiObject(std::unique_ptr<T>& object) {
    if (!object) {
        return 0;
    }
    object.reset();
    return 1;
}

inline platform::ColourRef xPaletteRef(const xRGB& c) {
    return platform::PaletteRgb(c.red, c.green, c.blue);
}
