#include "media/TextStrip.h"

#include "media/WinScreenCanvas.h"
#include "media/xCanvas.h"
#include "media/xMixCanvas.h"
#include "media/xPalette.h"
#include "media/xSpriteRegion.h"

#include "framework/xMixerPoll.h"
#include "platform/FontFace.h"
#include "platform/HostPath.h"

#include "divir/xError.h"
#include "divir/xFile.h"
#include "divir/xFilePath.h"
#include "divir/xTryFrame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr xRect kNoBounds(32000, 32000, -32000, -32000);

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}
bool IsBreak(char c) {
    return c == '\r' || c == '\n';
}

int SubOperation(std::int16_t cel) {
    return cel % 10;
}
std::uint16_t IdOf(std::int16_t cel) {
    return static_cast<std::uint16_t>(cel - cel % 10);
}

std::string WithoutCaret(const std::string& line) {
    std::string s = line;
    s.erase(std::remove(s.begin(), s.end(), TextStrip::kCaret), s.end());
    return s;
}

int WordsIn(const std::string& line) {
    int n = 0;
    bool inWord = false;
    for (char c : line) {
        const bool word = !IsSpace(c);
        n += word && !inWord ? 1 : 0;
        inWord = word;
    }
    return n;
}

}  // namespace

TextStrip::TextStrip(void* owner) : owner_(owner) {
    caretColumns_.fill(-1);
}

TextStrip::~TextStrip() {
    Unload();
}

void TextStrip::Unload() {
    items_.clear();
    if (!fontFiles_.empty()) {
        platform::RemoveApplicationFonts();
        fontFiles_.clear();
    }
    cache_.reset();
    slots_ = {};
}

void TextStrip::Load(const char*, int) {
    Unload();
    items_.reserve(296);
    for (const TextStyle& row : TextStyleTable::Rows()) {
        auto item = std::make_unique<TextStripItem>();
        item->id = row.id;
        item->font = row.font;
        item->sizes = row.sizes;
        item->format = row.format;
        item->spacing = row.spacing;
        item->lines = row.lines;
        item->length = row.length;
        item->slot = row.slot;
        item->colours = row.colours;
        item->colour = row.colours[0];
        item->capacity = static_cast<std::int16_t>(row.length + 99);
        items_.push_back(std::move(item));
    }
}

void TextStrip::AddFontFile(const char* name) {
    if (static_cast<int>(fontFiles_.size()) >= kMaxFontFiles || name == nullptr) {
        xThrow(kErrFontFile);
        return;
    }
    xFileSpec found;
    std::int16_t hit = 0;
    if (xTry([&] { hit = xFileFindOnPath(name, &found); }) != 0 || hit == 0) {
        xThrow(kErrFontFile);
        return;
    }
    const std::string host = platform::ResolveHostPath(found.c_str());
    if (!platform::AddApplicationFontFile(host)) {
        xThrow(kErrFontFile);
        return;
    }
    fontFiles_.push_back(host);
}

int TextStrip::FindItem(std::uint16_t id) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

TextStripItem* TextStrip::GetItem(int index) {
    if (index < 0 || index >= static_cast<int>(items_.size())) {
        return nullptr;
    }
    return items_[static_cast<std::size_t>(index)].get();
}

void TextStrip::SetText(int index, const char* text) {
    TextStripItem* item = GetItem(index);
    if (item == nullptr) {
        return;
    }
    item->text.clear();
    if (text != nullptr) {
        const std::size_t limit = item->length > 1 ? static_cast<std::size_t>(item->length - 1) : 0;
        item->text.assign(text, strnlen(text, limit));
    }
    item->layout.clear();
    item->capacity = static_cast<std::int16_t>(item->length + 99);
    item->dirty = true;
}

const char* TextStrip::GetText(int index, char* out, int size) {
    TextStripItem* item = GetItem(index);
    if (item == nullptr) {
        if (out != nullptr && size > 0) {
            out[0] = '\0';
        }
        return "";
    }
    if (out != nullptr && size > 0) {
        const std::size_t n = std::min(item->text.size(), static_cast<std::size_t>(size - 1));
        std::memcpy(out, item->text.data(), n);
        out[n] = '\0';
    }
    return item->text.c_str();
}

