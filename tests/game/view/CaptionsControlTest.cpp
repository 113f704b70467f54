// The captions list drawn from the fixture pack and read back: click scripts
// to the votes sent, the vote command's bounds, the own caption's marker and
// its four seconds, the results table with its narration, ties, the layout's
// fallbacks, list sizes 0 to 12 and the shuffle.

#include <map>
#include <random>

#include "GameViewFixture.h"
#include "controls/RadioButtonControl.h"
#include "framework/MouseService.h"
#include "framework/Timer.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "media/Animation.h"
#include "media/AnimationResource.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

#include <gtest/gtest.h>

namespace {

struct Heard : MsgReceiver {
    std::vector<std::string> votes;
    int done = 0;
    int nobodyVoted = 0;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* v = dynamic_cast<const VoteRoomMsg*>(&msg)) {
            EXPECT_EQ(v->GetSegmentId(), -1);
            votes.push_back(v->GetAuthorName());
        }
        done += msg.Is<CaptionsControlTransitionDoneMsg>() ? 1 : 0;
        nobodyVoted += msg.Is<CaptionsControlNobodyVotedDoneMsg>() ? 1 : 0;
        return 0;
    }
};

CaptionsControl::CaptionList Captions(const std::vector<std::string>& authors) {
    CaptionsControl::CaptionList list;
    for (std::size_t i = 0; i < authors.size(); ++i)
        list.push_back(std::make_unique<CompListItemRoomMsg>(static_cast<std::int32_t>(i), authors[i],
                                                             "a" + std::to_string(i), "b" + std::to_string(i)));
    return list;
}

std::vector<std::string> Authors(int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back("P" + std::to_string(i));
    return out;
}

struct R {
    std::string name;
    std::int32_t votes, points;
    bool voted;
};

CaptionsControl::CaptionList Results(const std::vector<R>& rows) {
    CaptionsControl::CaptionList list;
    for (std::size_t i = 0; i < rows.size(); ++i)
        list.push_back(std::make_unique<ResultsListItemRoomMsg>(static_cast<std::int32_t>(i), rows[i].name,
                                                                rows[i].votes, rows[i].points, 0, rows[i].voted));
    return list;
}

// Row r of a list panel at (40, 40 + 40 r); the panel of n captions is index
// 220 + n (one line), 230 + n (two lines); results panels 240 + n at x 420.
constexpr int kListX = 400;
constexpr int kResultsX = 590;
int RowY(int r) {
    return 50 + 40 * r;
}

class CaptionsControlTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        withSound_ = true;
        MouseService::Register();
        MakeView(640, 480);
        captions_ = std::make_unique<CaptionsControl>(view_.get(), &heard_, 0);
        // The listed order unless a test shuffles.
        captions_->SetRandomSource([](std::uint32_t n) { return n - 1; });
        captions_->SetLocalPlayerName("P0");
    }
    void TearDown() override {
        captions_.reset();
        GameViewFixture::TearDown();
    }
    void Settle(int ms = 8000) {
        for (int i = 0; i < ms / 20 && !captions_->IsStarted(); ++i) RunFor(20);
    }
    void WaitStopped(Process* p, int ms = 8000) {
        for (int i = 0; i < ms / 20 && !p->IsStopped(); ++i) RunFor(20);
    }
    void StartList(const std::vector<std::string>& authors, std::int32_t mode = 0, bool twoLines = false) {
        captions_->SetListFlag(twoLines);
        captions_->ShowCompList(Captions(authors));
        captions_->SetMode(mode);
        captions_->Show();
        captions_->Start();
        Settle();
        ASSERT_TRUE(captions_->IsStarted());
        Run(3);
    }
    void Restart() {
        if (!captions_->IsStopped()) StopAndSettle(*captions_);
        ASSERT_TRUE(captions_->IsStopped());
    }
    std::uint8_t At(int x, int y) { return Back().Row(y)[x]; }
    bool Styled(int field, int style) {
        auto* service = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        TextStripItem* item = service->GetTextStrip()->GetItem(field);
        return item != nullptr && item->colour == item->colours[static_cast<std::size_t>(style)];
    }
    void Vote(std::int32_t n) {
        captions_->VoteFor(n);
        Run(3);
    }

    Heard heard_;
    std::unique_ptr<CaptionsControl> captions_;
};

