#include "media/xOffsetStrip.h"

#include "media/WinScreenCanvas.h"
#include "media/xMixCanvas.h"
#include "media/xSpriteRegion.h"

#include "resource/xSimpleResFile.h"

#include "divir/xError.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t Be32(std::span<const std::uint8_t> d, std::size_t at) {
    return (static_cast<std::uint32_t>(d[at]) << 24) | (static_cast<std::uint32_t>(d[at + 1]) << 16) |
           (static_cast<std::uint32_t>(d[at + 2]) << 8) | d[at + 3];
}

std::uint16_t Be16(std::span<const std::uint8_t> d, std::size_t at) {
    return static_cast<std::uint16_t>((d[at] << 8) | d[at + 1]);
}

std::int16_t S16(std::uint16_t v) {
    return static_cast<std::int16_t>(v);
}

std::int32_t AreaOf(const xRect& r) {
    return r.IsEmpty() ? 0 : static_cast<std::int32_t>(r.Width()) * r.Height();
}

struct Copy8 {
    static constexpr int kBytes = 1;
    std::uint8_t* out = nullptr;
    void Transparent(std::int32_t n) { out += n; }
    void Opaque(const std::uint8_t* s, std::int32_t n) {
        std::memcpy(out, s, static_cast<std::size_t>(n));
        out += n;
    }
};

struct Copy24 {
    static constexpr int kBytes = 3;
    std::uint8_t* out = nullptr;
    const std::uint8_t* bgr = nullptr;
    void Transparent(std::int32_t n) { out += 3 * n; }
    void Opaque(const std::uint8_t* s, std::int32_t n) {
        for (std::int32_t i = 0; i < n; ++i, out += 3) {
            const std::uint8_t* c = bgr + 3 * static_cast<std::size_t>(s[i]);
            out[0] = c[0];
            out[1] = c[1];
            out[2] = c[2];
        }
    }
};

}  // namespace

xOffsetStrip::~xOffsetStrip() {
    Unload();
}

void xOffsetStrip::Unload() {
    data_.clear();
    words_.clear();
    images_.clear();
    slotBase_ = 0;
    slotWords_ = 0;
    celCount_ = 0;
    opaqueCount_ = 0;
    animBoundsKnown_ = false;
    sizeKnown_ = false;
    animBounds_ = xRect();
    size_ = xRect();
}

bool xOffsetStrip::LoadData(std::span<const std::uint8_t> data, xArtStrip* secondary) {
    Unload();
    if (!Parse(data, secondary)) {
        xThrow(kErrResourceFile);
        return false;
    }
    return true;
}

void xOffsetStrip::Load(xSimpleResFile& reader, std::int32_t id, std::uint16_t, xArtStrip* secondary) {
    Unload();
    std::uint8_t* data = reader.LoadResource(MakeFourCC("off4"), id, xSimpleResFile::kAnyFile);
    if (data == nullptr) {
        return;
    }
    // The block is freed before any raise, which would unwind past it.
    const bool ok = Parse(std::span<const std::uint8_t>(data, ResDataSize(data)), secondary);
    ResDataFree(data);
    if (!ok) {
        xThrow(kErrResourceFile);
    }
}

