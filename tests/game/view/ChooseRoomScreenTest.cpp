// The room chooser on the fixture pack's Options art, with the real sound
// service on a captured output and a real background control in the shared
// record: the lobby's room messages to the two lists, the three modes and the
// two tabs, the join by button, Enter, double click and the idle timer, the
// voices, the refused join coming back, and the faults the screen mends (the
// background's start reported while the screen still starts, a room that
// changes its clean flag, the tabs shown to a player without adult rooms).

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "GameViewFixture.h"
#include "controls/ListControl.h"
#include "controls/ListSelectionMsgs.h"
#include "controls/RadioButtonControl.h"
#include "controls/ToggleButtonControl.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MouseService.h"
#include "framework/MsgListSelectionChanged.h"
#include "framework/Timer.h"
#include "game/model/PictureRoom.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/SharedControls.h"
#include "game/view/controls/BackgroundControl.h"
#include "game/view/controls/FindMyFriendControl.h"
#include "game/view/screens/ChooseRoomScreen.h"
#include "media/Animation.h"
#include "net/GenericRoomMsgs.h"
#include "net/Player.h"
#include "platform/RecordingMessageBoxSink.h"
#include "sequencers/ParallelSequencer.h"
#include "sound/Sfx.h"
#include "sound/Voice.h"

namespace {

struct RoomRecord {
    const char* name;
    const char* status = "open";
    int players = 3;
    int capacity = 8;
    int round = 1;
    int points = 10;
    bool clean = true;
    bool highlighted = false;
    bool preflightOnly = false;
};

std::unique_ptr<PictureRoom> Make(const RoomRecord& r) {
    return std::make_unique<PictureRoom>(r.name, "irc.example", 6667, std::string("#") + r.name, r.status,
                                         r.players, r.preflightOnly, r.capacity, r.round, r.points, r.clean,
                                         r.highlighted);
}

// What the chooser sent to the view.
struct Sent : MsgReceiver {
    std::vector<std::string> lines;
    std::int32_t Receive(const Msg& msg, MsgSender*) override {
        if (const auto* selected = dynamic_cast<const RoomSelectedMsg*>(&msg))
            lines.push_back("join " + selected->GetRoom().GetName() + " " +
                            std::to_string(selected->GetNumber()));
        if (const auto* find = dynamic_cast<const FindPlayerMsg*>(&msg))
            lines.push_back("find " + find->GetName());
        return 0;
    }
};

class ChooseRoomScreenTest : public GameViewFixture {
  protected:
    void SetUp() override {
        GameViewFixture::SetUp();
        withSound_ = true;
        MouseService::Register();
        MakeView(640, 480);
        background_ = std::make_unique<BackgroundControl>(view_.get(), nullptr, -100, 1200, 5, 1);
        shared_.fill(nullptr);
        shared_[kBackgroundSlot] = background_.get();
    }
    void TearDown() override {
        chooser_.reset();
        background_.reset();
        GameViewFixture::TearDown();
    }

    // A chooser on the shared record, started and settled (its opening voice
    // included), with the draws of choose for me taken from `draws_` (0 once
    // they run out).
    void StartChooser(bool adultAllowed, bool preflight = false) {
        chooser_ = std::make_unique<ChooseRoomScreen>(view_.get(), 0, &shared_);
        chooser_->AddReceiver(&sent_);
        chooser_->SetRandomSource([this](std::uint32_t n) {
            std::uint32_t d = 0;
            if (!draws_.empty()) {
                d = draws_.front();
                draws_.pop_front();
            }
            return n == 0 ? 0 : d % n;
        });
        chooser_->SetAdultAllowed(adultAllowed);
        chooser_->SetPreflightMode(preflight);
        chooser_->Start();
        for (int i = 0; i < 100 && !chooser_->IsStarted(); ++i) Run();
        ASSERT_TRUE(chooser_->IsStarted());
    }

