// The find-my-friend control on the fixture pack's Options art with the real
// sound service on a captured output: typing and Enter search once with the
// trimmed name, the lobby's answers (found, full, choosing, hidden by the adult
// or preflight rule, not found) to the texts, the room held and the voice, and
// TryAgain after the room-full and not-found comments.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "GameViewFixture.h"
#include "controls/EditControl.h"
#include "controls/ToggleButtonControl.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseService.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/controls/FindMyFriendControl.h"
#include "net/GenericRoomMsgs.h"
#include "net/Player.h"
#include "sound/Voice.h"

namespace {

constexpr int kName = 122;
constexpr int kPlayers = 123;
constexpr int kRound = 124;
constexpr int kPoints = 125;
constexpr int kStatus = 126;
constexpr int kMessage = 127;
constexpr int kHint = 128;
// A default room's name: no room held.
const char* const kNoRoom = "Unknown";

struct Searches : MsgReceiver {
    std::vector<std::string> names;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* find = dynamic_cast<const FindPlayerMsg*>(&msg)) names.push_back(find->GetName());
        return 0;
    }
};

class FindMyFriendControlTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        withSound_ = true;
        MouseService::Register();
        MakeView(640, 480);
        control_ = std::make_unique<FindMyFriendControl>(view_.get(), &searches_, 20, 1100, 91, 106, 121, 0,
                                                         111, kName, kPlayers, kRound, kPoints, kStatus, 96,
                                                         kMessage, 101, kHint);
        ASSERT_LT(StartAndSettle(*control_), 50);
        // The start's own reset comes on the pass after it completes.
        RunFor(20);
    }
    void TearDown() override {
        control_.reset();
        GameViewFixture::TearDown();
    }

    void Type(const std::string& text) {
        for (char c : text) control_->OnKeyboardChar(KeyboardCharMsg(static_cast<unsigned char>(c)));
        control_->OnKeyboardChar(KeyboardCharMsg(13));
        RunFor(20);
    }
    void Found(const std::string& status, bool clean, bool preflightOnly) {
        control_->PlayerFound(
            PlayerFoundRoomMsg(std::make_unique<Player>("Bob"),
                               std::make_unique<PictureRoom>("Lounge", "irc.example", 6667, "#lounge", status,
                                                             5, preflightOnly, 10, 2, 30, clean, false)));
        Run();
    }
    std::string Board() {
        return FieldText(kName) + "|" + FieldText(kPlayers) + "|" + FieldText(kRound) + "|" +
               FieldText(kPoints) + "|" + FieldText(kStatus);
    }
    std::string Playing() {
        std::string out;
        const std::pair<const char*, Voice*> voices[] = {
            {"found", &control_->GetFoundVoice()},        {"not found", &control_->GetNotFoundVoice()},
            {"room full", &control_->GetRoomFullVoice()}, {"choosing", &control_->GetChoosingVoice()},
            {"try again", &control_->GetTryAgainVoice()},
        };
        for (const auto& [name, voice] : voices) {
            if (voice->IsStopped()) continue;
            out += out.empty() ? "" : ",";
            out += name;
        }
        return out;
    }

    void TryAgainAfter(bool full);

    Searches searches_;
    std::unique_ptr<FindMyFriendControl> control_;
};

TEST_F(FindMyFriendControlTest, EnterWithTheButtonUncheckedSearchesOnceWithTheTrimmedName) {
    ASSERT_FALSE(control_->GetSearchButton().IsChecked());
    Type("  Bob ");
    EXPECT_EQ(searches_.names, std::vector<std::string>{"Bob"});
    EXPECT_EQ(control_->GetSearchName(), "Bob");
    EXPECT_EQ(FieldText(kMessage), "Searching...");
    EXPECT_FALSE(control_->IsEnabled());
    EXPECT_TRUE(control_->GetSearchButton().IsChecked());
    // No answer yet: a second Enter searches nothing while disabled.
    Type("");
    EXPECT_EQ(searches_.names.size(), 1u);
}

TEST_F(FindMyFriendControlTest, SpacesOnlySendNothingAndClearTheControl) {
    Type("   ");
    EXPECT_TRUE(searches_.names.empty());
    EXPECT_TRUE(control_->IsEnabled());
    EXPECT_FALSE(control_->GetSearchButton().IsChecked());
    EXPECT_EQ(FieldText(kMessage), "");
}

