#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xPoint.h"

// Base of the mouse messages: the point in the receiving node's coordinates and
// a second point whose meaning its sender sets (the mouse service gives the point
// as the window reported it).
class MouseMsg : public CloneableMsg<MouseMsg> {
  public:
    MouseMsg() = default;
    MouseMsg(xPoint point, xPoint screenPoint) : point_(point), screenPoint_(screenPoint) {}

    xPoint GetPoint() const { return point_; }
    xPoint GetScreenPoint() const { return screenPoint_; }

  private:
    xPoint point_;
    xPoint screenPoint_;
};
