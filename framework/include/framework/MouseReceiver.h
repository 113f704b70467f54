#pragma once

#include "framework/XAppObject.h"

class UI;

// The role of a mouse-sensitive UI node. Mouse messages themselves arrive
// through the node's MsgReceiver::Receive.
class MouseReceiver : public virtual XAppObject {
  public:
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual UI* GetMouseCapture() = 0;
    virtual void UpdateMouseLayer() = 0;
};