namespace {

template <typename T>
void Change(TextStripItem& item, T& field, const T& value, bool relayout) {
    if (field == value) {
        return;
    }
    field = value;
    item.dirty = true;
    if (relayout) {
        item.layout.clear();
    }
}

}  // namespace

void TextStrip::SetFont(int index, std::uint16_t font, const char* face) {
    if (TextStripItem* item = GetItem(index)) {
        std::array<char, 100> name{};
        if (face != nullptr) {
            std::strncpy(name.data(), face, name.size() - 1);
        }
        if (item->font != font || item->faceName != name) {
            item->font = font;
            item->faceName = name;
            item->dirty = true;
            item->layout.clear();
        }
    }
}

void TextStrip::SetSize(int index, int which, std::int16_t size) {
    if (TextStripItem* item = GetItem(index); item != nullptr && which >= 0 && which < 4) {
        Change(*item, item->sizes[static_cast<std::size_t>(which)], size, true);
    }
}

void TextStrip::SetFormat(int index, std::int16_t format) {
    if (TextStripItem* item = GetItem(index)) {
        Change(*item, item->format, format, true);
    }
}

void TextStrip::SetSpacing(int index, std::int16_t spacing) {
    if (TextStripItem* item = GetItem(index)) {
        Change(*item, item->spacing, spacing, true);
    }
}

void TextStrip::SetLines(int index, std::int16_t lines) {
    if (TextStripItem* item = GetItem(index)) {
        Change(*item, item->lines, lines, true);
    }
}

void TextStrip::SetLength(int index, std::int16_t length) {
    TextStripItem* item = GetItem(index);
    if (item == nullptr || length == item->length) {
        return;
    }
    // The text block follows the new length.
    item->length = length;
    const std::string text = item->text;
    SetText(index, text.c_str());
}

void TextStrip::SetSlot(int index, std::int16_t slot) {
    if (TextStripItem* item = GetItem(index)) {
        Change(*item, item->slot, static_cast<std::int16_t>(slot & 1), false);
    }
}

void TextStrip::SetColour(int index, int which, const xRGB& colour) {
    if (TextStripItem* item = GetItem(index); item != nullptr && which >= 0 && which < 4) {
        Change(*item, item->colours[static_cast<std::size_t>(which)], colour, false);
    }
}

void TextStrip::SetCurrentColour(int index, int which) {
    if (TextStripItem* item = GetItem(index); item != nullptr && which >= 0 && which < 4) {
        Change(*item, item->colour, item->colours[static_cast<std::size_t>(which)], false);
    }
}

void TextStrip::SetBackground(int index, const xRGB& colour, const xRect& rect) {
    if (TextStripItem* item = GetItem(index)) {
        Change(*item, item->background, colour, false);
        Change(*item, item->backgroundRect, rect, false);
    }
}

TextStrip::Metrics TextStrip::ScaleMetrics(xCanvas& canvas, std::int16_t spacing) {
    int ascent = 0;
    int descent = 0;
    int leading = 0;
    // The canvas answers the height with the external leading in it.
    const int height = canvas.GetFontMetrics(&ascent, &descent, &leading);
    Metrics m;
    m.lineHeight = height * 8 / 9;
    m.ascent = ascent * 8 / 9;
    m.descent = descent * 8 / 9;
    m.leading = leading;
    if (spacing != 0) {
        m.leading += (spacing + 10) * m.lineHeight / 100 - m.lineHeight;
    }
    return m;
}

void TextStrip::SelectFont(xCanvas& canvas, const TextStripItem& item, std::int16_t size, bool italic) {
    xCanvasState::FontDesc font;
    font.number = item.font;
    font.size = size;
    font.style = italic ? 2 : 0;
    font.faceName = item.faceName;
    canvas.SetFont(font);
}

