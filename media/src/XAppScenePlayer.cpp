#include "media/XAppScenePlayer.h"

#include "media/SegmentStateMsg.h"
#include "media/xOffsetStrip.h"

#include <cmath>

// The base destructor frees what is left without telling anyone: the
// receivers may be gone by then.
XAppScenePlayer::~XAppScenePlayer() = default;

bool XAppScenePlayer::Advance(int object, int frames) {
    return xScenePlayer::Advance(object, frames);
}

void XAppScenePlayer::SetHold(int object, std::uint16_t count) {
    Run([&] {
        const auto one = [&](int i) {
            const Object* o = GetObject(i);
            if (o == nullptr) {
                return;
            }
            const std::uint16_t before = o->hold;
            xScenePlayer::SetHold(i, count);
            if (o->current == kNone) {
                return;
            }
            if (count != 0) {
                Post(Kind::Paused, o->current);
            } else if (before != 0) {
                // Only a hold that was set is resumed.
                Post(Kind::Resumed, o->current);
            }
        };
        if (object == -1) {
            for (int i = 0; i < kMax; ++i) {
                one(i);
            }
        } else {
            one(object);
        }
    });
}

void XAppScenePlayer::RemoveCel(std::uint16_t index) {
    if (!InUse(index)) {
        return;
    }
    xScenePlayer::RemoveCel(index);
    Run([&] { Post(Kind::Stopped, index); });
}

bool XAppScenePlayer::IsDone(int object) {
    return xScenePlayer::IsDone(object);
}

void XAppScenePlayer::SetCelDepth(std::uint16_t cel, std::int16_t depth) {
    Run([&] {
        if (!InUse(cel)) {
            return;
        }
        CelAt(cel).depth = depth;
        for (int i = 0; i < kMax; ++i) {
            if (const Object* o = GetObject(i); o != nullptr && o->current == cel) {
                Refresh(i);
            }
        }
    });
}

void XAppScenePlayer::MoveCel(std::uint16_t cel, xPoint offset) {
    Run([&] {
        if (!InUse(cel) || (offset.x == 0 && offset.y == 0)) {
            return;
        }
        Cel& c = CelAt(cel);
        c.position.x = static_cast<std::int16_t>(c.position.x + offset.x);
        c.position.y = static_cast<std::int16_t>(c.position.y + offset.y);
        for (int i = 0; i < kMax; ++i) {
            if (const Object* o = GetObject(i); o != nullptr && o->current == cel) {
                Refresh(i);
            }
        }
    });
}

bool XAppScenePlayer::IsEmpty(int object) {
    if (object == -1) {
        for (int i = 0; i < kMax; ++i) {
            const Object* o = GetObject(i);
            if (o != nullptr && (o->current != kNone || o->queued != kNone)) {
                return false;
            }
        }
        return true;
    }
    const Object* o = GetObject(object);
    return o == nullptr || (o->current == kNone && o->queued == kNone);
}

int XAppScenePlayer::GetCurrentCel(int object) const {
    const Object* o = GetObject(object);
    if (o == nullptr) {
        return -1;
    }
    return o->current == kNone ? -1 : o->current;
}

std::uint16_t XAppScenePlayer::AddSegment(int object, xOffsetStrip* strip, std::int16_t first,
                                          std::uint16_t flags, std::int16_t depth, std::int32_t rate,
                                          std::int32_t extra, xPoint position, xPoint motion,
                                          std::int32_t motionStart, std::int32_t motionEnd,
                                          std::int32_t startFrame) {
    return Run([&]() -> std::uint16_t {
        if (strip != nullptr ? !strip->HasCel(first) : first < 1) {
            throw 0;
        }
        const int o = CreateObject(object);
        const Object* obj = GetObject(o);
        if (obj == nullptr) {
            throw 0;
        }
        const std::uint16_t hold = obj->hold;
        xScenePlayer::AddCel(o, strip, first, flags, depth, rate, extra, position);
        // AddCel clears the hold; a segment keeps it.
        xScenePlayer::SetHold(o, hold);
        std::uint16_t tail = obj->queued;
        while (tail != kNone && GetCel(tail) != nullptr && GetCel(tail)->next != kNone) {
            tail = GetCel(tail)->next;
        }
        if (tail == kNone || GetCel(tail) == nullptr) {
            throw 0;
        }
        Cel& c = CelAt(tail);
        c.motionStart = motionStart == -1 ? c.first : motionStart;
        c.motionEnd = motionEnd == -1 ? c.last : motionEnd;
        c.motion = c.motionStart < c.motionEnd ? motion : xPoint{};
        c.startFrame = startFrame;
        return tail;
    });
}

xPoint XAppScenePlayer::MotionOffset(const Object& o, const Cel& c) const {
    if (c.motion.x == 0 && c.motion.y == 0) {
        return xPoint{};
    }
    const int left = (c.flags & kBackwards) != 0 ? o.frame - c.first : c.last - o.frame;
    const int done = (c.last - c.first) - left;
    const int a = c.motionStart - c.first;
    const int b = c.motionEnd - c.first;
    double t = 0;
    if (done > b) {
        t = 1;
    } else if (done >= a && b > a) {
        t = static_cast<double>(done - a) / static_cast<double>(b - a);
    }
    return xPoint{static_cast<std::int16_t>(std::trunc(c.motion.x * t)),
                  static_cast<std::int16_t>(std::trunc(c.motion.y * t))};
}

void XAppScenePlayer::OnSegmentStarted(std::uint16_t index) {
    Post(Kind::Started, index);
}

void XAppScenePlayer::Post(Kind kind, std::uint16_t index) {
    if (count_ == kQueue) {
        // Cannot happen with 500 records unless receivers churn without end;
        // the oldest message is sent now rather than lost.
        const Pending p = pending_[head_];
        head_ = (head_ + 1) % kQueue;
        --count_;
        SendOne(p);
    }
    pending_[(head_ + count_) % kQueue] = Pending{kind, index};
    ++count_;
}

void XAppScenePlayer::Flush() {
    if (flushing_) {
        return;
    }
    flushing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{flushing_};
    while (count_ > 0) {
        const Pending p = pending_[head_];
        head_ = (head_ + 1) % kQueue;
        --count_;
        SendOne(p);
    }
}

void XAppScenePlayer::SendOne(const Pending& p) {
    switch (p.kind) {
        case Kind::Started:
            Send(SegmentStartedMsg(p.index));
            break;
        case Kind::Paused:
            Send(SegmentPausedMsg(p.index));
            break;
        case Kind::Resumed:
            Send(SegmentResumedMsg(p.index));
            break;
        case Kind::Stopped:
            Send(SegmentStoppedMsg(p.index));
            break;
    }
}
