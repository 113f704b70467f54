#include "controls/ScrollBarControl.h"

#include "ControlsFixture.h"
#include "controls/PushButtonControl.h"
#include "controls/ScrollBarPositionMsg.h"
#include "framework/MouseReceiverThing.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

constexpr std::int32_t kArt = 800;
// A track from y 116 to 233 between the arrows, a thumb 17 rows tall: the
// thumb can take 101 offsets.
constexpr xRect kFirstArrow{600, 100, 616, 116};
constexpr xRect kSecondArrow{600, 233, 616, 249};
constexpr xRect kThumb{600, 116, 616, 133};
constexpr std::int16_t kTrackTop = 116;

// Positions sent, as "position@ms since Mark" (or without the time).
class Positions : public MsgReceiver {
  public:
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* p = dynamic_cast<const ScrollBarPositionMsg*>(&msg)) {
            text += (text.empty() ? "" : " ") + std::to_string(p->GetPosition());
            if (withTimes) {
                text += "@" + std::to_string(GetAppTime() - mark);
            }
        }
        return 0;
    }
    void Mark() {
        mark = GetAppTime();
        text.clear();
    }
    bool withTimes = false;
    std::uint32_t mark = 0;
    std::string text;
};

class ScrollBarControlTest : public ControlsFixture {
  protected:
    void SetUp() override {
        ControlsFixture::SetUp();
        // Strip 800 of tests/fixtures/controls/controls-art.json holds the art as
        // animations 2n - 1 for the numbers n used here: 1 and 2 the first arrow,
        // 3 and 4 the second, 5 the thumb, 6 a drawn track, 7 a thumb as tall as
        // the track and 8 a taller one.
    }

    static std::int32_t Art(std::int32_t n) { return n == 0 ? 0 : 2 * n - 1; }
    std::unique_ptr<ScrollBarControl> Make(std::int32_t thumb = 5, std::int32_t track = 0) {
        auto bar = std::make_unique<ScrollBarControl>(view_.get(), &positions_, 20, kArt, Art(1), Art(2), 0,
                                                      Art(3), Art(4), 0, 0, Art(thumb), 0, Art(track));
        return bar;
    }
    static int ThumbOffset(ScrollBarControl& bar) { return bar.GetThumb().GetBounds().top - kThumb.top; }

    // A press, or a release, on the track at a window row, then a pass.
    void Press(std::int16_t y) {
        Mouse().OnLeftButtonDown(608, y);
        Run();
    }
    void Move(std::int16_t y) {
        Mouse().OnMouseMove(608, y);
        Run();
    }
    void Release(std::int16_t y) {
        Mouse().OnLeftButtonUp(608, y);
        Run();
    }

    Positions positions_;
};

TEST_F(ScrollBarControlTest, IsBuiltFromItsArt) {
    auto bar = Make();
    EXPECT_EQ(bar->GetTrack(), (xRect{600, 116, 616, 233}));
    EXPECT_EQ(bar->GetTravel(), 101);
    EXPECT_EQ(bar->GetFirstArrow().GetBounds(), kFirstArrow);
    EXPECT_EQ(bar->GetSecondArrow().GetBounds(), kSecondArrow);
    EXPECT_EQ(bar->GetThumb().GetBounds(), kThumb);
    EXPECT_EQ(bar->GetFirstArrow().GetLayer(), 21);
    EXPECT_EQ(bar->GetSecondArrow().GetLayer(), 21);
    EXPECT_EQ(bar->GetThumb().GetLayer(), 20);
    EXPECT_EQ(bar->GetTrackNode().GetLayer(), 22);
    EXPECT_EQ(bar->GetTrackNode().GetBounds(), bar->GetTrack());
    EXPECT_TRUE(bar->GetTrackNode().HasReceiver(bar.get()));
    auto drawnTrack = Make(5, 6);
    EXPECT_EQ(drawnTrack->GetTrack(), (xRect{600, 116, 616, 233}));
    EXPECT_EQ(drawnTrack->GetChildCount(), 4);  // the track's art is not kept

    bar->SetLayer(40);
    EXPECT_EQ(bar->GetLayer(), 40);
    EXPECT_EQ(bar->GetFirstArrow().GetLayer(), 40);
    EXPECT_EQ(bar->GetThumb().GetLayer(), 40);
    EXPECT_EQ(bar->GetTrackNode().GetLayer(), 42);
}