bool TextStrip::LayoutOnce(TextStripItem& item, xCanvas& canvas, const xRect& rect, const std::string& text,
                           std::vector<int>& words, std::vector<std::size_t>& starts) {
    const Metrics m = ScaleMetrics(canvas, item.spacing);
    const int width = rect.Width();
    const auto measure = [&](const std::string& s) {
        xRect b;
        canvas.GetTextBounds(b, rect.left, rect.top + m.ascent, s.c_str());
        return b.Width();
    };
    const auto room = [&](int top) { return top + m.lineHeight <= rect.bottom; };
    const std::size_t capacity = item.capacity > 0 ? static_cast<std::size_t>(item.capacity) : 0;
    item.layout.clear();
    words.clear();
    starts.clear();
    const std::size_t len = text.size();
    std::size_t pos = 0;
    int top = rect.top;
    bool overflow = false;
    while (pos < len && (item.lines == 0 || static_cast<int>(item.layout.size()) < item.lines) && room(top)) {
        const int nextTop = top + m.lineHeight + m.leading;
        const bool last =
            (item.lines != 0 && static_cast<int>(item.layout.size()) + 1 == item.lines) || !room(nextTop);
        std::string line;
        int count = 0;
        starts.push_back(pos);
        while (pos < len) {
            const char c = text[pos];
            if (IsBreak(c)) {
                ++pos;
                if (pos < len && IsBreak(text[pos]) && text[pos] != c) {
                    ++pos;
                }
                overflow = last && pos < len;
                break;
            }
            std::size_t p = pos;
            std::string word;
            while (p < len && IsSpace(text[p])) {
                word += ' ';
                ++p;
            }
            while (p < len && !IsSpace(text[p]) && !IsBreak(text[p])) {
                word += text[p];
                ++p;
            }
            const std::string candidate = line + word;
            if (candidate.size() > capacity || measure(candidate) > width) {
                if (count == 0 || last) {
                    line = candidate;
                    pos = p;
                    overflow = true;
                    break;
                }
                while (pos < len && IsSpace(text[pos])) {
                    ++pos;
                }
                break;
            }
            line = candidate;
            pos = p;
            count += WordsIn(word);
        }
        if (overflow) {
            // The line is cut back to what fits: at a word for format 5, else
            // with "...".
            bool done = false;
            if (item.format == 5) {
                std::string cut = line;
                while (!done) {
                    const std::size_t space = cut.find_last_of(' ');
                    if (space == std::string::npos || space == 0) {
                        break;
                    }
                    cut.resize(space);
                    while (!cut.empty() && cut.back() == ' ') {
                        cut.pop_back();
                    }
                    if (!cut.empty() && measure(cut) <= width) {
                        line = cut;
                        done = true;
                    }
                }
            }
            if (!done) {
                std::string s = line + "...";
                while (s.size() > 3 && (measure(s) > width || s.size() > capacity)) {
                    s.erase(s.size() - 4, 1);
                }
                item.truncated = false;
                if (measure(s) > width || s.size() > capacity) {
                    item.layout.clear();
                    words.clear();
                    starts.clear();
                    break;
                }
                line = s;
            }
        }
        item.layout.push_back(line);
        words.push_back(WordsIn(line));
        top = nextTop;
        if (overflow) {
            break;
        }
    }
    if (!overflow && pos < len) {
        // Text is left that no line could take.
        bool onlySpace = true;
        for (std::size_t i = pos; i < len; ++i) {
            onlySpace = onlySpace && (IsSpace(text[i]) || IsBreak(text[i]));
        }
        if (!onlySpace) {
            overflow = true;
            if (!item.layout.empty()) {
                std::string s = item.layout.back() + "...";
                while (s.size() > 3 && measure(s) > width) {
                    s.erase(s.size() - 4, 1);
                }
                item.truncated = false;
                item.layout.back() = s;
                if (measure(s) > width) {
                    item.layout.clear();
                    words.clear();
                    starts.clear();
                }
            }
        }
    }
    item.laidOut = kNoBounds;
    for (std::size_t k = 0; k < item.layout.size(); ++k) {
        xRect b;
        canvas.GetTextBounds(b, rect.left,
                             rect.top + m.ascent + static_cast<int>(k) * (m.lineHeight + m.leading),
                             item.layout[k].c_str());
        if (item.laidOut.left == kNoBounds.left && item.laidOut.top == kNoBounds.top) {
            item.laidOut = b;
        } else {
            item.laidOut.UnionWith(b);
        }
    }
    return !overflow && !item.layout.empty();
}

