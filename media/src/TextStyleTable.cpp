#include "media/TextStyleTable.h"

namespace {

// The style ids in table order, as runs of (first, last, step).
struct IdRun {
    std::uint16_t first;
    std::uint16_t last;
    std::uint16_t step;
};

constexpr IdRun kIdRuns[] = {
    {0, 0, 10},         {11010, 11600, 10}, {21010, 21600, 10}, {11680, 11680, 10}, {11610, 11670, 10},
    {31010, 31020, 10}, {12220, 12220, 10}, {12310, 12400, 10}, {12010, 12210, 10}, {17200, 17230, 10},
    {30030, 30030, 10}, {30060, 30070, 10}, {30010, 30010, 10}, {30040, 30050, 10}, {30020, 30020, 10},
    {16000, 16190, 10}, {10000, 10490, 10}, {15000, 15010, 10},
};

constexpr std::uint16_t kArial = 2;
constexpr std::uint16_t kArialBold = 4;

// Our choice of which styles use the bold face: the round-result, winner and
// prompt styles (52 rows).
constexpr bool IsBold(std::uint16_t id) {
    return (id >= 16000 && id <= 16190) || (id >= 12010 && id <= 12210) || (id >= 30010 && id <= 30070) ||
           (id >= 17200 && id <= 17230);
}

constexpr TextStyle Defaults() {
    TextStyle s;
    s.font = kArial;
    s.sizes = {12, 11, 10, 9};
    s.format = 0;
    s.spacing = 80;
    s.lines = 1;
    s.length = 100;
    s.slot = 0;
    s.colours = {xRGB{255, 255, 0}, xRGB{0, 255, 0}, xRGB{255, 0, 0}, xRGB{128, 128, 128}};
    return s;
}

// Every authored row follows the typical row (style 11010); the multi-line
// styles are the chat, caption and result ranges.
TextStyle RowFor(std::uint16_t id) {
    if (id == 0) {
        return Defaults();
    }
    TextStyle s;
    s.id = id;
    s.font = IsBold(id) ? kArialBold : kArial;
    s.sizes = {10, 9, 8, 7};
    s.format = 0;
    s.spacing = 80;
    s.lines = 1;
    s.length = 100;
    s.slot = 0;
    s.colours = {xRGB{0, 0, 0}, xRGB{165, 0, 15}, xRGB{37, 147, 123}, xRGB{0, 0, 0}};
    if (id >= 21010 && id <= 21600) {  // captions: larger, centred, several lines
        s.sizes = {19, 17, 15, 13};
        s.format = 1;
        s.lines = 4;
        s.length = 160;
    } else if (id >= 10000 && id <= 10490) {  // chat lines
        s.lines = 2;
        s.length = 300;
    } else if (id >= 16000 && id <= 16190) {  // results
        s.sizes = {19, 17, 15, 13};
        s.format = 2;
        s.lines = 5;
        s.length = 80;
    } else if (id >= 12310 && id <= 12400) {  // long texts
        s.lines = 10;
        s.length = 300;
    }
    return s;
}

std::array<TextStyle, TextStyleTable::kRows> Build() {
    std::array<TextStyle, TextStyleTable::kRows> rows{};
    std::size_t n = 0;
    for (const IdRun& run : kIdRuns) {
        for (std::uint32_t id = run.first; id <= run.last && n < rows.size(); id += run.step) {
            rows[n++] = RowFor(static_cast<std::uint16_t>(id));
        }
    }
    return rows;
}

}  // namespace

const std::array<TextStyle, TextStyleTable::kRows>& TextStyleTable::Rows() {
    static const std::array<TextStyle, kRows> rows = Build();
    return rows;
}

const TextStyle* TextStyleTable::Find(std::uint16_t id) {
    for (const TextStyle& s : Rows()) {
        if (s.id == id) {
            return &s;
        }
    }
    return nullptr;
}