    void List(const std::vector<RoomRecord>& rooms) {
        chooser_->RoomListBegin(RoomListBeginRoomMsg(static_cast<std::int32_t>(rooms.size())));
        for (std::size_t i = 0; i < rooms.size(); ++i)
            chooser_->RoomListItem(RoomListItemRoomMsg(static_cast<std::int32_t>(i), Make(rooms[i])));
    }
    void Update(const RoomRecord& room) { chooser_->RoomUpdate(RoomUpdateRoomMsg(Make(room))); }

    // Runs the clock and the sound output in steps, noting every voice heard.
    void Play(std::uint32_t ms, std::uint32_t step = 1) {
        for (std::uint32_t done = 0; done < ms; done += step) {
            clock_.Advance(step);
            out_.Advance(step);
            Run();
            NoteVoices();
        }
    }
    void NoteVoices() {
        const std::pair<const char*, Process*> sounds[] = {
            {"Beginning", &chooser_->GetBeginningVoice()},
            {"ChooseForMe", &chooser_->GetChooseForMeVoice()},
            {"LetMeChoose", &chooser_->GetLetMeChooseVoice()},
            {"FindMyFriends", &chooser_->GetFindMyFriendsVoice()},
            {"KeepItClean", &chooser_->GetKeepItCleanVoice()},
            {"AdultLanguage", &chooser_->GetAdultLanguageVoice()},
        };
        for (const auto& [name, sound] : sounds) {
            const bool playing = !sound->IsStopped();
            bool& was = playing_[name];
            if (playing && !was) heard_.push_back(name);
            was = playing;
        }
    }
    std::string Heard() {
        std::string out;
        for (const std::string& h : heard_) out += (out.empty() ? "" : ",") + h;
        heard_.clear();
        return out;
    }
    // A click, and long enough for the window sound that applies the mode.
    void Click(ButtonControl& button) {
        button.Click();
        Play(3000, 10);
    }
    void Key(int key) {
        chooser_->OnKeyboardChar(KeyboardCharMsg(key));
        Play(20);
    }
    void Type(const std::string& text) {
        for (char c : text) chooser_->OnKeyboardChar(KeyboardCharMsg(static_cast<unsigned char>(c)));
        Key(13);
    }
    std::string Rows(ListControl& list) {
        std::string out;
        std::string cell;
        for (std::int32_t i = 0; i < list.GetRowCount(); ++i) {
            out += (out.empty() ? "" : ",") + list.GetCellText(cell, list.GetRowId(i), 0);
            if (list.IsRowMarked(list.GetRowId(i))) out += "*";
        }
        return out;
    }
    std::string SentLines() {
        std::string out;
        for (const std::string& l : sent_.lines) out += (out.empty() ? "" : ";") + l;
        sent_.lines.clear();
        return out;
    }
    bool JoinShown() { return chooser_->GetJoinButton().IsVisible(); }

    std::unique_ptr<BackgroundControl> background_;
    SharedControls shared_{};
    std::unique_ptr<ChooseRoomScreen> chooser_;
    std::deque<std::uint32_t> draws_;
    Sent sent_;
    std::vector<std::string> heard_;
    std::map<std::string, bool> playing_;
};

TEST(ChooseRoomJoinable, StatusesAndPlaces) {
    const struct {
        const char* status;
        int players, capacity;
        bool joinable;
    } rows[] = {
        {"open", 3, 8, true},           {"open", 8, 8, false}, {"open", 9, 8, false},
        {"Full", 1, 8, false},          {"FULL", 1, 8, false}, {"Listing Rooms", 1, 8, false},
        {"listing rooms", 1, 8, false}, {"dead", 1, 8, false}, {"Unknown", 1, 8, false},
        {"playing", 7, 8, true},        {"full ", 1, 8, true}, {"", 0, 1, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.status) + " " + std::to_string(r.players) + "/" +
                     std::to_string(r.capacity));
        RoomRecord record{"R"};
        record.status = r.status;
        record.players = r.players;
        record.capacity = r.capacity;
        EXPECT_EQ(ChooseRoomScreen::IsJoinable(Make(record).get()), r.joinable);
    }
    EXPECT_FALSE(ChooseRoomScreen::IsJoinable(nullptr));
}

