#include "media/xScenePlayer.h"

#include "media/xOffsetStrip.h"
#include "media/xSpriteEngine.h"

#include "framework/AppTime.h"

#include "divir/xError.h"

#include <algorithm>

xScenePlayer::xScenePlayer() = default;

xScenePlayer::~xScenePlayer() {
    for (int i = objectMark_ - 1; i >= 0; --i) {
        if (objects_[static_cast<std::size_t>(i)].state != 0) {
            RemoveObject(i);
        }
    }
}

xScenePlayer::Object* xScenePlayer::Obj(int object) {
    if (object < 0 || object >= objectMark_ || objects_[static_cast<std::size_t>(object)].state == 0) {
        return nullptr;
    }
    return &objects_[static_cast<std::size_t>(object)];
}

const xScenePlayer::Object* xScenePlayer::GetObject(int object) const {
    return const_cast<xScenePlayer*>(this)->Obj(object);
}

const xScenePlayer::Cel* xScenePlayer::GetCel(int index) const {
    if (index < 0 || index >= kMax || cels_[static_cast<std::size_t>(index)].flags == 0) {
        return nullptr;
    }
    return &cels_[static_cast<std::size_t>(index)];
}

void xScenePlayer::SetTarget(xSpriteEngine* engine, const xRect& origin) {
    engine_ = engine;
    origin_ = origin;
    lastTick_ = GetAppTime();
}

int xScenePlayer::MarkPersistent(int wanted) {
    const int object = CreateObject(wanted);
    if (Object* o = Obj(object)) {
        o->state = 2;
    }
    return object;
}

void xScenePlayer::RemoveObjects(int object) {
    Run([&] {
        if (object != -1) {
            RemoveObject(object);
            return;
        }
        for (int i = objectMark_ - 1; i >= 0; --i) {
            RemoveObject(i);
        }
    });
}

bool xScenePlayer::HasObject(int object) const {
    return GetObject(object) != nullptr;
}

void xScenePlayer::SetDepth(int object, std::int16_t depth) {
    Run([&] {
        Object* o = Obj(object);
        if (o == nullptr) {
            return;
        }
        for (std::uint16_t i = o->current; InUse(i); i = cels_[i].next) {
            cels_[i].depth = depth;
        }
        Refresh(object);
    });
}

void xScenePlayer::MoveBy(int object, int dx, int dy) {
    Run([&] {
        Object* o = Obj(object);
        if (o == nullptr) {
            return;
        }
        for (std::uint16_t i = o->current; InUse(i); i = cels_[i].next) {
            cels_[i].position.x = static_cast<std::int16_t>(cels_[i].position.x + dx);
            cels_[i].position.y = static_cast<std::int16_t>(cels_[i].position.y + dy);
        }
        Refresh(object);
    });
}

int xScenePlayer::AddCel(int wanted, xOffsetStrip* strip, std::int16_t first, std::uint16_t flags,
                         std::int16_t depth, std::int32_t rate, std::int32_t extra, xPoint position) {
    return Run([&]() -> int {
        const int object = CreateObject(wanted);
        if (Obj(object) == nullptr) {
            return object;
        }
        SetHold(object, 0);
        if (strip != nullptr ? !strip->HasCel(first) : first < 1) {
            return object;
        }
        const std::uint16_t index = AllocCel();
        if (index == kNone) {
            return object;
        }
        Object& o = objects_[static_cast<std::size_t>(object)];
        if (o.queued == kNone) {
            o.queued = index;
        } else {
            std::uint16_t tail = o.queued;
            while (InUse(cels_[tail].next)) {
                tail = cels_[tail].next;
            }
            cels_[tail].next = index;
        }
        Cel& c = cels_[index];
        c.strip = strip;
        if (strip != nullptr) {
            c.first = first;
            c.last = first;
            while (c.last < 32767 && strip->HasCel(static_cast<std::int16_t>(c.last + 1))) {
                ++c.last;
            }
        } else {
            c.first = 0;
            c.last = static_cast<std::int16_t>(first - 1);
        }
        c.flags = (flags & kRepeatMask) == 0 ? static_cast<std::uint16_t>(flags | 1) : flags;
        c.depth = depth;
        c.extra = extra;
        c.position = position;
        // Hundredths of a frame per second: 1500 (15.0 frames) gives 66 ms.
        c.duration =
            rate != 0 ? static_cast<std::uint16_t>(std::min<std::int64_t>(100000 / rate, 0xFFFF)) : 0;
        if (rate < 0) {
            c.duration = 0;
        }
        c.motion = xPoint{};
        c.motionStart = c.first;
        c.motionEnd = c.last;
        c.startFrame = -1;
        return object;
    });
}

