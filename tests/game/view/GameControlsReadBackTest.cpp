// The background and the name-and-score board drawn on the real screen canvas
// from the fixture pack and read back from the window: the tiles fill the
// margin of a display larger than the background, none at the game's own size,
// none from a tile that has no size; the board shows the name and score it was
// given before its start.

#include "GameViewFixture.h"
#include "framework/StoppedMsg.h"
#include "game/view/controls/BackgroundControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "media/Animation.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t kTile = 20;
constexpr std::uint8_t kBackground = 30;
constexpr std::uint8_t kBoard = 40;
constexpr std::uint8_t kPanel = 41;

class GameControlsReadBackTest : public GameViewFixture {};

TEST_F(GameControlsReadBackTest, TilesFillTheMarginOfALargerDisplay) {
    struct Case {
        std::int16_t width, height;
        std::size_t tiles;
    };
    // 800 x 600 around 640 x 480 with 32-pixel tiles: 3 columns and 2 rows
    // beyond each side, (20 + 6) x (15 + 4) cells less the 20 x 15 covered.
    const Case cases[] = {{640, 480, 0}, {800, 600, 194}, {704, 480, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        MakeView(c.width, c.height);
        auto background = std::make_unique<BackgroundControl>(view_.get(), nullptr, -100, 1200, 5, 1);
        EXPECT_EQ(background->GetTileCount(), c.tiles);
        ASSERT_GT(StartAndSettle(*background), 0);
        RunFor(3);
        const xRect game = view_->GetBounds();
        EXPECT_EQ(CountOther(game, kBackground), 0);
        // Every pixel outside the game area shows the tile.
        int margin = 0;
        const platform::Surface& back = Back();
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const bool inside = x >= game.left && x < game.right && y >= game.top && y < game.bottom;
                if (!inside) margin += back.Row(y)[x] != kTile ? 1 : 0;
            }
        }
        EXPECT_EQ(margin, 0);
        ASSERT_GT(StopAndSettle(*background), -1);
        EXPECT_TRUE(background->IsStopped());
        background.reset();
        view_.reset();
        stage_.reset();
    }
}

// Cel 3 of the interface strip does not exist: it measures 0 x 0, which must
// give no tiles rather than a division by zero.
TEST_F(GameControlsReadBackTest, ATileWithoutASizeGivesNoTiles) {
    MakeView(800, 600);
    BackgroundControl background(view_.get(), nullptr, -100, 1200, 5, 3);
    EXPECT_EQ(background.GetTileCount(), 0u);
    ASSERT_GT(StartAndSettle(background), 0);
    RunFor(3);
    EXPECT_EQ(CountOther(view_->GetBounds(), kBackground), 0);
    StopAndSettle(background);
    EXPECT_TRUE(background.IsStopped());
    RunFor(3);
    // Stopped, it leaves the display's background black: palette index 0.
    EXPECT_EQ(CountOther({0, 0, 800, 40}, 0), 0);
}

// The ad break stops the background and starts it again at once, before its
// animations have played to their end: the restart must not start the running
// sequencer again (that is refused and ends the program).
TEST_F(GameControlsReadBackTest, ABackgroundStartedAgainBeforeItsAnimationsEndedStarts) {
    MakeView(800, 600);
    BackgroundControl background(view_.get(), nullptr, -100, 1200, 5, 1);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_GT(StartAndSettle(background), 0);
        EXPECT_TRUE(background.IsStarted());
        StopAndSettle(background);
        EXPECT_TRUE(background.IsStopped());
    }
    ASSERT_GT(StartAndSettle(background), 0);
    EXPECT_TRUE(background.IsStarted());
    RunFor(200);
    EXPECT_EQ(CountOther(view_->GetBounds(), kBackground), 0) << "the background shows again";
    StopAndSettle(background);
    EXPECT_TRUE(background.IsStopped());
}

// The opening and the ad break stop the background once it has played to its
// end and start it again seconds later: it shows again, stop after stop.
TEST_F(GameControlsReadBackTest, ABackgroundStartedAgainAfterItsEndShowsAgain) {
    MakeView(640, 480);
    BackgroundControl background(view_.get(), nullptr, -100, 1200, 5, 1);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_GT(StartAndSettle(background), 0);
        RunFor(200);
        EXPECT_EQ(CountOther(view_->GetBounds(), kBackground), 0);
        StopAndSettle(background);
        EXPECT_TRUE(background.IsStopped());
        RunFor(200);
    }
}

TEST_F(GameControlsReadBackTest, TheBoardShowsNameAndScoreGivenBeforeTheStart) {
    MakeView(640, 480);
    NameAndScoreControl board(view_.get(), nullptr, 0);
    EXPECT_EQ(board.GetScore(), 0);
    board.SetNameAndScore("Big Bob", 17);
    EXPECT_EQ(FieldText(244), "");
    ASSERT_GT(StartAndSettle(board), 0);
    RunFor(3);
    EXPECT_EQ(FieldText(244), "Big Bob");
    EXPECT_EQ(FieldText(245), "17");
    EXPECT_EQ(CountOther({500, 10, 620, 50}, kBoard), 0);
    EXPECT_EQ(CountOther({500, 60, 620, 100}, kPanel), 4800) << "the panel stays hidden";
    EXPECT_FALSE(board.GetScorePanel().IsVisible());

    // A running board keeps what it shows until it starts again.
    board.SetNameAndScore("Al", 3);
    RunFor(3);
    EXPECT_EQ(FieldText(244), "Big Bob");

    // The new score shows on the panel, and, being one field of the text
    // strip, on the board too.
    board.SetScore(-7);
    RunFor(3);
    EXPECT_TRUE(board.GetScorePanel().IsVisible());
    EXPECT_EQ(FieldText(245), "-7");
    EXPECT_EQ(CountOther({500, 60, 620, 100}, kPanel), 0);

    ASSERT_GT(StopAndSettle(board), 0);
    EXPECT_FALSE(board.GetNameBoard().IsVisible());
    EXPECT_FALSE(board.GetScorePanel().IsVisible());
    ASSERT_GT(StartAndSettle(board), 0);
    EXPECT_EQ(FieldText(244), "Al");
    EXPECT_EQ(FieldText(245), "-7") << "SetScore stored the score too";
    StopAndSettle(board);
}

// The board's stop completes only once the panel has reported its own.
TEST_F(GameControlsReadBackTest, TheStopWaitsForThePanel) {
    struct Order : MsgReceiver {
        MsgSender* panel = nullptr;
        MsgSender* board = nullptr;
        std::string seen;
        std::int32_t Receive(const Msg& msg, MsgSender* from) override {
            if (msg.Is<StoppedMsg>()) seen += from == panel ? "panel " : from == board ? "control " : "";
            return 0;
        }
    } order;
    MakeView(640, 480);
    NameAndScoreControl board(view_.get(), &order, 0);
    order.board = &board;
    order.panel = &board.GetScorePanel();
    board.GetScorePanel().AddReceiver(&order);
    ASSERT_GT(StartAndSettle(board), 0);
    board.Stop();
    for (int i = 0; i < 50 && !board.IsStopped(); ++i) Run();
    EXPECT_TRUE(board.IsStopped());
    EXPECT_EQ(order.seen, "panel control ");
    board.GetScorePanel().RemoveReceiver(&order);
}

}  // namespace
