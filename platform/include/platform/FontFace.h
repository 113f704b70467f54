#pragma once

// A sized font as the drawing layer uses it: line metrics and monochrome glyphs of
// the 256 Windows-1252 codes. The FreeType implementation lives in
// platform/freetype; tests may supply their own.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Pixel metrics of a font, as a text-metrics query reports them.
struct FontMetrics {
    int ascent = 0;           // baseline to the top of the cell
    int descent = 0;          // baseline to the bottom of the cell
    int height = 0;           // ascent + descent
    int internalLeading = 0;  // height less the em size
    int externalLeading = 0;  // extra space the font asks between lines
};

// One glyph: coverage bits (one byte per pixel, 0 or 1), placed relative to the
// pen position on the baseline: column `left`, `top` rows above the baseline.
struct Glyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    int advance = 0;                 // hinted advance in whole pixels
    std::vector<std::uint8_t> bits;  // rows x width
};

struct FontRequest {
    std::string faceName;  // e.g. "Arial" or "Courier New Bold"
    int emPixels = 0;      // character (em) height in pixels
    int weight = 0;        // 0 or anything below 600 renders the face's regular weight
    bool italic = false;
};

class FontFace {
  public:
    virtual ~FontFace() = default;
    virtual const FontMetrics& Metrics() const = 0;
    // The family of the face actually opened (e.g. "Liberation Sans").
    virtual std::string FamilyName() const = 0;
    // The glyph of a Windows-1252 code; codes without a glyph give an empty one.
    virtual const Glyph& GetGlyph(std::uint8_t code) = 0;
};

// Opens the face that best matches the request; null when no font file can be
// loaded at all. Implemented by platform_freetype.
std::unique_ptr<FontFace> OpenFontFace(const FontRequest& request);

// Makes a font file (a host path) one of this process's fonts until
// RemoveApplicationFonts; false when the file is not a font.
bool AddApplicationFontFile(const std::string& hostPath);
void RemoveApplicationFonts();

}  // namespace platform
