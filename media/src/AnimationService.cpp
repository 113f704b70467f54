#include "media/AnimationService.h"

#include "media/Animation.h"
#include "media/AnimationMsgs.h"
#include "media/AnimationResource.h"
#include "media/OffsetStripResource.h"
#include "media/PictureStrip.h"
#include "media/ScreenRootCanvas.h"
#include "media/SegmentStateMsg.h"
#include "media/TextStrip.h"
#include "media/WindowRepaintMsg.h"
#include "media/XAppScenePlayer.h"
#include "media/XAppScreenCanvas.h"
#include "media/XAppSpriteEngine.h"

#include "resource/ResourceService.h"

#include "framework/NullAnimationService.h"
#include "framework/UI.h"
#include "framework/UIRoot.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

struct AnimationService::Record {
    Animation* animation = nullptr;
    bool removePending = false;
    int layer = 0;
    bool visible = false;
    xRect screenBounds;
    AnimationResource* resource = nullptr;
    float rate = 0;
    int sceneObject = kNoSceneObject;
    int segment = kNoSegment;
    bool started = false;
    int frame = -1;
    int repeats = 0;
    bool repeatForever = false;
    bool holdAtEnd = false;
    bool reverse = false;
    bool mask = false;
    bool bakeAtEnd = false;
    std::uint16_t segmentFlags = 0;
    xPoint motion;
    int motionFirst = -1;
    int motionLast = -1;
    bool loaded = false;  // the resource is loaded and locked for the queued segment
};

// The scene player with one more operation: dropping a single segment from
// whichever object holds it, leaving the others on that object in place.
class AnimationService::Player : public XAppScenePlayer {
  public:
    void DropSegment(int segment) {
        if (segment < 0 || segment >= kMax) return;
        const auto index = static_cast<std::uint16_t>(segment);
        Run([&] {
            for (int i = 0; i < kMax; ++i) {
                Object* o = Obj(i);
                if (o == nullptr) continue;
                if (o->current == index) {
                    // Its play ends now: one play left, no hold, then past its last frame.
                    Cel& c = CelAt(index);
                    c.flags = static_cast<std::uint16_t>((c.flags & ~kRepeatMask) | 1);
                    if (o->loopEnd == index) o->loopEnd = kNone;
                    o->hold = 0;
                    Advance(i, FramesLeft(i) + 1);
                    return;
                }
                if (Unlink(o->queued, index) ||
                    (o->current != kNone && InUse(o->current) && Unlink(CelAt(o->current).next, index))) {
                    RemoveCel(index);
                    return;
                }
            }
        });
    }

  private:
    // Takes the record out of the chain that starts at `head`.
    bool Unlink(std::uint16_t& head, std::uint16_t index) {
        std::uint16_t* link = &head;
        for (int guard = 0; *link != kNone && InUse(*link) && guard < kMax; ++guard) {
            if (*link == index) {
                *link = CelAt(index).next;
                CelAt(index).next = kNone;
                return true;
            }
            link = &CelAt(*link).next;
        }
        return false;
    }
};

namespace {

ScreenRootCanvas* ScreenOf(UIRoot* root) {
    return root != nullptr ? dynamic_cast<ScreenRootCanvas*>(root->GetCanvas()) : nullptr;
}

}  // namespace

AnimationService::AnimationService(UIRoot* root, bool drawingEnabled, int depth)
    : root_(root), drawing_(drawingEnabled) {
    ScreenRootCanvas* screen = ScreenOf(root);
    if (screen == nullptr) throw 0;
    canvas_ = &screen->GetScreenCanvas();
    canvas_->AddReceiver(this);
    spriteEngine_ = std::make_unique<XAppSpriteEngine>();
    spriteEngine_->Init(canvas_, canvas_->GetBounds(), depth);
    spriteEngine_->SetBlitting(drawing_);
    scenePlayer_ = std::make_unique<Player>();
    scenePlayer_->SetTarget(spriteEngine_.get(), canvas_->GetBounds());
    scenePlayer_->AddReceiver(this);
    textStrip_ = std::make_unique<TextStrip>(this);
    textStrip_->Load();
    pictureStrip_ = std::make_unique<PictureStrip>(this);
    Schedule();
}

AnimationService::~AnimationService() {
    // Strips still held for queued segments are let go, so that their files
    // can be updated again.
    for (auto& [animation, record] : records_) {
        if (record->loaded) {
            record->loaded = false;
            record->resource->Unlock();
            record->resource->Unload();
        }
    }
    records_.clear();
    canvas_->RemoveReceiver(this);
    scenePlayer_->RemoveReceiver(this);
    Unschedule();
    textStrip_.reset();
    pictureStrip_.reset();
    scenePlayer_.reset();
    spriteEngine_.reset();
}

