#pragma once

#include "framework/xProcess.h"

// A lower-layer process used for services; it adds nothing.
class xService : public xProcess {
  public:
    explicit xService(UIElement* parent) : xProcess(parent) {}
};
