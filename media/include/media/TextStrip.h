#pragma once

#include "media/TextStyleTable.h"
#include "media/xArtStrip.h"

#include "framework/xRGB.h"
#include "framework/xRect.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class xCanvas;
class xMixCanvas;

// One text item: a style's fields, its text and its last layout.
struct TextStripItem {
    static constexpr xRGB kNoBackground{252, 253, 254};

    std::uint16_t id = 0;
    std::uint16_t font = 0;
    std::array<char, 100> faceName{};
    std::array<std::int16_t, 4> sizes{};
    std::int16_t format = 0;
    std::int16_t spacing = 0;
    std::int16_t lines = 0;
    std::int16_t length = 0;
    std::int16_t slot = 0;
    std::array<xRGB, 4> colours{};
    bool dirty = true;
    bool truncated = true;  // cleared when a layout had to append "..."
    std::int16_t currentSize = 0;
    std::int16_t capacity = 0;  // the layout's limit in characters
    std::string text;
    std::vector<std::string> layout;  // the laid-out lines (0x7F marks the caret)
    xRect layoutRect;                 // the rectangle the layout was made for
    xRGB colour{};
    xRGB background = kNoBackground;
    xRect backgroundRect;
    xRect laidOut{32000, 32000, -32000, -32000};
    xRect drawn;
};

// The art strip of the system's text. A cel is a style id plus a
// sub-operation (cel modulo 10):
//   0 lay out and draw in the item's colour   1 the same in italics
//   2 render into the item's cache slot        3 the same in italics
//   4 draw the cached block as a mask in the item's colour at the rectangle
//   5 the same, the block placed at the rectangle's top-left corner
//   6-9 make colour 0-3 current
// Layouts shrink the font through the style's sizes until the text fits,
// wrap at spaces, keep the last line from being much shorter than the one
// before and cut with "..." what does not fit at the smallest size.
class TextStrip : public xArtStrip {
  public:
    static constexpr int kMaxFontFiles = 10;
    static constexpr int kCaretColumns = 16;
    static constexpr char kCaret = 0x7F;
    static constexpr xRGB kCacheColour{238, 238, 238};

    explicit TextStrip(void* owner = nullptr);
    TextStrip(const TextStrip&) = delete;
    TextStrip& operator=(const TextStrip&) = delete;
    ~TextStrip() override;

    void Unload() override;
    void Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
              std::int32_t extra) override;
    void DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                     std::int32_t extra, const xSpriteRegion& region) override;
    void AddDirtyArea(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t flags,
                      std::int32_t extra) override;
    void AddChangedArea(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t flags,
                        std::int32_t extra, const xRect& otherPlace, std::int16_t otherCel,
                        std::uint16_t otherFlags, std::int32_t otherExtra) override;
    void PrepareCel(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t flags,
                    std::int32_t extra) override;

    // Makes one item per style row (the arguments are not read).
    void Load(const char* name = nullptr, int unused = 0);
    // Adds a font file for this process, found along the search path; more
    // than ten, a missing file or a refused font raise x-layer error 15.
    void AddFontFile(const char* name);

    int GetItemCount() const { return static_cast<int>(items_.size()); }
    // The index of the item of that style id, or -1.
    int FindItem(std::uint16_t id) const;
    TextStripItem* GetItem(int index);

    // Null empties the text; a longer text is cut to the maximum length - 1.
    void SetText(int index, const char* text);
    // Copies at most size bytes, the terminator included; returns the text.
    const char* GetText(int index, char* out, int size);
    void SetFont(int index, std::uint16_t font, const char* face = nullptr);
    void SetSize(int index, int which, std::int16_t size);
    void SetFormat(int index, std::int16_t format);
    void SetSpacing(int index, std::int16_t spacing);
    void SetLines(int index, std::int16_t lines);
    // A new maximum length keeps the text, cut to length - 1.
    void SetLength(int index, std::int16_t length);
    void SetSlot(int index, std::int16_t slot);
    void SetColour(int index, int which, const xRGB& colour);
    void SetCurrentColour(int index, int which);
    void SetBackground(int index, const xRGB& colour, const xRect& rect);

    // Chooses the size and lays the text out; true when the text is to be drawn.
    bool FitText(TextStripItem& item, xCanvas& canvas, const xRect& rect, bool italic);
    bool LayoutText(TextStripItem& item, xCanvas& canvas, const xRect& rect);
    void DrawLines(xCanvas& canvas, TextStripItem& item, const xRect& rect);
    void RenderToCache(const xRect& rect, TextStripItem& item, bool italic, xCanvas& like);
    void BuildCaretColumns(xCanvas& canvas, TextStripItem& item, int caretX,
                           const std::vector<std::size_t>& lineStarts);
    // -1 without a layout; else the column of the caret line + offset.
    std::int32_t GetCaretColumn(int unused, int offset) const;

    // Line height, ascent, descent and leading of the canvas's font, scaled by
    // 8/9, the leading changed by the spacing.
    struct Metrics {
        int lineHeight = 0;
        int ascent = 0;
        int descent = 0;
        int leading = 0;
    };
    static Metrics ScaleMetrics(xCanvas& canvas, std::int16_t spacing);

    xMixCanvas* GetCacheCanvas() const { return cache_.get(); }
    int GetFontFileCount() const { return static_cast<int>(fontFiles_.size()); }

  private:
    struct Slot {
        xRect rect;
        int item = -1;
    };
    void SelectFont(xCanvas& canvas, const TextStripItem& item, std::int16_t size, bool italic);
    bool LayoutOnce(TextStripItem& item, xCanvas& canvas, const xRect& rect, const std::string& text,
                    std::vector<int>& words, std::vector<std::size_t>& starts);
    void DrawItem(xCanvas& canvas, TextStripItem& item, const xRect& rect, const xRGB& colour, bool italic);
    void DrawCached(xCanvas& canvas, TextStripItem& item, const xRect& place, std::uint16_t flags,
                    bool atCorner);

    void* owner_;
    std::vector<std::unique_ptr<TextStripItem>> items_;
    std::array<std::int32_t, kCaretColumns> caretColumns_{};
    int caretLine_ = 0;
    int lineCount_ = 0;
    std::array<Slot, 2> slots_{};
    std::unique_ptr<xMixCanvas> cache_;
    std::vector<std::string> fontFiles_;
};