// The scroll bar completes its start on its sequencer's own StartedMsg, and
// places the thumb once started.
TEST_F(ScrollBarControlTest, StartsWithItsPartsAndPlacesTheThumb) {
    auto bar = Make();
    bar->SetReversed();  // not applied until the next placement
    EXPECT_EQ(ThumbOffset(*bar), 0);
    EXPECT_GT(StartAndSettle(*bar), 0);
    EXPECT_TRUE(bar->GetThumb().IsStarted());
    EXPECT_TRUE(bar->GetFirstArrow().IsStarted());
    EXPECT_TRUE(bar->GetSecondArrow().IsStarted());
    Run();
    EXPECT_EQ(ThumbOffset(*bar), 100);
    bar->Stop();
    for (int i = 0; i < 20 && !bar->IsStopped(); ++i) {
        Run();
    }
    EXPECT_TRUE(bar->IsStopped());
    EXPECT_TRUE(bar->GetThumb().IsStopped());
}

TEST_F(ScrollBarControlTest, SetRangePlacesTheThumb) {
    struct Case {
        std::int32_t count, top, pageSize;
        int offset;  // -1: stays where it was (at 50)
        std::int32_t keptCount, keptTop, keptPage;
    };
    const Case cases[] = {
        {10, 0, 4, 0, 10, 0, 4},  {10, 6, 4, 100, 10, 6, 4}, {10, 3, 4, 50, 10, 3, 4},
        {10, 1, 4, 16, 10, 1, 4}, {3, 0, 5, -1, 0, 0, 0},    {10, 7, 4, -1, 0, 0, 0},
        {10, 3, 4, 50, 10, 3, 4},  // unchanged: nothing to place
    };
    auto bar = Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.count << "," << c.top << "," << c.pageSize);
        bar->SetRange(10, 3, 4);
        ASSERT_EQ(ThumbOffset(*bar), 50);
        bar->SetRange(c.count, c.top, c.pageSize);
        EXPECT_EQ(ThumbOffset(*bar), c.offset < 0 ? 50 : c.offset);
        EXPECT_EQ(bar->GetCount(), c.keptCount);
        EXPECT_EQ(bar->GetTop(), c.keptTop);
        EXPECT_EQ(bar->GetPageSize(), c.keptPage);
    }
    bar->SetRange(3, 0, 5);
    bar->UpdateThumb();  // a later placement of the empty range
    EXPECT_EQ(ThumbOffset(*bar), 0);
    EXPECT_EQ(positions_.text, "");
}

TEST_F(ScrollBarControlTest, LinesAndPages) {
    enum Op { kLineUp, kLineDown, kPageUp, kPageDown };
    struct Case {
        const char* what;
        std::int32_t count, pageSize, top;
        Op op;
        const char* sent;
        std::int32_t top2;
    };
    const Case cases[] = {
        {"page down by page size - 1", 10, 4, 5, kPageDown, "6", 6},
        {"page down from the start", 10, 4, 0, kPageDown, "3", 3},
        {"page down at the end", 10, 4, 6, kPageDown, "", 6},
        {"page up with page size 1", 10, 1, 5, kPageUp, "4", 4},
        {"page up near the start", 10, 4, 2, kPageUp, "0", 0},
        {"page up at the start", 10, 4, 0, kPageUp, "", 0},
        {"line down", 10, 4, 5, kLineDown, "6", 6},
        {"line down at the end", 10, 4, 6, kLineDown, "", 6},
        {"line up", 10, 4, 3, kLineUp, "2", 2},
        {"line up at the start", 10, 4, 0, kLineUp, "", 0},
    };
    auto bar = Make();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bar->SetRange(c.count, c.top, c.pageSize);
        positions_.Mark();
        switch (c.op) {
            case kLineUp:
                bar->LineUp();
                break;
            case kLineDown:
                bar->LineDown();
                break;
            case kPageUp:
                bar->PageUp();
                break;
            case kPageDown:
                bar->PageDown();
                break;
        }
        EXPECT_EQ(positions_.text, c.sent);
        EXPECT_EQ(bar->GetTop(), c.top2);
        const std::int32_t range = c.count - c.pageSize;
        const int offset = c.top2 == 0 ? 0 : c.top2 == range ? 100 : 100 * c.top2 / range;
        EXPECT_EQ(ThumbOffset(*bar), offset);
    }
}

