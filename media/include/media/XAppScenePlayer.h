#pragma once

#include "media/xScenePlayer.h"

#include "framework/MsgSenderForwarder.h"

#include <array>
#include <cstdint>

// The application's scene player: a repeat count of 2047 plays for ever,
// segments may move over a frame range and start at a given frame, and it
// tells its receivers when a cel record starts, pauses, resumes and stops.
// Messages are sent once the operation that caused them has finished its
// bookkeeping, so a receiver may add or remove segments.
class XAppScenePlayer : public xScenePlayer, public MsgSenderForwarder {
  public:
    static constexpr std::uint16_t kRepeatForever = 2047;

    XAppScenePlayer() = default;
    ~XAppScenePlayer() override;

    bool Advance(int object, int frames) override;
    void SetHold(int object, std::uint16_t count) override;
    void RemoveCel(std::uint16_t index) override;
    bool IsDone(int object) override;
    virtual void OnHookA(std::int32_t) {}
    virtual void OnHookB(std::int32_t) {}
    virtual void SetCelDepth(std::uint16_t cel, std::int16_t depth);
    virtual void MoveCel(std::uint16_t cel, xPoint offset);
    virtual bool IsEmpty(int object);
    virtual bool IsObjectDone(int object) { return IsDone(object); }
    virtual int GetCurrentCel(int object) const;

    // Throws the integer 0 for a strip without that cel, or no strip and a
    // count below 1. Motion runs between strip frames (-1: first, last).
    std::uint16_t AddSegment(int object, xOffsetStrip* strip, std::int16_t first, std::uint16_t flags,
                             std::int16_t depth, std::int32_t rate, std::int32_t extra, xPoint position,
                             xPoint motion, std::int32_t motionStart, std::int32_t motionEnd,
                             std::int32_t startFrame);

  protected:
    bool RepeatsForever(std::uint16_t count) const override { return count == kRepeatForever; }
    xPoint MotionOffset(const Object& o, const Cel& c) const override;
    void OnSegmentStarted(std::uint16_t index) override;
    void Flush() override;

  private:
    enum class Kind : std::uint8_t { Started, Paused, Resumed, Stopped };
    struct Pending {
        Kind kind;
        std::uint16_t index;
    };
    void Post(Kind kind, std::uint16_t index);
    void SendOne(const Pending& p);

    static constexpr std::size_t kQueue = 2048;
    std::array<Pending, kQueue> pending_{};
    std::size_t head_ = 0;
    std::size_t count_ = 0;
    bool flushing_ = false;
};
