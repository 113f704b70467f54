// Fonts through fontconfig (face look-up) and FreeType (monochrome rendering).
// The old face names resolve to metric-compatible faces through fontconfig's
// aliases (Arial -> Liberation Sans, Times New Roman -> Liberation Serif,
// Courier New -> Liberation Mono); a trailing " Bold" in the name picks the bold
// weight, as the old system's "Arial Bold" face did.

#include "platform/FontFace.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace platform {

namespace {

// Windows-1252 codes 0x80-0x9F; the five unassigned codes keep their C1 value.
constexpr std::array<std::uint16_t, 32> kHighCodes = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint32_t UnicodeOf(std::uint8_t code) {
    return code >= 0x80 && code < 0xA0 ? kHighCodes[code - 0x80u] : code;
}

FT_Library Library() {
    struct Holder {
        FT_Library lib = nullptr;
        Holder() {
            if (FT_Init_FreeType(&lib) != 0) {
                lib = nullptr;
            }
        }
        ~Holder() {
            if (lib != nullptr) {
                FT_Done_FreeType(lib);
            }
        }
    };
    static Holder holder;
    return holder.lib;
}

// fontconfig's configuration, loaded once and released at exit so that nothing
// it allocated outlives the program.
FcConfig* Config() {
    struct Holder {
        FcConfig* config = FcInitLoadConfigAndFonts();
        ~Holder() {
            if (config != nullptr) {
                FcConfigDestroy(config);
            }
            FcFini();
        }
    };
    static Holder holder;
    return holder.config;
}

struct FaceFile {
    std::string path;
    int index = 0;
};

std::optional<FaceFile> Resolve(const FontRequest& request) {
    std::string family = request.faceName;
    bool bold = request.weight >= 600;
    constexpr std::string_view kBold = " Bold";
    if (family.size() > kBold.size() && family.ends_with(kBold)) {
        family.resize(family.size() - kBold.size());
        bold = true;
    }
    FcConfig* config = Config();
    if (config == nullptr) {
        return std::nullopt;
    }
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return std::nullopt;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return std::nullopt;
    }
    std::optional<FaceFile> found;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file != nullptr) {
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) {
            index = 0;
        }
        found = FaceFile{reinterpret_cast<const char*>(file), index};
    }
    FcPatternDestroy(match);
    return found;
}

int RoundScaled(long units, FT_Fixed scale) {
    return static_cast<int>((FT_MulFix(units, scale) + 32) >> 6);
}

class FreeTypeFontFace final : public FontFace {
  public:
    FreeTypeFontFace(FT_Face face, int emPixels) : face_(face) {
        const FT_Fixed scale = face->size->metrics.y_scale;
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
        // The cell comes from the Windows ascent and descent of the face, as the
        // old text metrics did; the external leading is the part of the line gap
        // that the cell does not already hold.
        if (os2 != nullptr && os2->version != 0xFFFF && (os2->usWinAscent + os2->usWinDescent) > 0) {
            metrics_.ascent = RoundScaled(os2->usWinAscent, scale);
            metrics_.descent = RoundScaled(os2->usWinDescent, scale);
            if (hhea != nullptr) {
                const long gap = static_cast<long>(hhea->Line_Gap) -
                                 ((static_cast<long>(os2->usWinAscent) + os2->usWinDescent) -
                                  (static_cast<long>(hhea->Ascender) - hhea->Descender));
                metrics_.externalLeading = std::max(0, RoundScaled(std::max(0L, gap), scale));
            }
        } else {
            metrics_.ascent = static_cast<int>((face->size->metrics.ascender + 32) >> 6);
            metrics_.descent = static_cast<int>((-face->size->metrics.descender + 32) >> 6);
        }
        metrics_.height = metrics_.ascent + metrics_.descent;
        metrics_.internalLeading = std::max(0, metrics_.height - emPixels);
    }
    ~FreeTypeFontFace() override { FT_Done_Face(face_); }

    const FontMetrics& Metrics() const override { return metrics_; }
    std::string FamilyName() const override {
        return face_->family_name != nullptr ? face_->family_name : "";
    }

    const Glyph& GetGlyph(std::uint8_t code) override {
        std::optional<Glyph>& slot = glyphs_[code];
        if (!slot) {
            slot = Render(code);
        }
        return *slot;
    }

  private:
    Glyph Render(std::uint8_t code) {
        Glyph g;
        const FT_UInt index = FT_Get_Char_Index(face_, UnicodeOf(code));
        if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
            return g;
        }
        const FT_GlyphSlot slot = face_->glyph;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        const FT_Bitmap& bm = slot->bitmap;
        if (bm.pixel_mode != FT_PIXEL_MODE_MONO || bm.buffer == nullptr) {
            return g;
        }
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        g.width = static_cast<int>(bm.width);
        g.rows = static_cast<int>(bm.rows);
        g.bits.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.rows), 0);
        for (int y = 0; y < g.rows; ++y) {
            const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
            for (int x = 0; x < g.width; ++x) {
                g.bits[static_cast<std::size_t>(y * g.width + x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            }
        }
        return g;
    }

    FT_Face face_;
    FontMetrics metrics_;
    std::array<std::optional<Glyph>, 256> glyphs_;
};

}  // namespace

std::unique_ptr<FontFace> OpenFontFace(const FontRequest& request) {
    if (request.emPixels < 1 || request.emPixels > 1000) {
        return nullptr;
    }
    FT_Library lib = Library();
    if (lib == nullptr) {
        return nullptr;
    }
    const std::optional<FaceFile> file = Resolve(request);
    if (!file) {
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(lib, file->path.c_str(), file->index, &face) != 0) {
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(request.emPixels)) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return std::make_unique<FreeTypeFontFace>(face, request.emPixels);
}

bool AddApplicationFontFile(const std::string& hostPath) {
    FcConfig* config = Config();
    if (config == nullptr) {
        return false;
    }
    FcFontSet* found = FcFontSetCreate();
    FcBlanks* blanks = nullptr;
    const bool isFont = FcFileScan(found, nullptr, nullptr, blanks,
                                   reinterpret_cast<const FcChar8*>(hostPath.c_str()), FcFalse) == FcTrue &&
                        found->nfont > 0;
    FcFontSetDestroy(found);
    return isFont && FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(hostPath.c_str())) == FcTrue;
}

void RemoveApplicationFonts() {
    if (FcConfig* config = Config()) {
        FcConfigAppFontClear(config);
    }
}

}  // namespace platform