bool TextStrip::LayoutText(TextStripItem& item, xCanvas& canvas, const xRect& rect) {
    std::string text = item.text;
    const std::size_t caret = text.find(kCaret);
    if (caret != std::string::npos) {
        text.erase(caret, 1);
    }
    std::vector<int> words;
    std::vector<std::size_t> starts;
    item.truncated = true;
    bool fits = LayoutOnce(item, canvas, rect, text, words, starts);
    const auto balanced = [&] {
        const std::size_t n = words.size();
        return n < 2 || words[n - 1] >= words[n - 2] / 2;
    };
    if (!balanced()) {
        xRect narrow = rect;
        int made = 0;
        bool done = false;
        while (made < 3 && narrow.Width() - 40 >= 200) {
            narrow.Inset(20, 0);
            ++made;
            fits = LayoutOnce(item, canvas, narrow, text, words, starts);
            if (fits && balanced()) {
                done = true;
                break;
            }
        }
        if (!done && made > 0) {
            fits = LayoutOnce(item, canvas, rect, text, words, starts);
        }
    }
    if (caret != std::string::npos) {
        int caretX = 0;
        for (std::size_t k = 0; k < item.layout.size() && k < starts.size(); ++k) {
            std::string& line = item.layout[k];
            if (caret >= starts[k] && caret <= starts[k] + line.size()) {
                const std::size_t at = std::min(caret - starts[k], line.size());
                caretX = canvas.GetTextWidth(line.substr(0, at).c_str());
                line.insert(at, 1, kCaret);
                break;
            }
        }
        BuildCaretColumns(canvas, item, caretX, starts);
    }
    return fits;
}

bool TextStrip::FitText(TextStripItem& item, xCanvas& canvas, const xRect& rect, bool italic) {
    if (item.text.empty()) {
        item.layout.clear();
        return false;
    }
    if (!item.layout.empty() && item.layoutRect.Width() == rect.Width() &&
        item.layoutRect.Height() == rect.Height()) {
        SelectFont(canvas, item, item.currentSize, italic);
        return !item.laidOut.IsEmpty();
    }
    item.dirty = true;
    bool first = true;
    for (std::int16_t size : item.sizes) {
        if (size == 0) {
            break;
        }
        if (!first) {
            xMixerPoll(250);
        }
        first = false;
        SelectFont(canvas, item, size, italic);
        item.currentSize = size;
        if (LayoutText(item, canvas, rect)) {
            break;
        }
    }
    item.layoutRect = rect;
    return !item.layout.empty() && !item.laidOut.IsEmpty();
}

void TextStrip::DrawLines(xCanvas& canvas, TextStripItem& item, const xRect& rect) {
    const Metrics m = ScaleMetrics(canvas, item.spacing);
    int horizontal = 0;  // 0 left, 1 centre, 2 right
    int vertical = 1;    // 0 top, 1 middle, 2 bottom
    switch (item.format) {
        case 1:
        case 5:
            horizontal = 1;
            break;
        case 2:
            horizontal = 2;
            break;
        case 3:
            horizontal = 1;
            vertical = 0;
            break;
        case 4:
            horizontal = 1;
            vertical = 2;
            break;
        case 6:
            vertical = 0;
            break;
        case 7:
            vertical = 2;
            break;
        case 8:
            horizontal = 2;
            vertical = 0;
            break;
        case 9:
            horizontal = 2;
            vertical = 2;
            break;
        default:
            break;
    }
    int baseline = 0;
    if (vertical == 0) {
        baseline = rect.top + m.ascent;
    } else if (vertical == 2) {
        baseline = rect.bottom - m.lineHeight + m.ascent;
    } else {
        baseline = (rect.top + rect.bottom) / 2 - item.laidOut.Height() / 2 + m.ascent;
    }
    item.drawn = xRect();
    bool first = true;
    for (const std::string& raw : item.layout) {
        if (!first) {
            xMixerPoll(250);
        }
        first = false;
        const std::string line = WithoutCaret(raw);
        const int width = canvas.GetTextWidth(line.c_str());
        int x = rect.left;
        if (horizontal == 1) {
            x = (rect.left + rect.right) / 2 - width / 2;
        } else if (horizontal == 2) {
            x = rect.right - width;
        }
        canvas.MoveTo(xPoint{static_cast<std::int16_t>(x), static_cast<std::int16_t>(baseline)});
        canvas.DrawText(line.c_str());
        xRect b;
        canvas.GetTextBounds(b, x, baseline, line.c_str());
        item.drawn.UnionWith(b);
        const std::size_t caret = raw.find(kCaret);
        if (caret != std::string::npos) {
            const int cx = x + canvas.GetTextWidth(raw.substr(0, caret).c_str());
            canvas.FillRect(xRect(cx, baseline - m.ascent + 3, cx + 1, baseline + m.descent - 1));
        }
        baseline += m.lineHeight + m.leading;
    }
}

