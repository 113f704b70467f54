// The game-winner screen in the real game view, on the real screen canvas and
// the real sound service (captured output), on the manual clock. Every segment
// is an "SGW" wire text read by the game's room message reader and handed to
// the view as the model does: the ranking to board, voices and fields, the
// applause after the wrap-up music in two games in a row, and hostile rankings.

#include <cstdint>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "ViewParts.h"
#include "divir/xRandom.h"
#include "framework/StartedMsg.h"
#include "framework/StartingMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/Timer.h"
#include "game/model/PictureRoomMsgFactory.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/view/screens/GameWinnerScreen.h"
#include "media/Animation.h"
#include "media/TextStrip.h"
#include "net/RoomMsgStream.h"
#include "sequencers/ParallelSequencer.h"
#include "sound/Music.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

#include <gtest/gtest.h>

namespace {

using W = GameWinnerScreen;

const char* const kVoiceNames[W::kVoiceCount] = {"GameOver10to20",    "GameOver21Plus", "GameOver5orLess",
                                                 "GameOverDefault",   "GameOverNoWinner", "GameOverNoWinner2",
                                                 "WeHaveTie",         "WeHaveWinner"};

// The starts and stops of the screen's sounds, by name, on the application clock.
struct SoundLog : MsgReceiver {
    // What a sound reported: asked to start (its start request), playing, ended.
    enum Kind { kStopped = 0, kStarted = 1, kStarting = 2 };
    struct Event {
        std::string name;
        int kind;
        std::uint32_t at;
    };
    std::map<MsgSender*, std::string> names;
    std::vector<Event> events;