bool xOffsetStrip::Parse(std::span<const std::uint8_t> data, xArtStrip* secondary) {
    const auto fail = [this] {
        Unload();
        return false;
    };
    const std::size_t size = data.size();
    if (size < 14) {
        return fail();
    }
    const std::uint32_t frameBytes = Be32(data, 0);
    if (frameBytes % 2 != 0 || frameBytes < 10 || static_cast<std::uint64_t>(frameBytes) + 4 > size) {
        return fail();
    }
    const std::uint32_t n = frameBytes / 2;
    std::vector<std::uint16_t> words(n + 2);
    for (std::uint32_t i = 0; i < n + 2; ++i) {
        words[i] = Be16(data, 2 * static_cast<std::size_t>(i));
    }
    const std::uint32_t slotWords = words[3];
    const std::uint32_t cels = words[4];
    if (5 + cels > n) {
        return fail();
    }
    const auto slotFits = [&](std::uint32_t slot) {
        const std::uint64_t start = 5 + cels + static_cast<std::uint64_t>(slot - 1) * slotWords;
        return slot >= 1 && slotWords >= 6 && start + slotWords <= n;
    };
    for (std::uint32_t c = 1; c <= cels; ++c) {
        const std::uint32_t slot = words[4 + c];
        if (slot == 0) {
            continue;
        }
        if (!slotFits(slot)) {
            return fail();
        }
        const std::uint32_t start = 5 + cels + (slot - 1) * slotWords;
        const std::uint32_t parts = words[start + 5];
        const std::uint32_t partSlot = words[start];
        if (parts > kMaxParts || 6 + 6 * parts > slotWords || (partSlot != 0 && !slotFits(partSlot))) {
            return fail();
        }
    }
    const std::uint32_t imageCount = words[n];
    const std::uint32_t opaqueCount = words[n + 1];
    const std::uint64_t tableEnd = static_cast<std::uint64_t>(frameBytes) + 4 + 8ULL * imageCount;
    if (opaqueCount > imageCount || tableEnd > size) {
        return fail();
    }
    std::vector<Image> images(imageCount);
    for (std::uint32_t i = 0; i < imageCount; ++i) {
        const std::size_t at = frameBytes + 4 + 8 * static_cast<std::size_t>(i);
        Image& image = images[i];
        image.offset = Be32(data, at);
        image.width = Be16(data, at + 4);
        image.height = Be16(data, at + 6);
        if (image.width > OffsetRunDecoder::kMaxWidth ||
            static_cast<std::uint64_t>(image.offset) + 3 > size) {
            return fail();
        }
    }
    data_.assign(data.begin(), data.end());
    words_ = std::move(words);
    images_ = std::move(images);
    slotWords_ = static_cast<std::uint16_t>(slotWords);
    celCount_ = static_cast<std::uint16_t>(cels);
    opaqueCount_ = static_cast<std::uint16_t>(opaqueCount);
    slotBase_ = 5 + cels;
    secondary_ = secondary;
    return true;
}

std::int32_t xOffsetStrip::SlotStart(std::int16_t cel) const {
    if (cel < 1 || cel > celCount_) {
        return -1;
    }
    const std::uint32_t slot = words_[4 + static_cast<std::uint32_t>(cel)];
    if (slot == 0) {
        return -1;
    }
    return static_cast<std::int32_t>(slotBase_ + (slot - 1) * slotWords_);
}

xRect xOffsetStrip::GetCelSize(std::int16_t cel) {
    const std::int32_t start = SlotStart(cel);
    if (start < 0) {
        return xRect();
    }
    const std::uint16_t* w = words_.data() + start;
    return xRect(S16(w[1]), S16(w[2]), S16(w[3]), S16(w[4]));
}

xRect xOffsetStrip::GetAnimRect(std::int16_t cel) {
    return GetCelSize(cel);
}

xRect xOffsetStrip::GetSize() {
    if (!sizeKnown_) {
        size_ = xRect();
        for (int c = 0; c <= celCount_; ++c) {
            size_.UnionWith(GetCelSize(static_cast<std::int16_t>(c)));
        }
        sizeKnown_ = true;
    }
    return size_;
}

bool xOffsetStrip::HasCel(std::int16_t cel) {
    return SlotStart(cel) >= 0;
}

xRect xOffsetStrip::GetAnimInfo(std::int16_t image) const {
    if (!HasAnim(image)) {
        return xRect();
    }
    const Image& i = images_[static_cast<std::size_t>(image - 1)];
    return xRect(0, 0, i.width, i.height);
}

xRect xOffsetStrip::GetAnimBounds() {
    if (!animBoundsKnown_) {
        animBounds_ = xRect();
        for (int i = 0; i <= GetAnimCount(); ++i) {
            animBounds_.UnionWith(GetAnimInfo(static_cast<std::int16_t>(i)));
        }
        animBoundsKnown_ = true;
    }
    return animBounds_;
}

const xOffsetStrip::CelParts* xOffsetStrip::GetCelParts(std::int16_t cel, xPoint at, std::uint16_t mirror) {
    const std::int32_t start = SlotStart(cel);
    if (start < 0) {
        return nullptr;
    }
    toggle_ ^= 1;
    CelParts& buffer = buffers_[toggle_];
    const std::uint16_t* head = words_.data() + start;
    buffer.partSlot = head[0];
    buffer.rect = xRect(S16(head[1]), S16(head[2]), S16(head[3]), S16(head[4]));
    buffer.count = head[5];
    const std::uint16_t* list =
        buffer.partSlot != 0 ? words_.data() + slotBase_ + (buffer.partSlot - 1U) * slotWords_ : head;
    for (int i = 0; i < buffer.count; ++i) {
        const std::uint16_t* p = list + 6 + 6 * i;
        buffer.parts[static_cast<std::size_t>(i)] =
            Part{p[0], xRect(S16(p[1]), S16(p[2]), S16(p[3]), S16(p[4])), S16(p[5])};
    }
    buffer.rect.OffsetBy(at.x, at.y);
    const int width = buffer.rect.Width();
    const int height = buffer.rect.Height();
    for (int i = 0; i < buffer.count; ++i) {
        xRect& r = buffer.parts[static_cast<std::size_t>(i)].rect;
        // A mirrored part is reflected within the cel rectangle; hidden parts
        // too, so that their dirty area lies where the part would be.
        if ((mirror & kMirror) != 0) {
            r = xRect(width - r.right, r.top, width - r.left, r.bottom);
        }
        if ((mirror & kFlip) != 0) {
            r = xRect(r.left, height - r.bottom, r.right, height - r.top);
        }
        r.OffsetBy(at.x, at.y);
    }
    return &buffer;
}