void AnimationService::Install() {
    UIRoot::SetAnimationServiceMaker([](UIRoot& root) -> std::unique_ptr<RootAnimationService> {
        if (ScreenOf(&root) == nullptr) return std::make_unique<NullAnimationService>();
        return std::make_unique<AnimationService>(&root, true, 0);
    });
    ResourceService::SetOffsetStripMaker(
        [](const std::string& path, std::int32_t id, UIRoot* owner) -> std::unique_ptr<Resource> {
            return std::make_unique<OffsetStripResource>(path, id, owner, false);
        });
}

void AnimationService::Uninstall() {
    UIRoot::SetAnimationServiceMaker(nullptr);
    ResourceService::SetOffsetStripMaker(nullptr);
}

XAppScenePlayer* AnimationService::GetScenePlayer() const {
    return scenePlayer_.get();
}

void AnimationService::Execute() {
    scenePlayer_->Tick();
    spriteEngine_->Update();
    for (auto it = sceneObjects_.begin(); it != sceneObjects_.end();) {
        if (it->second == nullptr && scenePlayer_->IsEmpty(it->first)) {
            it = sceneObjects_.erase(it);
        } else {
            ++it;
        }
    }
}

void AnimationService::RedrawAll(xRGB background) {
    spriteEngine_->RedrawAll(background);
}

void AnimationService::SetDrawingEnabled(bool on) {
    const bool was = drawing_;
    drawing_ = on;
    spriteEngine_->SetBlitting(on);
    // What changed meanwhile was composed but never shown.
    if (on && !was) spriteEngine_->InvalidateAll();
}

std::int32_t AnimationService::Receive(const Msg& msg, MsgSender*) {
    const std::type_info& type = typeid(msg);
    if (type == typeid(WindowRepaintMsg)) {
        OnWindowRepaint(static_cast<const WindowRepaintMsg&>(msg));
    } else if (type == typeid(SegmentStartedMsg)) {
        OnSegmentStarted(static_cast<const SegmentStateMsg&>(msg));
    } else if (type == typeid(SegmentPausedMsg)) {
        OnSegmentPaused(static_cast<const SegmentStateMsg&>(msg));
    } else if (type == typeid(SegmentResumedMsg)) {
        OnSegmentResumed(static_cast<const SegmentStateMsg&>(msg));
    } else if (type == typeid(SegmentStoppedMsg)) {
        OnSegmentStopped(static_cast<const SegmentStateMsg&>(msg));
    }
    return 0;
}

AnimationService::Record* AnimationService::Find(Animation* animation) const {
    const auto it = records_.find(animation);
    return it != records_.end() ? it->second.get() : nullptr;
}

void AnimationService::AddAnimation(Animation* animation, AnimationResource* resource) {
    if (animation == nullptr || Find(animation) != nullptr) return;
    auto record = std::make_unique<Record>();
    record->animation = animation;
    record->layer = UIGetLayer(animation);
    record->visible = UIIsVisibleInTree(animation);
    record->screenBounds = UIGetBoundsOnScreen(animation);
    record->resource = resource;
    record->rate = resource != nullptr ? static_cast<float>(resource->GetFrameRate()) : 0.0f;
    records_[animation] = std::move(record);
}

void AnimationService::RemoveAnimation(Animation* animation) {
    Record* r = Find(animation);
    if (r == nullptr) return;
    if (!IsDone(animation) || r->segment != kNoSegment) {
        // Everything that points at the record goes before it does: the segment
        // entry (its later messages are dropped), the scene-object slot, and the
        // resource's load and lock. The segment leaves the scene player without
        // touching another animation queued on the same object.
        const int segment = r->segment;
        ReleaseSegment(*r);
        ReleaseSceneObject(*r);
        if (r->loaded) {
            r->loaded = false;
            r->resource->Unlock();
            r->resource->Unload();
        }
        records_.erase(animation);
        if (segment != kNoSegment) {
            orphans_[segment] = true;
            scenePlayer_->DropSegment(segment);
        }
        return;
    }
    ReleaseSceneObject(*r);
    records_.erase(animation);
}

bool AnimationService::HasAnimation(Animation* animation) const {
    return Find(animation) != nullptr;
}

