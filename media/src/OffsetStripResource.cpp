#include "media/OffsetStripResource.h"

#include "media/AnimationService.h"
#include "media/PictureStrip.h"
#include "media/TextStrip.h"

#include "SrfLookup.h"

#include "resource/ResourceMsgs.h"
#include "resource/SrfResource.h"

#include "framework/UIRoot.h"

#include "divir/xError.h"
#include "divir/xTryFrame.h"

#include <typeinfo>

namespace {

AnimationService* ServiceOf(UIRoot* owner) {
    return owner != nullptr ? dynamic_cast<AnimationService*>(owner->GetAnimationService()) : nullptr;
}

}  // namespace

OffsetStripResource::OffsetStripResource(const std::string& srfName, std::int32_t stripId, UIRoot* owner,
                                         bool pictureFlag)
    : stripId_(stripId), owner_(owner), pictureFlag_(pictureFlag) {
    std::unique_ptr<SrfResource> owned;
    srf_ = media_detail::FindOrMakeSrf(srfName, owned);
    ownsSrf_ = owned != nullptr;
    owned.release();
    srf_->Subscribe(this);
}

OffsetStripResource::~OffsetStripResource() {
    while (Resource::IsLocked()) {
        if (!UnlockAndSurvive()) return;
        srf_->Unlock();
    }
    srf_->Unsubscribe(this);
    reading_ = true;  // the strip's own unload from here on
    XAppOffsetStrip::Unload();
    if (ownsSrf_) delete srf_;
}

void OffsetStripResource::Lock() {
    Resource::Lock();
    srf_->Lock();
}

void OffsetStripResource::Unlock() {
    if (!Resource::IsLocked()) return;
    SrfResource* srf = srf_;
    if (!UnlockAndSurvive()) return;
    srf->Unlock();
    if (reloadPending_ && !IsLocked()) {
        reloadPending_ = false;
        if (loadCount_ > 0) {
            Free();
            Read();
        }
    }
}

bool OffsetStripResource::IsLocked() const {
    return Resource::IsLocked() || srf_->IsLocked();
}

void OffsetStripResource::Load() {
    if (++loadCount_ == 1) Read();
}

void OffsetStripResource::Unload() {
    if (reading_) {
        XAppOffsetStrip::Unload();
        return;
    }
    if (loadCount_ <= 0) return;
    if (--loadCount_ == 0) Free();
}

void OffsetStripResource::Read() {
    loaded_ = false;
    if (!srf_->Exists()) return;
    AnimationService* service = ServiceOf(owner_);
    xArtStrip* secondary = nullptr;
    if (service != nullptr) {
        secondary = pictureFlag_ ? static_cast<xArtStrip*>(service->GetPictureStrip())
                                 : static_cast<xArtStrip*>(service->GetTextStrip());
    }
    reading_ = true;
    const std::int16_t code = xTry([&] {
        xOffsetStrip::Load(*srf_, stripId_, 0, secondary);
        loaded_ = true;
    });
    reading_ = false;
    xErrorCode = 0;
    if (code == kErrResourceMissing) return;
    if (code != 0) throw 0;
}

void OffsetStripResource::Free() {
    if (!loaded_) return;
    AnimationService* service = ServiceOf(owner_);
    if (service != nullptr && service->IsStripNeeded(this)) return;
    reading_ = true;
    XAppOffsetStrip::Unload();
    reading_ = false;
    loaded_ = false;
}

std::int32_t OffsetStripResource::Receive(const Msg& msg, MsgSender*) {
    if (typeid(msg) != typeid(FileUpdatedMsg) || loadCount_ <= 0) return 0;
    if (IsLocked()) {
        reloadPending_ = true;
        return 0;
    }
    Free();
    Read();
    return 0;
}

std::int32_t OffsetStripResource::GetRunLength(std::int32_t cel) {
    if (!loaded_) return 1;
    const std::int16_t run = xOffsetStrip::GetRunLength(static_cast<std::int16_t>(cel));
    return run > 0 ? run : 1;
}

xRect OffsetStripResource::GetCelSize(std::int32_t cel) {
    if (!loaded_) return xRect();
    return XAppOffsetStrip::GetCelSize(static_cast<std::int16_t>(cel));
}