    std::int32_t Receive(const Msg& msg, MsgSender* from) override {
        const auto it = names.find(from);
        if (it == names.end()) return 0;
        if (msg.Is<StartingMsg>()) events.push_back({it->second, kStarting, GetAppTime()});
        if (msg.Is<StartedMsg>()) events.push_back({it->second, kStarted, GetAppTime()});
        if (msg.Is<StoppedMsg>()) events.push_back({it->second, kStopped, GetAppTime()});
        return 0;
    }
    // The names started at or after `from`, in order.
    std::vector<std::string> Started(std::uint32_t from = 0) const {
        std::vector<std::string> out;
        for (const Event& e : events) {
            if (e.kind == kStarted && e.at >= from) out.push_back(e.name);
        }
        return out;
    }
    std::vector<std::string> Voices(std::uint32_t from = 0) const {
        std::vector<std::string> out;
        for (const std::string& name : Started(from)) {
            if (name.rfind("Applause", 0) != 0 && name != "WrapUp" && name != "Fanfare") out.push_back(name);
        }
        return out;
    }
    // The time of the first such event at or after `from`; -1 when there is none.
    std::int64_t First(const std::string& name, int kind, std::uint32_t from = 0) const {
        for (const Event& e : events) {
            if (e.name == name && e.kind == kind && e.at >= from) return e.at;
        }
        return -1;
    }
};

struct Entry {
    std::string name;
    std::string score;
};

// An "SGW" text: tie flag, count, entries, then the segment's fields (no start
// delay, a long middle).
std::string Sgw(bool tie, std::int64_t count, const std::vector<Entry>& entries) {
    std::string text = std::string("SGW ") + (tie ? "1 " : "-1 ") + std::to_string(count) + " ";
    for (const Entry& e : entries) text += e.name + " " + e.score + " ";
    return text + "S 0 0 0 60000 0 ";
}

std::vector<Entry> Ranking(int n, std::int64_t first, std::int64_t lead) {
    std::vector<Entry> out;
    for (int i = 0; i < n; ++i) {
        const std::int64_t score = i == 0 ? first : first - lead - (i - 1);
        out.push_back({"P" + std::to_string(i), std::to_string(score)});
    }
    return out;
}

class GameWinnerTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        MakeView(RecordingParts());
        StartView();
        screen_ = view_->GetGameWinnerScreen();
        ASSERT_NE(screen_, nullptr);
        random_.Seed(2027);
        screen_->SetRandomSource([this](std::uint32_t n) {
            const std::uint32_t draw = random_.Next(n);
            draws_.push_back(draw);
            return draw;
        });
        for (std::size_t i = 0; i < W::kVoiceCount; ++i) Listen(screen_->GetVoice(i), kVoiceNames[i]);
        Listen(screen_->GetWrapUp(), "WrapUp");
        Listen(screen_->GetFanfare(), "Fanfare");
        for (std::size_t i = 0; i < W::kApplauseCount; ++i) {
            Listen(screen_->GetApplause(i), "Applause" + std::to_string(i + 1));
        }
    }
    void Listen(MsgSender* sound, const std::string& name) {
        log_.names[sound] = name;
        sound->AddReceiver(&log_);
    }

    // Read as the room proxy reads it; false when the reader refuses the text.
    bool Segment(const std::string& text) {
        RoomMsgStream stream(text);
        PictureRoomMsgFactory factory;
        std::unique_ptr<RoomMsg> msg;
        try {
            msg = factory.CreateRoomMsg(stream);
        } catch (const InvalidRoomMsg&) {
            return false;
        }
        const auto* sgw = dynamic_cast<const StartGameWinnerRoomMsg*>(msg.get());
        if (sgw == nullptr) return false;
        view_->StartGameWinner(*sgw);
        return true;
    }
    // A composition segment of the next game: the winner screen stops.
    void NextScreen() {
        PictureInfo picture;
        picture.number1 = 5;
        view_->StartComp(StartCompRoomMsg(1, picture, 0, "", "", "", 0, 0, 100, 100, 100));
        // The sounds report their stop as the output reaches it.
        for (int i = 0; i < 5000 && (!screen_->IsStopped() || view_->GetCurrentScreen() == screen_); ++i) Play(1);
    }
    std::string Field(int item) {
        auto* service = dynamic_cast<AnimationService*>(view_->GetAnimationService());
        if (service == nullptr) return "(no service)";
        TextStripItem* entry = service->GetTextStrip()->GetItem(item);
        return entry != nullptr ? entry->text : "(no field)";
    }
    // The screen's start requests of the four applause relative to the end of
    // the wrap-up music at or after `from` (the output then adds its own
    // latency to when each is heard); -1 for one never asked for or never heard.
    std::vector<std::int64_t> ApplauseAfterWrapUp(std::uint32_t from) {
        const std::int64_t end = log_.First("WrapUp", SoundLog::kStopped, from);
        std::vector<std::int64_t> out;
        for (std::size_t i = 0; i < W::kApplauseCount; ++i) {
            const std::string name = "Applause" + std::to_string(i + 1);
            const std::int64_t at = log_.First(name, SoundLog::kStarting, from);
            const bool heard = log_.First(name, SoundLog::kStarted, from) >= 0;
            out.push_back(end < 0 || at < 0 || !heard ? -1 : at - end);
        }
        return out;
    }
    static void ExpectApplauseTimes(const std::vector<std::int64_t>& got) {
        const std::int64_t want[W::kApplauseCount] = {0, 333, 750, 1000};
        ASSERT_EQ(got.size(), W::kApplauseCount);
        for (std::size_t i = 0; i < W::kApplauseCount; ++i) {
            // A few passes of message queues lie between a cause and a sound's start.
            EXPECT_GE(got[i], want[i]) << "applause " << i + 1;
            EXPECT_LE(got[i], want[i] + 8) << "applause " << i + 1;
        }
    }

    GameWinnerScreen* screen_ = nullptr;
    SoundLog log_;
    xRandomGenerator random_;
    std::vector<std::uint32_t> draws_;
};

struct Row {
    int entries;
    bool tie;
    std::int64_t first;
    std::int64_t lead;
    // 'N' the no-winner board, 'W' the winner board, 'T' the tie board (of min(entries, 10)).
    char board;
    std::vector<std::string> voices;  // empty for the no-winner rows: drawn
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << r.entries << " entries, " << (r.tie ? "tie, " : "") << "first " << r.first << ", lead " << r.lead;
}