void xScenePlayer::SetHold(int object, std::uint16_t count) {
    Run([&] {
        if (object == -1) {
            for (int i = 0; i < objectMark_; ++i) {
                if (Object* o = Obj(i)) {
                    o->hold = count;
                }
            }
        } else if (Object* o = Obj(object)) {
            o->hold = count;
        }
    });
}

void xScenePlayer::ClearHold(int object) {
    SetHold(object, 0);
}

std::uint16_t xScenePlayer::GetHold(int object) const {
    const Object* o = GetObject(object);
    return o != nullptr ? o->hold : 0;
}

bool xScenePlayer::IsIdle(int object) {
    const auto idle = [this](int i) { return IsDone(i) || GetHold(i) == kForever; };
    if (object == -1 || object == -2) {
        bool all = true;
        bool any = false;
        for (int i = 0; i < objectMark_; ++i) {
            if (Obj(i) == nullptr) {
                continue;
            }
            const bool v = idle(i);
            all = all && v;
            any = any || v;
        }
        return object == -1 ? all : any;
    }
    return Obj(object) != nullptr && idle(object);
}

void xScenePlayer::Stop(int object) {
    Run([&] {
        Object* o = Obj(object);
        if (o == nullptr) {
            return;
        }
        o->hold = 0;
        if (o->state != 2) {
            RemoveObject(object);
            return;
        }
        RemoveCelChain(o->loopStart, kNone);
        RemoveCelChain(o->current, kNone);
        RemoveCelChain(o->queued, kNone);
        o->current = o->queued = o->loopStart = o->loopEnd = kNone;
        Refresh(object);
    });
}

void xScenePlayer::Finish(int object) {
    Run([&] {
        Object* o = Obj(object);
        if (o == nullptr) {
            return;
        }
        // Each round ends the current record's repeats, so records that repeat
        // for ever do not keep the queue waiting.
        // Segments wait both in the queue and linked after the current one.
        const auto more = [&] {
            return o->queued != kNone || (InUse(o->current) && InUse(cels_[o->current].next));
        };
        for (int guard = 0; more() && guard < 2 * kMax; ++guard) {
            EndLoop(object);
            if (InUse(o->current)) {
                Cel& c = cels_[o->current];
                c.flags = static_cast<std::uint16_t>((c.flags & ~kRepeatMask) | 1);
            }
            Advance(object, FramesLeft(object) + 1);
        }
        ClearHold(object);
        EndLoop(object);
        if (InUse(o->current)) {
            Cel& c = cels_[o->current];
            c.flags = static_cast<std::uint16_t>((c.flags & ~kRepeatMask) | 1);
        }
        Advance(object, FramesLeft(object));
    });
}

bool xScenePlayer::Advance(int object, int frames) {
    return Run([&] { return Step(object, frames); });
}