void TextStrip::BuildCaretColumns(xCanvas& canvas, TextStripItem& item, int caretX,
                                  const std::vector<std::size_t>& lineStarts) {
    caretColumns_.fill(-1);
    caretLine_ = 0;
    lineCount_ = static_cast<int>(std::min<std::size_t>(item.layout.size(), kCaretColumns));
    std::int32_t offset = 0;
    for (int k = 0; k < lineCount_; ++k) {
        const std::string& line = item.layout[static_cast<std::size_t>(k)];
        // Offsets count the item's own text (the caret left out), so the spaces
        // and line breaks a wrap skipped count too.
        if (static_cast<std::size_t>(k) < lineStarts.size()) {
            offset = static_cast<std::int32_t>(lineStarts[static_cast<std::size_t>(k)]);
        }
        if (line.find(kCaret) != std::string::npos) {
            caretLine_ = k;
            offset += static_cast<std::int32_t>(line.size() - 1);
            continue;
        }
        std::size_t best = 0;
        int bestDistance = -1;
        for (std::size_t j = 0; j <= line.size(); ++j) {
            const int d = std::abs(canvas.GetTextWidth(line.substr(0, j).c_str()) - caretX);
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = j;
            }
        }
        caretColumns_[static_cast<std::size_t>(k)] = offset + static_cast<std::int32_t>(best);
        offset += static_cast<std::int32_t>(line.size());
    }
}

std::int32_t TextStrip::GetCaretColumn(int, int offset) const {
    if (lineCount_ <= 0) {
        return -1;
    }
    const int k = std::clamp(caretLine_ + offset, 0, lineCount_ - 1);
    return caretColumns_[static_cast<std::size_t>(k)];
}

void TextStrip::DrawItem(xCanvas& canvas, TextStripItem& item, const xRect& rect, const xRGB& colour,
                         bool italic) {
    xCanvasState saved;
    canvas.BeginDraw(&saved);
    const std::int16_t code = xTry([&] {
        if (!(item.background == TextStripItem::kNoBackground)) {
            // An item given a colour but no rectangle of its own (a list's
            // highlighted cell) fills the rectangle it is drawn in.
            canvas.SetColor(item.background);
            canvas.FillRect(item.backgroundRect.IsEmpty() ? rect : item.backgroundRect);
        }
        canvas.SetColor(colour);
        if (FitText(item, canvas, rect, italic)) {
            DrawLines(canvas, item, rect);
            item.dirty = false;
        }
    });
    canvas.EndDraw(&saved);
    if (code != 0) {
        xThrow(code);
    }
}

