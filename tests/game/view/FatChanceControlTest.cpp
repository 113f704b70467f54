// The Dar Eradar board on its own inside the game view: the click rule and
// the typed command over boards with some, all or no swatches revealed, the
// hit areas under the real mouse service, the reveal, and boards that the
// room got wrong.

#include "FatChanceTest.h"
#include "framework/MouseReceiverThing.h"
#include "sound/Sfx.h"

namespace {

using namespace fatchance;

class FatChanceControlTest : public FatChanceFixture {
  protected:
    // The board started and laid out for picking; `settle` lets the highlights start.
    void Lay(bool winner, int preset, const std::vector<FatChanceEntry>& board, bool settle = true) {
        board_->SetBoard(winner, preset, board);
        board_->Show();
        board_->Start();
        ASSERT_TRUE(PassUntil([&] { return board_->IsStarted(); }));
        board_->BuildSelection();
        if (settle) {
            PassUntil([&] { return board_->GetLastHighlight() != nullptr && board_->GetLastHighlight()->IsStarted(); },
                      2000);
        }
    }
    void Restart() {
        board_->Stop();
        ASSERT_TRUE(PassUntil([&] { return board_->IsStopped(); }));
        picks_.sent.clear();
        world_.journal.lines.clear();
    }
    // The swatch whose pick has played, or -1.
    int Picked() {
        int picked = -1;
        for (int i = 0; i < FatChanceControl::kSwatches; ++i) {
            if (board_->GetPicked(i)->IsVisible() && IsRunning(board_->GetPicked(i))) {
                EXPECT_EQ(picked, -1) << "two picks";
                picked = i;
            }
        }
        return picked;
    }
};

enum class Action { Click, ClickEarly, ClickTwice, Command, CommandThenClick, CommandTwice, Automatic };

TEST_F(FatChanceControlTest, BoardsAndActionsToPicksLinesAndSends) {
    const auto none = Board({});
    const auto some = Board({2, 5});
    const auto all = Board({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const std::string onlyWinner = "System(Only the round winner can take a fat chance.)";
    const std::string onlyOnce = "System(You only get one chance.)";
    struct Case {
        const char* what;
        std::vector<FatChanceEntry> board;
        bool winner;
        Action action;
        int swatch;  // clicked (the second click goes to swatch + 1)
        int preset;
        int picked;
        std::vector<int> sent;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a click on a hidden swatch", none, true, Action::Click, 3, 6, 3, {3}, {}},
        {"a click on a revealed swatch", some, true, Action::Click, 2, 6, 2, {2}, {}},
        {"a click before the last highlight starts", none, true, Action::ClickEarly, 3, 6, -1, {}, {}},
        {"a click after a pick", some, true, Action::ClickTwice, 3, 6, 3, {3}, {}},
        {"a click by a player who is not the winner", none, false, Action::Click, 3, 6, -1, {}, {}},
        {"a click on a board with every swatch revealed", all, true, Action::Click, 3, 6, -1, {}, {}},
        {"/f by the winner", some, true, Action::Command, 0, 6, 6, {6}, {}},
        {"/f by another", some, false, Action::Command, 0, 6, -1, {}, {onlyWinner}},
        {"/f twice", none, true, Action::CommandTwice, 0, 4, 4, {4}, {onlyOnce}},
        {"/f, then a click", none, true, Action::CommandThenClick, 1, 4, 4, {4}, {}},
        {"the automatic pick", none, true, Action::Automatic, 0, 7, 7, {}, {}},
        {"/f with the preset before the board", none, true, Action::Command, 0, -1, -1, {}, {}},
        {"/f with the preset past the board", none, true, Action::Command, 0, 10, -1, {}, {}},
        {"/f with a preset on no swatch of a short board", Board({}, 4), true, Action::Command, 0, 6, -1, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Lay(c.winner, c.preset, c.board, c.action != Action::ClickEarly);
        ChatBoxLines* chat = dynamic_cast<ChatBoxLines*>(view_->GetSharedControls()[kChatBoxSlot]);
        switch (c.action) {
            case Action::ClickEarly:
            case Action::Click:
                Click(c.swatch);
                break;
            case Action::ClickTwice:
                Click(c.swatch);
                Click(c.swatch + 1);
                break;
            case Action::Command:
                board_->Choose(chat, 1);
                break;
            case Action::CommandThenClick:
                board_->Choose(chat, 1);
                Click(c.swatch);
                break;
            case Action::CommandTwice:
                board_->Choose(chat, 1);
                board_->Choose(chat, 1);
                break;
            case Action::Automatic:
                board_->Choose(nullptr, 0);
                break;
        }
        // The pick's sound leads: it starts once the output has played what it held.
        PassUntil([&] { return Picked() >= 0; }, 4000);
        EXPECT_EQ(Picked(), c.picked);
        EXPECT_EQ(board_->HasChosen(), c.picked >= 0);
        std::vector<int> sent;
        for (const auto& [segment, swatch] : picks_.sent) {
            EXPECT_EQ(segment, -1);
            sent.push_back(swatch);
        }
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(ChatLines(), c.lines);
        if (c.picked >= 0) {
            // Every other hidden swatch lies face down; the picked one does not.
            for (int i = 0; i < static_cast<int>(c.board.size()); ++i) {
                if (c.board[static_cast<std::size_t>(i)].flag) continue;
                EXPECT_EQ(board_->GetFaceDown(i)->IsVisible(), i != c.picked) << i;
                EXPECT_FALSE(board_->GetHighlight(i)->IsVisible()) << i;
            }
        }
        Restart();
    }
}

// A press through the mouse service at the middle of each swatch, as the pack
// draws it, picks that swatch; the hit area has the highlight's bounds.
TEST_F(FatChanceControlTest, APressAtEachSwatchPicksIt) {
    for (int i = 0; i < FatChanceControl::kSwatches; ++i) {
        SCOPED_TRACE(i);
        const xRect area = board_->GetHitArea(i)->GetBounds();
        EXPECT_EQ(area.left, 30 + 100 * (i % 5));
        EXPECT_EQ(area.top, 120 + 100 * (i / 5));
        EXPECT_EQ(area.right - area.left, 80);
        Lay(true, 0, Board({}));
        Click(i);
        PassUntil([&] { return Picked() >= 0; }, 4000);
        EXPECT_EQ(Picked(), i);
        ASSERT_EQ(picks_.sent.size(), 1u);
        EXPECT_EQ(picks_.sent[0].second, i);
        Restart();
    }
}

// The laid-out board: hidden swatches arrive (all but the first) and light up,
// revealed ones lie turned over with their value; a value that is none of the
// nine lies face down.
TEST_F(FatChanceControlTest, TheLaidOutBoardShowsEachSwatchAsTheRoomSaysIt) {
    auto board = Board({1, 4, 7});
    board[4].number = 9;
    board[7].number = -1;
    Lay(true, 0, board);
    Pass(300);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        const bool hidden = !board[static_cast<std::size_t>(i)].flag;
        EXPECT_EQ(board_->GetHighlight(i)->IsVisible() && IsRunning(board_->GetHighlight(i)), hidden);
        if (i > 0) {
            EXPECT_EQ(board_->GetArrival(i)->HasBeenStarted(), hidden);
        }
        if (i == 1) {
            EXPECT_TRUE(board_->GetShown(1, 1)->IsVisible());
            EXPECT_TRUE(IsRunning(board_->GetShown(1, 1)));
        }
        if (i == 4 || i == 7) {
            EXPECT_TRUE(board_->GetFaceDown(i)->IsVisible());
        }
    }
    Restart();
}

// The reveal turns the chosen swatch over, shows the other revealed swatches,
// and reports done when the turn has played; with nothing to turn over it
// reports done at once.
TEST_F(FatChanceControlTest, TheRevealReportsDoneWhenItHasPlayed) {
    struct Done : MsgReceiver {
        int count = 0;
        std::int32_t Receive(const Msg& msg, MsgSender*) override {
            if (msg.Is<FatChanceControlRevealDoneMsg>()) ++count;
            return 0;
        }
    } done;
    board_->AddReceiver(&done);
    Probe turn;
    turn.Watch(board_->GetTurnSound(), "turn");
    struct Case {
        const char* what;
        std::vector<FatChanceEntry> board;
        int chosen;
        bool turns;
    };
    auto nine = Board({0, 3});
    nine[5].number = 9;
    auto negative = Board({0, 3});
    negative[5].number = -1;
    const Case cases[] = {
        {"a hidden swatch", Board({0, 3}), 5, true},
        {"a revealed swatch", Board({0, 3}), 3, true},
        {"value 9", nine, 5, false},
        {"value -1", negative, 5, false},
        {"chosen 10", Board({0, 3}), 10, false},
        {"chosen -1", Board({0, 3}), -1, false},
        {"an empty board", {}, 0, false},
        {"eleven entries, chosen 10", Board({0}, 11), 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        done.count = 0;
        turn.started.clear();
        board_->SetBoard(true, 0, c.board);
        board_->SetResult(c.chosen, c.board);
        board_->Show();
        board_->Start();
        ASSERT_TRUE(PassUntil([&] { return board_->IsStarted(); }));
        board_->Reveal();
        if (!c.turns) {
            EXPECT_EQ(done.count, 1);
        }
        PassUntil([&] { return done.count > 0; }, 4000);
        Pass(100);
        EXPECT_EQ(done.count, 1);
        if (c.turns) PassUntil([&] { return turn.Saw("turn"); }, 3000);
        EXPECT_EQ(turn.Saw("turn"), c.turns);
        if (c.turns) {
            const int value = c.board[static_cast<std::size_t>(c.chosen)].number;
            EXPECT_TRUE(board_->GetReveal(c.chosen, value)->IsPaused());
            EXPECT_FALSE(board_->GetFaceDown(c.chosen)->IsVisible());
        }
        if (c.board.size() >= 4) {
            // Swatch 0 lies turned over unless it is the chosen one.
            EXPECT_EQ(IsRunning(board_->GetShown(0, 0)), c.chosen != 0);
            EXPECT_TRUE(board_->GetFaceDown(1)->IsVisible());
        }
        EXPECT_LE(board_->GetEntries().size(), 10u);
        Restart();
    }
    board_->RemoveReceiver(&done);
}

}  // namespace
