#include "controls/ListControl.h"

#include "ControlsFixture.h"
#include "TextItems.h"
#include "controls/ListSelectionMsgs.h"
#include "controls/ScrollBarControl.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseReceiverThing.h"
#include "sequencers/ParallelSequencer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Strip 900 of tests/fixtures/controls/controls-art.json: animation 1 shows
// text items 1..4 as four rows from (100, 300) to (300, 380); animation 3 is a
// hit area over them (row height 20), animation 5 one three rows tall;
// animation 7 holds two columns of four rows (items 5..12); animation 9 an
// opening animation, 16 a fifth column (items 17..20), 18 a closing one.
constexpr std::int32_t kArt = 900;
constexpr std::int16_t kLeft = 150;
constexpr std::int16_t kTop = 300;

const xRGB kColours[4] = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}};

class ListControlTest : public ControlsFixture {
  protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        journal_.shortNames = {{"MsgListSelectionChanged", "Changed"},
                               {"MsgListSelectionUnChanged", "UnChanged"},
                               {"MsgListSelectionDoubleClick", "Double"}};
        journal_.withTimes = false;
    }

    struct Options {
        std::int32_t capacity = 6;
        bool drop = false;
        std::int32_t hitArea = 3;
        std::int32_t textAnimation = 1;
        std::int32_t first = 1;
        std::int32_t last = 4;
        std::int32_t columns = 1;
        std::int32_t opening = 0;
        std::int32_t closing = 0;
        std::int32_t fifth = -1;
    };
    std::unique_ptr<ListControl> Make(const Options& o) {
        auto list = std::make_unique<ListControl>(view_.get(), &journal_, 10, o.first, o.last, kArt, o.opening,
                                                  o.closing, o.textAnimation, o.hitArea, o.columns, o.capacity,
                                                  o.drop, o.fifth);
        for (int k = 0; k < 4; ++k) {
            StripOf(list->GetTextAnimation()).SetColour(o.first, k, kColours[k]);
        }
        return list;
    }
    std::unique_ptr<ListControl> MakeStarted(const Options& o) {
        auto list = Make(o);
        EXPECT_GT(StartAndSettle(*list), 0);
        EXPECT_TRUE(list->IsStarted());
        Run();  // the pass that enters started
        return list;
    }
    static std::vector<std::int32_t> Add(ListControl& list, const std::string& letters) {
        std::vector<std::int32_t> ids;
        for (char c : letters) {
            ids.push_back(list.AddRow(std::string(1, c), "", "", "", "", true, 0, 1));
        }
        return ids;
    }
    static std::string Shown(ListControl& list) { return ItemTexts(list.GetTextAnimation(), 1, 4); }
    static void Key(ListControl& list, std::int32_t key) { list.OnKeyboardChar(KeyboardCharMsg(key)); }
    void Click(std::int16_t line) {
        Mouse().OnLeftButtonDown(kLeft, static_cast<std::int16_t>(kTop + 20 * line + 5));
        Run();
        Mouse().OnLeftButtonUp(kLeft, static_cast<std::int16_t>(kTop + 20 * line + 5));
        Run();
    }

    Journal journal_;
};

std::string Reversed(const std::string& shown) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : shown + "|") {
        if (c == '|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    std::string out;
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) {
        out += (it == parts.rbegin() ? "" : "|") + *it;
    }
    return out;
}

