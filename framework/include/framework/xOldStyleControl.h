#pragma once

#include "framework/xEventHandler.h"

// Part of the lower layer's toolkit; adds nothing to its base.
class xOldStyleControl : public xEventHandler {
  public:
    explicit xOldStyleControl(UIElement* parent) : xEventHandler(parent) {}
};
