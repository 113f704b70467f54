#include "media/Animation.h"

#include "media/AnimationMsgs.h"
#include "media/AnimationResource.h"
#include "media/AnimationService.h"
#include "media/OffsetStripResource.h"
#include "media/PictureStrip.h"
#include "media/TextStrip.h"

#include "framework/xMsgResourceLockRequest.h"
#include "framework/xMsgResourceUnlockRequest.h"
#include "resource/ResourceService.h"

#include "framework/StoppingMsg.h"
#include "framework/UIRoot.h"

#include <algorithm>
#include <typeinfo>

namespace {

AnimationService* ServiceOfRoot(UI* node) {
    auto* root = dynamic_cast<UIRoot*>(node->GetRoot());
    return root != nullptr ? dynamic_cast<AnimationService*>(root->GetAnimationService()) : nullptr;
}

OffsetStripResource* FindStrip(std::int32_t resourceId) {
    ResourceService* resources = ResourceService::Instance();
    if (resources == nullptr) return nullptr;
    return dynamic_cast<OffsetStripResource*>(
        resources->GetEntryResource(resources->FindById(resourceId, "off4")));
}

}  // namespace

Animation::Animation(UI* parent, std::int32_t resourceId, std::int32_t animationNumber,
                     AnimationService* service)
    : ProcessNode(parent), parent_(parent) {
    ownResource_ = std::make_unique<AnimationResource>(FindStrip(resourceId), animationNumber, kFrameRate);
    resource_ = ownResource_.get();
    Register(parent, service);
}

Animation::Animation(UI* parent, AnimationResource* resource, AnimationService* service)
    : ProcessNode(parent), parent_(parent), resource_(resource) {
    Register(parent, service);
}

void Animation::Register(UI* parent, AnimationService* service) {
    service_ = service != nullptr ? service : ServiceOfRoot(this);
    if (service_ == nullptr) throw 0;
    service_->AddAnimation(this, resource_);
    AddReceiver(parent);
}

Animation::~Animation() {
    if (service_ != nullptr && service_->HasAnimation(this)) service_->RemoveAnimation(this);
    ownResource_.reset();
    if (HasReceiver(parent_)) RemoveReceiver(parent_);
}

void Animation::Start() {
    ProcessNode::Start();
    service_->Play(this);
}

void Animation::Pause() {
    if (IsStarting()) {
        earlyPause_ = true;
        return;
    }
    ProcessNode::Pause();
    service_->Pause(this, 65535);
}

void Animation::Resume() {
    if (IsStarting() && earlyPause_) {
        earlyPause_ = false;
        return;
    }
    ProcessNode::Resume();
    service_->Resume(this);
}

void Animation::Stop() {
    if (IsStarting()) {
        // Its segment has not begun: the service drops it, and the abort that
        // follows completes the stop.
        earlyPause_ = false;
        SetStopping();
        Send(StoppingMsg());
        service_->Stop(this);
        return;
    }
    ProcessNode::Stop();
    service_->Stop(this);
}

void Animation::Redraw() {
    service_->UpdateFromUI(this);
    ProcessNode::Redraw();
}

std::int32_t Animation::Receive(const Msg& msg, MsgSender*) {
    const std::type_info& type = typeid(msg);
    if (type == typeid(AnimationStartedMsg)) {
        NotifyStarted();
    } else if (type == typeid(AnimationRepeatedMsg)) {
        Send(msg);
    } else if (type == typeid(AnimationPausedMsg)) {
        NotifyPaused();
    } else if (type == typeid(AnimationResumedMsg)) {
        NotifyResumed();
    } else if (type == typeid(AnimationStoppedMsg)) {
        NotifyStopped();
    } else if (type == typeid(AnimationQueueAbortedMsg)) {
        Send(msg);
        if (IsStopping()) Stopped();
    } else if (type == typeid(xMsgResourceUnlockRequest)) {
        OnResourceUnlockRequest();
    } else if (type == typeid(xMsgResourceLockRequest)) {
        OnResourceLockRequest();
    }
    return 0;
}

void Animation::NotifyStarted() {
    if (IsStopped()) {
        ProcessNode::Start();
        Started();
    } else if (IsStarting()) {
        Started();
    } else {
        throw 0;
    }
    if (earlyPause_) {
        earlyPause_ = false;
        Pause();
    }
}