// Operation scripts and the four items they leave, top to bottom, in forward
// order; in reverse order the same rows show bottom to top unless the case
// says otherwise (the keys that scroll swap their directions).
TEST_F(ListControlTest, ScriptsShowTheirRowsInBothOrders) {
    using Script = std::function<void(ListControl&)>;
    struct Case {
        const char* what;
        Options options;
        Script script;
        const char* forward;
        const char* reverse;  // null: the forward rows bottom to top
        std::int32_t top;
        std::int32_t reverseTop;
    };
    const auto keys = [](std::vector<std::int32_t> codes) {
        return [codes](ListControl& l) {
            for (std::int32_t k : codes) {
                Key(l, k);
            }
        };
    };
    Options fixed4{};
    fixed4.capacity = 0;
    fixed4.drop = true;
    const Case cases[] = {
        {"fewer rows than a page", {}, [](ListControl& l) { Add(l, "abc"); }, "a|b|c|", nullptr, 0, 0},
        {"a full page and more", {}, [](ListControl& l) { Add(l, "abcdef"); }, "a|b|c|d", nullptr, 0, 0},
        {"drop when full, in front",
         fixed4,
         [](ListControl& l) {
             l.ClearAppendAtEnd();
             Add(l, "abcde");
         },
         "e|d|c|b", nullptr, 0, 0},
        {"drop when full, at the end", fixed4, [](ListControl& l) { Add(l, "abcde"); }, "a|b|c|e", nullptr, 0, 0},
        {"refused when full", {.capacity = 0}, [](ListControl& l) { Add(l, "abcde"); }, "a|b|c|d", nullptr, 0, 0},
        {"sorted as text",
         {},
         [](ListControl& l) {
             l.SetSorted();
             Add(l, "cab");
         },
         "a|b|c|", nullptr, 0, 0},
        {"sorted as rising numbers",
         {},
         [](ListControl& l) {
             l.SetSorted();
             l.SetSortKeys(0, 1, -1, 0, -1, 0, -1, 0, -1, 0);
             for (const char* n : {"10", "9", "100", "-3x"}) l.AddRow(n, "", "", "", "", true, 0, 1);
         },
         "-3x|9|10|100", nullptr, 0, 0},
        {"sorted as falling numbers",
         {},
         [](ListControl& l) {
             l.SetSorted();
             l.SetSortKeys(0, 2, -1, 0, -1, 0, -1, 0, -1, 0);
             for (const char* n : {"10", "9", "100", "99999999999"}) l.AddRow(n, "", "", "", "", true, 0, 1);
         },
         "99999999999|100|10|9", nullptr, 0, 0},
        {"a skipped key and a second column",
         {},
         [](ListControl& l) {
             l.SetSorted();
             l.SetSortKeys(0, -1, 1, 0, 2, -1, 3, -1, 4, 7);
             l.AddRow("x", "b", "", "", "", true, 0, 1);
             l.AddRow("y", "a", "", "", "", true, 0, 1);
         },
         "y|x||", nullptr, 0, 0},
        {"SetCell sorts again",
         {},
         [](ListControl& l) {
             l.SetSorted();
             const auto ids = Add(l, "abc");
             l.SetCell(ids[0], 0, "z", false);
         },
         "b|c|z|", nullptr, 0, 0},
        {"SetCell without sorting",
         {},
         [](ListControl& l) {
             l.SetSorted();
             const auto ids = Add(l, "abc");
             l.SetCell(ids[0], 0, "z", true);
         },
         "z|b|c|", nullptr, 0, 0},
        {"keys scroll without a selection", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             keys({17, 17})(l);
         },
         "c|d|e|f", "a|b|c|d", 2, 0},
        {"end and home", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             keys({25})(l);
         },
         "g|h|i|j", "a|b|c|d", 6, 0},
        {"up in reverse order scrolls toward later rows", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             keys({16, 16, 16})(l);
         },
         "a|b|c|d", "d|e|f|g", 0, 3},
        {"page down jumps to the end a row early", {}, [keys](ListControl& l) {
             Add(l, "abcdefghi");
             l.LineDown();
             keys({21})(l);
         },
         "f|g|h|i", "a|b|c|d", 5, 0},
        {"page down from the top", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             keys({21})(l);
         },
         "d|e|f|g", "a|b|c|d", 3, 0},
        {"page up", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             keys({25, 20})(l);
         },
         "d|e|f|g", "d|e|f|g", 3, 3},
        {"keys move the selection", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             l.EnableSelection();
             keys({17, 17, 17, 17, 17})(l);
         },
         "c|d|e|f", "c|d|e|f", 2, 2},
        {"end with the selection on the last page", {}, [keys](ListControl& l) {
             Add(l, "abcdefghij");
             l.EnableSelection();
             l.SelectRow(l.GetRowId(7));
             keys({25})(l);
         },
         "g|h|i|j", "g|h|i|j", 6, 6},
    };
    for (const bool forward : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.what << (forward ? " (forward)" : " (reverse)"));
            auto list = MakeStarted(c.options);
            if (!forward) {
                list->SetReverseOrder();
            }
            c.script(*list);
            const std::string expected =
                forward ? c.forward : (c.reverse != nullptr ? Reversed(c.reverse) : Reversed(c.forward));
            EXPECT_EQ(Shown(*list), expected);
            EXPECT_EQ(list->GetTop(), forward ? c.top : c.reverseTop);
        }
    }
}

