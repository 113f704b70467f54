#include "game/screens/ChooserRooms.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "game/model/PictureRoom.h"
#include "net/Room.h"

namespace {

using Kind = ChooserRooms::Change::Kind;

PictureRoom MakeRoom(const std::string& name, bool clean, std::int32_t players = 3,
                     bool preflightOnly = false) {
    return PictureRoom(name, "irc.example", 6667, "#" + name, "open", players, preflightOnly, 10, 0, 0, clean,
                       false);
}

TEST(ChooserRoomsTest, TheCountOfABeginOnlyReservesAndIsCapped) {
    for (const std::int32_t hint :
         {std::numeric_limits<std::int32_t>::max(), -1, std::numeric_limits<std::int32_t>::min(), 0, 3}) {
        SCOPED_TRACE(hint);
        ChooserRooms rooms;
        rooms.Begin(hint);
        EXPECT_EQ(rooms.Count(), 0u);
        // More rooms than announced are all kept.
        for (int i = 0; i < 7; ++i) {
            const PictureRoom r = MakeRoom("room" + std::to_string(i), true);
            EXPECT_EQ(rooms.Add(&r, false).kind, Kind::Added);
        }
        EXPECT_EQ(rooms.Count(), 7u);
        EXPECT_EQ(rooms.At(6).GetName(), "room6");
    }
}

TEST(ChooserRoomsTest, OnlyGameRoomsAndPreflightRoomsInPreflightModeAreListed) {
    ChooserRooms rooms;
    rooms.Begin(4);
    const Room plain;
    EXPECT_EQ(rooms.Add(&plain, true).kind, Kind::None);
    EXPECT_EQ(rooms.Add(nullptr, true).kind, Kind::None);
    const PictureRoom preflight = MakeRoom("pre", true, 3, true);
    EXPECT_EQ(rooms.Add(&preflight, false).kind, Kind::None);
    EXPECT_EQ(rooms.Count(), 0u);
    const ChooserRooms::Change added = rooms.Add(&preflight, true);
    EXPECT_EQ(added.kind, Kind::Added);
    EXPECT_EQ(added.index, 0u);
    EXPECT_EQ(rooms.Update(&preflight, false).kind, Kind::None);
}

TEST(ChooserRoomsTest, AnUpdateRewritesOrMovesTheFirstRoomOfThatName) {
    ChooserRooms rooms;
    rooms.Begin(3);
    const PictureRoom a = MakeRoom("a", true);
    const PictureRoom b = MakeRoom("b", true);
    const PictureRoom b2 = MakeRoom("b", false);
    rooms.Add(&a, false);
    rooms.Add(&b, false);
    rooms.Add(&b2, false);

    const PictureRoom fuller = MakeRoom("b", true, 9);
    const ChooserRooms::Change same = rooms.Update(&fuller, false);
    EXPECT_EQ(same.kind, Kind::Updated);
    EXPECT_EQ(same.index, 1u);
    EXPECT_EQ(rooms.At(1).GetPlayers(), 9);
    EXPECT_EQ(rooms.At(2).GetPlayers(), 3) << "only the first of that name";

    // The clean flag flips: the row has to leave the clean list, or the stale
    // clean row would join a room that is now adult.
    const PictureRoom adult = MakeRoom("a", false, 4);
    const ChooserRooms::Change moved = rooms.Update(&adult, false);
    EXPECT_EQ(moved.kind, Kind::Moved);
    EXPECT_EQ(moved.index, 0u);
    EXPECT_FALSE(rooms.At(0).IsLanguageFiltered());

    const PictureRoom stranger = MakeRoom("c", true);
    EXPECT_EQ(rooms.Update(&stranger, false).kind, Kind::None) << "a room not listed is not added";
    EXPECT_EQ(rooms.Find("c"), -1);
    const PictureRoom lower = MakeRoom("B", true);
    EXPECT_EQ(rooms.Update(&lower, false).kind, Kind::None) << "names match exactly";
    EXPECT_EQ(rooms.Count(), 3u);
}

TEST(ChooserRoomsTest, ANewListLeavesNoStaleRoom) {
    ChooserRooms rooms;
    rooms.Begin(3);
    for (const char* name : {"a", "b", "c"}) {
        const PictureRoom r = MakeRoom(name, true);
        rooms.Add(&r, false);
    }
    EXPECT_EQ(rooms.All().size(), 3u);
    rooms.Begin(1);
    const PictureRoom d = MakeRoom("d", true);
    rooms.Add(&d, false);
    EXPECT_EQ(rooms.Count(), 1u);
    EXPECT_EQ(rooms.Find("b"), -1);
    EXPECT_EQ(rooms.Find("d"), 0);
    ASSERT_EQ(rooms.All().size(), 1u);
    EXPECT_EQ(rooms.All()[0]->GetName(), "d");
    EXPECT_THROW(rooms.At(1), std::out_of_range);
}

}  // namespace
