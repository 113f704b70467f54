#include "game/screens/RoomChoice.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "game/model/PictureRoom.h"

namespace {

PictureRoom MakeRoom(const std::string& name, const std::string& status, std::int32_t players,
                     std::int32_t capacity, std::int32_t round = 0, std::int32_t points = 0,
                     bool clean = true, bool highlighted = false) {
    return PictureRoom(name, "irc.example", 6667, "#" + name, status, players, false, capacity, round, points,
                       clean, highlighted);
}

// Hands out the scripted numbers in order and writes down each range asked for.
class ScriptedRandom {
  public:
    explicit ScriptedRandom(std::deque<std::uint32_t> numbers) : numbers_(std::move(numbers)) {}
    RoomRandom Source() {
        return [this](std::uint32_t n) {
            ranges.push_back(n);
            if (numbers_.empty()) {
                ADD_FAILURE() << "a draw nobody scripted";
                return std::uint32_t{0};
            }
            const std::uint32_t v = numbers_.front();
            numbers_.pop_front();
            return v;
        };
    }
    std::vector<std::uint32_t> ranges;

  private:
    std::deque<std::uint32_t> numbers_;
};

TEST(RoomChoiceTest, JoinableByStatusInAnyCaseAndAFreePlace) {
    const struct {
        const char* status;
        std::int32_t players;
        std::int32_t capacity;
        bool joinable;
    } cases[] = {
        {"open", 3, 10, true},           {"Playing", 9, 10, true},        {"open", 10, 10, false},
        {"open", 11, 10, false},         {"Full", 3, 10, false},          {"FULL", 3, 10, false},
        {"full", 3, 10, false},          {"Listing rooms", 0, 10, false}, {"LISTING ROOMS", 0, 10, false},
        {"listing rooms", 0, 10, false}, {"Dead", 0, 10, false},          {"unknown", 0, 10, false},
        {"Unknown", 0, 10, false},       {"full ", 3, 10, true},          {"", 0, 1, true},
        {"f\xDCll", 3, 10, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.status) + " " + std::to_string(c.players) + "/" +
                     std::to_string(c.capacity));
        const PictureRoom room = MakeRoom("r", c.status, c.players, c.capacity);
        EXPECT_EQ(IsJoinableRoom(&room), c.joinable);
    }
    EXPECT_FALSE(IsJoinableRoom(nullptr));
}

TEST(RoomChoiceTest, ScoresByPlayerBandAndRoundsLeft) {
    const struct {
        std::int32_t players;
        std::int32_t round;
        std::int32_t points;
        std::vector<std::uint32_t> draws;  // what the source gives, in order
        std::int32_t score;
        std::size_t drawn;  // how many numbers were asked for
    } cases[] = {
        // The 9-player band passes below 20 only.
        {9, 0, 0, {19, 50}, 4 + 7, 2},
        {9, 0, 0, {20, 50}, -10 + 7, 2},
        {8, 0, 0, {39, 0}, 3 + 7, 2},
        {8, 0, 0, {40, 0}, -10 + 7, 2},
        {7, 0, 0, {79, 0}, 2 + 7, 2},
        {6, 0, 0, {80, 0}, -10 + 7, 2},
        {5, 0, 0, {99, 99}, 1 + 7, 2},
        {3, 0, 0, {0, 0}, 1 + 7, 2},
        {2, 0, 0, {0, 0}, 0 + 7, 2},
        {1, 0, 0, {0, 0}, 0 + 7, 2},
        {0, 0, 0, {0, 0}, -1000 + 7, 2},
        // Ten and more: no band, no draw.
        {10, 0, 0, {0}, 0 + 7, 1},
        {25, 0, 0, {0}, 0 + 7, 1},
        {-1, 0, 0, {0}, 0 + 7, 1},
        // Points a round still to play: 7 left at round 0 (and at round -3).
        {3, 0, 13, {0, 0}, 1 + 6, 2},
        {3, -3, 13, {0, 0}, 1 + 6, 2},
        {3, 0, 28, {0, 0}, 1 + 3, 2},
        {3, 6, 9, {0, 0}, 1 + 1, 2},   // 1 left: 9
        {3, 6, 16, {0, 0}, 1 + 0, 2},  // 16
        {3, 6, 999, {0, 0}, 1 + 0, 2},
        {3, 6, 1000, {0}, 1, 1},  // past every band
        {3, 6, -5, {0}, 1, 1},    // below every band
        {3, 7, 0, {0}, 1, 1},     // none left: 1000
        {3, 12, 50, {0}, 1, 1},
        {3, 5, 7, {0, 0}, 1 + 4, 2},  // 2 left: 3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.players << " players, round " << c.round << ", " << c.points);
        ScriptedRandom random(std::deque<std::uint32_t>(c.draws.begin(), c.draws.end()));
        const PictureRoom room = MakeRoom("r", "open", c.players, 20, c.round, c.points);
        EXPECT_EQ(ScoreRoom(room, random.Source()), c.score);
        EXPECT_EQ(random.ranges, std::vector<std::uint32_t>(c.drawn, 100));
    }
}

