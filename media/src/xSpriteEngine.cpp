#include "media/xSpriteEngine.h"

#include "media/WinScreenCanvas.h"
#include "media/xArtStrip.h"
#include "media/xCanvas.h"
#include "media/xMixCanvas.h"

#include "divir/xError.h"

#include <algorithm>

namespace {

bool SamePlacement(const xSpriteEngine::Sprite& a, const xSpriteEngine::Sprite& b) {
    return a.cel == b.cel && a.rect == b.rect && a.flags == b.flags && a.extra == b.extra;
}

}  // namespace

xSpriteEngine::xSpriteEngine() = default;

xSpriteEngine::~xSpriteEngine() = default;

void xSpriteEngine::Init(xCanvas* screen, const xRect& area, int depth) {
    screen_ = screen;
    const xRect whole = screen != nullptr ? screen->GetBounds() : xRect();
    screenRect_ = area.IsEmpty() ? whole : area;
    area_ = xRect(0, 0, screenRect_.Width(), screenRect_.Height());
    if (depth == 0) {
        depth = screen != nullptr && screen->GetDepth() > 15 ? 24 : 8;
    }
    auto* winScreen = dynamic_cast<WinScreenCanvas*>(screen);
    mix_ = std::make_unique<xMixCanvas>();
    mix_->Create(winScreen, area_.Width(), area_.Height(), depth);
    background_ = std::make_unique<xMixCanvas>();
    background_->Create(winScreen, area_.Width(), area_.Height(), depth);
    current_ = std::make_unique<std::array<Sprite, kMaxSprites>>();
    previous_ = std::make_unique<std::array<Sprite, kMaxSprites>>();
    mark_ = 0;
    previousCount_ = 0;
    live_ = 0;
    RedrawAll(xRGB{});
}

xSpriteEngine::Sprite* xSpriteEngine::Current(int index) {
    if (!current_ || index < 0 || index >= mark_ ||
        (*current_)[static_cast<std::size_t>(index)].slot == kFree) {
        return nullptr;
    }
    return &(*current_)[static_cast<std::size_t>(index)];
}

const xSpriteEngine::Sprite* xSpriteEngine::GetSprite(int index) const {
    return const_cast<xSpriteEngine*>(this)->Current(index);
}

int xSpriteEngine::AddSprite(xArtStrip* strip, std::int16_t cel, const xRect& rect, std::int16_t depth,
                             std::uint16_t flags, std::int32_t extra) {
    if (!current_ || live_ >= kMaxSprites) {
        xThrow(kErrMemory);
        return -1;
    }
    int index = 0;
    while (index < mark_ && (*current_)[static_cast<std::size_t>(index)].slot != kFree) {
        ++index;
    }
    if (index == mark_) {
        ++mark_;
    }
    Sprite& s = (*current_)[static_cast<std::size_t>(index)];
    s.slot = kAdded;
    s.draw = rect.IsEmpty() ? kDrawn : kRedraw;
    s.cel = cel;
    s.depth = depth;
    s.flags = flags;
    s.extra = extra;
    s.strip = strip;
    s.rect = rect;
    s.own.Clear();
    ++live_;
    return index;
}

void xSpriteEngine::RemoveSprite(int index) {
    Sprite* s = Current(index);
    if (s == nullptr) {
        return;
    }
    s->slot = kFree;
    // Hidden, so that the next pass erases what the sprite last drew.
    s->draw = kHidden;
    s->strip = nullptr;
    --live_;
    while (mark_ > 0 && (*current_)[static_cast<std::size_t>(mark_ - 1)].slot == kFree) {
        --mark_;
    }
}

void xSpriteEngine::DeferRemoveSprite(int index) {
    const auto defer = [](Sprite& s) {
        if (s.slot == kAdded) {
            s.slot = kAddedAndRemoved;
        } else if (s.slot == kLive) {
            s.slot = kRemoved;
        }
    };
    if (index == -1) {
        for (int i = 0; i < mark_; ++i) {
            defer((*current_)[static_cast<std::size_t>(i)]);
        }
    } else if (Sprite* s = Current(index)) {
        defer(*s);
    }
}

void xSpriteEngine::SetSpriteStrip(int index, xArtStrip* strip) {
    if (Sprite* s = Current(index)) {
        s->strip = strip;
    }
}

void xSpriteEngine::SetSpriteCel(int index, std::int16_t cel) {
    if (Sprite* s = Current(index)) {
        s->cel = cel;
    }
}

