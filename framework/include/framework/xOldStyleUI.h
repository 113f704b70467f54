#pragma once

#include "framework/xEventHandler.h"

// Part of the lower layer's toolkit; adds nothing to its base.
class xOldStyleUI : public xEventHandler {
  public:
    explicit xOldStyleUI(UIElement* parent) : xEventHandler(parent) {}
};
