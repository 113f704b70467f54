// The voting, scoring and round-winner screens in the real game view, with the
// real shared controls (picture, timer, round indicator, captions, player
// list, chat box) on the real canvas and the sound service on a captured
// output. Segments come as the room bot's texts, read by the room messages'
// own readers, and go through the view's segment operations; time is the
// manual clock, a millisecond a pass. What the view passes on is recorded.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ViewParts.h"
#include "controls/RadioButtonControl.h"
#include "framework/Timer.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/controls/CaptionsControl.h"
#include "game/view/controls/PictureControl.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "game/view/controls/RoundIndicator.h"
#include "game/view/controls/TimerControl.h"
#include "game/view/screens/RoundWinnerScreen.h"
#include "game/view/screens/ScoringScreen.h"
#include "game/view/screens/VotingScreen.h"
#include "media/Animation.h"
#include "media/AnimationService.h"
#include "media/TextStrip.h"
#include "net/RoomMsgStream.h"
#include "platform/GameWindow.h"
#include "platform/Surface.h"
#include "sequencers/SerialSequencer.h"
#include "sound/Music.h"
#include "sound/Sound.h"
#include "sound/Voice.h"

namespace {

const std::string Q = "\x02";

// A picture record of the room protocol: id, frame style 1.
std::string Pic(std::uint32_t id) {
    return "Zuv pic" + std::to_string(id) + ".jpg pics " + std::to_string(id) + " 1 " + Q + "a text" + Q +
           " 9 ";
}

template <class M>
M Read(const std::string& text) {
    RoomMsgStream stream(text);
    return M(stream);
}

// What the view passes on, votes with their author.
struct Passed : MsgReceiver {
    std::vector<std::string> votes;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* v = dynamic_cast<const VoteRoomMsg*>(&msg)) {
            votes.push_back(std::to_string(v->GetSegmentId()) + ":" + v->GetAuthorName());
        }
        return 0;
    }
};

// The round screens' sounds in the fixture pack: a tone each, 3000 Hz up in
// steps of 50 in this order (testbed/view/view_pack.py), but for the loop, which
// keeps the composition screen's 6000 Hz.
const std::vector<std::string> kRoundSounds = {
    "CompInstrLoop", "VotingA",       "VotingB",      "VotingC",      "VotingD",      "VotingE",
    "VotingF",       "VotingG",       "VotingH",      "VotingI",      "VotingJ",      "VotingK",
    "VotingL",       "VotingM",       "VotingN",      "VotingO",      "WinFanfare",   "FatChanceNegFanfare",
    "RoundLosersFC", "RoundWinnerFC", "RoundLosers1", "RoundLosers2", "RoundWinner1", "RoundWinner2",
    "RoundWinner3",  "NoWinner1",     "NoWinner2",    "NoWinner3"};

double PitchOf(std::size_t k) {
    return k == 0 ? 6000.0 : 3000.0 + 50.0 * static_cast<double>(k);
}

// The power of one frequency in a window of 22050 Hz samples (Goertzel).
double PowerAt(const std::int16_t* samples, std::size_t n, double hz) {
    const double w = 2.0 * 3.14159265358979323846 * hz / 22050.0;
    const double c = 2.0 * std::cos(w);
    double s1 = 0.0;
    double s2 = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double s0 = samples[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - c * s1 * s2) / static_cast<double>(n * n);
}

// Per window of 1024 recorded samples, the round sounds that sound in it (a
// strong tone of their pitch), joined with "+"; silent windows and repeats of
// the previous window are left out.
std::vector<std::string> TonesHeard(const std::vector<std::int16_t>& recorded) {
    constexpr std::size_t kWindow = 1024;
    std::vector<std::string> heard;
    for (std::size_t at = 0; at + kWindow <= recorded.size(); at += kWindow) {
        std::string names;
        for (std::size_t k = 0; k < kRoundSounds.size(); ++k) {
            if (PowerAt(recorded.data() + at, kWindow, PitchOf(k)) > 1.0e5) {
                names += (names.empty() ? "" : "+") + kRoundSounds[k];
            }
        }
        if (!names.empty() && (heard.empty() || heard.back() != names)) heard.push_back(names);
    }
    return heard;
}

