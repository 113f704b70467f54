#pragma once

// Stand-in for the ads screen: the operations the game view calls, doing nothing. It starts and
// stops at once. The real AdsScreen takes its place with the same name and operations. The
// choice of ads and of the break's set are already the screen's own.

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

    static constexpr std::int32_t kSets = 12;
    // Of all runs of consecutive ads, the one whose summed play time is the
    // largest not above the limit; the first found wins a tie, a run summing to
    // 0 or less is never chosen, and with none fitting the result is empty.
    virtual std::vector<AdInfo> ChooseAds(const std::vector<AdInfo>& ads, std::int32_t limit) {
        return ChooseAdsFrom(ads, limit);
    }
    static std::vector<AdInfo> ChooseAdsFrom(const std::vector<AdInfo>& ads, std::int32_t limit);
    // The intro and outro set a break plays: its index, or set 0 for an index
    // outside 0-11.
    static std::int32_t SetOf(std::int32_t breakIndex);
};