TEST(RoomChoiceTest, ChooseForMeKeepsToTheTabSkipsHighlightedAndFullRooms) {
    const PictureRoom other = MakeRoom("adult", "open", 4, 10, 0, 0, false);
    const PictureRoom bright = MakeRoom("bright", "open", 4, 10, 0, 0, true, true);
    const PictureRoom full = MakeRoom("full", "Full", 4, 10);
    const PictureRoom packed = MakeRoom("packed", "open", 10, 10);
    const std::vector<const PictureRoom*> none{&other, &bright, &full, &packed, nullptr};
    ScriptedRandom random({});
    EXPECT_EQ(ChooseRoomForMe(none, true, random.Source()), nullptr);
    EXPECT_TRUE(random.ranges.empty()) << "nothing scored, nothing drawn";
    const PictureRoom clean = MakeRoom("clean", "open", 4, 10);
    ScriptedRandom lone({0, 0});
    EXPECT_EQ(ChooseRoomForMe({&other, &bright, &clean, &full}, true, lone.Source()), &clean);
    ScriptedRandom adult({0, 0});
    EXPECT_EQ(ChooseRoomForMe({&other, &bright, &clean}, false, adult.Source()), &other);
}

TEST(RoomChoiceTest, ChooseForMeDrawsAmongTheBest) {
    const PictureRoom a = MakeRoom("a", "open", 4, 10);  // 1 + 7
    const PictureRoom b = MakeRoom("b", "open", 9, 10);  // 4 + 7 when its draw passes
    const PictureRoom c = MakeRoom("c", "open", 9, 10);
    const PictureRoom d = MakeRoom("d", "open", 4, 10, 0, 28);  // 1 + 3
    const std::vector<const PictureRoom*> rooms{&a, &b, &c, &d};
    // b and c both pass: a tie of two, each chosen by the last draw.
    for (std::uint32_t pick : {0u, 1u}) {
        ScriptedRandom random({0, 0, 5, 0, 5, 0, 0, 0, pick});
        EXPECT_EQ(ChooseRoomForMe(rooms, true, random.Source()), pick == 0 ? &b : &c);
        EXPECT_EQ(random.ranges.back(), 2u);
    }
    // Only c passes: it alone is best.
    ScriptedRandom one({0, 0, 50, 0, 5, 0, 0, 0});
    EXPECT_EQ(ChooseRoomForMe(rooms, true, one.Source()), &c);
    // Neither passes: a is best (8 against -3 and 4).
    ScriptedRandom neither({0, 0, 50, 0, 50, 0, 0, 0});
    EXPECT_EQ(ChooseRoomForMe(rooms, true, neither.Source()), &a);
    // Over many draws of the real kind every tied room comes up about as often.
    const PictureRoom e = MakeRoom("e", "open", 4, 10);
    std::map<const PictureRoom*, int> seen;
    std::uint32_t state = 12345;
    const RoomRandom lcg = [&](std::uint32_t n) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % n;
    };
    for (int i = 0; i < 3000; ++i) ++seen[ChooseRoomForMe({&a, &e}, true, lcg)];
    EXPECT_GT(seen[&a], 1300);
    EXPECT_GT(seen[&e], 1300);
}

}  // namespace