TEST_F(FindMyFriendControlTest, TheLobbysAnswersByStatusAndPermission) {
    const struct {
        const char* what;
        bool found;
        const char* status;
        bool clean;
        bool preflightOnly;
        bool adultAllowed;
        bool preflightMode;
        const char* message;
        const char* hint;
        const char* board;
        const char* room;
        const char* voice;
    } rows[] = {
        {"open", true, "open", true, false, false, false, "", "", "Lounge|5|2|30|open", "Lounge", "found"},
        {"full", true, "Full", true, false, false, false, "", "", "Lounge|5|2|30|Full", "Lounge",
         "room full"},
        {"choosing", true, "Listing rooms", true, false, true, true, "'Bob' is currently choosing a room.",
         "", "||||", kNoRoom, "choosing"},
        {"choosing, other case", true, "listing rooms", true, false, true, true, "", "",
         "Lounge|5|2|30|listing rooms", "Lounge", "found"},
        {"adult, not allowed", true, "open", false, false, false, true,
         "Could not find player with username 'Bob'.", "", "||||", kNoRoom, "not found"},
        {"adult, allowed", true, "open", false, false, true, false, "", "", "Lounge|5|2|30|open", "Lounge",
         "found"},
        {"preflight-only outside preflight", true, "open", true, true, true, false,
         "Could not find player with username 'Bob'.", "", "||||", kNoRoom, "not found"},
        {"preflight-only in preflight", true, "open", true, true, false, true, "", "", "Lounge|5|2|30|open",
         "Lounge", "found"},
        {"not found", false, "", true, false, true, true, "Could not find player with username 'Bob'.",
         "Make sure you typed your friend's username correctly.", "||||", kNoRoom, "not found"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        control_->Reset();
        control_->SetAdultAllowed(r.adultAllowed);
        control_->SetPreflightMode(r.preflightMode);
        Type("Bob");
        ASSERT_FALSE(control_->IsEnabled());
        if (r.found)
            Found(r.status, r.clean, r.preflightOnly);
        else
            control_->PlayerNotFound(PlayerNotFoundRoomMsg(std::make_unique<Player>("Bob")));
        EXPECT_TRUE(control_->IsEnabled());
        EXPECT_FALSE(control_->GetSearchButton().IsChecked());
        EXPECT_EQ(FieldText(kMessage), r.message);
        EXPECT_EQ(FieldText(kHint), r.hint);
        EXPECT_EQ(Board(), r.board);
        EXPECT_EQ(control_->GetRoom().GetName(), r.room);
        EXPECT_EQ(Playing(), r.voice);
        // Let the comment and any TryAgain end before the next row.
        for (int i = 0; i < 200 && !Playing().empty(); ++i) RunFor(50);
        ASSERT_EQ(Playing(), "");
    }
}

// Each voice plays once a session: one comment per control.
void FindMyFriendControlTest::TryAgainAfter(bool full) {
    control_->SetAdultAllowed(true);
    Type("Bob");
    if (full)
        Found("Full", true, false);
    else
        control_->PlayerNotFound(PlayerNotFoundRoomMsg(std::make_unique<Player>("Bob")));
    Voice& comment = full ? control_->GetRoomFullVoice() : control_->GetNotFoundVoice();
    ASSERT_FALSE(comment.IsStopped());
    EXPECT_TRUE(control_->GetTryAgainVoice().IsStopped());
    for (int i = 0; i < 200 && !comment.IsStopped(); ++i) RunFor(50);
    ASSERT_TRUE(comment.IsStopped());
    RunFor(50);
    EXPECT_FALSE(control_->GetTryAgainVoice().IsStopped());
}

TEST_F(FindMyFriendControlTest, TryAgainFollowsTheRoomFullComment) {
    TryAgainAfter(true);
}

TEST_F(FindMyFriendControlTest, TryAgainFollowsTheNotFoundComment) {
    TryAgainAfter(false);
}

TEST_F(FindMyFriendControlTest, AnAnswerWithoutRoomOrPlayerIsNotFound) {
    control_->SetAdultAllowed(true);
    Type("Bob");
    control_->PlayerFound(PlayerFoundRoomMsg(nullptr, nullptr));
    Run();
    EXPECT_TRUE(control_->IsEnabled());
    EXPECT_EQ(FieldText(kMessage), "Could not find player with username 'Bob'.");
    EXPECT_EQ(control_->GetRoom().GetName(), kNoRoom);
    EXPECT_EQ(control_->GetPlayer().GetName(), "Unknown");
}

TEST_F(FindMyFriendControlTest, ResetForgetsTheRoomAndTheTexts) {
    control_->SetAdultAllowed(true);
    Type("Bob");
    Found("open", true, false);
    ASSERT_EQ(control_->GetRoom().GetName(), "Lounge");
    control_->Reset();
    EXPECT_EQ(control_->GetRoom().GetName(), kNoRoom);
    EXPECT_EQ(control_->GetPlayer().GetName(), "Unknown");
    EXPECT_EQ(control_->GetSearchName(), "");
    EXPECT_EQ(Board(), "||||");
    EXPECT_EQ(FieldText(kMessage), "");
    EXPECT_TRUE(control_->IsEnabled());
    control_->Stop();
    for (int i = 0; i < 200 && !control_->IsStopped(); ++i) RunFor(50);
    EXPECT_TRUE(control_->IsStopped());
    EXPECT_TRUE(control_->GetFoundVoice().IsStopped());
}

}  // namespace
