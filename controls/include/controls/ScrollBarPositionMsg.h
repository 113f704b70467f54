#pragma once

#include "framework/CloneableMsg.h"

#include <cstdint>

// A scroll bar's new position: the index of the first visible row.
class ScrollBarPositionMsg : public CloneableMsg<ScrollBarPositionMsg> {
  public:
    explicit ScrollBarPositionMsg(std::int32_t position) : position_(position) {}

    virtual std::int32_t GetPosition() const { return position_; }

  private:
    std::int32_t position_;
};
