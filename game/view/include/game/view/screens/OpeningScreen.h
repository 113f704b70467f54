#pragma once

// Stand-in for the opening screen: the operations the game view calls, doing nothing. It starts
// and stops at once. The real OpeningScreen takes its place with the same name and operations.

#include <cstdint>

#include "framework/Screen.h"
#include "game/view/SharedControls.h"
#include "resource/AdInfo.h"

class OpeningScreen : public Screen {
  public:
    OpeningScreen(UI* parent, std::int32_t layer, SharedControls* /*shared*/) : Screen(parent, layer) {}
    virtual void SetSponsorAd(const AdInfo& /*ad*/) {}
    virtual bool IsSponsorAdPlaying() { return false; }
    virtual bool IsBrandIntroPlaying() { return false; }
};