class GameWinnerTableTest : public GameWinnerTest, public ::testing::WithParamInterface<Row> {};

TEST_P(GameWinnerTableTest, TheRankingPicksBoardVoicesAndFields) {
    const Row& r = GetParam();
    const std::vector<Entry> ranking = Ranking(r.entries, r.first, r.lead);
    ASSERT_TRUE(Segment(Sgw(r.tie, r.entries, ranking)));
    Play(4000);
    ASSERT_EQ(view_->GetCurrentScreen(), screen_);
    EXPECT_TRUE(screen_->IsStarted());
    const std::size_t n = std::min<std::size_t>(r.entries, W::kMaxEntries);
    Animation* board = r.board == 'N'   ? screen_->GetNoWinnerBoard()
                       : r.board == 'T' ? screen_->GetTieBoard(n)
                                        : screen_->GetWinnerBoard(n);
    EXPECT_EQ(screen_->GetCurrentBoard(), board);
    ASSERT_NE(board, nullptr);
    EXPECT_FALSE(board->IsStopped()) << "the board holds its last cel";

    if (r.board == 'N') {
        ASSERT_EQ(draws_.size(), 1u);
        const std::vector<std::string> voice{draws_[0] == 1 ? "GameOverNoWinner" : "GameOverNoWinner2"};
        EXPECT_EQ(log_.Voices(), voice);
        EXPECT_NE(log_.First("Fanfare", SoundLog::kStarted), -1);
        EXPECT_EQ(log_.First("WrapUp", SoundLog::kStarting), -1);
        EXPECT_EQ(log_.First("Applause1", SoundLog::kStarting), -1) << "no applause without a winner";
        return;
    }
    EXPECT_TRUE(draws_.empty());
    EXPECT_EQ(log_.Voices(), r.voices);
    EXPECT_EQ(log_.First("Fanfare", SoundLog::kStarting), -1);
    ExpectApplauseTimes(ApplauseAfterWrapUp(0));
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(Field(W::kNameField + static_cast<int>(i)), ranking[i].name) << i;
        EXPECT_EQ(Field(W::kScoreField + static_cast<int>(i)), ranking[i].score) << i;
    }
    if (r.entries > 10) {
        // Field 174 + 10 is the first score's: the eleventh name is not written over it.
        EXPECT_EQ(Field(W::kNameField + 10), ranking[0].score);
        EXPECT_NE(Field(W::kScoreField + 10), ranking[10].score);
    }
}

const std::vector<std::string> kWinner5{"WeHaveWinner", "GameOver5orLess"};
const std::vector<std::string> kWinnerDefault{"WeHaveWinner", "GameOverDefault"};
const std::vector<std::string> kWinner10to20{"WeHaveWinner", "GameOver10to20"};
const std::vector<std::string> kWinner21{"WeHaveWinner", "GameOver21Plus"};
const std::vector<std::string> kTieDefault{"WeHaveTie", "GameOverDefault"};

INSTANTIATE_TEST_SUITE_P(
    Rankings, GameWinnerTableTest,
    ::testing::Values(Row{0, false, 0, 0, 'N', {}}, Row{0, true, 0, 0, 'N', {}}, Row{1, false, 0, 0, 'N', {}},
                      Row{10, false, 0, 5, 'N', {}}, Row{1, false, 7, 0, 'W', kWinnerDefault},
                      Row{1, false, -4, 0, 'W', kWinnerDefault}, Row{1, true, 30, 0, 'T', kTieDefault},
                      Row{2, false, 50, 5, 'W', kWinner5}, Row{2, false, 50, -3, 'W', kWinner5},
                      Row{3, false, 50, 6, 'W', kWinnerDefault}, Row{10, false, 90, 10, 'W', kWinnerDefault},
                      Row{10, false, 90, 11, 'W', kWinner10to20}, Row{10, false, 90, 20, 'W', kWinner10to20},
                      Row{10, false, 90, 21, 'W', kWinner21}, Row{10, true, 90, 21, 'T', kTieDefault},
                      Row{11, false, 90, 21, 'W', kWinner21}, Row{11, true, 90, 5, 'T', kTieDefault},
                      Row{11, false, 90, 10, 'W', kWinnerDefault},
                      // The lead of 2^32 - 1 is 21 and more, not -1.
                      Row{2, false, 2147483647, 4294967295LL, 'W', kWinner21}));