std::vector<std::int32_t> SoundIds(SerialSequencer* sequence) {
    std::vector<std::int32_t> ids;
    for (std::int32_t i = 0; i < sequence->GetChildCount(); ++i) {
        if (auto* sound = dynamic_cast<Sound*>(sequence->GetChild(i))) ids.push_back(sound->GetResId());
    }
    return ids;
}

class RoundScreensTest : public ViewFixture {
  public:
    void SetUp() override {
        ViewFixture::SetUp();
        // The recording progress, logon and composition; every other part the product's own.
        view::PictureViewParts parts = RecordingParts();
        parts.playerList = nullptr;
        parts.chatBox = nullptr;
        parts.picture = nullptr;
        parts.timer = nullptr;
        parts.captions = nullptr;
        parts.fatChance = nullptr;
        parts.voting = nullptr;
        parts.controlPanel = nullptr;
        MakeView(std::move(parts));
        view_->AddReceiver(&passed_);
        StartView();
        Ready();
    }
    void TearDown() override {
        view_.reset();
        ViewFixture::TearDown();
    }

    bool PlayUntil(const std::function<bool()>& done, std::uint32_t ms = 10000) {
        for (std::uint32_t i = 0; i < ms && !done(); ++i) Play(1);
        return done();
    }

    const SharedControls& Shared() { return view_->GetSharedControls(); }
    PictureControl* Picture() { return dynamic_cast<PictureControl*>(Shared()[kPictureSlot]); }
    TimerControl* Countdown() { return dynamic_cast<TimerControl*>(Shared()[kTimerSlot]); }
    RoundIndicator* Indicator() { return dynamic_cast<RoundIndicator*>(Shared()[kRoundIndicatorSlot]); }
    CaptionsControl* Captions() { return dynamic_cast<CaptionsControl*>(Shared()[kCaptionsSlot]); }
    PicturePlayerListControl* Players() {
        return dynamic_cast<PicturePlayerListControl*>(Shared()[kPlayerListSlot]);
    }
    VotingScreen* Voting() { return view_->GetVotingScreen(); }
    ScoringScreen* Scoring() { return view_->GetScoringScreen(); }
    RoundWinnerScreen* Winner() { return view_->GetRoundWinnerScreen(); }

    // What a composition leaves running: the round's announcement, paused on
    // its end, and the picture.
    void RunCompositionDisplay(std::int32_t type = RoundIndicator::kOrdinary, bool settle = true) {
        Picture()->SetPicture(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "-1 S 0 0 0 0 0 ").GetPicture());
        Picture()->SetMode(0);
        Picture()->Show();
        Picture()->Start();
        Indicator()->SetRound(type, 2, false);
        Indicator()->Show();
        Indicator()->Start();
        if (settle) {
            ASSERT_TRUE(PlayUntil([&] { return Picture()->IsStarted() && Indicator()->IsStarted(); }));
        }
    }
    void ListCaptions(const std::vector<std::string>& authors) {
        CaptionsControl::CaptionList list;
        for (std::size_t i = 0; i < authors.size(); ++i) {
            list.push_back(std::make_unique<CompListItemRoomMsg>(static_cast<std::int32_t>(i), authors[i],
                                                                 "line of " + authors[i], ""));
        }
        view_->ShowCompList(list);
    }
    std::string FieldText(int field) {
        auto* service = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        TextStripItem* item = service != nullptr ? service->GetTextStrip()->GetItem(field) : nullptr;
        return item != nullptr ? item->text : "(no field)";
    }

    // Between rows: the view stops everything it built and builds it again.
    void StopAndSettleView() {
        view_->Stop();
        ASSERT_TRUE(PlayUntil([&] { return view_->IsStopped(); }));
        Play(2);
        view_->Show();
        StartView();
        Ready();
    }
    void Ready() {
        view_->SetLocalPlayerName("Me");
        Captions()->SetRandomSource([](std::uint32_t n) { return n - 1; });
        Winner()->SetRandomSource([this](std::uint32_t n) { return random_ % n; });
    }

    Passed passed_;
    std::uint32_t random_ = 0;
};

