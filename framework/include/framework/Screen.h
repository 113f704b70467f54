#pragma once

#include "framework/ProcessNode.h"

#include <cstdint>

class KeyboardCharMsg;

// One full-screen stage of the presentation: a UI node, a process and a queued
// receiver with the phase times (ms) of the segment it shows. The base times are
// as given; the effective ones are copies of them here, and a game screen that
// keeps its own overrides the setter and the four effective getters. None of
// the times is set before the first SetSegmentTimes.
class Screen : public ProcessNode {
  public:
    Screen(UI* parent, std::int32_t layer);
    ~Screen() override = default;

    virtual void SetSegmentTimes(std::uint32_t segment, std::uint32_t first, std::uint32_t middle,
                                 std::uint32_t last);
    virtual std::uint32_t GetSegmentTime() { return segment_; }
    virtual std::uint32_t GetBaseTotalTime() { return baseTotal_; }
    virtual std::uint32_t GetBaseFirstTime() { return baseFirst_; }
    virtual std::uint32_t GetBaseMiddleTime() { return baseMiddle_; }
    virtual std::uint32_t GetBaseLastTime() { return baseLast_; }
    virtual std::uint32_t GetTotalTime() { return total_; }
    virtual std::uint32_t GetFirstTime() { return first_; }
    virtual std::uint32_t GetMiddleTime() { return middle_; }
    virtual std::uint32_t GetLastTime() { return last_; }
    // Key hooks; a game screen steers keys to one of its controls.
    virtual void OnKeyboardChar(const KeyboardCharMsg&) {}
    virtual void OnLostKeyboardFocus() {}
    virtual void OnGainedKeyboardFocus() {}

    // Both note the application time of the request first.
    void Start() override;
    void Stop() override;

    // The application time of the latest start or stop request.
    std::uint32_t GetRequestTime() const { return requestTime_; }

  private:
    std::uint32_t segment_ = 0;
    std::uint32_t baseTotal_ = 0;
    std::uint32_t baseFirst_ = 0;
    std::uint32_t baseMiddle_ = 0;
    std::uint32_t baseLast_ = 0;
    std::uint32_t total_ = 0;
    std::uint32_t first_ = 0;
    std::uint32_t middle_ = 0;
    std::uint32_t last_ = 0;
    std::uint32_t requestTime_ = 0;
};
