// The controls drawn on the real screen canvas under SDL's dummy video driver,
// their art from the .srf our writer made, and the window's back buffer read
// back after each pass: a pressed push button shows its down image, a scroll
// bar's thumb sits where its position says.

#include "ControlsFixture.h"
#include "TextItems.h"
#include "controls/ChatBox.h"
#include "controls/EditControl.h"
#include "controls/ListControl.h"
#include "controls/LocalOriginChatMsg.h"
#include "controls/PushButtonControl.h"
#include "controls/ScrollBarControl.h"
#include "divir/xTryFrame.h"
#include "framework/KeyboardCharMsg.h"
#include "media/xPalette.h"
#include "platform/HostPath.h"
#include "resource/LanguageFilter.h"
#include "resource/SingleSrfFilterSource.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// A rectangle of the window and the index every pixel in it must have.
struct Patch {
    xRect rect;
    std::uint8_t index;
};

class FrameReadBackTest : public ControlsFixture {
  protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        ASSERT_NE(view_->GetWindow(), nullptr);
        view_->ClearScreen(xPalette::Default());
        ASSERT_EQ(Back().Depth(), 8);
        background_ = Back().Row(0)[0];
    }

    const platform::Surface& Back() { return *platform::GetBackBuffer(view_->GetWindow()); }

    // Pixels inside `area` that differ from what belongs there: the index of
    // the last patch holding the pixel, the background everywhere else.
    int Wrong(const xRect& area, const std::vector<Patch>& patches) {
        const platform::Surface& back = Back();
        int wrong = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint8_t* row = back.Row(y);
            for (int x = area.left; x < area.right; ++x) {
                std::uint8_t expected = background_;
                for (const Patch& p : patches) {
                    if (x >= p.rect.left && x < p.rect.right && y >= p.rect.top && y < p.rect.bottom) {
                        expected = p.index;
                    }
                }
                wrong += row[x] != expected ? 1 : 0;
            }
        }
        return wrong;
    }

    // The columns of `area` that hold a pixel other than the background.
    std::vector<int> InkColumns(const xRect& area) {
        const platform::Surface& back = Back();
        std::vector<int> columns;
        for (int x = area.left; x < area.right; ++x) {
            for (int y = area.top; y < area.bottom; ++y) {
                if (back.Row(y)[x] != background_) {
                    columns.push_back(x);
                    break;
                }
            }
        }
        return columns;
    }
    // The pixels of the area, row by row.
    std::vector<std::uint8_t> Pixels(const xRect& area) {
        std::vector<std::uint8_t> out;
        for (int y = area.top; y < area.bottom; ++y) {
            const std::uint8_t* row = Back().Row(y);
            out.insert(out.end(), row + area.left, row + area.right);
        }
        return out;
    }

    std::uint8_t background_ = 0;
};

// Strip 700 of tests/fixtures/controls/controls-art.json: the up image's cel 0
// fills (98, 48) to (162, 72) with index 10, the down image (100, 50) to
// (160, 70) with index 12.
TEST_F(FrameReadBackTest, APressedButtonShowsItsDownImage) {
    const xRect around{90, 40, 170, 80};
    const Patch up{{98, 48, 162, 72}, 10};
    const Patch down{{100, 50, 160, 70}, 12};
    PushButtonControl button(view_.get(), nullptr, 10, 700, 0, 0, 1, 4, 0);
    ASSERT_GT(StartAndSettle(button), 0);
    RunFor(2);
    EXPECT_EQ(Wrong(around, {up}), 0) << "up";

    struct Step {
        const char* what;
        bool press, release;
        std::int16_t x, y;
        Patch shown;
    };
    const Step steps[] = {
        {"pressed", true, false, 110, 60, down},
        {"slid off", false, false, 10, 10, up},
        {"slid back", false, false, 159, 69, down},
        {"released", false, true, 159, 69, up},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.press) {
            Mouse().OnLeftButtonDown(s.x, s.y);
        } else if (s.release) {
            Mouse().OnLeftButtonUp(s.x, s.y);
        } else {
            Mouse().OnMouseMove(s.x, s.y);
        }
        RunFor(2);
        EXPECT_EQ(Wrong(around, {s.shown}), 0);
    }
}

