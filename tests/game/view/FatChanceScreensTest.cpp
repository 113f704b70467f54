// The Dar Eradar selection and results segments through the game view, as
// room texts: the announcement by winner, second half and clock parity, the
// pick by click, by "/f" or by nobody, the stop before the voices end, the
// countdown against a slow timer, the results by value and winner, and boards
// that the room got wrong.

#include "FatChanceTest.h"

namespace {

using namespace fatchance;

class FatChanceScreensTest : public FatChanceFixture {
  protected:
    FatChanceSelectionScreen* Selection() { return view_->GetFatChanceSelectionScreen(); }
    FatChanceResultsScreen* Results() { return view_->GetFatChanceResultsScreen(); }
    // Makes the application time's parity `odd` without a pass.
    void Parity(bool odd) {
        if (((GetAppTime() & 1u) != 0) != odd) clock_.Advance(1);
    }
    void ShowSelection(const StartFatChanceSelectionRoomMsg& msg) {
        view_->StartFatChanceSelection(msg);
        Run(5);
    }
    // Hands over to the screen once the one before has gone.
    bool Follows(Screen* screen, std::uint32_t ms = 8000) {
        return PassUntil([&] { return view_->GetCurrentScreen() == screen && screen->IsStarted(); }, ms);
    }
    bool BoardLaidOut() { return probe_.Saw("boardSequence"); }
    int Count(const std::string& name) {
        int n = 0;
        for (const std::string& s : probe_.started) n += s == name ? 1 : 0;
        return n;
    }
};

struct SelectionRow {
    bool winner;
    bool secondHalf;
    bool odd;
};

class SelectionTable : public FatChanceScreensTest, public testing::WithParamInterface<SelectionRow> {};

// The winner hears FCWinner and sees the winner animation, the others one of
// the three FCOthers voices and theirs; the second half adds SecondHalf1 on
// an odd application time, else SecondHalf2. When the voices end the second
// music plays, the board is laid out and the winner's countdown runs, the
// winner animation giving way to the second-half one.
TEST_P(SelectionTable, VoicesAndAnimationsByWinnerSecondHalfAndParity) {
    const SelectionRow r = GetParam();
    Parity(r.odd);
    ShowSelection(*Sfcs(r.winner ? "Al" : "Bo", 12, BoardText(Board({3})), r.secondHalf, 6));
    ASSERT_TRUE(PassUntil([&] { return BoardLaidOut(); }, 8000)) << probe_.Joined();
    // The second music and the timer's opening effect start once the output
    // has played what it held.
    PassUntil([&] { return probe_.Saw("FatChanceC") && (!r.winner || timer_->IsRunning()); }, 8000);
    EXPECT_TRUE(probe_.Saw("FatChanceB"));
    EXPECT_TRUE(probe_.Saw("FatChanceC"));
    EXPECT_EQ(probe_.Saw("FCWinner"), r.winner);
    const int others = Count("FCOthers1") + Count("FCOthers2") + Count("FCOthers3");
    EXPECT_EQ(others, r.winner ? 0 : 1) << probe_.Joined();
    EXPECT_EQ(probe_.Saw("SecondHalf1"), r.secondHalf && r.odd);
    EXPECT_EQ(probe_.Saw("SecondHalf2"), r.secondHalf && !r.odd);
    EXPECT_EQ(probe_.Saw("winnerAnim"), r.winner);
    EXPECT_EQ(probe_.Saw("othersAnim"), !r.winner);
    EXPECT_EQ(probe_.Saw("secondHalfAnim"), r.winner && r.secondHalf);
    EXPECT_EQ(IsRunning(Selection()->GetWinnerAnim()), r.winner && !r.secondHalf);
    EXPECT_EQ(timer_->IsRunning(), r.winner);
    EXPECT_EQ(timer_->IsVisible(), r.winner);
    EXPECT_EQ(Selection()->IsCountdownStarted(), r.winner);
    EXPECT_EQ(nas_->GetName(), r.winner ? "Al" : "Bo");
    EXPECT_EQ(nas_->GetScore(), 12);
    EXPECT_EQ(board_->MayChoose(), r.winner);
    EXPECT_EQ(xErrorCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, SelectionTable,
                         testing::Values(SelectionRow{true, false, false}, SelectionRow{true, false, true},
                                         SelectionRow{true, true, false}, SelectionRow{true, true, true},
                                         SelectionRow{false, false, false}, SelectionRow{false, false, true},
                                         SelectionRow{false, true, false}, SelectionRow{false, true, true}));

enum class Pick { Click, Command, None, Hidden, OtherCommand };

// The winner's pick reaches the room once, with its swatch; with no pick the
// segment's end plays the preset swatch, sends nothing and says it was too
// slow, then stops; a hidden view picks nothing. "/f" by another player is
// refused in the chat.
TEST_F(FatChanceScreensTest, PicksByClickCommandOrNobody) {
    struct Case {
        const char* what;
        Pick pick;
        std::vector<int> sent;
        int picked;  // the swatch whose pick played, -1 none
        bool tooSlow;
    };
    const Case cases[] = {
        {"a click", Pick::Click, {3}, 3, false},
        {"/f", Pick::Command, {6}, 6, false},
        {"no pick", Pick::None, {}, 6, true},
        {"no pick, the view hidden", Pick::Hidden, {}, -1, false},
        {"/f by another", Pick::OtherCommand, {}, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const bool winner = c.pick != Pick::OtherCommand;
        ShowSelection(*Sfcs(winner ? "Al" : "Bo", 12, BoardText(Board({})), false, 6));
        ASSERT_TRUE(Follows(Selection()));
        ASSERT_TRUE(PassUntil([&] { return board_->GetLastHighlight() && board_->GetLastHighlight()->IsStarted(); },
                              8000));
        switch (c.pick) {
            case Pick::Click:
                Click(3);
                break;
            case Pick::Command:
            case Pick::OtherCommand:
                view_->FatChanceCommand();
                break;
            case Pick::Hidden:
                view_->Hide();
                break;
            case Pick::None:
                break;
        }
        Pass(100);
        view_->StartFatChanceResults(*Sfcr(winner ? "Al" : "Bo", BoardText(Board({})), 3, 20));
        ASSERT_TRUE(Follows(Results())) << probe_.Joined();
        int picked = -1;
        for (int i = 0; i < 10; ++i) picked = board_->GetPicked(i)->HasBeenStarted() ? i : picked;
        if (c.pick == Pick::Click || c.pick == Pick::None) {
            EXPECT_EQ(picked, c.picked);
        }
        std::vector<int> sent;
        for (const auto& [segment, swatch] : picks_.sent) sent.push_back(swatch);
        EXPECT_EQ(sent, c.sent);
        EXPECT_EQ(probe_.Saw("FCTooSlow1") || probe_.Saw("FCTooSlow2"), c.tooSlow);
        if (c.pick == Pick::OtherCommand) {
            EXPECT_EQ(ChatLines(),
                      std::vector<std::string>{"System(Only the round winner can take a fat chance.)"});
        } else {
            EXPECT_TRUE(ChatLines().empty());
        }
        view_->Show();
        // The next selection ends the results.
        picks_.sent.clear();
        probe_.started.clear();
        world_.journal.lines.clear();
    }
}

// The segment ends while the announcement still plays: the automatic pick
// and the too-slow voice, and no board, second music or countdown over them.
TEST_F(FatChanceScreensTest, ASegmentShorterThanTheVoicesLaysNoBoardOverThePick) {
    Parity(true);
    ShowSelection(*Sfcs("Al", 12, BoardText(Board({})), true, 6, 500));
    ASSERT_TRUE(Follows(Selection()));
    ASSERT_TRUE(PassUntil([&] { return probe_.Saw("FCWinner"); }));
    view_->StartFatChanceResults(*Sfcr("Al", BoardText(Board({})), 6, 20));
    ASSERT_TRUE(Follows(Results()));
    Pass(2000);
    EXPECT_TRUE(probe_.Saw("FCTooSlow1") || probe_.Saw("FCTooSlow2"));
    EXPECT_FALSE(probe_.Saw("FatChanceC"));
    EXPECT_FALSE(BoardLaidOut());
    EXPECT_FALSE(Selection()->IsCountdownStarted());
    EXPECT_TRUE(picks_.sent.empty());
    EXPECT_EQ(xErrorCode, 0);
}

// A timer whose opening takes as long as the test says.
class SlowTimer : public TimerControl {
  public:
    SlowTimer(UI* p, MsgReceiver* r) : TimerControl(p, r, 0) {}
    void OnStarting() override {
        if (hold) {
            held = true;
            return;
        }
        TimerControl::OnStarting();
    }
    void Open() {
        hold = false;
        if (held && IsStarting()) TimerControl::OnStarting();
        held = false;
    }
    bool hold = true;
    bool held = false;
};

class SlowTimerTest : public FatChanceScreensTest {
  protected:
    void Customize(view::PictureViewParts& parts) override {
        parts.timer = [this](UI* parent, MsgReceiver* r) {
            auto timer = std::make_unique<SlowTimer>(parent, r);
            slow_ = timer.get();
            return timer;
        };
    }
    SlowTimer* slow_ = nullptr;
};

// Voices that end before the timer has opened leave the countdown waiting
// for the opening (a countdown started before it is refused).
TEST_F(SlowTimerTest, TheCountdownWaitsForBothTheVoicesAndTheTimer) {
    ShowSelection(*Sfcs("Al", 12, BoardText(Board({})), false, 6));
    ASSERT_TRUE(PassUntil([&] { return BoardLaidOut(); }, 8000)) << probe_.Joined();
    Pass(200);
    EXPECT_TRUE(slow_->held);
    EXPECT_FALSE(Selection()->IsCountdownStarted());
    EXPECT_FALSE(timer_->IsRunning());
    EXPECT_EQ(xErrorCode, 0);
    slow_->Open();
    ASSERT_TRUE(PassUntil([&] { return timer_->IsRunning(); }, 3000));
    EXPECT_TRUE(Selection()->IsCountdownStarted());
    EXPECT_EQ(xErrorCode, 0);
}

struct ResultsRow {
    int value;
    bool winner;
};

class ResultsTable : public FatChanceScreensTest, public testing::WithParamInterface<ResultsRow> {};

// The reveal, then the "You" row for the winner or the "Plyr" row for the
// others, the win fanfare for 0-5 and the loss fanfare for 6-8, then the new
// score in the winner's row of the list; the panel shows it once started.
TEST_P(ResultsTable, ValueAndWinnerToAnimationVoiceFanfareAndScore) {
    const ResultsRow r = GetParam();
    auto board = Board({1});
    board[4].number = r.value;
    board_->SetBoard(r.winner, 0, board);
    view_->StartFatChanceResults(*Sfcr("Al", BoardText(board), 4, 42));
    ASSERT_TRUE(Follows(Results()));
    Run(3);
    EXPECT_EQ(nas_->GetScore(), 42);
    EXPECT_TRUE(nas_->GetScorePanel().IsVisible());
    ASSERT_TRUE(PassUntil([&] { return ScoreOf("Al") == "42"; }, 10000)) << probe_.Joined();
    const std::string v = std::to_string(r.value);
    EXPECT_EQ(probe_.Saw("youAnim" + v), r.winner);
    EXPECT_EQ(probe_.Saw("youVoice" + v), r.winner);
    EXPECT_EQ(probe_.Saw("playerAnim" + v), !r.winner);
    EXPECT_EQ(probe_.Saw("playerVoice" + v), !r.winner);
    EXPECT_EQ(probe_.Saw("WinFanfare"), r.value <= 5);
    EXPECT_EQ(probe_.Saw("NegFanfare"), r.value > 5);
    EXPECT_EQ(probe_.started.size(), 3u) << probe_.Joined();
    EXPECT_EQ(Results()->IsGain(), r.value <= 5);
    EXPECT_EQ(ScoreOf("Bo"), "3");
    EXPECT_TRUE(board_->GetReveal(4, r.value)->IsPaused());
}

std::vector<ResultsRow> AllResults() {
    std::vector<ResultsRow> rows;
    for (int v = 0; v < 9; ++v) {
        rows.push_back({v, true});
        rows.push_back({v, false});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, ResultsTable, testing::ValuesIn(AllResults()));

TEST_F(FatChanceScreensTest, AWinnerNotInTheListLeavesItAsItIs) {
    board_->SetBoard(false, 0, Board({}));
    view_->StartFatChanceResults(*Sfcr("Zed", BoardText(Board({})), 4, 42));
    ASSERT_TRUE(Follows(Results()));
    ASSERT_TRUE(PassUntil([&] { return probe_.Saw("WinFanfare"); }, 10000));
    Pass(1500);
    EXPECT_EQ(ScoreOf("Al"), "7");
    EXPECT_EQ(ScoreOf("Bo"), "3");
    EXPECT_EQ(nas_->GetScore(), 42);
}

// What the room may get wrong: boards of 0, 9 and 11 entries, values 9 and -1,
// a preset or chosen index outside the board. Every segment plays and ends,
// the next one follows; results that name no value play nothing and write
// the score at once.
TEST_F(FatChanceScreensTest, HostileBoardsPlayEverySegmentToItsEnd) {
    auto odd = Board({1, 2, 3});
    odd[2].number = 9;
    odd[3].number = -1;
    auto hidden = odd;
    hidden[5].number = 9;
    struct Case {
        const char* what;
        std::vector<FatChanceEntry> board;
        int preset;
        int chosen;
        bool plays;  // the results name one of the nine values
    };
    const Case cases[] = {
        {"no entries", {}, 0, 0, false},
        {"nine entries, the tenth chosen", Board({}, 9), 9, 9, false},
        {"eleven entries, the eleventh chosen", Board({}, 11), 10, 10, false},
        {"value 9 chosen", odd, 0, 2, false},
        {"value -1 chosen", odd, 0, 3, false},
        {"a hidden value 9 chosen", hidden, 5, 5, false},
        {"preset -1", Board({}), -1, 4, true},
        {"preset 10", Board({}), 10, 4, true},
        {"chosen -1", Board({}), 0, -1, false},
    };
    int score = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        probe_.started.clear();
        ShowSelection(*Sfcs("Al", 12, BoardText(c.board), false, c.preset, 3000));
        ASSERT_TRUE(Follows(Selection()));
        Pass(2500);
        ++score;
        view_->StartFatChanceResults(*Sfcr("Al", BoardText(c.board), c.chosen, score));
        ASSERT_TRUE(Follows(Results()));
        if (!c.plays) {
            EXPECT_EQ(ScoreOf("Al"), std::to_string(score));
        }
        ASSERT_TRUE(PassUntil([&] { return ScoreOf("Al") == std::to_string(score); }, 10000));
        bool voiced = false;
        for (int v = 0; v < 9; ++v) voiced = voiced || probe_.Saw("youVoice" + std::to_string(v));
        EXPECT_EQ(voiced, c.plays);
        EXPECT_TRUE(picks_.sent.empty());
        EXPECT_EQ(xErrorCode, 0);
    }
    ShowSelection(*Sfcs("Al", 12, BoardText(Board({})), false, 0));
    EXPECT_TRUE(Follows(Selection()));
}

// Results after results start the name-and-score board again; the stopped
// selection screen, still listening to it, keeps quiet.
TEST_F(FatChanceScreensTest, ResultsAfterAStoppedSelectionStartNothingOfIt) {
    ShowSelection(*Sfcs("Al", 12, BoardText(Board({})), false, 2, 3000));
    ASSERT_TRUE(Follows(Selection()));
    Pass(2500);
    view_->StartFatChanceResults(*Sfcr("Al", BoardText(Board({})), 2, 30));
    ASSERT_TRUE(Follows(Results()));
    ASSERT_TRUE(PassUntil([&] { return ScoreOf("Al") == "30"; }, 10000));
    view_->StartFatChanceSelection(*Sfcs("Al", 30, BoardText(Board({2})), false, 3, 3000));
    Run(3);
    ASSERT_TRUE(Follows(Selection()));
    view_->StartFatChanceResults(*Sfcr("Al", BoardText(Board({2})), 3, 31));
    ASSERT_TRUE(Follows(Results()));
    ASSERT_TRUE(PassUntil([&] { return ScoreOf("Al") == "31"; }, 10000));
    // Another results segment straight after: the name-and-score board starts anew.
    probe_.started.clear();
    view_->StartFatChanceResults(*Sfcr("Al", BoardText(Board({2, 3})), 4, 32));
    ASSERT_TRUE(Follows(Results(), 10000));
    ASSERT_TRUE(PassUntil([&] { return ScoreOf("Al") == "32"; }, 10000));
    EXPECT_FALSE(probe_.Saw("FCWinner")) << probe_.Joined();
    EXPECT_FALSE(probe_.Saw("winnerAnim"));
    EXPECT_TRUE(Selection()->IsStopped());
    EXPECT_EQ(xErrorCode, 0);
    view_->StartFatChanceSelection(*Sfcs("Al", 32, BoardText(Board({})), false, 0));
    EXPECT_TRUE(Follows(Selection()));
}

// The next segment stops the results while the value's voice plays: the
// stopped voice starts no fanfare over the next screen, and the score is
// written at once.
TEST_F(FatChanceScreensTest, AVoiceCutShortByTheStopStartsNoFanfare) {
    board_->SetBoard(true, 0, Board({}));
    view_->StartFatChanceResults(*Sfcr("Al", BoardText(Board({})), 4, 55));
    ASSERT_TRUE(PassUntil([&] { return probe_.Saw("youVoice4"); }, 8000)) << probe_.Joined();
    Pass(20);
    view_->StartFatChanceSelection(*Sfcs("Bo", 3, BoardText(Board({})), false, 0));
    ASSERT_TRUE(PassUntil([&] { return view_->GetCurrentScreen() == view_->GetFatChanceSelectionScreen(); }));
    Pass(3000);
    EXPECT_FALSE(probe_.Saw("WinFanfare"));
    EXPECT_FALSE(probe_.Saw("NegFanfare"));
    EXPECT_EQ(ScoreOf("Al"), "55");
}

}  // namespace