TEST_F(ListControlTest, CellsMapToItemsByColumnAndOrder) {
    Options o;
    o.textAnimation = 7;
    o.first = 12;  // the smaller number is the first item
    o.last = 5;
    o.columns = 2;
    auto list = MakeStarted(o);
    EXPECT_EQ(list->GetRowsPerPage(), 4);
    list->AddRow("a0", "a1", "", "", "", true, 0, 1);
    list->AddRow("b0", "b1", "", "", "", false, 2, 3);
    Animation& text = list->GetTextAnimation();
    EXPECT_EQ(ItemTexts(text, 5, 8), "a0|b0|||a1|b1||");
    EXPECT_EQ(list->ItemOf(1, 1), 10);
    list->SetReverseOrder();
    list->Refresh();
    EXPECT_EQ(list->ItemOf(0, 0), 8);
    EXPECT_EQ(list->ItemOf(1, 1), 11);
    EXPECT_EQ(ItemTexts(text, 5, 8), "||b0|a0|||b1|a1");
    // The colours come from the first item's table (item 12 here): a marked row
    // shows its first colour, an unmarked one its second.
    EXPECT_EQ(ItemColour(text, 8), kColours[0]);
    EXPECT_EQ(ItemColour(text, 7), kColours[3]);

    Options five = o;
    five.columns = 5;
    auto cut = Make(five);
    EXPECT_EQ(cut->GetColumnCount(), 4) << "no fifth-column animation";
    Options withFifth{};
    withFifth.columns = 5;
    withFifth.first = 1;
    withFifth.last = 20;
    withFifth.fifth = 16;
    auto full = MakeStarted(withFifth);
    EXPECT_EQ(full->GetColumnCount(), 5);
    EXPECT_EQ(full->GetFifthColumnAnimation()->GetLayer(), full->GetLayer() + 1);
    full->AddRow("c0", "c1", "c2", "c3", "c4", true, 0, 1);
    EXPECT_EQ(ItemTexts(*full->GetFifthColumnAnimation(), 17, 2), "c4|");
}

TEST_F(ListControlTest, AnAutoGrownListGrowsByAPage) {
    auto list = MakeStarted({.capacity = -1});
    std::vector<std::int32_t> seen;
    for (int i = 0; i < 17; ++i) {
        const std::int32_t before = list->GetCapacity();
        EXPECT_NE(list->AddRow(std::to_string(i), "", "", "", "", true, 0, 1), -1);
        if (list->GetCapacity() != before || i == 0) {
            seen.push_back(before);
        }
    }
    seen.push_back(list->GetCapacity());
    EXPECT_EQ(seen, (std::vector<std::int32_t>{8, 8, 12, 16, 20}));
    EXPECT_EQ(list->GetRowCount(), 17);
    std::string cell;
    EXPECT_EQ(list->GetCellText(cell, list->GetRowId(16), 0), "16");
}

TEST_F(ListControlTest, RowIdsFindAndWalk) {
    auto list = MakeStarted({.capacity = 0});
    const auto ids = Add(*list, "abcd");
    EXPECT_EQ(ids[1], ids[0] + 1);
    const std::int32_t refused = list->AddRow("e", "", "", "", "", true, 0, 1);
    EXPECT_EQ(refused, -1);
    list->RemoveRow(ids[0]);
    EXPECT_EQ(list->AddRow("f", "", "", "", "", true, 0, 1), ids[3] + 2) << "the refused add used an id";
    list->RemoveAllRows();
    Add(*list, "xYz");
    EXPECT_EQ(list->FindRow(0, "y", true), -1);
    EXPECT_EQ(list->FindRow(0, "y", false), list->GetRowId(1));
    EXPECT_EQ(list->FindRowEx(0, "Z"), list->GetRowId(2));
    EXPECT_EQ(list->GetRowId(3), -1);
    EXPECT_EQ(list->GetRowId(-1), -1);
    std::string out = "old";
    EXPECT_EQ(list->GetCellText(out, 12345678, 0), "");
    EXPECT_EQ(list->SetCell(12345678, 0, "q", false), -1);
    EXPECT_EQ(list->RemoveRow(12345678), -1);

    std::string walked;
    for (const std::string* cell = list->BeginCellIteration(); cell != nullptr; cell = list->NextCellText()) {
        walked += *cell;
    }
    EXPECT_EQ(walked, "xYz");
    list->SetReverseOrder();
    walked.clear();
    for (const std::string* cell = list->BeginCellIteration(); cell != nullptr; cell = list->NextCellText()) {
        walked += *cell;
    }
    EXPECT_EQ(walked, "zYx");
}