bool xScenePlayer::Step(int object, int frames) {
    Object* o = Obj(object);
    if (o == nullptr) {
        return false;
    }
    const int asked = frames;
    int n = frames;
    bool moved = false;
    while (n > 0) {
        const int left = FramesLeft(object);
        if (left > 0) {
            const int step = std::min(left, n);
            const Cel& c = cels_[o->current];
            o->frame =
                static_cast<std::int16_t>((c.flags & kBackwards) != 0 ? o->frame - step : o->frame + step);
            n -= step;
            if (n == 0) {
                break;
            }
            continue;
        }
        if (o->current == kNone) {
            if (o->loopStart != kNone) {
                RemoveCelChain(o->loopStart, kNone);
                o->loopStart = o->loopEnd = kNone;
            }
            o->current = o->queued;
            o->queued = kNone;
            if (o->current == kNone) {
                n = 1;
            } else if ((cels_[o->current].flags & kLoopStart) != 0) {
                cels_[o->current].flags &= static_cast<std::uint16_t>(~kLoopStart);
                RemoveCelChain(o->loopStart, o->current);
                o->loopStart = o->current;
            }
        } else if ((cels_[o->current].flags & kRepeatMask) <= 1) {
            const std::uint16_t done = o->current;
            std::uint16_t next = cels_[done].next;
            const bool keep = o->loopStart != kNone;
            if (next == kNone) {
                next = o->queued;
                o->queued = kNone;
                if (keep) {
                    cels_[done].next = next;
                }
            }
            // The link is read first: freeing the record lets a receiver reuse it.
            if (!keep) {
                RemoveCel(done);
            }
            o->current = next;
            if (next != kNone) {
                Cel& c = cels_[next];
                const std::uint16_t count = c.flags & kRepeatMask;
                if ((c.flags & kLoopStart) != 0 || count > 1) {
                    if (o->loopStart == kNone) {
                        o->loopStart = next;
                    }
                    if (count <= 1) {
                        RemoveCelChain(o->loopStart, next);
                        o->loopStart = next;
                    } else {
                        o->loopEnd = next;
                    }
                }
            }
        } else {
            Cel& c = cels_[o->current];
            std::uint16_t count = c.flags & kRepeatMask;
            if (!RepeatsForever(count)) {
                --count;
                c.flags = static_cast<std::uint16_t>((c.flags & ~kRepeatMask) | count);
            }
            o->loopEnd = o->current;
            if (o->loopStart != kNone) {
                o->current = o->loopStart;
                if (count == 1) {
                    o->loopStart = o->loopEnd = kNone;
                }
            }
        }
        n -= 1;
        if (o->current != kNone) {
            const Cel& c = cels_[o->current];
            o->frame = c.startFrame >= 0             ? static_cast<std::int16_t>(c.startFrame)
                       : (c.flags & kBackwards) != 0 ? c.last
                                                     : c.first;
            moved = true;
        }
    }
    UpdateSprite(object);
    if (moved && o->current != kNone) {
        OnSegmentStarted(o->current);
    }
    return asked > 0 ? CheckFrameMarks(object) : false;
}

void xScenePlayer::UpdateSprite(int object) {
    Object* o = Obj(object);
    if (o == nullptr || engine_ == nullptr) {
        return;
    }
    if (o->current == kNone) {
        engine_->SetSpriteStrip(o->sprite, nullptr);
        return;
    }
    const Cel& c = cels_[o->current];
    if ((c.flags & kMaskCel) != 0) {
        const int left = FramesLeft(object);
        if (left == c.last - c.first) {
            engine_->BeginMask();
        }
        if (left == 0) {
            engine_->EndMask();
        }
        if (c.strip != nullptr) {
            c.strip->AddPartAreas(engine_->GetWorkingRegion(), o->frame);
        }
        engine_->SetSpriteStrip(o->sprite, nullptr);
        return;
    }
    if (c.strip == nullptr) {
        engine_->SetSpriteStrip(o->sprite, nullptr);
        return;
    }
    engine_->SetSpriteStrip(o->sprite, c.strip);
    engine_->SetSpriteDepth(o->sprite, c.depth);
    engine_->SetSpriteExtra(o->sprite, c.extra);
    const xPoint motion = MotionOffset(*o, c);
    xRect place = c.strip->GetAnimRect(o->frame);
    place.OffsetBy(c.position.x + motion.x, c.position.y + motion.y);
    engine_->SetSpriteCelAndRect(o->sprite, o->frame, place);
}