void xSpriteEngine::SetSpriteRect(int index, const xRect& rect) {
    if (Sprite* s = Current(index)) {
        s->rect = rect;
    }
}

void xSpriteEngine::SetSpriteCelAndRect(int index, std::int16_t cel, const xRect& rect) {
    if (Sprite* s = Current(index)) {
        s->cel = cel;
        s->rect = rect;
    }
}

void xSpriteEngine::SetSpriteDepth(int index, std::int16_t depth) {
    if (Sprite* s = Current(index)) {
        s->depth = depth;
    }
}

void xSpriteEngine::SetSpriteExtra(int index, std::int32_t extra) {
    if (Sprite* s = Current(index)) {
        s->extra = extra;
    }
}

void xSpriteEngine::SetSpriteFlags(int index, std::uint16_t flags) {
    if (Sprite* s = Current(index)) {
        s->flags = flags;
    }
}

void xSpriteEngine::SetSpriteDirty(int index, bool on) {
    if (Sprite* s = Current(index)) {
        if (on) {
            s->draw = std::max<std::uint8_t>(s->draw, kRedraw);
        } else if (s->draw > kDrawn) {
            s->draw = kDrawn;
        }
    }
}

void xSpriteEngine::SetSpriteVisible(int index, bool on) {
    if (Sprite* s = Current(index)) {
        if (!on) {
            s->draw = kHidden;
        } else if (s->draw == kHidden) {
            s->draw = kRedraw;
        }
    }
}

void xSpriteEngine::MarkSpriteMoved(int index) {
    if (Sprite* s = Current(index); s != nullptr && s->draw == kDrawn) {
        s->draw = kChangedInPlace;
    }
}

void xSpriteEngine::MarkBake(int index) {
    const auto mark = [](Sprite& s) {
        if (s.slot != kFree && s.draw != kHidden) {
            s.draw = kRedrawAndBake;
        }
    };
    if (index == -1) {
        for (int i = 0; i < mark_; ++i) {
            mark((*current_)[static_cast<std::size_t>(i)]);
        }
    } else if (Sprite* s = Current(index)) {
        mark(*s);
    }
}

void xSpriteEngine::FillBackground() {
    background_->BeginDraw(nullptr);
    background_->ResetState();
    background_->SetColor(colour_);
    background_->FillRect(background_->GetBounds());
    background_->EndDraw(nullptr);
    fillPending_ = false;
}

void xSpriteEngine::DrawIntoBackground(Sprite& s) {
    if (!background_ || s.strip == nullptr) {
        return;
    }
    if (fillPending_) {
        FillBackground();
    }
    s.strip->Draw(*background_, s.rect, s.cel, s.flags, s.extra);
}

void xSpriteEngine::BakeSprite(int index) {
    const auto bake = [this](Sprite& s) {
        if (s.slot == kFree || s.strip == nullptr) {
            return;
        }
        DrawIntoBackground(s);
        fillPending_ = false;
        s.own.Clear();
        s.strip->AddDirtyArea(s.own, s.rect, s.cel, s.flags, s.extra);
        s.own.ClipTo(area_);
        working_.AddRegion(s.own, xSpriteRegion::kEngineBudget, xSpriteRegion::kEngineDepth);
    };
    if (index != -1) {
        if (Sprite* s = Current(index)) {
            bake(*s);
        }
        return;
    }
    int n = 0;
    for (int i = 0; i < mark_; ++i) {
        if ((*current_)[static_cast<std::size_t>(i)].slot != kFree) {
            order_[static_cast<std::size_t>(n++)] = static_cast<std::uint16_t>(i);
        }
    }
    std::stable_sort(order_.begin(), order_.begin() + n, [this](std::uint16_t a, std::uint16_t b) {
        return (*current_)[a].depth < (*current_)[b].depth;
    });
    for (int k = 0; k < n; ++k) {
        bake((*current_)[order_[static_cast<std::size_t>(k)]]);
    }
}

bool xSpriteEngine::UsesStrip(const xArtStrip* strip) const {
    if (!current_ || strip == nullptr) {
        return false;
    }
    for (int i = 0; i < mark_; ++i) {
        const Sprite& s = (*current_)[static_cast<std::size_t>(i)];
        if (s.slot != kFree && s.strip == strip) {
            return true;
        }
    }
    for (int i = 0; i < previousCount_; ++i) {
        const Sprite& s = (*previous_)[static_cast<std::size_t>(i)];
        if (s.slot != kFree && s.strip == strip) {
            return true;
        }
    }
    return false;
}

