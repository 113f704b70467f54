#pragma once

#include "framework/CloneableMsg.h"

#include <cstdint>

// What the scene player tells about one of its cel records (its index).
class SegmentStateMsg : public CloneableMsg<SegmentStateMsg> {
  public:
    explicit SegmentStateMsg(std::int32_t segment = 0) : segment_(segment) {}
    std::int32_t GetSegment() const { return segment_; }

  private:
    std::int32_t segment_;
};

class SegmentStartedMsg : public CloneableMsg<SegmentStartedMsg, SegmentStateMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};

class SegmentPausedMsg : public CloneableMsg<SegmentPausedMsg, SegmentStateMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};

class SegmentResumedMsg : public CloneableMsg<SegmentResumedMsg, SegmentStateMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};

class SegmentStoppedMsg : public CloneableMsg<SegmentStoppedMsg, SegmentStateMsg> {
  public:
    using CloneableMsg::CloneableMsg;
};