void xScenePlayer::EndLoop(int object) {
    Run([&] {
        Object* o = Obj(object);
        if (o == nullptr) {
            return;
        }
        if (o->loopStart != kNone) {
            RemoveCelChain(o->loopStart, o->current != kNone ? o->current : o->queued);
            o->loopStart = kNone;
        }
        if (o->loopEnd != kNone) {
            if (InUse(o->loopEnd)) {
                Cel& c = cels_[o->loopEnd];
                c.flags = static_cast<std::uint16_t>((c.flags & ~kRepeatMask) | 1);
            }
            o->loopEnd = kNone;
        }
    });
}

std::int16_t xScenePlayer::GetSprite(int object) const {
    const Object* o = GetObject(object);
    return o != nullptr ? o->sprite : static_cast<std::int16_t>(-1);
}

bool xScenePlayer::IsDone(int object) {
    if (object == -1) {
        for (int i = 0; i < objectMark_; ++i) {
            if (Obj(i) != nullptr && !IsDone(i)) {
                return false;
            }
        }
        return true;
    }
    const Object* o = Obj(object);
    if (o == nullptr) {
        return true;
    }
    if (o->queued != kNone) {
        return false;
    }
    if (o->current == kNone) {
        return true;
    }
    const Cel& c = cels_[o->current];
    return c.next == kNone && FramesLeft(object) == 0 && (c.flags & kRepeatMask) <= 1 && o->hold == 0;
}

std::int16_t xScenePlayer::GetFrame(int object) const {
    const Object* o = GetObject(object);
    return o != nullptr ? o->frame : static_cast<std::int16_t>(0);
}

std::uint16_t xScenePlayer::FramesLeft(int object) const {
    const Object* o = GetObject(object);
    if (o == nullptr || o->current == kNone) {
        return 0;
    }
    const Cel& c = cels_[o->current];
    const int left = (c.flags & kBackwards) != 0 ? o->frame - c.first : c.last - o->frame;
    return static_cast<std::uint16_t>(std::max(0, left));
}

void xScenePlayer::Tick() {
    Run([&] {
        const std::uint32_t now = GetAppTime();
        const std::uint32_t delta = now - lastTick_;
        lastTick_ = now;
        if (paused_ || objectCount_ == 0) {
            return;
        }
        for (int i = 0; i < objectMark_; ++i) {
            Object* o = Obj(i);
            if (o == nullptr) {
                continue;
            }
            const bool hadNone = o->current == kNone;
            o->elapsed += delta;
            bool started = false;
            for (;;) {
                o = Obj(i);
                if (o == nullptr) {
                    break;
                }
                if (o->current == kNone) {
                    Step(i, 1);
                    if ((o = Obj(i)) != nullptr) {
                        o->elapsed = 0;
                    }
                    break;
                }
                const std::uint32_t d = cels_[o->current].duration;
                if (d != 0) {
                    if (o->hold != 0) {
                        std::uint32_t k = o->elapsed / d;
                        if (o->hold != kForever) {
                            k = std::min<std::uint32_t>(k, o->hold);
                            o->hold = static_cast<std::uint16_t>(o->hold - k);
                        }
                        o->elapsed -= k * d;
                    }
                    if (o->elapsed < d) {
                        break;
                    }
                    o->elapsed -= d;
                } else {
                    if (started) {
                        break;
                    }
                    o->elapsed = 0;
                    if (o->hold != 0) {
                        if (o->hold != kForever) {
                            --o->hold;
                        }
                        break;
                    }
                }
                if (Step(i, 1)) {
                    break;
                }
                started = true;
            }
            o = Obj(i);
            if (hadNone && o != nullptr && o->current == kNone) {
                Stop(i);
            }
        }
    });
}

bool xScenePlayer::IsStripUsed(const xOffsetStrip* strip) const {
    if (strip == nullptr) {
        return false;
    }
    for (int i = 0; i < celMark_; ++i) {
        if (cels_[static_cast<std::size_t>(i)].flags != 0 &&
            cels_[static_cast<std::size_t>(i)].strip == strip) {
            return true;
        }
    }
    return false;
}

