#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xPoint.h"

// Base of the mouse messages. The first point is the position in the receiving
// node's coordinates; what the second holds is up to the message's sender.
class MouseMsg : public CloneableMsg<MouseMsg> {
public:
    MouseMsg() = default;
    MouseMsg(xPoint first, xPoint second) : first_(first), second_(second) {}

    xPoint GetFirstPoint() const { return first_; }
    xPoint GetSecondPoint() const { return second_; }
    // The mouse service's names for the two: the point in the receiver's
    // coordinates and the point as the window reported it.
    xPoint GetPoint() const { return first_; }
    xPoint GetScreenPoint() const { return second_; }

private:
    xPoint first_;
    xPoint second_;
};
