// Which ads of a break play, which set of intro and outro it takes, and how a
// sponsor ad's name becomes a file and its stand-by display a repeat count.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "game/model/AdFiles.h"
#include "game/view/screens/AdsScreen.h"

namespace {

std::vector<AdInfo> Ads(const std::vector<std::int32_t>& durations) {
    std::vector<AdInfo> ads;
    for (std::size_t i = 0; i < durations.size(); ++i) {
        ads.emplace_back("ad" + std::to_string(i) + ".srf", "", durations[i]);
    }
    return ads;
}

std::string Names(const std::vector<AdInfo>& ads) {
    std::string names;
    for (const AdInfo& ad : ads) names += (names.empty() ? "" : ",") + ad.GetName().substr(0, 3);
    return names;
}

// The screen's choice, without a screen.
std::vector<AdInfo> ChooseAds(const std::vector<AdInfo>& ads, std::int32_t limit) {
    return AdsScreen::ChooseAdsFrom(ads, limit);
}

}  // namespace

TEST(AdChoice, TheLongestRunThatFits) {
    struct Row {
        const char* what;
        std::vector<std::int32_t> durations;
        std::int32_t limit;
        const char* chosen;
    };
    const Row rows[] = {
        {"the middle run", {4000, 7000, 3000, 5000}, 10000, "ad1,ad2"},
        {"a tie keeps the first", {3000, 3000, 6000}, 6000, "ad0,ad1"},
        {"a negative limit", {4000, 7000}, -300, ""},
        {"zeros only", {0, 0, 0}, 10000, ""},
        {"empty", {}, 10000, ""},
        {"nothing short enough", {4000, 7000}, 3999, ""},
        {"all of them", {1000, 2000, 3000}, 6000, "ad0,ad1,ad2"},
        {"near 2^31 does not wrap", {INT_MAX - 10, INT_MAX - 10, 5}, INT_MAX, "ad1,ad2"},
        {"two halves of 2^31", {1 << 30, 1 << 30, 1 << 30}, INT_MAX, "ad0"},
        {"negative play times", {-5000, 3000}, 1000, ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Names(ChooseAds(Ads(r.durations), r.limit)), r.chosen);
    }
}

TEST(AdChoice, ABreakOutsideTheTwelveSetsPlaysSetZero) {
    EXPECT_EQ(AdsScreen::SetOf(0), 0);
    EXPECT_EQ(AdsScreen::SetOf(11), 11);
    EXPECT_EQ(AdsScreen::SetOf(12), 0);
    EXPECT_EQ(AdsScreen::SetOf(-1), 0);
    EXPECT_EQ(AdsScreen::SetOf(INT_MIN), 0);
}

TEST(AdFiles, NamesBecomePathsOnlyWhenPlain) {
    struct Row {
        const char* name;
        const char* path;
    };
    const Row rows[] = {
        {"Sponsor.srf", "Ads\\\\Sponsor.srf"},
        {"a b.srf", "Ads\\\\a b.srf"},
        {"", ""},
        {".", ""},
        {"..", ""},
        {"..\\settings.ini", ""},
        {"x..srf", ""},
        {"sub\\a.srf", ""},
        {"sub/a.srf", ""},
        {"C:a.srf", ""},
        {"a\r\nb.srf", ""},
        {"a\tb.srf", ""},
        {"\x7f.srf", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(AdFilePath("Ads\\", r.name), r.path);
    }
    EXPECT_EQ(AdFilePath("D:\\Game\\Ads", "x.srf"), "D:\\Game\\Ads\\x.srf");
}

TEST(AdFiles, StandByRepeatsAreHeldToTheAnimationsRange) {
    struct Row {
        const char* what;
        std::int32_t duration;
        double rate;
        std::int32_t cels;
        std::int32_t repeats;
    };
    const Row rows[] = {
        {"thirty seconds of 15 cels at 15 fps", 30000, 15.0, 15, 30},
        {"truncated", 1999, 15.0, 15, 1},
        {"no cels counts one", 3000, 15.0, 0, 45},
        {"negative cels count one", 3000, 15.0, -4, 45},
        {"negative duration", -30000, 15.0, 15, 0},
        {"huge", INT_MAX, 15.0, 1, 2045},
        {"just below the top", 136333, 15.0, 1, 2044},
        {"no rate", 30000, 0.0, 15, 0},
        {"rate not a number", 30000, std::nan(""), 15, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(StandByRepeats(r.duration, r.rate, r.cels), r.repeats);
    }
}