// ---- voting ----

// From the composition display: the music at once, the indicator's transition,
// then the picture's exit, then the controls; the countdown of the own middle
// phase; the loop hands over to VotingA once the start is done.
TEST_F(RoundScreensTest, SVAfterSCPlaysTheTransitionsThenTheCountdown) {
    RunCompositionDisplay();
    ListCaptions({"Al", "Me", "Bo"});
    view_->StartVote(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "-1 S 0 9000 0 9000 0 "));
    Run(2);
    EXPECT_TRUE(Voting()->IsStarting());
    EXPECT_FALSE(Voting()->GetInstrumentalLoop()->IsStopped()) << "the music starts at once";
    EXPECT_EQ(Indicator()->GetType(), RoundIndicator::kTransitionPlayed);
    ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
    EXPECT_TRUE(Captions()->IsStarted());
    EXPECT_EQ(Captions()->GetMode(), 0);
    EXPECT_TRUE(Countdown()->IsStarted());
    EXPECT_TRUE(Countdown()->IsRunning());
    EXPECT_EQ(Countdown()->GetSeconds(), 9);
    EXPECT_EQ(Countdown()->GetKind(), 2);
    EXPECT_TRUE(PlayUntil([&] { return Voting()->GetTrack(0)->HasBeenStarted(); }, 3000))
        << "VotingA follows the loop's last pass";
    EXPECT_TRUE(PlayUntil([&] { return Voting()->GetInstrumentalLoop()->IsStopped(); }, 500));
    Play(300);
    // The loop's passes, then VotingA (windows that hold the hand-over left out).
    std::vector<std::string> heard;
    for (const std::string& h : TonesHeard(audio_.RecordedSamples()))
        if (h.find('+') == std::string::npos && (heard.empty() || heard.back() != h)) heard.push_back(h);
    ASSERT_GE(heard.size(), 2u);
    EXPECT_EQ(heard[0], "CompInstrLoop");
    EXPECT_EQ(heard[1], "VotingA");
}

// Late, without a running indicator: the finished display, and a countdown,
// picture and caption list only with more than 3000 ms of middle phase.
TEST_F(RoundScreensTest, LateSVWithoutAnIndicatorNeedsMoreThan3000Ms) {
    struct Row {
        std::uint32_t middle;
        bool rest;
    };
    for (const Row& row : {Row{3000, false}, Row{3001, true}}) {
        SCOPED_TRACE(row.middle);
        ListCaptions({"Al", "Bo"});
        view_->StartVote(Read<StartVoteRoomMsg>("SV 4 " + Pic(5) + "-1 S 0 " + std::to_string(row.middle) +
                                                " 0 45000 0 "));
        ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
        EXPECT_EQ(Voting()->GetMiddleTime(), row.middle);
        EXPECT_TRUE(Indicator()->IsStarted());
        EXPECT_EQ(Indicator()->GetType(), RoundIndicator::kTransitionPlayed);
        EXPECT_EQ(Indicator()->GetRound(), 4);
        EXPECT_EQ(Countdown()->IsStarted(), row.rest);
        EXPECT_EQ(Countdown()->IsRunning(), row.rest);
        EXPECT_EQ(Picture()->IsStarted(), row.rest);
        EXPECT_EQ(Captions()->IsStarted(), row.rest);
        if (row.rest) {
            EXPECT_EQ(Picture()->GetMode(), 5);
            EXPECT_EQ(Countdown()->GetSeconds(), 4);
        }
        // Ready for the next: the screen and the controls it started stop.
        StopAndSettleView();
    }
}