// Strip 800: the first arrow (600, 100) to (616, 116) in index 10, the second
// (600, 233) to (616, 249) in index 12, a thumb 17 rows tall in index 14 on a
// track from row 116 to 233 (101 offsets), the track itself not drawn.
TEST_F(FrameReadBackTest, TheThumbSitsWhereThePositionSays) {
    auto bar = std::make_unique<ScrollBarControl>(view_.get(), nullptr, 20, 800, 1, 3, 0, 5, 7, 0, 0, 9, 0, 0);
    ASSERT_GT(StartAndSettle(*bar), 0);
    const xRect around{590, 90, 626, 260};
    const Patch first{{600, 100, 616, 116}, 10};
    const Patch second{{600, 233, 616, 249}, 12};
    struct Case {
        std::int32_t count, top, pageSize;
        bool reversed;
        std::int16_t offset;
    };
    const Case cases[] = {
        {10, 0, 4, false, 0}, {10, 3, 4, false, 50}, {10, 6, 4, false, 100},
        {10, 1, 4, false, 16}, {10, 1, 4, true, 84}, {10, 6, 4, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.count << "," << c.top << "," << c.pageSize << " " << c.reversed);
        if (c.reversed) {
            bar->SetReversed();
        }
        bar->SetRange(c.count, c.top, c.pageSize);
        bar->UpdateThumb();
        RunFor(2);
        const std::int16_t y = static_cast<std::int16_t>(116 + c.offset);
        EXPECT_EQ(Wrong(around, {first, second, {{600, y, 616, static_cast<std::int16_t>(y + 17)}, 14}}), 0);
    }
    bar->Stop();
}

// Strip 900: the chat lines are text items 1..4 from (100, 300) to (300, 380),
// 20 rows each, the entry (style 11130) from (100, 400) to (400, 420); each
// item's cels make colour 0 current before drawing. The language filter holds
// the sample list ("darn", ...).
// Strip 900: animation 1 shows text items 1..4 as rows 20 pixels tall from
// (100, 300) to (300, 380); the selected row is filled in the highlight colour.
TEST_F(FrameReadBackTest, AListShowsItsSelectedRowInTheHighlightColour) {
    Journal sent;
    ListControl list(view_.get(), &sent, 10, 1, 4, 900, 0, 0, 1, 3, 1, 6, false, -1);
    StripOf(list.GetTextAnimation()).SetColour(1, 0, {255, 255, 255});
    ASSERT_GT(StartAndSettle(list), 0);
    std::vector<std::int32_t> ids;
    for (const char* text : {"one", "two", "three"}) {
        ids.push_back(list.AddRow(text, "", "", "", "", true, 0, 1));
    }
    list.EnableSelection();
    list.SelectRow(ids[1]);
    RunFor(100);

    const auto row = [](int k) {
        return xRect(100, static_cast<std::int16_t>(300 + 20 * k), 300, static_cast<std::int16_t>(320 + 20 * k));
    };
    const auto count = [this](const xRect& area, std::uint8_t index) {
        int n = 0;
        for (std::uint8_t p : Pixels(area)) n += p == index ? 1 : 0;
        return n;
    };
    const std::uint8_t highlight = Back().Row(row(1).top)[row(1).left];
    ASSERT_NE(highlight, background_);
    EXPECT_GT(count(row(1), highlight), row(1).Width() * row(1).Height() * 3 / 4) << "the cell is filled";
    EXPECT_FALSE(InkColumns(row(0)).empty()) << "the row above shows its text";
    EXPECT_EQ(count(row(0), highlight), 0);
    EXPECT_EQ(count(row(2), highlight), 0);

    // The highlight follows the selection and goes with it.
    list.SelectRow(ids[2]);
    RunFor(100);
    EXPECT_EQ(count(row(1), highlight), 0);
    EXPECT_GT(count(row(2), highlight), row(2).Width() * row(2).Height() * 3 / 4);
    list.DisableSelection();
    RunFor(100);
    EXPECT_EQ(count(row(2), highlight), 0);
    list.Stop();
    for (int i = 0; i < 100 && !list.IsStopped(); ++i) {
        RunFor(1);
    }
}

