#include "media/AnimationResource.h"

#include "media/OffsetStripResource.h"

AnimationResource::AnimationResource(OffsetStripResource* strip, std::int32_t firstCel, double frameRate)
    : strip_(strip), firstCel_(firstCel), frameRate_(frameRate) {}

AnimationResource::AnimationResource(const std::string& srfName, std::int32_t stripId, UIRoot* owner,
                                     std::int32_t firstCel, double frameRate)
    : ownStrip_(std::make_unique<OffsetStripResource>(srfName, stripId, owner, false)),
      firstCel_(firstCel),
      frameRate_(frameRate) {
    strip_ = ownStrip_.get();
}

AnimationResource::~AnimationResource() {
    while (Resource::IsLocked()) Unlock();
}

void AnimationResource::Load() {
    if (strip_ != nullptr) strip_->Load();
}

void AnimationResource::Unload() {
    if (strip_ != nullptr) strip_->Unload();
}

bool AnimationResource::IsLoaded() const {
    return strip_ != nullptr && strip_->IsLoaded();
}

bool AnimationResource::GetLoadedFlag() const {
    return strip_ != nullptr && strip_->GetLoadedFlag();
}

void AnimationResource::Lock() {
    Resource::Lock();
    if (strip_ != nullptr) strip_->Lock();
}

void AnimationResource::Unlock() {
    if (!Resource::IsLocked()) return;
    OffsetStripResource* strip = strip_;
    if (!UnlockAndSurvive()) return;
    if (strip != nullptr) strip->Unlock();
}

bool AnimationResource::IsLocked() const {
    return Resource::IsLocked() || (strip_ != nullptr && strip_->IsLocked());
}

std::int32_t AnimationResource::GetCelCount() {
    return strip_ != nullptr ? strip_->GetRunLength(firstCel_) : 1;
}

xRect& AnimationResource::GetCelSize(xRect& out, std::int32_t i) {
    if (i < 0 || i >= GetCelCount()) i = 0;
    out = strip_ != nullptr ? strip_->GetCelSize(firstCel_ + i) : xRect();
    return out;
}

xRect& AnimationResource::GetCelInfo(xRect& out, std::int32_t i, std::int32_t part) {
    if (i < 0 || i >= GetCelCount()) i = 0;
    out = strip_ != nullptr && strip_->GetLoadedFlag()
              ? strip_->GetPartRect(static_cast<std::int16_t>(firstCel_ + i), part)
              : xRect();
    return out;
}

xRect& AnimationResource::GetBounds(xRect& out) {
    out = xRect();
    std::int32_t best = 0;
    const std::int32_t count = GetCelCount();
    for (std::int32_t i = 0; i < count; ++i) {
        xRect cel;
        GetCelSize(cel, i);
        const std::int32_t area = cel.IsEmpty() ? 0 : std::int32_t{cel.Width()} * cel.Height();
        if (area > best) {
            best = area;
            out = cel;
        }
    }
    return out;
}

xRect& AnimationResource::GetUnionRect(xRect& out) {
    out = xRect();
    const std::int32_t count = GetCelCount();
    for (std::int32_t i = 0; i < count; ++i) {
        xRect cel;
        GetCelSize(cel, i);
        if (cel.IsEmpty()) continue;
        if (out.IsEmpty()) {
            out = cel;
        } else {
            out.UnionWith(cel);
        }
    }
    return out;
}
