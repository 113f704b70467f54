#pragma once

#include "framework/XAppObject.h"
#include "framework/xRGB.h"

// What the root needs of the animation service that it owns: clearing the
// sprite engine's picture to the background colour and redrawing its sprites.
class RootAnimationService : public virtual XAppObject {
  public:
    virtual void RedrawAll(xRGB background) = 0;
};