void Animation::NotifyPaused() {
    if (IsStarted()) {
        ProcessNode::Pause();
        Paused();
    } else if (IsPausing()) {
        Paused();
    } else {
        throw 0;
    }
}

void Animation::NotifyResumed() {
    if (!IsResuming()) throw 0;
    Resumed();
}

void Animation::NotifyStopped() {
    if (IsStarted() || IsPaused()) {
        ProcessNode::Stop();
        Stopped();
    } else if (IsStopping()) {
        Stopped();
    } else {
        throw 0;
    }
}

void Animation::Refresh() {
    if (!IsStopped()) service_->RefreshCels(this);
}

void Animation::PlayAfter(Animation* previous) {
    service_->PlayAfter(this, previous);
}

bool Animation::IsQueued() {
    return service_->IsQueued(this);
}

void Animation::SetMotion(const xPoint& value, int first, int last) {
    service_->SetMotion(this, value, first, last);
}

void Animation::SetFullMotion(const xPoint& value) {
    service_->SetFullMotion(this, value);
}

xPoint Animation::GetMotion() {
    return service_->GetMotion(this);
}

int Animation::GetMotionFirst() {
    return service_->GetMotionFirst(this);
}

int Animation::GetMotionLast() {
    return service_->GetMotionLast(this);
}

void Animation::SetText(int item, const std::string& text) {
    service_->GetTextStrip()->SetText(item, text.c_str());
    Refresh();
}

void Animation::LoadPictureFromMemory(const void* data, int size) {
    OffsetStripResource* strip = resource_ != nullptr ? resource_->GetStripResource() : nullptr;
    if (strip == nullptr || !strip->GetPictureFlag() || data == nullptr || size <= 0) return;
    service_->GetPictureStrip()->LoadMemory(std::span<const std::uint8_t>(
        static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)));
    Refresh();
}

void Animation::LoadPicture(const std::string& fileName) {
    OffsetStripResource* strip = resource_ != nullptr ? resource_->GetStripResource() : nullptr;
    if (strip == nullptr || !strip->GetPictureFlag()) return;
    service_->GetPictureStrip()->LoadFile(fileName);
    Refresh();
}

void Animation::SetItemColour(int item, const xRGB& colour) {
    TextStripItem* entry = service_->GetTextStrip()->GetItem(item);
    if (entry == nullptr || entry->colours[0] == colour) return;
    service_->GetTextStrip()->SetColour(item, 0, colour);
    Refresh();
}

void Animation::SetItemColourFromPalette(int item, int index) {
    xRGB colour{};
    SetItemColour(item, GetItemPaletteColour(colour, item, index));
}

void Animation::SetItemSecondColour(int item, const xRGB& colour) {
    TextStripItem* entry = service_->GetTextStrip()->GetItem(item);
    if (entry == nullptr || entry->colours[1] == colour) return;
    service_->GetTextStrip()->SetColour(item, 1, colour);
    Refresh();
}

xRGB& Animation::GetItemPaletteColour(xRGB& out, int item, int index) {
    const TextStripItem* entry = service_->GetTextStrip()->GetItem(item);
    out = entry != nullptr && index >= 0 && index < static_cast<int>(entry->colours.size())
              ? entry->colours[static_cast<std::size_t>(index)]
              : xRGB{};
    return out;
}

int Animation::GetTextStripEntry(int first, int index) {
    return service_->GetTextStrip()->GetCaretColumn(first, index);
}

void Animation::SetItemBackColour(int item, const xRGB& colour) {
    TextStripItem* entry = service_->GetTextStrip()->GetItem(item);
    if (entry == nullptr || entry->background == colour) return;
    service_->GetTextStrip()->SetBackground(item, colour, entry->backgroundRect);
    Refresh();
}

void Animation::EndRepeats() {
    service_->EndRepeats(this);
}

bool Animation::IsRepeating() {
    return service_->IsRepeating(this);
}

void Animation::SetFrame(int frame) {
    service_->SetFrame(this, frame);
}

int Animation::GetFrame() {
    return service_->GetFrame(this);
}

void Animation::SetRate(float rate) {
    service_->SetRate(this, rate);
}

float Animation::GetRate() {
    return service_->GetRate(this);
}

void Animation::SetRepeats(int repeats) {
    service_->SetRepeats(this, repeats);
}