TEST_F(ChooseRoomScreenTest, StartsInChooseForMeWithItsTimesAndTheOpeningVoices) {
    StartChooser(true);
    EXPECT_EQ(chooser_->GetTotalTime(), 4000u);
    EXPECT_EQ(chooser_->GetFirstTime(), 2000u);
    EXPECT_EQ(chooser_->GetMiddleTime(), 0u);
    EXPECT_EQ(chooser_->GetLastTime(), 2000u);
    EXPECT_TRUE(background_->IsStarted());
    EXPECT_TRUE(chooser_->GetChooseForMeButton().IsChecked());
    EXPECT_TRUE(chooser_->GetCleanTabButton().IsChecked());
    EXPECT_TRUE(chooser_->GetCleanTabButton().IsVisible());
    EXPECT_TRUE(chooser_->GetAdultTabButton().IsEnabled());
    EXPECT_TRUE(chooser_->GetTabBackdrop().IsVisible());
    EXPECT_FALSE(chooser_->GetCleanList().IsVisible());
    EXPECT_FALSE(JoinShown());
    EXPECT_FALSE(chooser_->GetIdleTimer().IsIdle());
    // The opening words, then the choose-for-me prompt when they end.
    Play(6000, 10);
    EXPECT_EQ(Heard(), "Beginning,ChooseForMe");
}

TEST_F(ChooseRoomScreenTest, APlayerWithoutAdultRoomsNeverSeesTheTabs) {
    StartChooser(false);
    EXPECT_FALSE(chooser_->GetCleanTabButton().IsVisible());
    EXPECT_FALSE(chooser_->GetAdultTabButton().IsVisible());
    EXPECT_FALSE(chooser_->GetTabBackdrop().IsVisible());
    List({{"Adult", "open", 3, 8, 1, 10, false}, {"Clean", "open", 3, 8, 1, 10, true}});
    Click(chooser_->GetLetMeChooseButton());
    EXPECT_FALSE(chooser_->GetCleanTabButton().IsVisible());
    Click(chooser_->GetChooseForMeButton());
    EXPECT_FALSE(chooser_->GetAdultTabButton().IsVisible());
    Key(13);
    EXPECT_EQ(SentLines(), "join Clean 1");
    // The refused join comes back to the opening state: still no tabs.
    chooser_->ChooseAnotherRoom("");
    EXPECT_FALSE(chooser_->GetCleanTabButton().IsVisible());
    EXPECT_FALSE(chooser_->GetTabBackdrop().IsVisible());
}

TEST_F(ChooseRoomScreenTest, TheBackgroundsStartReportedWhileTheScreenStartsStartsNothingTwice) {
    // The background is still starting when the chooser starts: the chooser
    // starts its controls at once, and the background's report comes later.
    background_->Start();
    ASSERT_TRUE(background_->IsStarting());
    StartChooser(false);
    EXPECT_TRUE(background_->IsStarted());
    EXPECT_TRUE(chooser_->GetMainSequencer().IsStarted());
    Play(6000, 10);
    EXPECT_EQ(Heard(), "Beginning,ChooseForMe");
}