// Nobody composed: the loop keeps playing, no countdown, the announcement
// mode of the captions control, which stops with the screen.
TEST_F(RoundScreensTest, SVNobodyComposedKeepsTheLoopHasNoCountdownAndScoringStillEnds) {
    RunCompositionDisplay();
    view_->StartVote(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "1 S 0 9000 0 9000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
    EXPECT_EQ(Captions()->GetMode(), 1);
    EXPECT_TRUE(Countdown()->IsStopped());
    Play(3000);
    EXPECT_FALSE(Voting()->GetInstrumentalLoop()->IsStopped());
    EXPECT_FALSE(Voting()->GetTrack(0)->HasBeenStarted());
    view_->StartScore(Read<StartScoreRoomMsg>("SS 1 -1 -1 0 " + Q + Q + " S 0 6000 0 6000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Scoring()->IsStarted(); }));
    EXPECT_TRUE(Voting()->IsStopped());
    EXPECT_EQ(Captions()->GetMode(), 2) << "the captions stopped with voting and started again as results";
    // The captions' stop did not lose the nobody-voted narration, whose end lets
    // scoring stop: the round winner follows.
    view_->StartRoundWinner(
        Read<StartRoundWinnerRoomMsg>("SRW " + Q + Q + " " + Q + Q + " " + Q + Q + " " + Pic(5) +
                                      "-1 -1 -1 S 0 5000 0 5000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Winner()->IsStarted(); }, 15000)) << "scoring never stopped";
    EXPECT_TRUE(Scoring()->IsStopped());
}

// A click on another player's caption and "/v 2" give VoteRoomMsg through the
// view; at the countdown's end the buttons go, and neither gives one.
TEST_F(RoundScreensTest, AClickAndTheVoteCommandVoteUntilTheCountdownEnds) {
    ListCaptions({"Al", "Me", "Bo"});
    view_->StartVote(Read<StartVoteRoomMsg>("SV 3 " + Pic(5) + "-1 S 0 4000 0 4000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
    ASSERT_TRUE(Countdown()->IsRunning());
    Captions()->GetButton(false, 0)->Click();
    Run(3);
    view_->VoteCommand(3);
    Run(3);
    EXPECT_EQ(passed_.votes, (std::vector<std::string>{"-1:Al", "-1:Bo"}));
    ASSERT_TRUE(PlayUntil([&] { return !Countdown()->IsRunning(); }, 8000));
    Run(3);
    EXPECT_FALSE(Captions()->GetButton(false, 0)->IsVisible());
    Captions()->GetButton(false, 0)->Click();
    Run(3);
    view_->VoteCommand(2);
    Run(3);
    EXPECT_EQ(passed_.votes.size(), 2u) << "no vote after the countdown";
}

// The indicator's transition and the picture's exit are played only when they
// can be; otherwise the start goes on at once. The bot's "SC" of an unknown
// round type leaves a running display without an announcement to clear, a vote
// leaves the finished display (type 6), and a picture that is not running
// reports no exit.
TEST_F(RoundScreensTest, ATransitionThatCannotPlayIsPassedAtOnce) {
    struct Row {
        const char* what;
        std::function<void(RoundScreensTest&)> arrange;
    };
    const Row rows[] = {
        {"the finished display after a vote",
         [](RoundScreensTest& t) { t.RunCompositionDisplay(RoundIndicator::kTransitionPlayed); }},
        {"an announcement still playing",
         [](RoundScreensTest& t) { t.RunCompositionDisplay(RoundIndicator::kOrdinary, false); }},
        {"no picture running",
         [](RoundScreensTest& t) {
             t.RunCompositionDisplay();
             t.Picture()->Stop();
             ASSERT_TRUE(t.PlayUntil([&] { return t.Picture()->IsStopped(); }));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        row.arrange(*this);
        ListCaptions({"Al", "Bo"});
        view_->StartVote(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "-1 S 0 9000 0 9000 0 "));
        ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
        EXPECT_TRUE(Captions()->IsStarted());
        StopAndSettleView();
    }
}

// ---- scoring ----

TEST(ScoringSchedule, FlagsAndRatioGiveTheDelays) {
    struct Row {
        const char* what;
        bool nobody, someDidNot, tie;
        std::string winner;
        std::uint32_t own, base;
        std::uint32_t nonVoters, tieAt, points, end;
        bool highlight;
    };
    const Row rows[] = {
        {"nobody voted r 1", true, false, false, "Al", 20000, 20000, 0, 0, 5000, 0, false},
        {"nobody voted r 0.2", true, false, false, "Al", 4000, 20000, 0, 0, 2000, 0, false},
        {"some did not vote r 1", false, true, false, "Al", 20000, 20000, 5000, 0, 9000, 21000, true},
        {"some did not vote, tie r 1", false, true, true, "Al", 20000, 20000, 5000, 9000, 14000, 21000,
         false},
        {"some did not vote, tie r 0.2", false, true, true, "Al", 4000, 20000, 2000, 5000, 9000, 5000, false},
        {"some did not vote r 0.2", false, true, false, "", 4000, 20000, 2000, 0, 5000, 5000, false},
        {"tie r 1", false, false, true, "Al", 20000, 20000, 0, 5000, 10000, 21000, false},
        {"tie r 0.2", false, false, true, "Al", 4000, 20000, 0, 2000, 6000, 5000, false},
        {"everybody r 1", false, false, false, "Al", 20000, 20000, 0, 0, 5000, 21000, true},
        {"everybody r 0.2, no winner", false, false, false, "", 4000, 20000, 0, 0, 2000, 5000, false},
        {"everybody r 1.5", false, false, false, "Al", 30000, 20000, 0, 0, 7500, 31000, true},
        {"base middle 0 counts as r 1", false, false, true, "Al", 0, 0, 0, 5000, 10000, 1000, false},
        {"shown late: own middle 0", false, true, true, "Al", 0, 20000, 2000, 5000, 9000, 1000, false},
        {"a huge ratio stays bounded", false, false, true, "Al", 0xFFFFFFFFu, 1, 0, 2147483647u, 2147483647u,
         2147483647u, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const StartScoreRoomMsg msg(r.nobody, r.someDidNot, r.tie, 3, r.winner, 0, 0, 0, 0, 0);
        const ScoringScreen::Schedule s = ScoringScreen::ScheduleFor(msg, r.own, r.base);
        EXPECT_EQ(s.nonVoters, r.nonVoters);
        EXPECT_EQ(s.tie, r.tieAt);
        EXPECT_EQ(s.points, r.points);
        EXPECT_EQ(s.end, r.end);
        EXPECT_EQ(s.highlight, r.highlight);
    }
}

// The vote list turns into the results; the timers run from the completed
// start; at endTimer the points reach the player list. A stop asked for
// while endTimer is pending waits for it.
TEST_F(RoundScreensTest, SSHandsThePointsToThePlayerListAtTheEnd) {
    Players()->AddRow("Al", "10", "", "", "", true, 0, 1);
    Players()->AddRow("Me", "4", "", "", "", true, 0, 1);
    ListCaptions({"Al", "Me"});
    view_->StartVote(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "-1 S 0 4000 0 4000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
    CaptionsControl::CaptionList results;
    results.push_back(std::make_unique<ResultsListItemRoomMsg>(0, "Al", 1, 5, 15, true));
    results.push_back(std::make_unique<ResultsListItemRoomMsg>(1, "Me", 1, 3, 7, true));
    view_->ShowResultsList(results);
    view_->StartScore(Read<StartScoreRoomMsg>("SS -1 -1 -1 1 Al S 0 6000 0 6000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Scoring()->IsStarted(); }));
    const std::uint32_t started = GetAppTime();
    EXPECT_TRUE(Captions()->HasBeenStarted()) << "the vote list ran on and was laid out as the results";
    EXPECT_EQ(Scoring()->GetPointsTimer()->GetInterval(), 5000u);
    EXPECT_EQ(Scoring()->GetEndTimer()->GetInterval(), 7000u);
    EXPECT_TRUE(Scoring()->GetNonVotersTimer()->IsStopped());
    EXPECT_TRUE(Scoring()->GetTieTimer()->IsStopped());
    std::string score;
    Play(100);
    // The next segment asks scoring to stop while endTimer is pending.
    view_->StartRoundWinner(
        Read<StartRoundWinnerRoomMsg>("SRW Al x y " + Pic(5) + "-1 -1 -1 S 0 5000 0 5000 0 "));
    Play(2);
    EXPECT_TRUE(Scoring()->IsStopping());
    ASSERT_TRUE(PlayUntil([&] { return Scoring()->IsStopped(); }, 12000));
    EXPECT_GE(GetAppTime() - started, 7000u) << "the stop waited for endTimer";
    const std::int32_t row = Players()->FindRow(0, "Al", true);
    ASSERT_GE(row, 0);
    EXPECT_EQ(Players()->GetCellText(score, row, 1), "5");
}

// Nobody voted: only the points timer runs, whose narration ends the
// presentation; no endTimer, and the player list gets no points.
TEST_F(RoundScreensTest, SSNobodyVotedEndsWithItsNarration) {
    Players()->AddRow("Al", "10", "", "", "", true, 0, 1);
    ListCaptions({"Al", "Me"});
    view_->StartVote(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "-1 S 0 4000 0 4000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
    CaptionsControl::CaptionList results;
    results.push_back(std::make_unique<ResultsListItemRoomMsg>(0, "Al", 0, 7, 17, false));
    view_->ShowResultsList(results);
    view_->StartScore(Read<StartScoreRoomMsg>("SS 1 -1 -1 0 " + Q + Q + " S 0 6000 0 6000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Scoring()->IsStarted(); }));
    EXPECT_EQ(Scoring()->GetPointsTimer()->GetInterval(), 5000u);
    EXPECT_TRUE(Scoring()->GetEndTimer()->IsStopped());
    view_->StartRoundWinner(
        Read<StartRoundWinnerRoomMsg>("SRW Al x y " + Pic(5) + "-1 -1 -1 S 0 5000 0 5000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Winner()->IsStarted(); }, 15000))
        << "the narration's end lets it stop";
    EXPECT_TRUE(Scoring()->GetEndTimer()->IsStopped());
    std::string score;
    EXPECT_EQ(Players()->GetCellText(score, Players()->FindRow(0, "Al", true), 1), "10");
}

// A scoring segment shown after a longer last phase has no middle left: its
// endTimer still fires (1000 ms) and the stop completes.
TEST_F(RoundScreensTest, SSAfterALongerLastPhaseStillEnds) {
    ListCaptions({"Al", "Me"});
    view_->StartVote(Read<StartVoteRoomMsg>("SV 2 " + Pic(5) + "-1 S 0 4000 0 4000 9000 "));
    ASSERT_TRUE(PlayUntil([&] { return Voting()->IsStarted(); }));
    // Its start delay and last phase (500 + 500) are less than voting's last phase (9000).
    view_->StartScore(Read<StartScoreRoomMsg>("SS -1 -1 -1 1 Al S 0 500 0 6000 500 "));
    ASSERT_TRUE(PlayUntil([&] { return Scoring()->IsStarted(); }, 20000));
    EXPECT_EQ(Scoring()->GetMiddleTime(), 0u);
    EXPECT_EQ(Scoring()->GetEndTimer()->GetInterval(), 1000u);
    EXPECT_EQ(Scoring()->GetPointsTimer()->GetInterval(), 2000u);
    view_->StartRoundWinner(
        Read<StartRoundWinnerRoomMsg>("SRW Al x y " + Pic(5) + "-1 -1 -1 S 0 5000 0 5000 0 "));
    EXPECT_TRUE(PlayUntil([&] { return Winner()->IsStarted(); }, 5000)) << "the game goes on";
}

// ---- round winner ----

TEST_F(RoundScreensTest, SRWVoicesFanfareAndTexts) {
    struct Row {
        const char* what;
        std::string text;
        std::uint32_t random;
        std::vector<std::int32_t> voices;
        std::int32_t fanfare;
        int panel;  // 426 or 432
        std::vector<std::pair<int, std::string>> fields;
    };
    const std::string one = Q + "line one" + Q + " " + Q + Q + " " + Pic(5);
    const std::string two = Q + "line one" + Q + " " + Q + "line two" + Q + " " + Pic(5);
    const auto me = [](const std::string& tail) { return "SRW Me " + tail; };
    const auto other = [](const std::string& tail) { return "SRW me " + tail; };
    const std::string none = "SRW " + Q + Q + " " + Q + "x" + Q + " " + Q + "y" + Q + " " + Pic(5);
    const std::string seg = "S 0 5000 0 5000 0 ";
    const std::string well = "Well done, ";
    const Row rows[] = {
        {"me, drawn 0",
         me(one) + "-1 -1 -1 " + seg,
         0,
         {2490, 2473},
         3330,
         426,
         {{170, "line one"}, {173, well + "Me!"}}},
        {"me, drawn 2, no offer", me(one) + "1 -1 -1 " + seg, 2, {2492}, 3330, 426, {{173, well + "Me!"}}},
        {"me, drawn 4, two lines",
         me(two) + "-1 1 -1 " + seg,
         4,
         {2495, 2473},
         3330,
         432,
         {{171, "line one"}, {172, "line two"}, {173, well + "Me!"}}},
        {"other (case differs), drawn 1",
         other(one) + "-1 -1 -1 " + seg,
         1,
         {2485, 2472},
         3330,
         426,
         {{173, well + "me!"}}},
        {"other, drawn 0, no offer", other(one) + "1 -1 -1 " + seg, 0, {2488}, 3330, 426, {}},
        {"none, drawn 1",
         none + "-1 -1 -1 " + seg,
         1,
         {2475},
         3130,
         426,
         {{170, "\xFE\xFE\x06"}, {173, "No winner."}}},
        {"none, drawn 0", none + "-1 -1 -1 " + seg, 0, {2480}, 3130, 426, {}},
        {"none, no offer", none + "1 -1 -1 " + seg, 1, {2480}, 3130, 426, {}},
        {"none, third comment", none + "1 -1 1 " + seg, 1, {2482}, 3130, 426, {}},
        {"none, two lines",
         none + "-1 1 -1 " + seg,
         1,
         {2475},
         3130,
         432,
         {{171, std::string(10, '\xFE') + "\x06"},
          {172, std::string(6, '\xFE') + "\x06"},
          {173, "No winner."}}},
    };
    const auto name = [](std::int32_t id) {
        const std::vector<std::pair<std::int32_t, std::string>> names = {
            {2472, "RoundLosersFC"}, {2473, "RoundWinnerFC"}, {2485, "RoundLosers1"},
            {2488, "RoundLosers2"},  {2490, "RoundWinner1"},  {2492, "RoundWinner2"},
            {2495, "RoundWinner3"},  {2475, "NoWinner1"},     {2480, "NoWinner2"},
            {2482, "NoWinner3"},     {3330, "WinFanfare"},    {3130, "FatChanceNegFanfare"}};
        for (const auto& [n, text] : names)
            if (n == id) return text;
        return std::string("?");
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        random_ = r.random;
        audio_.ClearRecording();
        view_->StartRoundWinner(Read<StartRoundWinnerRoomMsg>(r.text));
        ASSERT_TRUE(PlayUntil([&] { return Winner()->IsStarted(); }));
        EXPECT_EQ(SoundIds(Winner()->GetVoiceSequence()), r.voices);
        EXPECT_EQ(SoundIds(Winner()->GetMusicSequence()), std::vector<std::int32_t>{r.fanfare});
        for (const auto& [field, text] : r.fields) EXPECT_EQ(FieldText(field), text) << field;
        EXPECT_EQ(Picture()->GetMode(), 6);
        // The intro gives way to the panel of the layout.
        ASSERT_TRUE(PlayUntil([&] { return !Winner()->GetIntro()->IsVisible(); }));
        EXPECT_TRUE(
            (r.panel == 426 ? Winner()->GetOneLinePanel() : Winner()->GetTwoLinePanel())->IsVisible());
        // Heard: the fanfare with the first comment, then the offer alone.
        Play(1500);
        std::vector<std::string> expected;
        const std::string fanfare = name(r.fanfare);
        const std::string first = name(r.voices.front());
        // Named in the pack's order, as TonesHeard names them.
        const auto place = [](const std::string& n) {
            return std::find(kRoundSounds.begin(), kRoundSounds.end(), n) - kRoundSounds.begin();
        };
        expected.push_back(place(fanfare) < place(first) ? fanfare + "+" + first : first + "+" + fanfare);
        if (r.voices.size() > 1) expected.push_back(name(r.voices[1]));
        std::vector<std::string> heard = TonesHeard(audio_.RecordedSamples());
        // A window where one of two tones sets out alone, or ends, is not counted.
        std::vector<std::string> full;
        for (const std::string& h : heard)
            if (std::find(expected.begin(), expected.end(), h) != expected.end() &&
                (full.empty() || full.back() != h))
                full.push_back(h);
        EXPECT_EQ(full, expected);
        StopAndSettleView();
    }
}

// Read back from the window: the no-winner panel's missing caption is drawn
// as rules, two ems long on the one-line panel, in the text's colour.
TEST_F(RoundScreensTest, TheNoWinnerPanelShowsRules) {
    const std::string none = "SRW " + Q + Q + " " + Q + Q + " " + Q + Q + " " + Pic(5);
    view_->StartRoundWinner(Read<StartRoundWinnerRoomMsg>(none + "-1 -1 -1 S 0 5000 0 5000 0 "));
    ASSERT_TRUE(PlayUntil([&] { return Winner()->IsStarted() && Winner()->GetOneLinePanel()->IsVisible(); }));
    Play(200);
    platform::PresentAllWindows();
    const platform::Surface& back = *platform::GetBackBuffer(view_->GetWindow());
    // The caption's field: (40, 424)-(600, 448) on the panel's fill (index 186),
    // below the chat box's lines (to y 430). The text is black (index 0).
    int inked = 0;
    int longest = 0;
    int rows = 0;
    for (int y = 431; y < 448; ++y) {
        int run = 0;
        int rowInk = 0;
        for (int x = 40; x < 600; ++x) {
            const std::uint8_t v = back.Row(y)[x];
            EXPECT_TRUE(v == 0 || v == 186) << x << "," << y << ": " << int(v);
            run = v == 0 ? run + 1 : 0;
            rowInk += v == 0 ? 1 : 0;
            longest = std::max(longest, run);
        }
        inked += rowInk;
        rows += rowInk > 0 ? 1 : 0;
    }
    // Two rules of one em each, side by side: one unbroken line; nothing else drawn.
    EXPECT_EQ(inked, longest * rows);
    EXPECT_GE(longest, 12);
    EXPECT_LE(longest, 40);
    EXPECT_EQ(longest % 2, 0);
}

}  // namespace