bool xOffsetStrip::IsLayerHidden(int layer) const {
    return layer >= 1 && layer <= kLayers && layerHidden_[static_cast<std::size_t>(layer - 1)] != 0;
}

void xOffsetStrip::HideLayer(int layer) {
    if (layer == 0) {
        layerHidden_.fill(1);
    } else if (layer >= 1 && layer <= kLayers) {
        layerHidden_[static_cast<std::size_t>(layer - 1)] = 1;
    }
}

void xOffsetStrip::ShowLayer(int layer) {
    if (layer == 0) {
        layerHidden_.fill(0);
    } else if (layer >= 1 && layer <= kLayers) {
        layerHidden_[static_cast<std::size_t>(layer - 1)] = 0;
    }
}

namespace {

std::uint16_t EffectiveFlags(std::uint16_t partFlags, std::uint16_t flags) {
    std::uint16_t f = static_cast<std::uint16_t>((partFlags ^ flags) & xOffsetStrip::kPartMirrorBits);
    if ((partFlags & xOffsetStrip::kPartHidden) != 0) {
        f |= xArtStrip::kDoNotDraw;
    }
    return f;
}

}  // namespace

void xOffsetStrip::Draw(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                        std::int32_t extra) {
    const CelParts* parts = GetCelParts(cel, xPoint{place.left, place.top}, flags & kPartMirrorBits);
    if (parts == nullptr) {
        return;
    }
    for (int i = 0; i < parts->count; ++i) {
        const Part& p = parts->parts[static_cast<std::size_t>(i)];
        if (IsLayerHidden(LayerOf(p.flags))) {
            continue;
        }
        const std::uint16_t f = EffectiveFlags(p.flags, flags);
        if ((p.flags & kPartSecondary) != 0) {
            if (secondary_ != nullptr) {
                secondary_->Draw(canvas, p.rect, p.number, f, extra);
            }
        } else {
            DrawCel(canvas, p.rect, p.number, canvas.GetBounds(), f, extra);
        }
    }
}

void xOffsetStrip::DrawClipped(xCanvas& canvas, const xRect& place, std::int16_t cel, std::uint16_t flags,
                               std::int32_t extra, const xSpriteRegion& region) {
    const CelParts* parts = GetCelParts(cel, xPoint{place.left, place.top}, flags & kPartMirrorBits);
    if (parts == nullptr) {
        return;
    }
    for (int i = 0; i < parts->count; ++i) {
        const Part& p = parts->parts[static_cast<std::size_t>(i)];
        if (IsLayerHidden(LayerOf(p.flags)) || (p.flags & kPartHidden) != 0) {
            continue;
        }
        const std::uint16_t f = EffectiveFlags(p.flags, flags);
        if ((p.flags & kPartSecondary) != 0) {
            if (secondary_ != nullptr) {
                secondary_->DrawClipped(canvas, p.rect, p.number, f, extra, region);
            }
        } else {
            DrawPart(canvas, p.rect, p.number, f, extra, region);
        }
    }
}

void xOffsetStrip::AddDirtyArea(xSpriteRegion& region, const xRect& place, std::int16_t cel,
                                std::uint16_t flags, std::int32_t extra) {
    const CelParts* parts = GetCelParts(cel, xPoint{place.left, place.top}, flags & kPartMirrorBits);
    if (parts == nullptr) {
        return;
    }
    for (int i = 0; i < parts->count; ++i) {
        const Part& p = parts->parts[static_cast<std::size_t>(i)];
        const std::uint16_t f = EffectiveFlags(p.flags, flags);
        if ((p.flags & kPartSecondary) != 0) {
            if (secondary_ != nullptr) {
                secondary_->AddDirtyArea(region, p.rect, p.number, f, extra);
            }
        } else {
            AddAnimDirtyArea(region, p.rect, p.number, f, extra);
        }
    }
}

