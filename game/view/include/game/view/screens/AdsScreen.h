#pragma once

// Stand-in for the ads screen: the operations the game view calls, doing nothing. It starts and
// stops at once. The real AdsScreen takes its place with the same name and operations.

#include <cstdint>
#include <vector>

#include "framework/Screen.h"
#include "game/view/SharedControls.h"
#include "resource/AdInfo.h"

class AdsScreen : public Screen {
  public:
    AdsScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetBreakIndex(std::int32_t /*index*/) {}
    virtual void SetAdList(const std::vector<AdInfo>& /*ads*/) {}
};