// Presses on the track through the mouse service: above or below the thumb
// page, on it (both edge rows included) a drag begins.
TEST_F(ScrollBarControlTest, TrackPresses) {
    struct Case {
        const char* what;
        bool reversed;
        std::int16_t y;  // window row; the thumb covers rows 166 to 183
        const char* sent;
        bool drags;
    };
    const Case cases[] = {
        {"above the thumb", false, 140, "0", false},
        {"just above the thumb", false, 165, "0", false},
        {"below the thumb", false, 200, "6", false},
        {"just below the thumb", false, 184, "6", false},
        {"on the thumb's top row", false, 166, "", true},
        {"on the thumb's bottom row", false, 183, "", true},
        {"reversed, above the thumb", true, 140, "6", false},
        {"reversed, below the thumb", true, 200, "0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bar = Make();
        StartAndSettle(*bar);
        if (c.reversed) {
            bar->SetReversed();
        }
        bar->SetRange(10, 3, 4);
        ASSERT_EQ(bar->GetThumb().GetBounds().top, 166);
        positions_.Mark();
        Mouse().OnLeftButtonDown(608, c.y);
        EXPECT_EQ(positions_.text, "");  // acted on a pass later
        Run();
        EXPECT_EQ(positions_.text, c.sent);
        EXPECT_EQ(bar->IsDragging(), c.drags);
        EXPECT_EQ(Mouse().GetCapture(), c.drags ? &bar->GetTrackNode() : nullptr);
        Release(c.y);
        EXPECT_FALSE(bar->IsDragging());
        EXPECT_EQ(Mouse().GetCapture(), nullptr);
    }
}

// A drag over 11 rows with a page of 1: every 10 pixels of travel is a row.
TEST_F(ScrollBarControlTest, Drags) {
    struct Case {
        const char* what;
        bool reversed;
        std::int32_t top;
        const char* script;  // p: press, m: move, r: release, at window rows
        const char* sent;
        int offset;  // the thumb's offset after the release
    };
    const Case cases[] = {
        {"grabbed at its top row", false, 0, "p116 m120 m126 m129 m135 r135", "1 1", 10},
        {"grabbed at its bottom row", false, 0, "p133 m140 m143 m153 r153", "1 2 2", 20},
        {"released where it was", false, 0, "p120 m121 r121", "0", 0},
        {"dragged past both ends", false, 5, "p170 m400 m10 m400 r400", "10 0 10 10", 100},
        {"moves before the press do nothing", false, 0, "m200 p116 r116", "0", 0},
        {"reversed", true, 0, "p216 m206 m196 r196", "1 2 2", 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bar = Make();
        StartAndSettle(*bar);
        if (c.reversed) {
            bar->SetReversed();
        }
        bar->SetRange(11, c.top, 1);
        positions_.Mark();
        std::istringstream steps(c.script);
        std::string step;
        while (steps >> step) {
            const auto y = static_cast<std::int16_t>(std::stoi(step.substr(1)));
            if (step[0] == 'p') {
                Press(y);
                EXPECT_TRUE(bar->IsDragging());
            } else if (step[0] == 'm') {
                Move(y);
            } else {
                Release(y);
            }
        }
        EXPECT_EQ(positions_.text, c.sent);
        EXPECT_FALSE(bar->IsDragging());
        EXPECT_EQ(ThumbOffset(*bar), c.offset);
        EXPECT_EQ(Mouse().GetCapture(), nullptr);
    }
}

TEST_F(ScrollBarControlTest, ArrowsMoveARowAndRepeatWhileHeld) {
    struct Case {
        const char* what;
        bool reversed;
        std::int16_t y;      // a row of the first or the second arrow
        std::uint32_t hold;  // ms
        const char* sent;
    };
    const Case cases[] = {
        {"first arrow held 1.2 s", false, 108, 1200, "49@500 48@800 47@1100"},
        {"first arrow clicked", false, 108, 100, "49@100"},
        {"second arrow held 1.2 s", false, 240, 1200, "51@500 52@800 53@1100"},
        {"reversed, first arrow clicked", true, 108, 100, "51@100"},
        {"reversed, second arrow clicked", true, 240, 100, "49@100"},
    };
    positions_.withTimes = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto bar = Make();
        StartAndSettle(*bar);
        if (c.reversed) {
            bar->SetReversed();
        }
        bar->SetRange(100, 50, 10);
        positions_.Mark();
        Mouse().OnLeftButtonDown(608, c.y);
        RunFor(c.hold);
        Mouse().OnLeftButtonUp(608, c.y);
        Run();
        RunFor(500);
        EXPECT_EQ(positions_.text, c.sent);
    }
}

// A thumb that cannot move: it stays at offset 0, a press on it starts no
// drag and nothing divides by its travel.
TEST_F(ScrollBarControlTest, AThumbWithoutTravel) {
    for (const std::int32_t thumb : {7, 8}) {
        SCOPED_TRACE(thumb);
        auto bar = Make(thumb);
        EXPECT_LE(bar->GetTravel(), 1);
        const xRect home = bar->GetThumb().GetBounds();
        StartAndSettle(*bar);
        bar->SetRange(10, 5, 4);
        EXPECT_EQ(bar->GetThumb().GetBounds(), home);
        bar->SetRange(10, 6, 4);
        EXPECT_EQ(bar->GetThumb().GetBounds(), home);
        positions_.Mark();
        Press(150);
        EXPECT_FALSE(bar->IsDragging());
        Move(200);
        Release(200);
        EXPECT_EQ(positions_.text, "");
        bar->PlaceThumb(5);
        EXPECT_EQ(bar->GetThumb().GetBounds(), home);
    }
}

}  // namespace
