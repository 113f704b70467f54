#pragma once

#include "framework/CloneableMsg.h"
#include "framework/MouseMsg.h"

class UI;

// Tells the holder of the mouse capture that it lost it: names the new holder,
// null when the capture was released. Both points are (0, 0).
class CaptureChangedMouseMsg : public CloneableMsg<CaptureChangedMouseMsg, MouseMsg> {
  public:
    explicit CaptureChangedMouseMsg(UI* newHolder) : newHolder_(newHolder) {}

    UI* GetNewHolder() const { return newHolder_; }

  private:
    UI* newHolder_;
};