void xOffsetStrip::AddChangedArea(xSpriteRegion& region, const xRect& place, std::int16_t cel,
                                  std::uint16_t flags, std::int32_t extra, const xRect& otherPlace,
                                  std::int16_t otherCel, std::uint16_t otherFlags, std::int32_t otherExtra) {
    const CelParts* a = GetCelParts(cel, xPoint{place.left, place.top}, flags & kPartMirrorBits);
    if (a == nullptr) {
        return;
    }
    const CelParts* b =
        GetCelParts(otherCel, xPoint{otherPlace.left, otherPlace.top}, otherFlags & kPartMirrorBits);
    if (b == nullptr) {
        AddDirtyArea(region, place, cel, flags, extra);
        return;
    }
    if (secondary_ != nullptr) {
        for (int j = 0; j < b->count; ++j) {
            const Part& q = b->parts[static_cast<std::size_t>(j)];
            if ((q.flags & kPartSecondary) != 0) {
                secondary_->PrepareCel(region, q.rect, q.number, EffectiveFlags(q.flags, otherFlags),
                                       otherExtra);
            }
        }
    }
    for (int i = 0; i < a->count; ++i) {
        const Part& p = a->parts[static_cast<std::size_t>(i)];
        const Part* match = nullptr;
        for (int k = 0; k < b->count; ++k) {
            const Part& q = b->parts[static_cast<std::size_t>((i + k) % b->count)];
            if (LayerOf(q.flags) == LayerOf(p.flags)) {
                match = &q;
                break;
            }
        }
        const std::uint16_t f = EffectiveFlags(p.flags, flags);
        const bool ownPart = (p.flags & kPartSecondary) == 0;
        const bool matchOwn = match != nullptr && (match->flags & kPartSecondary) == 0;
        const bool matchSecondary = match != nullptr && !matchOwn;
        if (ownPart) {
            if (matchOwn) {
                AddAnimChangedArea(region, p.rect, p.number, f, extra, match->rect, match->number,
                                   EffectiveFlags(match->flags, otherFlags), otherExtra);
            } else {
                AddAnimDirtyArea(region, p.rect, p.number, f, extra);
            }
        } else if (secondary_ != nullptr) {
            if (matchSecondary) {
                secondary_->AddChangedArea(region, p.rect, p.number, f, extra, match->rect, match->number,
                                           EffectiveFlags(match->flags, otherFlags), otherExtra);
            } else {
                secondary_->AddDirtyArea(region, p.rect, p.number, f, extra);
            }
        }
    }
}

void xOffsetStrip::AddPartAreas(xSpriteRegion& region, std::int16_t cel) {
    const CelParts* parts = GetCelParts(cel, xPoint{}, 0);
    if (parts == nullptr) {
        return;
    }
    for (int i = 0; i < parts->count; ++i) {
        region.Add(parts->parts[static_cast<std::size_t>(i)].rect, xSpriteRegion::kExactBudget,
                   xSpriteRegion::kExactDepth);
    }
}

void xOffsetStrip::AddAnimDirtyArea(xSpriteRegion& region, const xRect& target, std::int16_t, std::uint16_t,
                                    std::int32_t) {
    region.Add(target, xSpriteRegion::kStripBudget, xSpriteRegion::kStripDepth);
}

void xOffsetStrip::AddAnimChangedArea(xSpriteRegion& region, const xRect& target, std::int16_t image,
                                      std::uint16_t flags, std::int32_t extra, const xRect& otherTarget,
                                      std::int16_t otherImage, std::uint16_t otherFlags,
                                      std::int32_t otherExtra) {
    if (target == otherTarget && image == otherImage && flags == otherFlags && extra == otherExtra) {
        return;
    }
    AddAnimDirtyArea(region, target, image, flags, extra);
}

std::int16_t xOffsetStrip::GetRunLength(std::int16_t cel) {
    int n = 0;
    while (n <= celCount_ && HasCel(static_cast<std::int16_t>(cel + n))) {
        ++n;
    }
    return static_cast<std::int16_t>(n);
}

int xOffsetStrip::FindPartOfKind(std::int16_t cel, int kind) {
    const std::int32_t start = SlotStart(cel);
    if (start < 0) {
        return 0;
    }
    const std::uint16_t* head = words_.data() + start;
    const std::uint16_t* list = head[0] != 0 ? words_.data() + slotBase_ + (head[0] - 1U) * slotWords_ : head;
    for (int i = 0; i < head[5]; ++i) {
        const std::uint16_t f = list[6 + 6 * i];
        if (KindOf(f) == kind) {
            return LayerOf(f);
        }
    }
    return 0;
}

