#include "controls/AgingListControl.h"

#include "ControlsFixture.h"
#include "TextItems.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// Strip 900: animation 1 shows text items 1..4 as four rows.
constexpr std::int32_t kArt = 900;
// Colour 1 of item 1's table: red falls all the way, green part of the way,
// blue stays.
constexpr xRGB kEnd{0, 100, 255};
constexpr xRGB kOther{250, 0, 10};

class AgingListControlTest : public ControlsFixture {
  protected:
    std::unique_ptr<AgingListControl> Make(std::int32_t capacity, bool drop) {
        auto list = std::make_unique<AgingListControl>(view_.get(), nullptr, 10, 1, 4, kArt, 0, 0, 1, 0, 1,
                                                       capacity, drop);
        StripOf(list->GetTextAnimation()).SetColour(1, 1, kEnd);
        StripOf(list->GetTextAnimation()).SetColour(1, 2, kOther);
        return list;
    }
    std::unique_ptr<AgingListControl> MakeStarted(std::int32_t capacity = 0, bool drop = false) {
        auto list = Make(capacity, drop);
        EXPECT_GT(StartAndSettle(*list), 0);
        Run();
        EXPECT_TRUE(list->IsAgeing());
        return list;
    }
    static std::int32_t AddLine(AgingListControl& list, const std::string& text, std::int32_t colour = 1) {
        return list.AddRow(text, "", "", "", "", true, colour, 0);
    }
    static xRGB Shown(AgingListControl& list, int item) { return ItemColour(list.GetTextAnimation(), item); }
};

// start + (end - start) * elapsed / 5000 per channel, truncated toward zero.
TEST_F(AgingListControlTest, ANewRowFadesFromWhiteToItsColour) {
    auto list = MakeStarted();
    AddLine(*list, "a");
    EXPECT_EQ(list->GetEndColour(0), kEnd);
    struct Step {
        std::uint32_t at;  // ms after the add
        xRGB colour;
        std::int32_t state;
    };
    const Step steps[] = {
        {0, {255, 255, 255}, 1},
        {1, {255, 255, 255}, 1},     // 255 - 255 * 1 / 5000 = 255 - 0
        {2500, {128, 178, 255}, 1},  // 255 - 127.5 and 255 - 77.5, both cut toward zero
        {4999, {1, 101, 255}, 1},
        {5000, kEnd, 1},
        {5001, kEnd, 2},
    };
    const std::uint32_t t = GetAppTime();
    for (const Step& s : steps) {
        SCOPED_TRACE(s.at);
        clock_.Set(t + s.at);  // the manual clock is the application time
        Run();
        EXPECT_EQ(list->GetRow(0).first, s.colour);
        EXPECT_EQ(Shown(*list, 1), s.colour);
        EXPECT_EQ(list->GetAgeState(0), s.state);
    }
    EXPECT_FALSE(list->HasAgeingRows());
}

TEST_F(AgingListControlTest, OlderRowsKeepTheirOwnClocks) {
    auto list = MakeStarted();
    list->ClearAppendAtEnd();
    const std::uint32_t t = GetAppTime();
    AddLine(*list, "old");
    clock_.Advance(2500);
    Run();
    AddLine(*list, "new", 2);
    EXPECT_EQ(list->GetStartTime(1), t) << "moved with its row";
    EXPECT_EQ(list->GetStartTime(0), t + 2500);
    clock_.Advance(2501);
    Run();
    EXPECT_EQ(list->GetRow(1).first, kEnd) << "the old row has settled";
    EXPECT_EQ(list->GetAgeState(1), 2);
    // 255 + (250 - 255) * 2501 / 5000 = 253; 255 - 255 * 2501 / 5000 = 128; 255 - 245 * 2501 / 5000 = 133.
    EXPECT_EQ(list->GetRow(0).first, (xRGB{253, 128, 133}));
    EXPECT_EQ(ItemTexts(list->GetTextAnimation(), 1, 2), "new|old");
}

TEST_F(AgingListControlTest, RemovingAllRowsStopsTheFading) {
    auto list = MakeStarted();
    AddLine(*list, "a");
    clock_.Advance(100);
    Run();
    EXPECT_TRUE(list->HasAgeingRows());
    list->RemoveAllRows();
    EXPECT_FALSE(list->HasAgeingRows());
    EXPECT_EQ(list->GetAgeState(0), 2);
    EXPECT_EQ(list->GetStartTime(0), 0xFFFFFFFFu);
    EXPECT_EQ(list->GetEndColour(0), AgingListControl::kWhite);
}

TEST_F(AgingListControlTest, ARefusedAddLeavesTheAgeingData) {
    auto list = MakeStarted(0, false);  // four rows, fixed
    for (const char* text : {"a", "b", "c", "d"}) {
        AddLine(*list, text);
        clock_.Advance(10);
    }
    const std::uint32_t last = list->GetStartTime(3);
    EXPECT_EQ(AddLine(*list, "e", 2), -1);
    EXPECT_EQ(list->GetStartTime(3), last);
    EXPECT_EQ(list->GetEndColour(3), kEnd);
}

TEST_F(AgingListControlTest, TheDataGrowsWithAnAutoGrownList) {
    auto list = MakeStarted(-1, false);
    for (int i = 0; i < 13; ++i) {
        AddLine(*list, std::to_string(i));
    }
    EXPECT_EQ(list->GetCapacity(), 16);
    EXPECT_EQ(list->GetAgeState(12), 1);
    clock_.Advance(5001);
    Run();
    EXPECT_EQ(list->GetRow(12).first, kEnd);
}

// Scheduled only between start and stop; rows added while stopped jump ahead.
TEST_F(AgingListControlTest, FadesOnlyWhileStarted) {
    auto list = Make(0, false);
    EXPECT_FALSE(list->IsAgeing());
    AddLine(*list, "a");
    clock_.Advance(2500);
    EXPECT_GT(StartAndSettle(*list), 0);
    Run();
    EXPECT_EQ(list->GetRow(0).first, (xRGB{128, 178, 255}));
    list->Stop();
    for (int i = 0; i < 50 && !list->IsStopped(); ++i) {
        Run();
    }
    EXPECT_TRUE(list->IsStopped());
    EXPECT_FALSE(list->IsAgeing());
}

}  // namespace
