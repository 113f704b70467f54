#pragma once

#include "framework/CloneableMsg.h"
#include "framework/xRect.h"

// Sent by the screen canvas when a rectangle of the window (client coordinates)
// must be drawn again.
class WindowRepaintMsg : public CloneableMsg<WindowRepaintMsg> {
  public:
    explicit WindowRepaintMsg(const xRect& rect) : rect_(rect) {}
    const xRect& GetRect() const { return rect_; }

  private:
    xRect rect_;
};
