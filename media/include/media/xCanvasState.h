#pragma once

#include "framework/xRGB.h"

#include "divir/xAppObject.h"

#include <array>
#include <cstdint>

// The drawing state of a canvas; callers also keep one to save and restore it
// around a drawing section.
class xCanvasState : public xAppObject {
  public:
    struct FontDesc {
        // 0 means no font; with an empty face name, the index of a built-in face.
        std::uint16_t number = 0;
        std::int16_t size = 0;             // character (em) height in pixels
        std::uint16_t style = 0;           // bit 1 italic; 2 and 3 are the slanted styles
        std::array<char, 100> faceName{};  // zero-terminated

        bool SameFont(const FontDesc& o) const {
            return number == o.number && size == o.size && style == o.style;
        }
    };

    xCanvasState() = default;
    ~xCanvasState() override = default;

    bool SameColour(const xCanvasState& o) const { return colour_ == o.colour_; }
    bool SameFont(const xCanvasState& o) const { return font_.SameFont(o.font_); }

    const xRGB& Colour() const { return colour_; }
    std::int16_t PenWidth() const { return penWidth_; }
    const FontDesc& Font() const { return font_; }

  protected:
    xRGB colour_{};
    std::int16_t penWidth_ = 0;
    FontDesc font_{};

    friend class xCanvas;
};
