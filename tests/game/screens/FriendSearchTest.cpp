#include "game/screens/FriendSearch.h"

#include <gtest/gtest.h>

#include <string>

#include "game/model/PictureRoom.h"

namespace {

using Kind = FriendSearchOutcome::Kind;

TEST(FriendSearchTest, TheNameLosesItsOuterSpacesOnly) {
    const struct {
        const char* typed;
        const char* searched;
    } cases[] = {
        {"Bob", "Bob"}, {"  Bob ", "Bob"},  {"Bo b", "Bo b"}, {"   ", ""},
        {"", ""},       {"\tBob", "\tBob"}, {" a ", "a"},
    };
    for (const auto& c : cases) EXPECT_EQ(TrimSearchName(c.typed), c.searched) << '"' << c.typed << '"';
}

TEST(FriendSearchTest, AFoundFriendByStatusAndPermission) {
    const struct {
        const char* status;
        bool clean;
        bool preflightOnly;
        bool adultAllowed;
        bool preflightMode;
        Kind kind;
        const char* message;
    } cases[] = {
        {"open", true, false, false, false, Kind::Found, ""},
        {"Full", true, false, false, false, Kind::RoomFull, ""},
        {"FULL", true, false, false, false, Kind::Found, ""},  // the test is exact here
        {"Listing rooms", true, false, true, true, Kind::Choosing, "'Bob' is currently choosing a room."},
        {"listing rooms", true, false, true, true, Kind::Found, ""},
        {"Listing rooms", false, true, false, false, Kind::Choosing, "'Bob' is currently choosing a room."},
        {"open", false, false, false, false, Kind::NotFound, "Could not find player with username 'Bob'."},
        {"open", false, false, true, false, Kind::Found, ""},
        {"Full", false, false, false, true, Kind::NotFound, "Could not find player with username 'Bob'."},
        {"open", true, true, true, false, Kind::NotFound, "Could not find player with username 'Bob'."},
        {"open", true, true, false, true, Kind::Found, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.status << " clean " << c.clean << " preflight-only " << c.preflightOnly
                     << " adult allowed " << c.adultAllowed << " preflight mode " << c.preflightMode);
        const PictureRoom room("Lounge", "irc.example", 6667, "#lounge", c.status, 5, c.preflightOnly, 10, 2,
                               30, c.clean, false);
        const FriendSearchOutcome out = FriendFound("Bob", room, c.adultAllowed, c.preflightMode);
        EXPECT_EQ(out.kind, c.kind);
        EXPECT_EQ(out.message, c.message);
        EXPECT_EQ(out.hint, "");
        EXPECT_EQ(out.holdsRoom, c.kind == Kind::Found || c.kind == Kind::RoomFull);
    }
}

TEST(FriendSearchTest, NotFoundSaysSoWithAHint) {
    const FriendSearchOutcome out = FriendNotFound("Bob");
    EXPECT_EQ(out.kind, Kind::NotFound);
    EXPECT_EQ(out.message, "Could not find player with username 'Bob'.");
    EXPECT_EQ(out.hint, "Make sure you typed your friend's username correctly.");
    EXPECT_FALSE(out.holdsRoom);
}

}  // namespace
