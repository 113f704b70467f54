#pragma once

#include "framework/RootAnimationService.h"

// The root's animation service until the graphics library supplies its own:
// it draws nothing and only remembers the last background colour.
class NullAnimationService : public RootAnimationService {
  public:
    void RedrawAll(xRGB background) override { background_ = background; }
    xRGB GetBackground() const { return background_; }

  private:
    xRGB background_{};
};