TEST_F(FrameReadBackTest, AChatBoxShowsItsNewestLineAtTheBottomAndTheCaretAfterTheText) {
    SingleSrfFilterSource source(platform::ToWindowsPath(std::string(CONTROLS_ART) + "/LanguageFilter.srf"));
    SetLanguageFilterSource(&source);
    ASSERT_EQ(xTry([&] { LanguageFilterLoad(1000, this); }), 0);
    SetLanguageFilterSource(nullptr);

    Journal sent;
    sent.shortNames = {{"LocalOriginChatMsg", "Chat"}};
    sent.withTimes = false;
    Animation probe(view_.get(), 900, 12);
    const int entryItem = StripOf(probe).FindItem(11130);
    // White text on the cleared screen.
    StripOf(probe).SetColour(1, 0, {255, 255, 255});
    StripOf(probe).SetColour(1, 1, {255, 255, 0});
    StripOf(probe).SetColour(entryItem, 0, {255, 255, 255});
    ChatBox chat(view_.get(), &sent, 10, 900, 1, 4, 0, 0, 1, 12, entryItem, 0, 0, 0, "Host", 100, false);
    chat.SetFlag(true);
    ASSERT_GT(StartAndSettle(chat), 0);
    chat.OnGainedKeyboardFocus();
    const auto type = [&chat](const std::string& keys) {
        for (unsigned char c : keys) {
            chat.OnKeyboardChar(KeyboardCharMsg(c));
        }
    };
    chat.AddText("first");
    type("second line\r");
    RunFor(2);
    EXPECT_EQ(sent.text, "Chat");
    chat.AddText("second line");  // as the owner echoes what was sent
    type("darn\r");
    RunFor(100);

    const auto line = [](int k) {
        return xRect(100, static_cast<std::int16_t>(300 + 20 * k), 300, static_cast<std::int16_t>(320 + 20 * k));
    };
    // Three lines at the bottom of four: "first", "second line" and the
    // filter's answer, each wider than the one above it.
    EXPECT_TRUE(InkColumns(line(0)).empty());
    const std::vector<int> oldest = InkColumns(line(1));
    const std::vector<int> older = InkColumns(line(2));
    const std::vector<int> newest = InkColumns(line(3));
    ASSERT_FALSE(oldest.empty());
    ASSERT_FALSE(older.empty());
    ASSERT_FALSE(newest.empty());
    EXPECT_GT(older.back(), oldest.back());
    EXPECT_GT(newest.back(), older.back());

    // The caret shows for 600 ms after the last key; past that it is off
    // until 1200 ms.
    const xRect entry{100, 400, 400, 420};
    const std::vector<std::uint8_t> withCaret = Pixels(entry);
    const std::vector<int> caretColumns = InkColumns(entry);
    RunFor(600);
    const std::vector<std::uint8_t> without = Pixels(entry);
    const std::vector<int> textColumns = InkColumns(entry);
    ASSERT_FALSE(textColumns.empty()) << "the entry keeps the rejected text";
    std::vector<int> changed;
    for (std::size_t i = 0; i < withCaret.size(); ++i) {
        if (withCaret[i] != without[i]) {
            const int x = entry.left + static_cast<int>(i % static_cast<std::size_t>(entry.Width()));
            if (changed.empty() || changed.back() != x) {
                changed.push_back(x);
            }
        }
    }
    std::sort(changed.begin(), changed.end());
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    ASSERT_EQ(changed.size(), 1u) << "the caret is one column";
    EXPECT_GE(changed[0], textColumns.back()) << "after the typed text";
    EXPECT_EQ(caretColumns.back(), changed[0]);

    // The filter's answer came in as the newest line, at the bottom.
    EXPECT_EQ(ItemTexts(chat.GetLines().GetTextAnimation(), 3, 2),
              "second line|<Host>: We don't use words like darn here.");
    EXPECT_EQ(sent.text, "Chat") << "nothing more was sent";
    chat.Stop();
    for (int i = 0; i < 100 && !chat.IsStopped(); ++i) {
        RunFor(1);
    }
    LanguageFilterClear();
}

}  // namespace
