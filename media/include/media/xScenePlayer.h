#pragma once

#include "framework/xPoint.h"
#include "framework/xRect.h"

#include "divir/xAppObject.h"

#include <array>
#include <cstdint>
#include <type_traits>

class xOffsetStrip;
class xSpriteEngine;

// Turns queued playback requests (cels a to b of a strip at a rate, a number
// of times, at a place and depth) into sprite changes over time. Up to 500
// scene objects each own one sprite; up to 500 cel records are linked into
// per-object chains by 16-bit indices ending with 0xFFFF. Object arguments:
// -1 every object where an operation says so, -2 a new one. The sprite engine
// given to SetTarget must outlive the player: the destructor removes the
// objects' sprites.
class xScenePlayer : public xAppObject {
  public:
    static constexpr int kMax = 500;
    static constexpr std::uint16_t kNone = 0xFFFF;
    static constexpr std::uint16_t kForever = 0xFFFF;  // a hold without end

    // Cel flags (the low 11 bits are the repeat count).
    static constexpr std::uint16_t kRepeatMask = 0x07FF;
    static constexpr std::uint16_t kMaskCel = 0x0800;
    static constexpr std::uint16_t kBackwards = 0x1000;
    static constexpr std::uint16_t kLoopStart = 0x2000;
    static constexpr std::uint16_t kHoldAtEnd = 0x4000;
    static constexpr std::uint16_t kBakeAtEnd = 0x8000;

    // Kinds of strip parts that mark frames.
    static constexpr int kPauseMark = 2;
    static constexpr int kBakeMark = 3;
    static constexpr int kHoldMark = 4;

    struct Object {
        std::uint32_t elapsed = 0;
        std::int16_t frame = 0;
        std::uint16_t current = kNone;
        std::uint16_t queued = kNone;
        std::uint16_t loopStart = kNone;
        std::uint16_t loopEnd = kNone;
        std::int16_t sprite = -1;
        std::uint16_t hold = 0;
        std::uint16_t state = 0;  // 0 free, 1 in use, 2 in use and kept when stopped
    };

    struct Cel {
        xOffsetStrip* strip = nullptr;  // null: a blank pause
        std::int32_t extra = 0;
        xPoint position;
        std::uint16_t next = kNone;
        std::int16_t first = 0;
        std::int16_t last = 0;
        std::int16_t depth = 0;
        std::uint16_t duration = 0;  // ms per frame; 0 one frame per tick
        std::uint16_t flags = 0;     // 0: free
        xPoint motion;
        std::int32_t motionStart = 0;
        std::int32_t motionEnd = 0;
        std::int32_t startFrame = -1;
    };

    xScenePlayer();
    xScenePlayer(const xScenePlayer&) = delete;
    xScenePlayer& operator=(const xScenePlayer&) = delete;
    ~xScenePlayer() override;

    virtual void SetTarget(xSpriteEngine* engine, const xRect& origin);
    virtual int MarkPersistent(int wanted);
    virtual void RemoveObjects(int object);
    virtual bool HasObject(int object) const;
    virtual void SetDepth(int object, std::int16_t depth);
    virtual void MoveBy(int object, int dx, int dy);
    virtual int AddCel(int wanted, xOffsetStrip* strip, std::int16_t first, std::uint16_t flags,
                       std::int16_t depth, std::int32_t rate, std::int32_t extra, xPoint position);
    virtual void SetHold(int object, std::uint16_t count);
    virtual void ClearHold(int object);
    virtual std::uint16_t GetHold(int object) const;
    virtual bool IsIdle(int object);
    virtual void PauseAll() { paused_ = true; }
    virtual void ResumeAll() { paused_ = false; }
    virtual void Stop(int object);
    virtual void Finish(int object);
    virtual bool Advance(int object, int frames);
    virtual void EndLoop(int object);
    virtual std::int16_t GetSprite(int object) const;
    virtual bool IsDone(int object);
    virtual std::int16_t GetFrame(int object) const;
    virtual std::uint16_t FramesLeft(int object) const;
    virtual void Tick();
    virtual bool IsStripUsed(const xOffsetStrip* strip) const;
    virtual bool CheckFrameMarks(int object);
    // Raises x-layer error 1 (and answers -1) with 500 objects live.
    virtual int CreateObject(int wanted);
    virtual void RemoveObject(int object);
    // Raises x-layer error 1 (and answers kNone) with 500 records live.
    virtual std::uint16_t AllocCel();
    virtual void RemoveCel(std::uint16_t index);
    virtual void RemoveCelChain(std::uint16_t from, std::uint16_t to);

    const Object* GetObject(int object) const;
    const Cel* GetCel(int index) const;
    int GetObjectCount() const { return objectCount_; }
    int GetCelCount() const { return celCount_; }
    xSpriteEngine* GetEngine() const { return engine_; }

  protected:
    // Hooks of the application's player.
    virtual bool RepeatsForever(std::uint16_t) const { return false; }
    virtual xPoint MotionOffset(const Object&, const Cel&) const { return xPoint{}; }
    virtual void OnSegmentStarted(std::uint16_t) {}
    // Runs one public operation; the outermost one ends with Flush.
    template <typename Body>
    auto Run(Body&& body);
    virtual void Flush() {}

    Object* Obj(int object);
    Cel& CelAt(std::uint16_t index) { return cels_[index]; }
    bool InUse(std::uint16_t index) const { return index < kMax && cels_[index].flags != 0; }
    void Refresh(int object) { Advance(object, 0); }
    void UpdateSprite(int object);

  private:
    bool Step(int object, int frames);

    std::array<Object, kMax> objects_{};
    int objectCount_ = 0;
    int objectMark_ = 0;
    std::array<Cel, kMax> cels_{};
    int celCount_ = 0;
    int celMark_ = 0;
    xSpriteEngine* engine_ = nullptr;
    xRect origin_;
    std::uint32_t lastTick_ = 0;
    bool paused_ = false;
    int busy_ = 0;
};

template <typename Body>
auto xScenePlayer::Run(Body&& body) {
    struct Depth {
        int& busy;
        explicit Depth(int& b) : busy(b) { ++busy; }
        ~Depth() { --busy; }
    };
    if constexpr (std::is_void_v<decltype(body())>) {
        {
            Depth d(busy_);
            body();
        }
        if (busy_ == 0) {
            Flush();
        }
    } else {
        auto result = [&] {
            Depth d(busy_);
            return body();
        }();
        if (busy_ == 0) {
            Flush();
        }
        return result;
    }
}