int Animation::GetRepeats() {
    return service_->GetRepeats(this);
}

void Animation::SetRepeatForever() {
    service_->SetRepeatForever(this);
}

void Animation::ClearRepeatForever() {
    service_->ClearRepeatForever(this);
}

bool Animation::IsRepeatForever() {
    return service_->IsRepeatForever(this);
}

void Animation::SetHoldAtEnd() {
    service_->SetHoldAtEnd(this);
}

void Animation::ClearHoldAtEnd() {
    service_->ClearHoldAtEnd(this);
}

bool Animation::IsHoldAtEnd() {
    return service_->IsHoldAtEnd(this);
}

void Animation::SetReverse() {
    service_->SetReverse(this);
}

void Animation::ClearReverse() {
    service_->ClearReverse(this);
}

bool Animation::IsReverse() {
    return service_->IsReverse(this);
}

void Animation::SetMask() {
    service_->SetMask(this);
}

void Animation::ClearMask() {
    service_->ClearMask(this);
}

bool Animation::IsMask() {
    return service_->IsMask(this);
}

void Animation::SetBakeAtEnd() {
    service_->SetBakeAtEnd(this);
}

void Animation::ClearBakeAtEnd() {
    service_->ClearBakeAtEnd(this);
}

bool Animation::IsBakeAtEnd() {
    return service_->IsBakeAtEnd(this);
}

int Animation::GetCurrentFrame() {
    return service_->GetCurrentFrame(this);
}

namespace {

// A strip is read only while something plays it, but a control sizes itself
// from its art when it is made, before any of it has played: a measure of a
// strip not read reads it for the moment.
class MeasureRead {
  public:
    explicit MeasureRead(AnimationResource* resource)
        : resource_(resource != nullptr && !resource->GetLoadedFlag() ? resource : nullptr) {
        if (resource_ != nullptr) resource_->Load();
    }
    ~MeasureRead() {
        if (resource_ != nullptr) resource_->Unload();
    }
    MeasureRead(const MeasureRead&) = delete;
    MeasureRead& operator=(const MeasureRead&) = delete;

  private:
    AnimationResource* resource_;
};

}  // namespace

std::int32_t Animation::GetCelCount() {
    const MeasureRead read(resource_);
    return resource_ != nullptr ? resource_->GetCelCount() : 0;
}

xRect& Animation::GetCelRect(xRect& out, std::int32_t cel) {
    if (resource_ == nullptr) return out = xRect();
    const MeasureRead read(resource_);
    return resource_->GetCelSize(out, cel);
}

xRect& Animation::GetCelPartRect(xRect& out, std::int32_t cel, std::int32_t part) {
    if (resource_ == nullptr) return out = xRect();
    const MeasureRead read(resource_);
    return resource_->GetCelInfo(out, cel, part);
}

xRect& Animation::GetCelBounds(xRect& out) {
    if (resource_ == nullptr) return out = xRect();
    const MeasureRead read(resource_);
    return resource_->GetBounds(out);
}

xRect& Animation::GetUnionRect(xRect& out) {
    if (resource_ == nullptr) return out = xRect();
    const MeasureRead read(resource_);
    return resource_->GetUnionRect(out);
}

xRect& Animation::GetCelRectOnScreen(xRect& out, std::int32_t cel) {
    GetCelRect(out, cel);
    const xRect node = UIGetBoundsOnScreen(this);
    out.OffsetBy(node.left, node.top);
    return out;
}

xRect& Animation::GetCelPartRectOnScreen(xRect& out, std::int32_t cel, std::int32_t part) {
    GetCelPartRect(out, cel, part);
    const xRect node = UIGetBoundsOnScreen(this);
    out.OffsetBy(node.left, node.top);
    return out;
}

void Animation::PlaceCelAt(std::int32_t cel, const xPoint& target) {
    xRect at;
    GetCelRectOnScreen(at, cel);
    MoveBy(
        xPoint{static_cast<std::int16_t>(target.x - at.left), static_cast<std::int16_t>(target.y - at.top)});
}

void Animation::PlaceCelPartAt(std::int32_t cel, std::int32_t part, const xPoint& target) {
    xRect at;
    GetCelPartRectOnScreen(at, cel, part);
    MoveBy(
        xPoint{static_cast<std::int16_t>(target.x - at.left), static_cast<std::int16_t>(target.y - at.top)});
}
