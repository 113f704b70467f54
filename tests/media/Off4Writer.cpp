#include "Off4Writer.h"

#include <algorithm>

namespace off4 {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v >> 16);
    Put16(out, v & 0xFFFF);
}

void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v >> 24);
    out[at + 1] = static_cast<std::uint8_t>(v >> 16);
    out[at + 2] = static_cast<std::uint8_t>(v >> 8);
    out[at + 3] = static_cast<std::uint8_t>(v);
}

}  // namespace

std::vector<std::uint8_t> RunStream(const Image& image) {
    std::vector<std::uint8_t> out;
    const std::size_t n = image.pixels.size();
    std::size_t i = 0;
    while (i < n) {
        std::size_t t = 0;
        while (i + t < n && image.pixels[i + t] == 0) {
            ++t;
        }
        i += t;
        while (t > 255) {
            out.push_back(255);
            out.push_back(0);
            t -= 255;
        }
        out.push_back(static_cast<std::uint8_t>(t));
        std::size_t k = 0;
        while (i + k < n && image.pixels[i + k] != 0 && k < 255) {
            ++k;
        }
        out.push_back(static_cast<std::uint8_t>(k));
        out.insert(out.end(), image.pixels.begin() + static_cast<std::ptrdiff_t>(i),
                   image.pixels.begin() + static_cast<std::ptrdiff_t>(i + k));
        i += k;
    }
    while (out.size() < 3) {
        out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> Compress(const std::vector<std::uint8_t>& s, bool compress) {
    std::vector<std::uint8_t> out(s.begin(), s.begin() + 3);
    std::size_t flagAt = 0;
    int items = 8;
    const auto item = [&](bool match) {
        if (items == 8) {
            flagAt = out.size();
            out.push_back(0);
            items = 0;
        }
        if (match) {
            out[flagAt] = static_cast<std::uint8_t>(out[flagAt] | (0x80 >> items));
        }
        ++items;
    };
    std::size_t i = 3;
    while (i < s.size()) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (compress) {
            const std::size_t maxLength = std::min<std::size_t>(273, s.size() - i);
            for (std::size_t d = 1; d <= std::min<std::size_t>(4095, i); ++d) {
                std::size_t l = 0;
                while (l < maxLength && s[i - d + l] == s[i + l]) {
                    ++l;
                }
                if (l > bestLength) {
                    bestLength = l;
                    bestDistance = d;
                }
            }
        }
        if (bestLength >= 3) {
            item(true);
            if (bestLength <= 17) {
                const std::uint32_t w = static_cast<std::uint32_t>(((bestLength - 2) << 12) | bestDistance);
                out.push_back(static_cast<std::uint8_t>(w));
                out.push_back(static_cast<std::uint8_t>(w >> 8));
            } else {
                out.push_back(static_cast<std::uint8_t>(bestDistance));
                out.push_back(static_cast<std::uint8_t>(bestDistance >> 8));
                out.push_back(static_cast<std::uint8_t>(bestLength - 18));
            }
            i += bestLength;
        } else {
            item(false);
            out.push_back(s[i]);
            ++i;
        }
    }
    item(true);
    out.push_back(0);
    out.push_back(0);
    return out;
}

std::vector<std::uint8_t> Build(const Strip& strip) {
    std::size_t maxParts = 0;
    for (const Cel& c : strip.cels) {
        maxParts = std::max(maxParts, c.parts.size());
    }
    const std::uint32_t slotWords = strip.slotWords != 0 ? static_cast<std::uint32_t>(strip.slotWords)
                                                         : static_cast<std::uint32_t>(6 + 6 * maxParts);
    const std::uint32_t cels = static_cast<std::uint32_t>(strip.cels.size());
    std::vector<std::uint8_t> out;
    Put32(out, 0);
    Put16(out, 0);
    Put16(out, slotWords);
    Put16(out, cels);
    for (std::uint32_t c = 0; c < cels; ++c) {
        Put16(out, strip.cels[c].exists ? c + 1 : 0);
    }
    for (const Cel& c : strip.cels) {
        const std::size_t start = out.size();
        Put16(out, c.partSlot);
        Put16(out, static_cast<std::uint16_t>(c.rect.left));
        Put16(out, static_cast<std::uint16_t>(c.rect.top));
        Put16(out, static_cast<std::uint16_t>(c.rect.right));
        Put16(out, static_cast<std::uint16_t>(c.rect.bottom));
        Put16(out, c.partCount >= 0 ? static_cast<std::uint32_t>(c.partCount)
                                    : static_cast<std::uint32_t>(c.parts.size()));
        for (const Part& p : c.parts) {
            Put16(out, p.flags);
            Put16(out, static_cast<std::uint16_t>(p.rect.left));
            Put16(out, static_cast<std::uint16_t>(p.rect.top));
            Put16(out, static_cast<std::uint16_t>(p.rect.right));
            Put16(out, static_cast<std::uint16_t>(p.rect.bottom));
            Put16(out, static_cast<std::uint16_t>(p.number));
        }
        out.resize(start + 2 * slotWords, 0);
    }
    Set32(out, 0, static_cast<std::uint32_t>(out.size()));
    const std::uint32_t images = static_cast<std::uint32_t>(strip.images.size());
    Put16(out, images);
    Put16(out, strip.opaqueCount >= 0 ? static_cast<std::uint32_t>(strip.opaqueCount) : images);
    const std::size_t table = out.size();
    out.resize(table + 8 * images, 0);
    for (std::uint32_t i = 0; i < images; ++i) {
        const Image& image = strip.images[i];
        const std::vector<std::uint8_t> coded = Compress(RunStream(image), strip.compress);
        const std::size_t at = table + 8 * i;
        Set32(out, at, static_cast<std::uint32_t>(out.size()));
        out[at + 4] = static_cast<std::uint8_t>(image.width >> 8);
        out[at + 5] = static_cast<std::uint8_t>(image.width);
        out[at + 6] = static_cast<std::uint8_t>(image.height >> 8);
        out[at + 7] = static_cast<std::uint8_t>(image.height);
        out.insert(out.end(), coded.begin(), coded.end());
    }
    return out;
}

Image ImageOf(const std::vector<std::string>& rows) {
    Image image;
    image.height = static_cast<int>(rows.size());
    image.width = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    for (const std::string& r : rows) {
        for (char c : r) {
            image.pixels.push_back(c == '.' ? 0
                                            : static_cast<std::uint8_t>(c <= '9' ? c - '0' : c - 'a' + 10));
        }
    }
    return image;
}

Cel SimpleCel(const Image& image, std::int16_t number, std::uint16_t layer) {
    Cel c;
    c.rect = xRect(0, 0, image.width, image.height);
    c.parts.push_back(
        Part{static_cast<std::uint16_t>(layer << 8), xRect(0, 0, image.width, image.height), number});
    return c;
}

}  // namespace off4