void AnimationService::UpdateFromUI(Animation* animation) {
    Record* r = Find(animation);
    if (r == nullptr) return;
    const int layer = UIGetLayer(animation);
    const bool visible = UIIsVisibleInTree(animation);
    const xRect bounds = UIGetBoundsOnScreen(animation);
    if (r->sceneObject != kNoSceneObject && !scenePlayer_->IsEmpty(r->sceneObject)) {
        if (layer != r->layer && r->segment != kNoSegment) {
            scenePlayer_->SetCelDepth(static_cast<std::uint16_t>(r->segment),
                                      static_cast<std::int16_t>(layer));
        }
        if (visible != r->visible) {
            spriteEngine_->SetSpriteVisible(scenePlayer_->GetSprite(r->sceneObject), visible);
        }
        if ((bounds.left != r->screenBounds.left || bounds.top != r->screenBounds.top) &&
            r->segment != kNoSegment) {
            scenePlayer_->MoveCel(static_cast<std::uint16_t>(r->segment),
                                  xPoint{static_cast<std::int16_t>(bounds.left - r->screenBounds.left),
                                         static_cast<std::int16_t>(bounds.top - r->screenBounds.top)});
        }
    }
    r->layer = layer;
    r->visible = visible;
    r->screenBounds = bounds;
}

void AnimationService::SetMotion(Animation* animation, const xPoint& value, int first, int last) {
    Record* r = Find(animation);
    if (r == nullptr) return;
    const int count = animation->GetCelCount();
    if (first < 0 || first >= count || last < 0 || last >= count) return;
    r->motion = value;
    r->motionFirst = first;
    r->motionLast = last;
}

void AnimationService::SetFullMotion(Animation* animation, const xPoint& value) {
    Record* r = Find(animation);
    if (r == nullptr) return;
    r->motion = value;
    r->motionFirst = 0;
    r->motionLast = r->resource != nullptr ? r->resource->GetCelCount() : 0;
}

xPoint AnimationService::GetMotion(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->motion : xPoint{};
}

int AnimationService::GetMotionFirst(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->motionFirst : 0;
}

int AnimationService::GetMotionLast(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->motionLast : 0;
}

void AnimationService::SetFrame(Animation* animation, int frame) {
    Record* r = Find(animation);
    if (r == nullptr) return;
    const int count = r->resource != nullptr ? r->resource->GetCelCount() : 0;
    r->frame = frame < 0 || frame >= count ? 0 : frame;
}

int AnimationService::GetFrame(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->frame : 0;
}

void AnimationService::SetRate(Animation* animation, float rate) {
    if (Record* r = Find(animation)) r->rate = rate;
}

float AnimationService::GetRate(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->rate : 0.0f;
}

void AnimationService::SetRepeats(Animation* animation, int repeats) {
    if (Record* r = Find(animation)) r->repeats = std::min(repeats, kMaxRepeats);
}

int AnimationService::GetRepeats(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->repeats : 0;
}

void AnimationService::SetRepeatForever(Animation* animation) {
    if (Record* r = Find(animation)) r->repeatForever = true;
}

void AnimationService::ClearRepeatForever(Animation* animation) {
    if (Record* r = Find(animation)) r->repeatForever = false;
}

bool AnimationService::IsRepeatForever(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->repeatForever;
}

void AnimationService::SetHoldAtEnd(Animation* animation) {
    if (Record* r = Find(animation)) r->holdAtEnd = true;
}

void AnimationService::ClearHoldAtEnd(Animation* animation) {
    if (Record* r = Find(animation)) r->holdAtEnd = false;
}

bool AnimationService::IsHoldAtEnd(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->holdAtEnd;
}

void AnimationService::SetReverse(Animation* animation) {
    if (Record* r = Find(animation)) r->reverse = true;
}

void AnimationService::ClearReverse(Animation* animation) {
    if (Record* r = Find(animation)) r->reverse = false;
}

bool AnimationService::IsReverse(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->reverse;
}

void AnimationService::SetMask(Animation* animation) {
    if (Record* r = Find(animation)) r->mask = true;
}

void AnimationService::ClearMask(Animation* animation) {
    if (Record* r = Find(animation)) r->mask = false;
}

bool AnimationService::IsMask(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->mask;
}

void AnimationService::SetBakeAtEnd(Animation* animation) {
    if (Record* r = Find(animation)) r->bakeAtEnd = true;
}

void AnimationService::ClearBakeAtEnd(Animation* animation) {
    if (Record* r = Find(animation)) r->bakeAtEnd = false;
}

bool AnimationService::IsBakeAtEnd(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->bakeAtEnd;
}