void xSpriteEngine::InvalidateAll() {
    working_.Add(area_, xSpriteRegion::kStripBudget, xSpriteRegion::kStripDepth);
}

void xSpriteEngine::BeginMask() {
    working_.Clear();
    maskRegion_.Clear();
    mask_ = true;
}

void xSpriteEngine::EndMask() {
    mask_ = false;
}

xMixCanvas* xSpriteEngine::GetBackgroundCanvas() {
    fillPending_ = false;
    return background_.get();
}

void xSpriteEngine::RedrawAll(const xRGB& colour) {
    InvalidateAll();
    colour_ = colour;
    if (background_) {
        FillBackground();
    }
    fillPending_ = true;
}

void xSpriteEngine::Reset() {
    fillPending_ = false;
    if (background_ && mix_) {
        background_->BlitFromOther(area_, *mix_, area_);
    }
    for (int i = 0; i < previousCount_; ++i) {
        Sprite& s = (*previous_)[static_cast<std::size_t>(i)];
        if (s.slot != kFree && s.draw == kDrawn) {
            s.draw = kHidden;
        }
    }
}

void xSpriteEngine::Update() {
    if (!mix_) {
        return;
    }
    AccumulateMask();
    CollectChanges();
    EraseDirty();
    PrepareSprites();
    MarkChanged();
    SortByDepth();
    Compose();
    ApplyMask();
    BlitToScreen();
    ClearRegion();
    SavePrevious();
}

void xSpriteEngine::AccumulateMask() {
    if (mask_) {
        maskRegion_.AddRegion(working_, xSpriteRegion::kExactBudget, xSpriteRegion::kExactDepth);
    }
}

void xSpriteEngine::CollectChanges() {
    working_.ClipTo(area_);
    for (int i = 0; i < previousCount_; ++i) {
        Sprite& old = (*previous_)[static_cast<std::size_t>(i)];
        if (old.slot == kFree || old.draw != kDrawn) {
            continue;
        }
        Sprite& now = (*current_)[static_cast<std::size_t>(i)];
        if ((now.slot == kLive || now.slot == kRemoved) && now.draw == kDrawn) {
            if (now.depth == old.depth && now.strip == old.strip) {
                if (!SamePlacement(now, old)) {
                    now.draw = now.strip != nullptr && (now.flags & xArtStrip::kInPlace) != 0
                                   ? kChangedInPlace
                                   : kRedraw;
                }
            } else {
                now.draw = kRedraw;
            }
        }
        if (now.draw == kChangedInPlace) {
            if (old.strip == nullptr || now.strip != old.strip) {
                now.draw = kRedraw;
            } else {
                old.own.Clear();
                old.strip->AddChangedArea(old.own, old.rect, old.cel, old.flags, old.extra, now.rect, now.cel,
                                          now.flags, now.extra);
                old.own.ClipTo(area_);
                old.own.Normalise();
            }
        } else if (now.draw == kDrawn && (now.slot == kLive || now.slot == kRemoved)) {
            continue;
        }
        working_.AddRegion(old.own, xSpriteRegion::kEngineBudget, xSpriteRegion::kEngineDepth);
    }
    working_.Normalise();
}

void xSpriteEngine::EraseDirty() {
    if (background_ && !fillPending_) {
        for (int i = 0; i < working_.GetCount(); ++i) {
            mix_->BlitFromOther(working_.GetRect(i), *background_, working_.GetRect(i));
        }
        return;
    }
    mix_->BeginDraw(nullptr);
    mix_->ResetState();
    mix_->SetColor(colour_);
    for (int i = 0; i < working_.GetCount(); ++i) {
        mix_->FillRect(working_.GetRect(i));
    }
    mix_->EndDraw(nullptr);
}