// The selection names the row it showed.
TEST_F(ListControlTest, TheSelectionFollowsItsRow) {
    auto list = MakeStarted({});
    list->EnableSelection();
    EXPECT_EQ(list->GetSelectedRowId(), -1) << "an empty list has no selected row";
    const auto ids = Add(*list, "abcd");
    list->SelectRow(ids[2]);
    list->RemoveRow(ids[0]);
    EXPECT_EQ(list->GetSelectedRowId(), ids[2]);
    list->ClearAppendAtEnd();
    const std::int32_t e = list->AddRow("e", "", "", "", "", true, 0, 1);
    EXPECT_EQ(list->GetSelectedRowId(), ids[2]) << "a row inserted before it";
    list->SetSorted();
    list->SetCell(e, 0, "zz", false);
    EXPECT_EQ(list->GetSelectedRowId(), ids[2]) << "sorted again";
    list->RemoveRow(ids[2]);
    EXPECT_EQ(list->GetSelectedRowId(), -1);
    list->SelectRow(ids[3]);
    list->RemoveAllRows();
    EXPECT_EQ(list->GetSelectedRowId(), -1);
    EXPECT_EQ(journal_.text, "") << "none of these sends a list message";
}

TEST_F(ListControlTest, TheHighlightMarksTheSelectedLine) {
    auto list = MakeStarted({});
    const auto ids = Add(*list, "abc");
    Animation& text = list->GetTextAnimation();
    EXPECT_EQ(ItemBackground(text, 2), ListControl::kNoColour);
    list->EnableSelection();
    list->SelectRow(ids[1]);
    list->SetHighlightColour({1, 2, 3});
    list->Refresh();
    EXPECT_EQ(ItemBackground(text, 2), (xRGB{1, 2, 3}));
    EXPECT_EQ(ItemBackground(text, 1), ListControl::kNoColour);
    list->UnmarkRow(ids[0]);
    EXPECT_FALSE(list->IsRowMarked(ids[0]));
    EXPECT_TRUE(list->IsRowMarked(ids[1]));
    EXPECT_EQ(ItemColour(text, 1), kColours[1]);
    list->DisableSelection();
    EXPECT_EQ(ItemBackground(text, 2), ListControl::kNoColour);
    EXPECT_FALSE(list->IsRowMarked(ids[1])) << "reads false while selection is off";
}

TEST_F(ListControlTest, SelectionKeysSendChanged) {
    auto list = MakeStarted({});
    Add(*list, "abcdefghij");
    list->EnableSelection();
    for (std::int32_t key : {17, 17, 16, 16, 16, 21, 20, 24, 25, 25, 30}) {
        Key(*list, key);
    }
    // The second up at row 0, home at 0 and the second end change nothing.
    EXPECT_EQ(journal_.text, "Changed Changed Changed Changed Changed Changed Changed");
    EXPECT_EQ(list->GetSelectedIndex(), 9);
}

TEST_F(ListControlTest, TheScrollBarFollowsAndLeads) {
    auto list = Make({});
    list->CreateScrollBar(800, 1, 3, 0, 5, 7, 0, 0, 9, 0, 0);
    ScrollBarControl& bar = *list->GetScrollBar();
    EXPECT_EQ(bar.GetLayer(), list->GetLayer() + 1);
    ASSERT_GT(StartAndSettle(*list), 0);
    Run();
    EXPECT_TRUE(bar.IsStarted());
    Add(*list, "abcdefghij");
    EXPECT_EQ(bar.GetCount(), 10);
    EXPECT_EQ(bar.GetPageSize(), 4);
    list->LineDown();
    EXPECT_EQ(bar.GetTop(), 1);
    bar.LineDown();
    Run();
    EXPECT_EQ(list->GetTop(), 2);
    EXPECT_EQ(Shown(*list), "c|d|e|f");
    bar.PageDown();
    Run();
    EXPECT_EQ(list->GetTop(), 5);
    list->SetReverseOrder();
    EXPECT_TRUE(bar.IsReversed());
    list->SetForwardOrder();
    EXPECT_FALSE(bar.IsReversed());
}