void AnimationService::GiveSceneObject(Record& record, int wanted) {
    int n = wanted;
    if (n < 0) {
        n = 0;
        for (const auto& [key, unused] : sceneObjects_) {
            if (key > n) break;
            if (key == n) ++n;
        }
    }
    sceneObjects_.emplace(n, &record);
    record.sceneObject = n;
}

void AnimationService::Queue(Record& r) {
    std::uint16_t flags = static_cast<std::uint16_t>(r.repeats + 1);
    if (r.repeatForever) flags |= 0x07FF;
    if (r.holdAtEnd) flags |= 0x4000;
    if (r.reverse) flags |= 0x1000;
    if (r.mask) flags |= 0x0800;
    if (r.bakeAtEnd) flags |= 0x8000;
    r.segmentFlags = flags;
    const int firstCel = r.resource != nullptr ? r.resource->GetFirstCel() : 0;
    int first = -1;
    int last = -1;
    if (r.motion.x != 0 || r.motion.y != 0) {
        first = firstCel + r.motionFirst;
        last = firstCel + r.motionLast;
    }
    const int startCel = r.frame != -1 ? firstCel + r.frame : -1;
    if (r.resource != nullptr && !r.loaded) {
        r.resource->Load();
        r.resource->Lock();
        r.loaded = true;
    }
    OffsetStripResource* strip = r.resource != nullptr ? r.resource->GetStripResource() : nullptr;
    // A strip that could not be read (missing from its file, or the file
    // missing) plays as its one-cel fallback: a blank frame, not a failure.
    const bool drawable =
        strip != nullptr && strip->GetLoadedFlag() && strip->HasCel(static_cast<std::int16_t>(firstCel));
    const auto rate = static_cast<std::int32_t>(std::trunc(static_cast<double>(r.rate) * 100.0));
    const std::uint16_t segment = scenePlayer_->AddSegment(
        r.sceneObject, drawable ? strip : nullptr, static_cast<std::int16_t>(drawable ? firstCel : 1), flags,
        static_cast<std::int16_t>(r.layer), static_cast<std::int16_t>(rate), 0,
        xPoint{r.screenBounds.left, r.screenBounds.top}, r.motion, first, last, startCel);
    if (segments_.count(segment) != 0) throw 0;
    orphans_.erase(segment);
    segments_[segment] = &r;
    r.segment = segment;
    spriteEngine_->SetSpriteVisible(scenePlayer_->GetSprite(r.sceneObject), r.visible);
}

void AnimationService::PlayAfter(Animation* next, Animation* previous) {
    Record* p = Find(previous);
    Record* n = Find(next);
    if (p == nullptr || n == nullptr || p->sceneObject == kNoSceneObject ||
        n->sceneObject != kNoSceneObject) {
        return;
    }
    GiveSceneObject(*n, p->sceneObject);
    Queue(*n);
}

void AnimationService::Play(Animation* animation) {
    Record* r = Find(animation);
    if (r == nullptr || r->sceneObject != kNoSceneObject) return;
    GiveSceneObject(*r, -1);
    Queue(*r);
}

void AnimationService::Pause(Animation* animation, int count) {
    Record* r = Find(animation);
    if (r == nullptr || !r->started) return;
    if (count > 65535) count = 65534;
    scenePlayer_->SetHold(r->sceneObject, static_cast<std::uint16_t>(count));
}

void AnimationService::Resume(Animation* animation) {
    Record* r = Find(animation);
    if (r != nullptr && r->started) scenePlayer_->ClearHold(r->sceneObject);
}

void AnimationService::Stop(Animation* animation) {
    Record* r = Find(animation);
    if (r == nullptr) return;
    if (r->started) {
        scenePlayer_->Stop(r->sceneObject);
    } else if (r->segment != kNoSegment) {
        // Stopped before its segment began: the queued segment is dropped, and
        // the scene player's stop tells the animation it was aborted.
        scenePlayer_->DropSegment(r->segment);
    }
}

void AnimationService::EndRepeats(Animation* animation) {
    Record* r = Find(animation);
    if (r != nullptr && r->started) scenePlayer_->EndLoop(r->sceneObject);
}

bool AnimationService::IsQueued(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->sceneObject != kNoSceneObject;
}

bool AnimationService::HasStarted(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->started;
}

bool AnimationService::IsPaused(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->sceneObject != kNoSceneObject && scenePlayer_->IsIdle(r->sceneObject) &&
           scenePlayer_->GetCurrentCel(r->sceneObject) == r->segment;
}