TEST_F(CaptionsControlTest, ClickScriptsToTheVotesSent) {
    struct Case {
        const char* what;
        std::vector<std::string> authors;
        std::vector<std::int32_t> clicks;
        std::vector<std::string> sent;
    };
    const Case cases[] = {
        {"other", Authors(4), {2}, {"P1"}},
        {"same twice", Authors(4), {2, 2}, {"P1"}},
        {"other, then another", Authors(4), {2, 3}, {"P1", "P2"}},
        {"own", Authors(4), {1}, {}},
        {"back to the voted one after one's own", Authors(4), {2, 1, 2}, {"P1"}},
        {"two own captions", {"P0", "P1", "P0"}, {1, 3}, {}},
        {"own, then other", Authors(3), {1, 3}, {"P2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        heard_.votes.clear();
        StartList(c.authors);
        for (std::int32_t n : c.clicks) Vote(n);
        EXPECT_EQ(heard_.votes, c.sent);
        Restart();
    }
}

TEST_F(CaptionsControlTest, TheVoteCommandIsBoundedAndNeedsTheButtonsShown) {
    captions_->ShowCompList(Captions(Authors(3)));
    captions_->VoteFor(2);
    Run(3);
    EXPECT_TRUE(heard_.votes.empty()) << "before the start";
    Restart();
    StartList(Authors(3));
    for (std::int32_t n : {0, 4, -1}) Vote(n);
    EXPECT_TRUE(heard_.votes.empty());
    EXPECT_TRUE(captions_->GetButton(false, 2)->IsVisible());
    captions_->HideVoteButtons();
    Vote(2);
    EXPECT_TRUE(heard_.votes.empty()) << "hidden and disabled";
    captions_->ShowVoteButtons();
    Vote(3);
    EXPECT_EQ(heard_.votes, (std::vector<std::string>{"P2"}));
}

TEST_F(CaptionsControlTest, AnOwnClickReturnsToTheVoteAfterFourSeconds) {
    StartList(Authors(4));
    Vote(2);
    EXPECT_TRUE(captions_->GetVoteMarker()->IsStarted() || captions_->GetVoteMarker()->IsPaused());
    Vote(1);
    EXPECT_EQ(captions_->GetSelectedRow(), 0);
    EXPECT_TRUE(captions_->GetButton(false, 0)->IsChecked());
    EXPECT_FALSE(captions_->GetButton(false, 1)->IsChecked());
    EXPECT_FALSE(captions_->GetOwnEffect()->IsStopped());
    EXPECT_FALSE(captions_->GetOwnMarker()->IsStopped());
    EXPECT_TRUE(captions_->GetVoteMarker()->IsStopped());
    RunFor(3900);
    EXPECT_EQ(captions_->GetSelectedRow(), 0);
    RunFor(200);
    EXPECT_EQ(captions_->GetSelectedRow(), 1);
    EXPECT_TRUE(captions_->GetButton(false, 1)->IsChecked());
    EXPECT_FALSE(captions_->GetButton(false, 0)->IsChecked());
    EXPECT_TRUE(captions_->GetOwnMarker()->IsStopped());
    EXPECT_FALSE(captions_->GetVoteMarker()->IsStopped());
    EXPECT_EQ(heard_.votes, (std::vector<std::string>{"P1"}));
}

TEST_F(CaptionsControlTest, ASecondOwnCaptionGivesTheTimerFourSecondsAgain) {
    StartList({"P0", "P1", "P2", "P0"});
    Vote(1);
    RunFor(3000);
    ASSERT_NO_THROW(Vote(4));
    EXPECT_EQ(captions_->GetSelectedRow(), 3);
    RunFor(3000);
    EXPECT_EQ(captions_->GetSelectedRow(), 3) << "re-armed by the second own caption";
    RunFor(1200);
    EXPECT_EQ(captions_->GetSelectedRow(), -1) << "nothing was voted for";
    for (int r = 0; r < 4; ++r) EXPECT_FALSE(captions_->GetButton(false, r)->IsChecked()) << r;
    EXPECT_TRUE(captions_->GetOwnCaptionTimer()->IsStopped());
}

TEST_F(CaptionsControlTest, AnotherCaptionWithinTheFourSecondsCancelsTheTimer) {
    StartList(Authors(3));
    Vote(1);
    RunFor(1000);
    Vote(3);
    EXPECT_TRUE(captions_->GetOwnCaptionTimer()->IsStopped());
    RunFor(4000);
    EXPECT_EQ(captions_->GetSelectedRow(), 2);
    EXPECT_TRUE(captions_->GetButton(false, 2)->IsChecked());
}

TEST_F(CaptionsControlTest, VoteChangeOnTheFirstOtherClickOnly) {
    StartList(Authors(4));
    Vote(1);
    EXPECT_TRUE(captions_->GetVoice(CaptionsControl::kVoteChange)->IsStopped()) << "own caption";
    Vote(2);
    EXPECT_FALSE(captions_->GetVoice(CaptionsControl::kVoteChange)->IsStopped());
    EXPECT_TRUE(captions_->GetVoice(CaptionsControl::kVoteNow)->IsStopped() ||
                captions_->GetVoice(CaptionsControl::kVoteNow)->IsStopping());
    WaitStopped(captions_->GetVoice(CaptionsControl::kVoteChange));
    Vote(3);
    EXPECT_TRUE(captions_->GetVoice(CaptionsControl::kVoteChange)->IsStopped());
    EXPECT_EQ(heard_.votes, (std::vector<std::string>{"P1", "P2"}));
}

TEST_F(CaptionsControlTest, ListSizesToPanels) {
    struct Case {
        int listed, shown;
        bool twoLines;
    };
    const Case cases[] = {{0, 0, false}, {1, 1, false}, {10, 10, false}, {12, 10, false}, {3, 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.listed << (c.twoLines ? " two lines" : " one line"));
        view_->ClearScreen(xPalette::Default());
        StartList(Authors(c.listed), 0, c.twoLines);
        EXPECT_EQ(static_cast<int>(captions_->GetCaptions().size()), c.shown);
        if (c.shown == 0) {
            EXPECT_EQ(captions_->GetCurrentListPanel(), nullptr);
        } else {
            EXPECT_EQ(captions_->GetCurrentListPanel(), captions_->GetListPanel(c.twoLines, c.shown - 1));
            EXPECT_EQ(At(kListX, RowY(0)), (c.twoLines ? 230 : 220) + c.shown);
            for (int r = 0; r < c.shown; ++r) {
                EXPECT_TRUE(captions_->GetButton(c.twoLines, r)->IsVisible()) << r;
                if (c.twoLines) {
                    EXPECT_EQ(FieldText(224 + 2 * r), "a" + std::to_string(r));
                    EXPECT_EQ(FieldText(225 + 2 * r), "b" + std::to_string(r));
                } else {
                    EXPECT_EQ(FieldText(214 + r), "a" + std::to_string(r));
                }
            }
            EXPECT_TRUE(Styled(c.twoLines ? 224 : 214, 1)) << "own";
            if (c.shown > 1) {
                EXPECT_TRUE(Styled(c.twoLines ? 226 : 215, 0));
            }
        }
        for (int r = c.shown; r < 10; ++r) EXPECT_FALSE(captions_->GetButton(c.twoLines, r)->IsVisible()) << r;
        Restart();
        EXPECT_EQ(captions_->GetMode(), -1);
        EXPECT_TRUE(captions_->GetCaptions().empty());
    }
}

TEST_F(CaptionsControlTest, ResultsPointsAndNonVoters) {
    for (std::int32_t kind : {1, 2, 3, 7}) {
        SCOPED_TRACE(kind);
        view_->ClearScreen(xPalette::Default());
        heard_.done = 0;
        StartList(Authors(4));
        captions_->SetCount(kind);
        // P1 did not vote: its 3 votes do not count. P3 has none. "X" has no row.
        captions_->ShowResultsList(
            Results({{"P1", 3, 30, false}, {"P2", 2, 20, true}, {"X", 9, 90, true}, {"P3", 0, 0, false}}));
        captions_->Layout();
        for (int i = 0; i < 400 && heard_.done == 0; ++i) RunFor(20);
        EXPECT_EQ(heard_.done, 1);
        EXPECT_EQ(captions_->GetCurrentResultsPanel(), captions_->GetResultsPanel(3));
        EXPECT_EQ(At(kResultsX, RowY(0)), 244);
        EXPECT_FALSE(captions_->GetButton(false, 0)->IsVisible());
        EXPECT_EQ(FieldText(195), "P1");
        EXPECT_EQ(FieldText(205), "3");
        EXPECT_EQ(FieldText(206), "2");
        captions_->BeginTransition();
        if (kind == 7) {
            EXPECT_EQ(FieldText(205), "30") << "at once, unnarrated";
        } else {
            Voice* v = captions_->GetVoice(static_cast<CaptionsControl::VoiceIndex>(CaptionsControl::kShowPoints1 +
                                                                                    kind - 1));
            EXPECT_FALSE(v->IsStopped());
            EXPECT_EQ(FieldText(205), "3");
            WaitStopped(v);
            Run(3);
            EXPECT_EQ(FieldText(205), "30");
        }
        EXPECT_EQ(FieldText(206), "20");
        captions_->EndTransition();
        WaitStopped(captions_->GetVoice(CaptionsControl::kShowNoVotes));
        Run(3);
        EXPECT_EQ(FieldText(205), "0");
        EXPECT_TRUE(Styled(195, 2));
        EXPECT_TRUE(Styled(205, 2));
        EXPECT_TRUE(Styled(215, 3)) << "odd row";
        EXPECT_EQ(FieldText(206), "20");
        EXPECT_TRUE(Styled(206, 0));
        EXPECT_EQ(FieldText(207), "0") << "no votes: keeps its number";
        Restart();
        EXPECT_EQ(captions_->GetPointsKind(), -1);
        EXPECT_TRUE(captions_->GetResults().empty());
    }
}

TEST_F(CaptionsControlTest, ATieLeavesTheWinnerHighlighted) {
    StartList(Authors(4), 2);
    captions_->ShowResultsList(Results(
        {{"P1", 2, 0, true}, {"P2", 2, 0, true}, {"P2", 2, 0, true}, {"P3", 2, 0, false}, {"P0", 1, 0, true}}));
    ASSERT_NO_THROW(captions_->SelectCaption(2, "P2")) << "two results by one author";
    EXPECT_FALSE(captions_->GetHighlight(false, 1)->IsStopped());
    EXPECT_FALSE(captions_->GetHighlight(false, 2)->IsStopped());
    EXPECT_TRUE(captions_->GetHighlight(false, 3)->IsStopped()) << "did not vote";
    EXPECT_TRUE(captions_->GetHighlight(false, 0)->IsStopped());
    WaitStopped(captions_->GetVoice(CaptionsControl::kVoteTie));
    Run(3);
    RunFor(200);
    EXPECT_TRUE(captions_->GetHighlight(false, 1)->IsStopped());
    EXPECT_FALSE(captions_->GetHighlight(false, 2)->IsStopped());
    EXPECT_EQ(At(kListX, 78 + 40 * 2), 137) << "the winner's row highlighted";
    ASSERT_NO_THROW(captions_->HighlightCaption("P2"));
    captions_->HighlightCaption("P0");
    EXPECT_FALSE(captions_->GetHighlight(false, 0)->IsStopped());
}

TEST_F(CaptionsControlTest, LayoutWithoutATableReportsDoneAtOnce) {
    struct Case {
        const char* what;
        int listed;
        std::int32_t mode;
        bool results;
        bool started;
    };
    const Case cases[] = {{"nobody composed", 0, 1, true, true},
                          {"no results", 3, 0, false, true},
                          {"empty list", 0, 0, true, true},
                          {"not started", 3, 0, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        heard_.done = 0;
        if (c.started) {
            StartList(Authors(c.listed), c.mode);
        } else {
            captions_->ShowCompList(Captions(Authors(c.listed)));
        }
        if (c.results) captions_->ShowResultsList(Results({{"P1", 1, 10, true}}));
        ASSERT_NO_THROW(captions_->Layout());
        Run(3);
        EXPECT_EQ(heard_.done, 1);
        EXPECT_EQ(captions_->GetCurrentResultsPanel(), nullptr);
        EXPECT_TRUE(captions_->GetVoteMarker()->IsStopped() || captions_->GetVoteMarker()->IsStopping());
        EXPECT_FALSE(captions_->GetButton(false, 0)->IsVisible());
        EXPECT_TRUE(captions_->GetVoice(CaptionsControl::kVoteNow)->IsStopped() ||
                    captions_->GetVoice(CaptionsControl::kVoteNow)->IsStopping());
        Restart();
    }
}

TEST_F(CaptionsControlTest, NobodyComposedAndNobodyVoted) {
    StartList({}, 1);
    EXPECT_FALSE(captions_->GetNobodyComposed(0)->IsStopped());
    captions_->SetScoreFlag(true);
    captions_->BeginTransition();
    EXPECT_FALSE(captions_->GetVoice(CaptionsControl::kNobodyVoted)->IsStopped());
    WaitStopped(captions_->GetVoice(CaptionsControl::kNobodyVoted));
    Run(3);
    EXPECT_EQ(heard_.nobodyVoted, 1);
    Restart();
    EXPECT_THROW(
        {
            captions_->SetMode(5);
            captions_->Start();
            Run();
        },
        int);
}

TEST_F(CaptionsControlTest, ScoresGoToThePlayerListInResultsOrder) {
    struct Scores : PicturePlayerListControl {
        using PicturePlayerListControl::PicturePlayerListControl;
        void SetPlayerScore(const std::string& name, std::int32_t score) override {
            seen.push_back(name + "=" + std::to_string(score));
        }
        std::vector<std::string> seen;
    };
    Scores players(view_.get(), nullptr, 0, 142, 161, 1200, 10, 0, 40, 0, 2, 256, false, -1);
    captions_->ShowCompList(Captions(Authors(2)));
    captions_->ShowResultsList(Results({{"P1", 1, 10, true}, {"X", 0, 5, true}, {"P0", 2, 20, true}}));
    captions_->UpdatePlayerScores(&players);
    EXPECT_EQ(players.seen, (std::vector<std::string>{"P1=10", "X=5", "P0=20"}));
    ASSERT_NO_THROW(captions_->UpdatePlayerScores(nullptr));
}

TEST_F(CaptionsControlTest, TheShuffleIsFixedBySeedAndUniform) {
    auto order = [this](std::uint32_t seed) {
        std::mt19937 generator(seed);
        captions_->SetRandomSource([&generator](std::uint32_t n) { return generator() % n; });
        captions_->ShowCompList(Captions({"A", "B", "C"}));
        std::string out;
        for (const auto& c : captions_->GetCaptions()) out += c.author;
        captions_->SetRandomSource([](std::uint32_t n) { return n - 1; });
        return out;
    };
    EXPECT_EQ(order(7), order(7));
    std::map<std::string, int> seen;
    const int kRuns = 6000;
    for (int seed = 0; seed < kRuns; ++seed) ++seen[order(static_cast<std::uint32_t>(seed))];
    EXPECT_EQ(seen.size(), 6u);
    for (const auto& [o, n] : seen) {
        EXPECT_GT(n, kRuns / 6 - 150) << o;
        EXPECT_LT(n, kRuns / 6 + 150) << o;
    }
}

// A vote row's button has the row's animation as its image (the down image,
// shown while checked) and no pressed image: no animation 0 of the strip is
// asked for.
TEST_F(CaptionsControlTest, AVoteRowsButtonTakesTheRowsAnimationAsItsImage) {
    for (const bool twoLines : {false, true}) {
        for (std::int32_t r = 0; r < 10; ++r) {
            SCOPED_TRACE(::testing::Message() << (twoLines ? "two lines, row " : "one line, row ") << r);
            RadioButtonControl* button = captions_->GetButton(twoLines, r);
            ASSERT_NE(button->GetDownImage(), nullptr);
            ASSERT_NE(button->GetDownImage()->GetResource(), nullptr);
            EXPECT_EQ(button->GetDownImage()->GetResource()->GetFirstCel(), (twoLines ? 472 : 300) + 3 * r);
            EXPECT_EQ(button->GetUpImage(), nullptr);
        }
    }
}

}  // namespace