void TextStrip::RenderToCache(const xRect& rect, TextStripItem& item, bool italic, xCanvas& like) {
    Slot& slot = slots_[static_cast<std::size_t>(item.slot & 1)];
    slot.item = FindItem(item.id);
    slot.rect = rect.GetSize();
    const int w = slot.rect.Width();
    const int h = slot.rect.Height();
    if (w <= 0 || h <= 0) {
        return;
    }
    // Always 8 bits: the block is drawn back as a mask of its non-zero pixels.
    if (!cache_ || cache_->GetBounds().right < w || cache_->GetBounds().bottom < h) {
        const xRect old = cache_ ? cache_->GetBounds() : xRect();
        auto* mix = dynamic_cast<WinMixCanvas*>(&like);
        auto* screen = mix != nullptr ? mix->GetScreen() : dynamic_cast<WinScreenCanvas*>(&like);
        cache_ = std::make_unique<xMixCanvas>();
        cache_->Create(screen, static_cast<std::int16_t>(std::max<int>(w, old.right)),
                       static_cast<std::int16_t>(std::max<int>(h, old.bottom)), 8);
    }
    for (int y = 0; y < h; ++y) {
        std::memset(cache_->GetRow(y), 0, static_cast<std::size_t>(w));
    }
    DrawItem(*cache_, item, slot.rect, kCacheColour, italic);
}

void TextStrip::DrawCached(xCanvas& canvas, TextStripItem& item, const xRect& place, std::uint16_t flags,
                           bool atCorner) {
    const Slot& slot = slots_[static_cast<std::size_t>(item.slot & 1)];
    auto* mix = dynamic_cast<xMixCanvas*>(&canvas);
    if (mix == nullptr || !cache_ || slot.item != FindItem(item.id)) {
        return;
    }
    const xRect target = atCorner ? xRect(place.left, place.top, place.left + slot.rect.Width(),
                                          place.top + slot.rect.Height())
                                  : place;
    const WinScreenCanvas* screen = mix->GetScreen();
    const xPalette& palette = screen != nullptr ? screen->GetScreenPalette() : xPalette::Default();
    const std::uint8_t index = palette.FindNearest(xPalette::Pack(item.colour));
    mix->DrawPixels(target, *cache_, slot.rect, slot.rect, index, flags & 3, nullptr, xMixCanvas::kModeMask);
}

void TextStrip::Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                     std::int32_t) {
    const int sub = SubOperation(cel);
    const int index = FindItem(IdOf(cel));
    TextStripItem* item = GetItem(index);
    if (item == nullptr || sub < 0) {
        return;
    }
    switch (sub) {
        case 0:
        case 1:
            DrawItem(canvas, *item, place, item->colour, sub == 1);
            break;
        case 2:
        case 3:
            RenderToCache(place, *item, sub == 3, canvas);
            break;
        case 4:
        case 5:
            DrawCached(canvas, *item, place, flags, sub == 5);
            break;
        default:
            SetCurrentColour(index, sub - 6);
            break;
    }
}

void TextStrip::DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                            std::int32_t extra, const xSpriteRegion& region) {
    const int sub = SubOperation(cel);
    if ((sub == 0 || sub == 1 || sub == 4 || sub == 5) && !region.Meets(place)) {
        return;
    }
    Draw(canvas, place, cel, flags, extra);
}

void TextStrip::AddDirtyArea(xSpriteRegion& region, const xRect& place, std::int16_t cel, std::uint16_t,
                             std::int32_t) {
    const int sub = SubOperation(cel);
    if (sub == 0 || sub == 1 || sub == 4 || sub == 5) {
        region.Add(place, xSpriteRegion::kStripBudget, xSpriteRegion::kStripDepth);
    }
}

void TextStrip::AddChangedArea(xSpriteRegion& region, const xRect& place, std::int16_t cel,
                               std::uint16_t flags, std::int32_t extra, const xRect& otherPlace,
                               std::int16_t otherCel, std::uint16_t otherFlags, std::int32_t otherExtra) {
    if (cel == otherCel && flags == otherFlags && extra == otherExtra && place.left == otherPlace.left &&
        place.top == otherPlace.top) {
        for (const auto& item : items_) {
            if (item->id == IdOf(cel) && item->dirty) {
                AddDirtyArea(region, place, cel, flags, extra);
            }
        }
        return;
    }
    AddDirtyArea(region, place, cel, flags, extra);
}

void TextStrip::PrepareCel(xSpriteRegion&, const xRect&, std::int16_t cel, std::uint16_t, std::int32_t) {
    const int sub = SubOperation(cel);
    if (sub >= 6 && sub <= 8) {
        if (TextStripItem* item = GetItem(FindItem(IdOf(cel)))) {
            item->dirty = true;
        }
    }
}