bool AnimationService::IsDone(Animation* animation) const {
    const Record* r = Find(animation);
    if (r == nullptr || r->sceneObject == kNoSceneObject) return true;
    return scenePlayer_->IsEmpty(r->sceneObject) && scenePlayer_->GetCurrentCel(r->sceneObject) == r->segment;
}

bool AnimationService::IsRepeating(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr && r->started && (r->segmentFlags & 0x07FF) > 1;
}

int AnimationService::GetCurrentFrame(Animation* animation) const {
    const Record* r = Find(animation);
    if (r == nullptr) return 0;
    if (!r->started) return r->frame;
    return scenePlayer_->GetFrame(r->sceneObject) - (r->resource != nullptr ? r->resource->GetFirstCel() : 0);
}

void AnimationService::RefreshCels(Animation* animation) {
    const Record* r = Find(animation);
    if (r == nullptr || !r->started) return;
    const int sprite = scenePlayer_->GetSprite(r->sceneObject);
    if (sprite >= 0) spriteEngine_->MarkSpriteMoved(sprite);
}

void AnimationService::AddFont(const std::string& fileName) {
    textStrip_->AddFontFile(fileName.c_str());
}

xRect& AnimationService::GetBounds(xRect& out) const {
    out = canvas_->GetBounds();
    return out;
}

void AnimationService::Deliver(Animation* animation, const Msg& msg) {
    animation->Receive(msg, this);
}

void AnimationService::ReleaseSceneObject(Record& record) {
    for (auto [it, end] = sceneObjects_.equal_range(record.sceneObject); it != end; ++it) {
        if (it->second == &record) {
            it->second = nullptr;
            break;
        }
    }
    record.sceneObject = kNoSceneObject;
}

void AnimationService::ReleaseSegment(Record& record) {
    const auto it = segments_.find(record.segment);
    if (it != segments_.end() && it->second == &record) {
        segments_.erase(it);
        record.segment = kNoSegment;
    }
}

void AnimationService::OnSegmentStarted(const SegmentStateMsg& msg) {
    const int segment = msg.GetSegment();
    if (orphans_.count(segment) != 0) {
        scenePlayer_->DropSegment(segment);
        return;
    }
    const auto it = segments_.find(segment);
    if (it == segments_.end()) return;
    Record& r = *it->second;
    if (r.removePending) {
        scenePlayer_->Stop(r.sceneObject);
        return;
    }
    if (!r.started) {
        r.started = true;
        Deliver(r.animation, AnimationStartedMsg());
    } else {
        Deliver(r.animation, AnimationRepeatedMsg());
    }
}

void AnimationService::OnSegmentPaused(const SegmentStateMsg& msg) {
    const auto it = segments_.find(msg.GetSegment());
    if (it != segments_.end()) Deliver(it->second->animation, AnimationPausedMsg());
}

void AnimationService::OnSegmentResumed(const SegmentStateMsg& msg) {
    const auto it = segments_.find(msg.GetSegment());
    if (it != segments_.end()) Deliver(it->second->animation, AnimationResumedMsg());
}

void AnimationService::OnSegmentStopped(const SegmentStateMsg& msg) {
    const int segment = msg.GetSegment();
    if (orphans_.erase(segment) != 0) return;
    const auto it = segments_.find(segment);
    if (it == segments_.end()) return;
    Record& r = *it->second;
    if (r.loaded) {
        r.loaded = false;
        r.resource->Unlock();
        r.resource->Unload();
    }
    ReleaseSceneObject(r);
    ReleaseSegment(r);
    const bool started = r.started;
    r.started = false;
    if (started) {
        Deliver(r.animation, AnimationStoppedMsg());
    } else {
        Deliver(r.animation, AnimationQueueAbortedMsg());
    }
}

void AnimationService::OnWindowRepaint(const WindowRepaintMsg& msg) {
    if (!drawing_) return;
    xRect area = msg.GetRect();
    const xRect& origin = spriteEngine_->GetArea();
    area.OffsetBy(-origin.left, -origin.top);
    spriteEngine_->GetWorkingRegion().Add(area, 9000, 4);
    spriteEngine_->Update();
    Send(msg);
}

int AnimationService::GetSceneObject(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->sceneObject : kNoSceneObject;
}

int AnimationService::GetSegment(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->segment : kNoSegment;
}

std::uint16_t AnimationService::GetSegmentFlags(Animation* animation) const {
    const Record* r = Find(animation);
    return r != nullptr ? r->segmentFlags : 0;
}