void xOffsetStrip::DrawPart(xCanvas& canvas, const xRect& target, std::int16_t image, std::uint16_t flags,
                            std::int32_t extra, const xSpriteRegion& region) {
    xBigSpriteRegion work(region);
    work.ClipTo(target);
    // Nothing of the part lies in the region: drawing it would paint over
    // sprites above it that are not redrawn this pass.
    if (work.IsEmpty()) {
        return;
    }
    std::int32_t area = 0;
    xRect bounds;
    for (int i = 0; i < work.GetCount(); ++i) {
        area += AreaOf(work.GetRect(i));
        bounds.UnionWith(work.GetRect(i));
    }
    if (work.GetCount() <= 2 && area < AreaOf(target) / 2) {
        for (int i = 0; i < work.GetCount(); ++i) {
            DrawCel(canvas, target, image, work.GetRect(i), flags, extra);
        }
        return;
    }
    DrawCel(canvas, target, image, bounds, flags, extra);
}

template <typename Pixel>
void xOffsetStrip::DrawDirect(const xRect& target, const xRect& inter, const Image& image,
                              std::uint8_t* const* rows, Pixel& pixel) {
    const int w = image.width;
    const int width = inter.Width();
    decoder_.Skip(inter.left - target.left);
    decoder_.Skip(static_cast<std::int64_t>(inter.top - target.top) * w);
    for (int y = inter.top; y < inter.bottom; ++y) {
        decoder_.BeforeRow(w);
        pixel.out = rows[y] + static_cast<std::ptrdiff_t>(Pixel::kBytes) * inter.left;
        decoder_.Walk(width, pixel);
        decoder_.Skip(w - width);
    }
}

void xOffsetStrip::DrawSpan(xCanvas& canvas, const xRect& target, const xRect& clip, const Image& image,
                            std::uint16_t flags) {
    auto& mix = static_cast<xMixCanvas&>(canvas);
    const int w = image.width;
    xMixCanvas::Span span;
    int advance =
        mix.BeginSpan(target, clip, static_cast<std::int16_t>(w), static_cast<std::int16_t>(image.height),
                      flags & kPartMirrorBits, rowBuffer_.data(), span);
    // NextSpan answers 0xFFFF when the transfer is complete; that is no row count.
    while (advance > 0 && advance != 0xFFFF) {
        decoder_.BeforeRow(w);
        if (advance == 1) {
            std::memset(rowBuffer_.data(), 0, static_cast<std::size_t>(w));
            decoder_.Copy(rowBuffer_.data(), w);
            advance = mix.NextSpan(span);
        } else {
            decoder_.Skip(w);
            --advance;
        }
    }
}

void xOffsetStrip::DrawCel(xCanvas& canvas, const xRect& target, std::int16_t image, const xRect& clip,
                           std::uint16_t flags, std::int32_t) {
    if ((flags & kDoNotDraw) != 0 || !HasAnim(image)) {
        return;
    }
    auto* mix = dynamic_cast<xMixCanvas*>(&canvas);
    if (mix == nullptr || mix->GetRows().empty()) {
        return;
    }
    const int depth = mix->GetDepth();
    if (depth != 8 && depth != 24) {
        throw 0;
    }
    const Image& img = images_[static_cast<std::size_t>(image - 1)];
    if (img.width == 0 || img.height == 0) {
        return;
    }
    xRect inter;
    if (!xRect::Intersect(target, clip, inter) || !inter.IntersectWith(mix->GetBounds())) {
        return;
    }
    // Images above the opaque count are meant to be blended through a table
    // that nothing supplies; they are drawn opaque.
    decoder_.Start(std::span<const std::uint8_t>(data_).subspan(img.offset));
    if ((flags & kPartMirrorBits) == 0 && target.Width() == img.width && target.Height() == img.height) {
        std::uint8_t* const* rows = mix->GetRows().data();
        if (depth == 8) {
            Copy8 pixel;
            DrawDirect(target, inter, img, rows, pixel);
        } else {
            std::array<std::uint8_t, 768> bgr{};
            const WinScreenCanvas* screen = mix->GetScreen();
            const xPalette& palette = screen != nullptr ? screen->GetScreenPalette() : xPalette::Default();
            for (int i = 0; i < 256; ++i) {
                xRGB c;
                palette.GetEntry(c, static_cast<std::uint8_t>(i));
                bgr[static_cast<std::size_t>(i) * 3] = c.blue;
                bgr[static_cast<std::size_t>(i) * 3 + 1] = c.green;
                bgr[static_cast<std::size_t>(i) * 3 + 2] = c.red;
            }
            Copy24 pixel;
            pixel.bgr = bgr.data();
            DrawDirect(target, inter, img, rows, pixel);
        }
        return;
    }
    DrawSpan(canvas, target, inter, img, flags);
}
