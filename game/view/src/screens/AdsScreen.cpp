#include "game/view/screens/AdsScreen.h"

std::vector<AdInfo> AdsScreen::ChooseAdsFrom(const std::vector<AdInfo>& ads, std::int32_t limit) {
    // Sums in 64 bits: durations come from the room bot, and two near 2^31
    // would wrap in 32.
    std::int64_t bestSum = 0;
    std::size_t bestStart = 0;
    std::size_t bestEnd = 0;
    bool found = false;
    for (std::size_t i = 0; i < ads.size(); ++i) {
        std::int64_t sum = 0;
        for (std::size_t j = i; j < ads.size(); ++j) {
            sum += ads[j].GetPlayTime();
            if (sum > limit) break;
            if (sum > bestSum) {
                bestSum = sum;
                bestStart = i;
                bestEnd = j;
                found = true;
            }
        }
    }
    if (!found) return {};
    return std::vector<AdInfo>(ads.begin() + static_cast<std::ptrdiff_t>(bestStart),
                               ads.begin() + static_cast<std::ptrdiff_t>(bestEnd) + 1);
}

std::int32_t AdsScreen::SetOf(std::int32_t breakIndex) {
    return breakIndex >= 0 && breakIndex < kSets ? breakIndex : 0;
}