TEST_F(ChooseRoomScreenTest, ARoomThatChangesItsCleanFlagMovesToTheOtherList) {
    StartChooser(true);
    List({{"Apple"}, {"Berry"}, {"Cherry", "open", 3, 8, 1, 10, false}});
    Click(chooser_->GetLetMeChooseButton());
    EXPECT_EQ(Rows(chooser_->GetCleanList()), "Apple*,Berry*");
    EXPECT_EQ(Rows(chooser_->GetAdultList()), "Cherry*");
    ASSERT_EQ(chooser_->GetSelectedRoom()->GetName(), "Apple");
    // Drawn: column 0 is items 1-12 (61-72), the players column starts at 13 (73).
    EXPECT_EQ(FieldText(1) + "|" + FieldText(2) + "|" + FieldText(13) + "|" + FieldText(61),
              "Apple|Berry|3|Cherry");
    // Apple now swears: its row leaves the clean tab, and the clean tab's
    // selection can no longer take the player there.
    Update({"Apple", "open", 4, 8, 2, 20, false});
    EXPECT_EQ(Rows(chooser_->GetCleanList()), "Berry*");
    EXPECT_EQ(Rows(chooser_->GetAdultList()), "Apple*,Cherry*");
    Play(20);
    EXPECT_EQ(FieldText(1) + "|" + FieldText(2) + "|" + FieldText(61) + "|" + FieldText(62),
              "Berry||Apple|Cherry");
    std::string cell;
    EXPECT_EQ(chooser_->GetAdultList().GetCellText(cell, chooser_->GetAdultList().GetRowId(0), 1), "4");
    EXPECT_FALSE(JoinShown());
    Key(13);
    EXPECT_EQ(SentLines(), "");
    // A plain update rewrites the cells and the mark in place.
    Update({"Berry", "Full", 8, 8, 3, 30, true});
    EXPECT_EQ(Rows(chooser_->GetCleanList()), "Berry");
    EXPECT_EQ(chooser_->GetCleanList().GetCellText(cell, chooser_->GetCleanList().GetRowId(0), 4), "Full");
    // A room not listed is not added.
    Update({"Durian"});
    EXPECT_EQ(chooser_->GetRooms().Count(), 3u);
}

struct Step {
    enum Kind { Rooms, Click, Key, Type, Found, DoubleClick, Select, Wait } kind;
    std::string arg;
};