void xSpriteEngine::PrepareSprites() {
    for (int i = 0; i < mark_; ++i) {
        Sprite& s = (*current_)[static_cast<std::size_t>(i)];
        // A sprite added and removed in the same pass is never drawn.
        if (s.slot == kFree || s.slot == kAddedAndRemoved || s.draw == kHidden || s.strip == nullptr) {
            continue;
        }
        // A sprite added with an empty rectangle waits to be given one.
        if (s.slot == kAdded && !s.rect.IsEmpty()) {
            s.draw = std::max<std::uint8_t>(s.draw, kRedraw);
        }
        const Sprite* old = i < previousCount_ ? &(*previous_)[static_cast<std::size_t>(i)] : nullptr;
        if (s.draw == kChangedInPlace && (old == nullptr || old->slot == kFree || old->strip != s.strip)) {
            s.draw = kRedraw;
        }
        if (s.draw == kChangedInPlace) {
            s.own.Clear();
            s.strip->AddChangedArea(s.own, s.rect, s.cel, s.flags, s.extra, old->rect, old->cel, old->flags,
                                    old->extra);
        } else if (s.draw >= kRedraw) {
            s.own.Clear();
            s.strip->AddDirtyArea(s.own, s.rect, s.cel, s.flags, s.extra);
        } else {
            continue;
        }
        s.own.ClipTo(area_);
        s.own.Normalise();
        working_.AddRegion(s.own, xSpriteRegion::kEngineBudget, xSpriteRegion::kEngineDepth);
        if (s.draw == kChangedInPlace) {
            s.strip->AddDirtyArea(s.own, s.rect, s.cel, s.flags, s.extra);
            s.own.ClipTo(area_);
            s.own.Normalise();
        }
        if (s.draw == kRedrawAndBake) {
            s.own.Clear();
        }
    }
    working_.Normalise();
}

void xSpriteEngine::MarkChanged() {
    for (int i = 0; i < mark_; ++i) {
        Sprite& s = (*current_)[static_cast<std::size_t>(i)];
        if (s.slot != kFree && s.slot != kAddedAndRemoved && s.draw == kDrawn &&
            working_.MeetsRegion(s.own)) {
            s.draw = kRedraw;
        }
    }
}

void xSpriteEngine::SortByDepth() {
    if (mark_ <= 1) {
        order_[0] = 0;
        return;
    }
    for (int i = 0; i < mark_; ++i) {
        const Sprite& s = (*current_)[static_cast<std::size_t>(i)];
        std::int32_t key = s.depth;
        if (s.slot != kFree && s.draw >= kChangedInPlace) {
            key -= 65536;
        }
        keys_[static_cast<std::size_t>(i)] = key;
        order_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i);
    }
    std::make_heap(order_.begin(), order_.begin() + mark_,
                   [this](std::uint16_t a, std::uint16_t b) { return keys_[a] < keys_[b]; });
    std::sort_heap(order_.begin(), order_.begin() + mark_,
                   [this](std::uint16_t a, std::uint16_t b) { return keys_[a] < keys_[b]; });
}

void xSpriteEngine::Compose() {
    for (int k = 0; k < mark_; ++k) {
        Sprite& s = (*current_)[order_[static_cast<std::size_t>(k)]];
        if (s.slot == kFree || s.draw < kChangedInPlace) {
            break;
        }
        if (s.slot == kAddedAndRemoved) {
            continue;
        }
        if (s.strip != nullptr) {
            if (s.draw == kChangedInPlace) {
                s.strip->DrawClipped(*mix_, s.rect, s.cel, s.flags, s.extra, working_);
            } else {
                s.strip->Draw(*mix_, s.rect, s.cel, s.flags, s.extra);
            }
            if (s.draw == kRedrawAndBake) {
                DrawIntoBackground(s);
            }
        }
        s.draw = kDrawn;
    }
}

void xSpriteEngine::ApplyMask() {
    if (mask_) {
        scratch_ = working_;
        working_.IntersectInto(scratch_, maskRegion_);
    }
}

void xSpriteEngine::BlitToScreen() {
    if (screen_ == nullptr || !blitting_) {
        return;
    }
    for (int i = 0; i < working_.GetCount(); ++i) {
        const xRect& r = working_.GetRect(i);
        screen_->BlitFromOther(r.Offset(xPoint{screenRect_.left, screenRect_.top}), *mix_, r);
    }
}

void xSpriteEngine::ClearRegion() {
    working_.Clear();
}

void xSpriteEngine::SavePrevious() {
    const int count = mark_;
    for (int i = 0; i < count; ++i) {
        (*previous_)[static_cast<std::size_t>(i)] = (*current_)[static_cast<std::size_t>(i)];
    }
    for (int i = count; i < previousCount_; ++i) {
        (*previous_)[static_cast<std::size_t>(i)].slot = kFree;
    }
    previousCount_ = count;
    for (int i = 0; i < count; ++i) {
        Sprite& s = (*current_)[static_cast<std::size_t>(i)];
        if (s.slot == kRemoved || s.slot == kAddedAndRemoved) {
            RemoveSprite(i);
        } else if (s.slot == kAdded) {
            s.slot = kLive;
        }
    }
}