bool xScenePlayer::CheckFrameMarks(int object) {
    Object* o = Obj(object);
    if (o == nullptr || o->current == kNone || cels_[o->current].strip == nullptr) {
        return false;
    }
    Cel& c = cels_[o->current];
    const bool pause = c.strip->FindPartOfKind(o->frame, kPauseMark) != 0;
    bool bake = c.strip->FindPartOfKind(o->frame, kBakeMark) != 0;
    bool hold = c.strip->FindPartOfKind(o->frame, kHoldMark) != 0;
    const bool found = pause || bake || hold;
    if (FramesLeft(object) == 0) {
        if ((c.flags & kBakeAtEnd) != 0) {
            bake = true;
            c.flags &= static_cast<std::uint16_t>(~kBakeAtEnd);
        }
        if ((c.flags & kHoldAtEnd) != 0) {
            hold = true;
        }
    }
    if (bake && engine_ != nullptr) {
        engine_->MarkBake(o->sprite);
    }
    if (hold) {
        SetHold(object, kForever);
    }
    return found;
}

int xScenePlayer::CreateObject(int wanted) {
    int index = wanted;
    if (wanted == -2) {
        if (objectCount_ >= kMax) {
            xThrow(kErrMemory);
            return -1;
        }
        index = 0;
        while (index < objectMark_ && objects_[static_cast<std::size_t>(index)].state != 0) {
            ++index;
        }
    }
    if (index < 0 || index >= kMax) {
        return -1;
    }
    if (index >= objectMark_) {
        objectMark_ = index + 1;
    }
    Object& o = objects_[static_cast<std::size_t>(index)];
    if (o.state != 0) {
        return index;
    }
    ++objectCount_;
    o = Object{};
    o.state = 1;
    if (engine_ != nullptr) {
        o.sprite = static_cast<std::int16_t>(engine_->AddSprite(nullptr, 0, xRect(), 0, 0, 0));
        engine_->SetSpriteFlags(o.sprite, 4);
    }
    return index;
}

void xScenePlayer::RemoveObject(int object) {
    Run([&] {
        Object* o = Obj(object);
        if (o == nullptr) {
            return;
        }
        RemoveCelChain(o->loopStart, kNone);
        RemoveCelChain(o->current, kNone);
        RemoveCelChain(o->queued, kNone);
        o->current = o->queued = o->loopStart = o->loopEnd = kNone;
        UpdateSprite(object);
        const std::int16_t sprite = o->sprite;
        *o = Object{};
        --objectCount_;
        while (objectMark_ > 0 && objects_[static_cast<std::size_t>(objectMark_ - 1)].state == 0) {
            --objectMark_;
        }
        if (engine_ != nullptr && sprite >= 0) {
            engine_->RemoveSprite(sprite);
        }
    });
}

std::uint16_t xScenePlayer::AllocCel() {
    if (celCount_ >= kMax) {
        xThrow(kErrMemory);
        return kNone;
    }
    int index = 0;
    while (index < celMark_ && cels_[static_cast<std::size_t>(index)].flags != 0) {
        ++index;
    }
    if (index == celMark_) {
        ++celMark_;
    }
    Cel& c = cels_[static_cast<std::size_t>(index)];
    c = Cel{};
    c.flags = 1;
    c.next = kNone;
    ++celCount_;
    return static_cast<std::uint16_t>(index);
}

void xScenePlayer::RemoveCel(std::uint16_t index) {
    if (!InUse(index)) {
        return;
    }
    cels_[index].flags = 0;
    cels_[index].next = kNone;
    cels_[index].strip = nullptr;
    --celCount_;
    while (celMark_ > 0 && cels_[static_cast<std::size_t>(celMark_ - 1)].flags == 0) {
        --celMark_;
    }
}

void xScenePlayer::RemoveCelChain(std::uint16_t from, std::uint16_t to) {
    Run([&] {
        std::uint16_t i = from;
        while (i != to && InUse(i)) {
            const std::uint16_t next = cels_[i].next;
            RemoveCel(i);
            i = next;
        }
    });
}