TEST(GameWinnerLead, TheLeadIsTakenInSixtyFourBits) {
    EXPECT_EQ(W::LeadComment(false, {2147483647, -2147483647 - 1}), W::kLead21Plus);
    EXPECT_EQ(W::LeadComment(false, {-2147483647 - 1, 2147483647}), W::kLead5OrLess);
    EXPECT_EQ(W::LeadComment(true, {100, 0}), W::kDefaultComment);
    EXPECT_EQ(W::LeadComment(false, {100}), W::kDefaultComment);
    EXPECT_EQ(W::LeadComment(false, {}), W::kDefaultComment);
}

// Each game plays all four applause at 0, 333, 750 and 1000 ms after its
// wrap-up music, also after the stopper has disarmed the timers once.
TEST_F(GameWinnerTest, TwoGamesInARowBothApplaudOnTime) {
    ASSERT_TRUE(Segment(Sgw(false, 3, Ranking(3, 40, 12))));
    Play(4000);
    ExpectApplauseTimes(ApplauseAfterWrapUp(0));
    NextScreen();
    EXPECT_TRUE(screen_->IsStopped());
    for (std::size_t i = 0; i < W::kApplauseCount - 1; ++i) EXPECT_TRUE(screen_->GetApplauseTimer(i)->IsStopped());

    const std::uint32_t second = GetAppTime();
    ASSERT_TRUE(Segment(Sgw(true, 2, Ranking(2, 40, 0))));
    Play(4000);
    EXPECT_EQ(screen_->GetCurrentBoard(), screen_->GetTieBoard(2));
    EXPECT_EQ(log_.Voices(second), kTieDefault);
    ExpectApplauseTimes(ApplauseAfterWrapUp(second));
}

// A game cut short in its applause, and one cut short in its wrap-up music:
// nothing more is started while the screen stops or after, and the next game
// applauds in full and on time.
TEST_F(GameWinnerTest, AStopInTheMusicOrTheApplauseLeavesNothingPlaying) {
    ASSERT_TRUE(Segment(Sgw(false, 2, Ranking(2, 40, 30))));
    Play(300);
    ASSERT_NE(log_.First("WrapUp", SoundLog::kStarting), -1);
    NextScreen();
    Play(2500);
    EXPECT_TRUE(screen_->IsStopped());
    EXPECT_EQ(log_.First("Applause1", SoundLog::kStarting), -1) << "the stopper's stop of the music is no end of it";

    std::uint32_t from = GetAppTime();
    ASSERT_TRUE(Segment(Sgw(false, 2, Ranking(2, 40, 30))));
    Play(1500);
    const std::int64_t end = log_.First("WrapUp", SoundLog::kStopped, from);
    ASSERT_NE(end, -1);
    Play(static_cast<std::uint32_t>(end + 500 - GetAppTime()));
    EXPECT_NE(log_.First("Applause2", SoundLog::kStarting, from), -1);
    const std::uint32_t stopAt = GetAppTime();
    NextScreen();
    Play(2000);
    EXPECT_TRUE(screen_->IsStopped());
    EXPECT_EQ(log_.First("Applause3", SoundLog::kStarting, stopAt), -1);
    EXPECT_EQ(log_.First("Applause4", SoundLog::kStarting, stopAt), -1);
    for (std::size_t i = 0; i < W::kApplauseCount; ++i) EXPECT_TRUE(screen_->GetApplause(i)->IsStopped()) << i;

    from = GetAppTime();
    ASSERT_TRUE(Segment(Sgw(false, 1, Ranking(1, 8, 0))));
    Play(4000);
    EXPECT_EQ(log_.Voices(from), kWinnerDefault);
    ExpectApplauseTimes(ApplauseAfterWrapUp(from));
}