TEST_F(ListControlTest, ClicksOnTheHitArea) {
    auto list = MakeStarted({});
    ASSERT_NE(list->GetHitArea(), nullptr);
    EXPECT_EQ(list->GetRowHeight(), 20);
    Add(*list, "ab");
    struct Step {
        const char* what;
        std::int16_t line;
        bool twice;
        const char* sent;
        std::int32_t selected;
    };
    const Step steps[] = {
        {"select", 1, false, "Changed", 1},
        {"the same row", 1, false, "UnChanged", 1},
        {"below the last row", 3, false, "", 1},
        {"double click on the selected row", 1, true, "Double", 1},
        {"double click elsewhere", 0, true, "", 1},
        {"another row", 0, false, "Changed", 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        journal_.Mark();
        if (s.twice) {
            Mouse().OnLeftButtonDoubleClick(kLeft, static_cast<std::int16_t>(kTop + 20 * s.line + 5));
            Run();
            Mouse().OnLeftButtonUp(kLeft, static_cast<std::int16_t>(kTop + 20 * s.line + 5));
            Run();
        } else {
            Click(s.line);
        }
        EXPECT_EQ(journal_.text, s.sent);
        EXPECT_EQ(list->GetSelectedIndex(), s.selected);
    }
}

// A hit area shorter than the page has a row height of 0: clicks are ignored
// instead of dividing by it.
TEST_F(ListControlTest, AZeroRowHeightIgnoresClicks) {
    auto list = MakeStarted({.hitArea = 5});
    EXPECT_EQ(list->GetRowHeight(), 0);
    Add(*list, "ab");
    Mouse().OnLeftButtonDown(kLeft, kTop + 1);
    Run();
    Mouse().OnLeftButtonDoubleClick(kLeft, kTop + 1);
    Run();
    Mouse().OnLeftButtonUp(kLeft, kTop + 1);
    Run();
    EXPECT_EQ(journal_.text, "");
    EXPECT_EQ(list->GetSelectedIndex(), -1);
}

TEST_F(ListControlTest, OpensAndClosesAroundItsBody) {
    auto list = Make({.opening = 9, .closing = 18});
    list->Start();
    for (int i = 0; i < 400 && !list->IsStarted(); ++i) {
        RunFor(1);
    }
    ASSERT_TRUE(list->IsStarted());
    EXPECT_TRUE(list->GetBodySequencer().IsStarted());
    Add(*list, "a");
    EXPECT_EQ(Shown(*list), "a|||");
    list->Stop();
    for (int i = 0; i < 400 && !list->IsStopped(); ++i) {
        RunFor(1);
    }
    EXPECT_TRUE(list->IsStopped());
    EXPECT_TRUE(list->GetTextAnimation().IsStopped());
    Add(*list, "b");
    EXPECT_EQ(Shown(*list), "a|||") << "stored, not drawn, while stopped";
    EXPECT_EQ(list->GetRowCount(), 2);
}

}  // namespace

namespace {

// The first text item gives the colour table and is a line of the list as
// well: the colours the list draws there do not change the table, and a stop
// hands the item its first colour back for the next list.
TEST_F(ListControlTest, TheColourTableIsNotTheColoursDrawnIntoTheFirstItem) {
    auto list = MakeStarted(Options{});
    // Forward order: row 0 is drawn in the first item.
    list->AddRow("two", "", "", "", "", true, 2, 1);
    RunFor(2);
    EXPECT_EQ(ItemColour(list->GetTextAnimation(), 1), kColours[2]);
    list->AddRow("zero", "", "", "", "", true, 0, 1);
    EXPECT_EQ(list->GetRow(1).first, kColours[0]);
    list->Stop();
    for (int i = 0; i < 100 && !list->IsStopped(); ++i) {
        RunFor(1);
    }
    ASSERT_TRUE(list->IsStopped());
    EXPECT_EQ(ItemColour(list->GetTextAnimation(), 1), kColours[0]);
    list.reset();

    ListControl next(view_.get(), &journal_, 10, 1, 4, kArt, 0, 0, 1, 3, 1, 6, false, -1);
    next.AddRow("zero", "", "", "", "", true, 0, 1);
    EXPECT_EQ(next.GetRow(0).first, kColours[0]);
}

}  // namespace