TEST_F(ChooseRoomScreenTest, Scenarios) {
    const std::vector<RoomRecord> rooms = {
        {"Busy", "open", 9, 10, 2, 10},                     // 4 on a draw under 20, else -10; + 5
        {"Calm", "open", 4, 10, 1, 12},                     // 1 + 5
        {"Blue", "open", 4, 10, 1, 12, false},              // adult
        {"Closed", "full", 2, 10, 1, 12, true},             // never joinable
        {"Star", "open", 4, 10, 1, 12, true, true},         // highlighted: never chosen for me
        {"Solo", "open", 1, 10, 0, 0, false, false, true},  // preflight only
    };
    const struct Row {
        const char* what;
        bool adult;
        std::vector<Step> steps;
        std::vector<std::uint32_t> draws;
        const char* sent;
        bool joinShown;      // at the end: a join leaves it shown, disabled
        const char* voices;  // heard after the opening ones
    } rows[] = {
        {"choose for me, an unlucky draw for the full band",
         false,
         {{Step::Click, "chooseForMe"}, {Step::Key, "13"}},
         {99, 0, 0, 0},
         "join Calm 1",
         true,
         ""},
        {"choose for me, a lucky draw for the full band",
         false,
         {{Step::Click, "chooseForMe"}, {Step::Key, "13"}},
         {10, 0, 0, 0},
         "join Busy 1",
         true,
         ""},
        {"let me choose takes the first row",
         false,
         {{Step::Click, "letMeChoose"}, {Step::Key, "13"}},
         {},
         "join Busy 2",
         true,
         "LetMeChoose"},
        {"another row by selection",
         false,
         {{Step::Click, "letMeChoose"}, {Step::Select, "Calm"}, {Step::Key, "13"}},
         {},
         "join Calm 2",
         true,
         "LetMeChoose"},
        {"a double click joins",
         false,
         {{Step::Click, "letMeChoose"}, {Step::Select, "Star"}, {Step::DoubleClick, ""}},
         {},
         "join Star 2",
         true,
         "LetMeChoose"},
        {"a full room is not joined",
         false,
         {{Step::Click, "letMeChoose"}, {Step::Select, "Closed"}, {Step::Key, "13"}},
         {},
         "",
         false,
         "LetMeChoose"},
        {"the adult tab",
         true,
         {{Step::Click, "letMeChoose"}, {Step::Click, "adultTab"}, {Step::Key, "13"}},
         {},
         "join Blue 2",
         true,
         "LetMeChoose,AdultLanguage"},
        {"the adult tab for choose for me",
         true,
         {{Step::Click, "adultTab"}, {Step::Key, "13"}},
         {},
         "join Blue 1",
         true,
         "AdultLanguage"},
        {"back to the clean tab",
         true,
         {{Step::Click, "adultTab"},
          {Step::Click, "cleanTab"},
          {Step::Click, "letMeChoose"},
          {Step::Key, "13"}},
         {},
         "join Busy 2",
         true,
         "AdultLanguage,KeepItClean,LetMeChoose"},
        {"find my friend: Enter searches",
         true,
         {{Step::Click, "findFriend"}, {Step::Type, "Al"}},
         {},
         "find Al",
         false,
         "FindMyFriends"},
        {"find my friend: the friend's room is joined",
         true,
         {{Step::Click, "findFriend"}, {Step::Type, "Al"}, {Step::Found, "Calm"}, {Step::Click, "join"}},
         {},
         "find Al;join Calm 3",
         true,
         "FindMyFriends"},
        {"find my friend in a full room",
         true,
         {{Step::Click, "findFriend"}, {Step::Type, "Al"}, {Step::Found, "Closed"}},
         {},
         "find Al",
         false,
         "FindMyFriends"},
        {"a friend found shows the join button",
         true,
         {{Step::Click, "findFriend"}, {Step::Type, "Al"}, {Step::Found, "Calm"}},
         {},
         "find Al",
         true,
         "FindMyFriends"},
        {"tabs do nothing while finding",
         true,
         {{Step::Click, "findFriend"},
          {Step::Click, "adultTab"},
          {Step::Click, "letMeChoose"},
          {Step::Key, "13"}},
         {},
         "join Busy 2",
         true,
         "FindMyFriends,LetMeChoose"},
        {"the room list shrinks",
         false,
         {{Step::Click, "letMeChoose"}, {Step::Select, "Star"}, {Step::Rooms, "Calm"}, {Step::Key, "13"}},
         {},
         "",
         false,
         "LetMeChoose"},
        {"the room list shrinks, choose for me",
         false,
         {{Step::Rooms, "Calm"}, {Step::Key, "13"}},
         {},
         "join Calm 1",
         true,
         ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        chooser_.reset();
        sent_.lines.clear();
        StartChooser(r.adult);
        List(rooms);
        Play(6000, 10);
        Heard();
        draws_.assign(r.draws.begin(), r.draws.end());
        for (const Step& s : r.steps) {
            switch (s.kind) {
                case Step::Rooms: {
                    std::vector<RoomRecord> left;
                    for (const RoomRecord& record : rooms)
                        if (s.arg == record.name) left.push_back(record);
                    List(left);
                    Play(20);
                    break;
                }
                case Step::Click: {
                    ButtonControl* button = nullptr;
                    if (s.arg == "letMeChoose") button = &chooser_->GetLetMeChooseButton();
                    if (s.arg == "chooseForMe") button = &chooser_->GetChooseForMeButton();
                    if (s.arg == "findFriend") button = &chooser_->GetFindFriendButton();
                    if (s.arg == "adultTab") button = &chooser_->GetAdultTabButton();
                    if (s.arg == "cleanTab") button = &chooser_->GetCleanTabButton();
                    if (s.arg == "join") button = &chooser_->GetJoinButton();
                    ASSERT_NE(button, nullptr) << s.arg;
                    Click(*button);
                    break;
                }
                case Step::Key:
                    Key(std::stoi(s.arg));
                    break;
                case Step::Type:
                    Type(s.arg);
                    break;
                case Step::Found:
                    for (const RoomRecord& record : rooms) {
                        if (s.arg != record.name) continue;
                        chooser_->PlayerFound(PlayerFoundRoomMsg(std::make_unique<Player>("Al"), Make(record)));
                    }
                    Play(20);
                    break;
                case Step::Select: {
                    ListControl& list = chooser_->GetCleanList();
                    list.SelectRow(list.FindRow(0, s.arg, true));
                    chooser_->Receive(MsgListSelectionChanged(), &list);
                    Play(20);
                    break;
                }
                case Step::DoubleClick:
                    chooser_->Receive(MsgListSelectionDoubleClick(), &chooser_->GetCleanList());
                    Play(20);
                    break;
                case Step::Wait:
                    Play(static_cast<std::uint32_t>(std::stoi(s.arg)), 10);
                    break;
            }
        }
        EXPECT_EQ(SentLines(), r.sent);
        EXPECT_EQ(JoinShown(), r.joinShown);
        Play(3000, 10);
        const std::string heard = Heard();
        EXPECT_EQ(heard.substr(0, std::string(r.voices).size()), r.voices) << heard;
    }
}

TEST_F(ChooseRoomScreenTest, AJoinStopsTheSoundsDisablesTheScreenAndMarksTheRoom) {
    StartChooser(false);
    List({{"Calm"}});
    Click(chooser_->GetLetMeChooseButton());
    Key(13);
    EXPECT_EQ(SentLines(), "join Calm 2");
    EXPECT_TRUE(chooser_->IsRoomTaken());
    EXPECT_FALSE(chooser_->IsEnabled());
    EXPECT_FALSE(chooser_->GetJoinButton().IsEnabled());
    EXPECT_FALSE(chooser_->GetCleanList().IsVisible());
    EXPECT_TRUE(chooser_->GetIdleTimer().IsIdle());
    Play(3000, 10);
    EXPECT_FALSE(chooser_->GetJoinMark().IsStopped());
    // Nothing more goes out, whatever is pressed.
    Key(13);
    Play(130000, 100);
    EXPECT_EQ(SentLines(), "");
}

TEST_F(ChooseRoomScreenTest, ARefusedJoinShowsTheReasonAndResetsTheScreen) {
    platform::RecordingMessageBoxSink boxes;
    StartChooser(true);
    List({{"Calm"}, {"Blue", "open", 3, 8, 1, 10, false}});
    Click(chooser_->GetAdultTabButton());
    Click(chooser_->GetLetMeChooseButton());
    Key(13);
    EXPECT_EQ(SentLines(), "join Blue 2");
    Play(3000, 10);
    chooser_->ChooseAnotherRoom("The room is full.");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "Please Choose Another Room");
    EXPECT_EQ(boxes.boxes[0].text, "The room is full.");
    EXPECT_EQ(boxes.boxes[0].style, 0x30u);
    EXPECT_EQ(boxes.beeps, std::vector<std::uint32_t>{0x30u});
    EXPECT_TRUE(chooser_->GetJoinMark().IsStopping() || chooser_->GetJoinMark().IsStopped());
    EXPECT_TRUE(chooser_->IsEnabled());
    EXPECT_TRUE(chooser_->GetChooseForMeButton().IsChecked());
    EXPECT_FALSE(chooser_->GetLetMeChooseButton().IsChecked());
    EXPECT_TRUE(chooser_->GetCleanTabButton().IsChecked());
    EXPECT_FALSE(chooser_->GetAdultTabButton().IsChecked());
    EXPECT_TRUE(chooser_->GetJoinButton().IsEnabled());
    EXPECT_FALSE(chooser_->GetJoinButton().IsChecked());
    EXPECT_FALSE(chooser_->GetAdultList().IsVisible());
    // Choose for me on the clean tab again.
    EXPECT_TRUE(JoinShown());
    EXPECT_EQ(chooser_->GetSelectionSource(), ChooseRoomScreen::kChosenForMe);
    Key(13);
    EXPECT_EQ(SentLines(), "join Calm 1");
    // No reason, no box.
    chooser_->ChooseAnotherRoom("");
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(ChooseRoomScreenTest, TwoIdleMinutesPressJoinAndAKeyPutsThemOff) {
    StartChooser(false);
    List({{"Calm"}});
    Play(119000, 100);
    Key('a');
    Play(119000, 100);
    EXPECT_EQ(SentLines(), "");
    Play(1100, 100);
    EXPECT_EQ(SentLines(), "join Calm 1");
}

TEST_F(ChooseRoomScreenTest, FindMyFriendKeepsTheIdleTimerOffAndTakesTheKeys) {
    StartChooser(false);
    List({{"Calm"}});
    Click(chooser_->GetFindFriendButton());
    EXPECT_TRUE(chooser_->IsFindActive());
    EXPECT_TRUE(chooser_->GetFindControl().IsVisible());
    EXPECT_TRUE(chooser_->GetIdleTimer().IsIdle());
    Play(130000, 100);
    EXPECT_EQ(SentLines(), "");
    // Back to a list: the keys go to the screen again.
    Click(chooser_->GetLetMeChooseButton());
    EXPECT_FALSE(chooser_->IsFindActive());
    EXPECT_FALSE(chooser_->GetFindControl().IsVisible());
    Key(13);
    EXPECT_EQ(SentLines(), "join Calm 2");
}

TEST_F(ChooseRoomScreenTest, TheLobbysRoomCountIsOnlyAHint) {
    StartChooser(false);
    for (std::int32_t count : {-5, 0, 1, 2147483647}) {
        SCOPED_TRACE(count);
        chooser_->RoomListBegin(RoomListBeginRoomMsg(count));
        for (int i = 0; i < 3; ++i)
            chooser_->RoomListItem(RoomListItemRoomMsg(i, Make({i == 0 ? "A" : i == 1 ? "B" : "C"})));
        EXPECT_EQ(chooser_->GetRooms().Count(), 3u);
        EXPECT_EQ(Rows(chooser_->GetCleanList()), "A*,B*,C*");
    }
    // A record that is no game room is ignored.
    chooser_->RoomListItem(RoomListItemRoomMsg(3, std::make_unique<Room>()));
    chooser_->RoomUpdate(RoomUpdateRoomMsg(nullptr));
    EXPECT_EQ(chooser_->GetRooms().Count(), 3u);
}

TEST_F(ChooseRoomScreenTest, PreflightOnlyRoomsAreListedOnlyInPreflightMode) {
    const std::vector<RoomRecord> rooms = {{"Solo", "open", 1, 10, 0, 0, true, false, true}};
    StartChooser(false);
    List(rooms);
    EXPECT_EQ(Rows(chooser_->GetCleanList()), "");
    EXPECT_FALSE(JoinShown());
    chooser_.reset();
    StartChooser(false, true);
    List(rooms);
    EXPECT_EQ(Rows(chooser_->GetCleanList()), "Solo*");
    EXPECT_TRUE(JoinShown());
}

TEST_F(ChooseRoomScreenTest, AStopEndsEverythingAndLetsGoOfTheBackground) {
    StartChooser(true);
    List({{"Calm"}});
    Play(500, 10);
    chooser_->Stop();
    for (int i = 0; i < 2000 && !chooser_->IsStopped(); ++i) Play(10, 10);
    ASSERT_TRUE(chooser_->IsStopped());
    EXPECT_TRUE(chooser_->GetMainSequencer().IsStopped());
    EXPECT_FALSE(chooser_->GetJoinButton().IsVisible());
    EXPECT_FALSE(chooser_->GetChooseForMeButton().IsVisible());
    // A second life: it starts again from its opening state.
    chooser_->Start();
    for (int i = 0; i < 100 && !chooser_->IsStarted(); ++i) Run();
    EXPECT_TRUE(chooser_->IsStarted());
    EXPECT_TRUE(JoinShown());
}

}  // namespace