// The no-winner voice is the game's generator's even draw.
TEST_F(GameWinnerTest, TheNoWinnerVoiceFollowsTheDraw) {
    std::vector<std::string> heard;
    for (int game = 0; game < 6; ++game) {
        const std::uint32_t from = GetAppTime();
        ASSERT_TRUE(Segment(Sgw(false, 0, {})));
        Play(3000);
        ASSERT_EQ(draws_.size(), static_cast<std::size_t>(game + 1));
        const std::vector<std::string> voice{draws_.back() == 1 ? "GameOverNoWinner" : "GameOverNoWinner2"};
        EXPECT_EQ(log_.Voices(from), voice);
        NextScreen();
    }
    xRandomGenerator again;
    again.Seed(2027);
    for (std::uint32_t draw : draws_) EXPECT_EQ(draw, again.Next(2));
}

// Rankings no room should send: every text is read or refused as the reader
// does, every segment read plays and ends, and the next screen follows.
TEST_F(GameWinnerTest, HostileRankingsPlayAndEnd) {
    std::vector<Entry> eleven{{"P0", "2147483647"}};
    for (int i = 1; i < 11; ++i) eleven.push_back({"P" + std::to_string(i), "-2147483648"});
    struct Hostile {
        std::string text;
        bool read;
        char board;  // as in the table; ' ' when refused
        std::size_t entries;
        std::vector<std::string> voices;
    };
    const std::vector<Hostile> rows = {
        {Sgw(false, 11, eleven), true, 'W', 10, kWinner21},
        {Sgw(true, 11, eleven), true, 'T', 10, kTieDefault},
        {Sgw(false, 3, {{"A", "-2147483648"}, {"B", "2147483647"}, {"C", "0"}}), true, 'W', 3, kWinner5},
        {Sgw(false, 2, {{"A", "0"}, {"B", "2147483647"}}), true, 'N', 0, {}},
        {Sgw(false, -1, {}), true, 'N', 0, {}},
        {Sgw(false, 12, Ranking(3, 10, 2)), false, ' ', 0, {}},
        {Sgw(false, 2147483647, Ranking(2, 10, 2)), false, ' ', 0, {}},
        {Sgw(false, 3, {{"A", "99999999999"}, {"B", "1"}, {"C", "1"}}), false, ' ', 0, {}},
        {"SGW ", false, ' ', 0, {}},
        {"SGW 1", false, ' ', 0, {}},
        {"SGW -1 1 Ann", false, ' ', 0, {}},
    };
    for (const Hostile& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 80));
        const std::uint32_t from = GetAppTime();
        ASSERT_EQ(Segment(row.text), row.read);
        if (!row.read) continue;
        Play(4000);
        EXPECT_TRUE(screen_->IsStarted());
        Animation* board = row.board == 'N'   ? screen_->GetNoWinnerBoard()
                           : row.board == 'T' ? screen_->GetTieBoard(row.entries)
                                              : screen_->GetWinnerBoard(row.entries);
        EXPECT_EQ(screen_->GetCurrentBoard(), board);
        if (row.board != 'N') {
            EXPECT_EQ(log_.Voices(from), row.voices);
            ExpectApplauseTimes(ApplauseAfterWrapUp(from));
        }
        NextScreen();
        EXPECT_TRUE(screen_->IsStopped());
        EXPECT_NE(view_->GetCurrentScreen(), screen_);
        for (std::size_t i = 0; i < W::kApplauseCount; ++i) EXPECT_TRUE(screen_->GetApplause(i)->IsStopped());
    }
}

}  // namespace
