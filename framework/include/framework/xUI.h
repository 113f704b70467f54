#pragma once

#include "framework/xProcess.h"

// Part of the lower layer's toolkit; adds nothing to its base.
class xUI : public xProcess {
  public:
    explicit xUI(UIElement* parent) : xProcess(parent) {}
};
