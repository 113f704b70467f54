// The game view with recording parts on the real screen canvas: what exists
// before and after the start, the start's completion on the control panel's
// start, the stop through the two stoppers and the teardown, the progress
// table, the message table, key routing, the control panel against ads and
// the brand intro, ignore and name splitting, the game commands and the
// segment starts.

#include "ViewParts.h"
#include "controls/ButtonClickedMsg.h"
#include "controls/ToggleButtonControl.h"
#include "framework/DummyUIRoot.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "controls/LocalOriginChatMsg.h"
#include "game/model/PictureModel.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/GameViewMsgs.h"
#include "game/view/controls/BackgroundControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/controls/PictureChatBox.h"
#include "game/view/controls/PicturePlayerListControl.h"
#include "controls/EditControl.h"
#include "controls/ListControl.h"
#include "game/view/screens/FatChanceSelectionScreen.h"
#include "game/view/screens/OwnTimesScreen.h"
#include "game/view/screens/ScoringScreen.h"
#include "net/GenericRoomMsgs.h"
#include "resource/LanguageFilter.h"
#include "resource/ResourceService.h"
#include "sequencers/StopSequencer.h"

#include <gtest/gtest.h>

namespace {

class PictureViewTest : public ViewFixture {};

TEST_F(PictureViewTest, BeforeTheStartOnlyProgressAndLogonExist) {
    MakeView(RecordingParts());
    EXPECT_NE(view_->GetProgressScreen(), nullptr);
    EXPECT_NE(view_->GetLogonScreen(), nullptr);
    EXPECT_EQ(view_->GetControlPanelScreen(), nullptr);
    EXPECT_EQ(view_->GetRoom(), nullptr);
    for (Control* c : view_->GetSharedControls()) EXPECT_EQ(c, nullptr);
    EXPECT_EQ(ResourceService::Instance()->GetEntryCount(), 383);

    // The room's messages may come now: every forwarder skips what is absent.
    view_->SetLocalPlayerName("Bob");
    EXPECT_EQ(view_->GetLocalPlayerName(), "Bob");
    view_->EnterRoom(PictureRoom());
    view_->PlayerListBegin();
    view_->AddPlayer(PicturePlayer("Al", 3));
    view_->RemovePlayer(PicturePlayer("Al", 3));
    view_->ChatPublic("Al", "hi");
    view_->ChatSystem("x");
    view_->ChatAddLine("x");
    view_->ToggleIgnore("Al");
    view_->ShowHello(HelloRoomMsg("hello"));
    view_->SaveChatHistory();
    view_->SetChatLogging(1);
    view_->SetCaptionsCount(3);
    view_->SetPictureUserAgent("ua");
    view_->ShowChooseRoom();
    view_->ShowOpening();
    view_->StartVote(StartVoteRoomMsg(2, PictureInfo(), false, 0, 0, 10, 10, 10));
    view_->StartGameWinner(StartGameWinnerRoomMsg(false, GameStandings(), 0, 0, 10, 10, 10));
    EXPECT_EQ(view_->GetCurrentScreen(), nullptr);
    EXPECT_FALSE(view_->IsPlayerIgnored("Al"));
    std::string name = "keep", rest = "keep";
    EXPECT_FALSE(view_->SplitPlayerName("Al hi", name, rest));
    EXPECT_EQ(name, "keep");
    EXPECT_TRUE(world_.journal.With("System").empty());
}

TEST_F(PictureViewTest, TheStartBuildsInOrderAndCompletesOnTheControlPanel) {
    MakeView(RecordingParts());
    view_->Start();
    Run();
    EXPECT_TRUE(view_->IsStarting());
    ControlPanelScreen* panel = view_->GetControlPanelScreen();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetLayer(), 100);
    EXPECT_FALSE(panel->IsVisible());
    EXPECT_EQ(world_.journal.With("make").front(), "make controlPanel(40)");
    EXPECT_EQ(world_.journal.With("make").back(), "make ads(20)");
    EXPECT_EQ(world_.journal.With("Panel.DisableNewRoom").size(), 1u);
    EXPECT_EQ(world_.journal.With("EnableSorting").size(), 1u);
    EXPECT_EQ(world_.journal.With("SetColumns"),
              std::vector<std::string>{"SetColumns(1,2,0,0,-1,0,-1,0,-1,0,)"});
    EXPECT_EQ(world_.journal.With("CreateListScrollBar"),
              std::vector<std::string>{"CreateListScrollBar(1200,0,60,0,0,65,0,50,50,0,55,)"});
    EXPECT_EQ(view_->GetScreenStopper()->GetChildCount(), 13);
    EXPECT_EQ(view_->GetControlStopper()->GetChildCount(), 10);
    const SharedControls& shared = view_->GetSharedControls();
    EXPECT_NE(dynamic_cast<BackgroundControl*>(shared[kBackgroundSlot]), nullptr);
    EXPECT_NE(dynamic_cast<ToggleButtonControl*>(shared[kControlPanelButtonSlot]), nullptr);
    EXPECT_NE(dynamic_cast<NameAndScoreControl*>(shared[kNameAndScoreSlot]), nullptr);
    for (Control* c : shared) EXPECT_NE(c, nullptr);
    // The language filter's list from the pack.
    char word[32];
    EXPECT_EQ(LanguageFilterCheck("oh darn it", word, sizeof word), 0);
    for (int i = 0; i < 50 && !view_->IsStarted(); ++i) Run();
    EXPECT_TRUE(view_->IsStarted());
    EXPECT_TRUE(panel->IsStarted());
}

TEST_F(PictureViewTest, StopGoesThroughBothStoppersThenTearsDown) {
    MakeView(RecordingParts());
    StartView();
    view_->ShowChooseRoom();
    for (int i = 0; i < 50 && !view_->GetChooseRoomScreen()->IsStarted(); ++i) Run();
    ASSERT_TRUE(view_->GetChooseRoomScreen()->IsStarted());
    view_->Stop();
    Run();
    EXPECT_FALSE(view_->IsVisible());
    // The chooser's opening voice is playing: its stop ends with the sound.
    for (int i = 0; i < 1000 && !view_->IsStopped(); ++i) RunSounding(10);
    ASSERT_TRUE(view_->IsStopped());
    Run(2);
    EXPECT_EQ(view_->GetChooseRoomScreen(), nullptr);
    EXPECT_EQ(view_->GetScreenStopper(), nullptr);
    EXPECT_EQ(view_->GetRoom(), nullptr);
    for (Control* c : view_->GetSharedControls()) EXPECT_EQ(c, nullptr);
    EXPECT_NE(view_->GetLogonScreen(), nullptr);
    char word[32];
    EXPECT_EQ(LanguageFilterCheck("oh darn it", word, sizeof word), 1) << "the list is cleared";
    // Messages for the controls still come: nothing breaks.
    view_->ChatSystem("late");
    view_->SetLocalPlayerName("Bob");

    // A later start builds everything anew.
    view_->Show();
    StartView();
    EXPECT_NE(view_->GetCompositionScreen(), nullptr);
}

TEST_F(PictureViewTest, DestroyedWhileStartedItTearsDownFirst) {
    MakeView(RecordingParts());
    StartView();
    view_->ShowChooseRoom();
    for (int i = 0; i < 5; ++i) Run();
    view_.reset();
    Run(3);
}

}  // namespace

namespace {

class PictureViewTableTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        MakeView(RecordingParts());
        StartView();
        world_.journal.lines.clear();
    }
    void Deliver(const Msg& msg, MsgSender* from) {
        view_->Receive(msg, from);
        Run(2);
    }
    MsgSender* Sender(Process* p) { return static_cast<MsgSender*>(p); }
    Screen* Current() { return view_->GetCurrentScreen(); }
    void ShowAndSettle(Screen* screen) {
        view_->ShowScreen(screen, 0, 0, 0, 0);
        // Real screens play their controls' openings: time passes, a millisecond a pass.
        for (int i = 0; i < 5000 && !(Current() == screen && screen->IsStarted()); ++i) {
            audio_.Advance(1);
            RunFor(1);
        }
        ASSERT_EQ(Current(), screen);
    }
};

TEST_F(PictureViewTableTest, MessagesFromTheirSendersArePassedOn) {
    MsgSender* other = Sender(view_->GetVotingScreen());
    struct Row {
        const char* what;
        std::unique_ptr<Msg> msg;
        MsgSender* from;
        bool passed;
    };
    std::vector<Row> rows;
    auto add = [&](const char* what, std::unique_ptr<Msg> m, MsgSender* from, bool passed) {
        rows.push_back({what, std::move(m), from, passed});
    };
    add("logon ok", std::make_unique<LogonScreenSucceededMsg>("Bob", "", 1, 2, 0),
        Sender(view_->GetLogonScreen()), true);
    add("logon ok elsewhere", std::make_unique<LogonScreenSucceededMsg>("Bob", "", 1, 2, 0), other, false);
    add("logon cancel", std::make_unique<LogonScreenCanceledMsg>(), Sender(view_->GetLogonScreen()), true);
    add("chat line", std::make_unique<LocalOriginChatMsg>("hi"), other, true);
    add("find player", std::make_unique<FindPlayerMsg>("Al"), Sender(view_->GetChooseRoomScreen()), true);
    add("find player elsewhere", std::make_unique<FindPlayerMsg>("Al"), other, false);
    add("room chosen", std::make_unique<RoomSelectedMsg>(PictureRoom(), 1),
        Sender(view_->GetChooseRoomScreen()), true);
    add("picture viewed", std::make_unique<PictureViewedRoomMsg>(7), other, true);
    add("vote elsewhere", std::make_unique<VoteRoomMsg>(-1, "Al"), other, false);
    add("vote", std::make_unique<VoteRoomMsg>(-1, "Al"), Sender(view_->GetSharedControls()[kCaptionsSlot]),
        true);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        heard_.names.clear();
        view_->Receive(*r.msg, r.from);
        EXPECT_TRUE(heard_.names.empty()) << "acted on only when the queue drains";
        Run(2);
        EXPECT_EQ(heard_.names.size(), r.passed ? 1u : 0u);
        if (r.passed && !heard_.names.empty()) {
            EXPECT_EQ(heard_.names[0], MsgLog::NameOf(*r.msg));
        }
    }
}

TEST_F(PictureViewTableTest, StartedMessagesTakeTheLineOfTheirSender) {
    const SharedControls& shared = view_->GetSharedControls();
    EXPECT_EQ(shared[kBackgroundSlot]->GetLayer(), -100);
    EXPECT_EQ(shared[kControlPanelButtonSlot]->GetLayer(), 1000);
    EXPECT_EQ(shared[kRoundIndicatorSlot]->GetLayer(), 10);
    EXPECT_EQ(view_->GetAdsScreen()->GetLayer(), 20);
    view_->Receive(StartedMsg(), Sender(view_->GetControlPanelScreen()));
    view_->Receive(StartedMsg(), Sender(shared[kChatBoxSlot]));
    view_->Receive(StartedMsg(), Sender(view_->GetVotingScreen()));
    EXPECT_TRUE(world_.journal.lines.empty());
    Run(2);
    EXPECT_EQ(world_.journal.Joined(), "Chat.GainedFocus");
    EXPECT_TRUE(view_->IsStarted());
    // The opening's end is told anew, from the view.
    heard_.names.clear();
    Deliver(OpeningCompleteMsg(), Sender(view_->GetOpeningScreen()));
    Deliver(OpeningCompleteMsg(), Sender(view_->GetVotingScreen()));
    EXPECT_EQ(heard_.names, std::vector<std::string>{"OpeningCompleteMsg"});
}

TEST_F(PictureViewTableTest, ProgressTimeOutsAndCancelsAreActedOnAtOnce) {
    struct Row {
        std::int32_t phase;
        bool timeout;
        const char* sent;
    };
    const Row rows[] = {
        {0, true, ""},
        {1, true, "DispatchProgressTimedOutMsg"},
        {2, true, "FileUpdateProgressTimedOutMsg"},
        {3, true, "ListRoomProgressTimedOutMsg"},
        {1, false, "DispatchProgressCanceledMsg"},
        {2, false, "FileUpdateProgressCanceledMsg"},
        {3, false, "ListRoomProgressCanceledMsg"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.phase << (r.timeout ? " time-out" : " cancel"));
        view_->StopProgressTimeout();
        if (r.phase == 1) view_->ShowDispatchConnecting(10);
        if (r.phase == 2) view_->ShowUpdateConnecting(10);
        if (r.phase == 3) view_->ShowLobbyConnecting(10);
        ASSERT_EQ(view_->GetProgressPhase(), r.phase);
        heard_.names.clear();
        MsgSender* progress = Sender(view_->GetProgressScreen());
        if (r.timeout) {
            view_->Receive(ProgressTimedOutMsg(), progress);
            view_->Receive(ProgressTimedOutMsg(), Sender(view_->GetLogonScreen()));
        } else {
            view_->Receive(ProgressCanceledMsg(), progress);
            view_->Receive(ProgressCanceledMsg(), Sender(view_->GetLogonScreen()));
        }
        const std::string sent = heard_.names.empty() ? "" : heard_.names[0];
        EXPECT_EQ(sent, r.sent);
        EXPECT_LE(heard_.names.size(), 1u);
    }
}

TEST_F(PictureViewTableTest, ProgressPhasesAndCalls) {
    view_->StartProgressScreen();
    view_->ShowDispatchConnecting(120000);
    view_->ShowDispatchConnecting(5);
    EXPECT_EQ(view_->GetProgressPhase(), 1);
    view_->ShowDispatchDownloading();
    view_->SetDispatchProgress(100, 10);
    view_->SetDispatchProgress(100, 20);
    view_->ShowDispatchProcessing();
    EXPECT_EQ(view_->GetProgressPhase(), 0);
    view_->ShowLobbyConnecting(60000);
    EXPECT_EQ(view_->GetProgressPhase(), 3);
    view_->ShowUpdateConnecting(1);
    EXPECT_EQ(view_->GetProgressPhase(), 3) << "set only from 0";
    view_->SetProgressStatus();
    EXPECT_EQ(view_->GetProgressPhase(), 0);
    EXPECT_EQ(
        world_.journal.Joined(),
        "Reset | SetTitle(Contacting Dispatch Server) | SetStatus(Connecting to dispatch server...) | "
        "StartTimeout(120000) | Reset | SetTitle(Contacting Dispatch Server) | "
        "SetStatus(Connecting to dispatch server...) | StartTimeout(5) | StopTimeout | "
        "SetStatus(Downloading dispatch information...) | SetProgressTotal(100) | AddProgress(10) | "
        "AddProgress(20) | SetStatus(Processing dispatch information...) | ProgressDone | Reset | "
        "SetTitle(Connecting To Lobby) | SetStatus(Please wait...) | StartTimeout(60000) | "
        "SetTitle(Updating Required Files) | SetStatus(Connecting to content server...) | ResetProgressBar | "
        "StartTimeout(1) | SetStatus() | StopTimeout");
}

TEST_F(PictureViewTableTest, KeysGoToTheScreenThatTakesThemOrTheChatBox) {
    struct Row {
        const char* what;
        Screen* screen;
        bool panel;
        const char* key;
    };
    Screen* chooser = view_->GetChooseRoomScreen();
    Screen* comp = view_->GetCompositionScreen();
    Screen* vote = view_->GetVotingScreen();
    const Row rows[] = {
        {"no screen", nullptr, false, ""},
        {"chooser", chooser, false, "Chooser.Key(65)"},
        {"composition", comp, false, "Comp.Key(65)"},
        {"voting", vote, false, "Chat.Key(65)"},
        {"panel up", vote, true, "Panel.Key(65)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.screen != nullptr && Current() != r.screen) ShowAndSettle(r.screen);
        if (r.panel) {
            view_->ShowControlPanel();
            ASSERT_TRUE(view_->IsControlPanelUp());
        }
        world_.journal.lines.clear();
        Deliver(KeyboardCharMsg(65), Sender(view_->GetLogonScreen()));
        const auto keys = world_.journal.With("");
        std::string got;
        for (const std::string& l : keys) {
            if (l.find(".Key(") != std::string::npos) got += l;
        }
        EXPECT_EQ(got, r.key);
    }
}

TEST_F(PictureViewTableTest, TheControlPanelAgainstAdsAndTheBrandIntro) {
    auto* button = dynamic_cast<ToggleButtonControl*>(view_->GetSharedControls()[kControlPanelButtonSlot]);
    ASSERT_NE(button, nullptr);
    // No current screen: the panel stays down, the button is checked all the same.
    view_->ShowControlPanel();
    EXPECT_FALSE(view_->IsControlPanelUp());
    EXPECT_TRUE(button->IsChecked());
    view_->HideControlPanel();
    EXPECT_TRUE(button->IsUnchecked());

    ShowAndSettle(view_->GetVotingScreen());
    world_.brandIntro = true;
    view_->ShowControlPanel();
    EXPECT_FALSE(view_->IsControlPanelUp()) << "brand intro";
    world_.brandIntro = false;

    // An ad break that starts while the panel is closed leaves it closed.
    Deliver(AdsStartingMsg(), Sender(view_->GetAdsScreen()));
    EXPECT_TRUE(view_->IsAdShowing());
    Deliver(AdsStoppedMsg(), Sender(view_->GetAdsScreen()));
    EXPECT_FALSE(view_->IsControlPanelUp());

    world_.journal.lines.clear();
    view_->ShowControlPanel();
    EXPECT_TRUE(view_->IsControlPanelUp());
    EXPECT_EQ(world_.journal.Joined(), "Vote.LostFocus");
    // One that starts while it is open hides it and brings it back.
    Deliver(SponsorAdStartingMsg(), Sender(view_->GetOpeningScreen()));
    EXPECT_FALSE(view_->IsControlPanelUp());
    EXPECT_TRUE(view_->IsPanelHiddenForAd());
    EXPECT_TRUE(button->IsChecked());
    Deliver(SponsorAdStoppedMsg(), Sender(view_->GetOpeningScreen()));
    EXPECT_TRUE(view_->IsControlPanelUp());
    EXPECT_FALSE(view_->IsPanelHiddenForAd());

    // The brand intro closes an open panel.
    world_.journal.lines.clear();
    Deliver(QuonzaStartingMsg(), Sender(view_->GetOpeningScreen()));
    EXPECT_FALSE(view_->IsControlPanelUp());
    EXPECT_TRUE(button->IsUnchecked());
    EXPECT_EQ(world_.journal.Joined(), "Vote.GainedFocus");

    // The button toggles the panel.
    button->Click();
    Run(3);
    EXPECT_TRUE(view_->IsControlPanelUp());
    button->Click();
    Run(3);
    EXPECT_FALSE(view_->IsControlPanelUp());

    // The panel's exit hides it and is passed on.
    view_->ShowControlPanel();
    heard_.names.clear();
    Deliver(ExitMsg(), Sender(view_->GetControlPanelScreen()));
    EXPECT_FALSE(view_->IsControlPanelUp());
    EXPECT_EQ(heard_.names, std::vector<std::string>{"ExitMsg"});
}

TEST_F(PictureViewTableTest, IgnoringAndShowingPlayers) {
    world_.players = {"Bob", "Al"};
    view_->SetLocalPlayerName("Bob");
    struct Row {
        const char* name;
        const char* line;
        bool ignoredAfter;
    };
    const Row rows[] = {
        {"Bob", "You can't ignore yourself.", false}, {"BOB", "You can't ignore yourself.", false},
        {"Cy", "Player Cy not found.", false},        {"Al", "Ignoring messages from Al.", true},
        {"Al", "Showing messages from Al.", false},   {"al", "Ignoring messages from al.", true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        world_.journal.lines.clear();
        view_->ToggleIgnore(r.name);
        EXPECT_EQ(world_.journal.Joined(), std::string("System(") + r.line + ")");
        EXPECT_EQ(view_->IsPlayerIgnored(r.name), r.ignoredAfter);
    }
    EXPECT_FALSE(view_->IsPlayerIgnored("Bob"));
    EXPECT_FALSE(view_->IsPlayerIgnored("BOB"));
}

TEST_F(PictureViewTableTest, SplittingAPlayerNameOffAText) {
    world_.players = {"Big Bob", "Bob", "\xA0Zed"};
    struct Row {
        const char* text;
        bool found;
        const char* name;
        const char* rest;
    };
    const Row rows[] = {
        {"Big Bob hello there", true, "Big Bob", "hello there"},
        {"Bob hello", true, "Bob", "hello"},
        {"Big", false, "-", "-"},
        {"Big\tBob x", false, "-", "-"},
        {"Bob\thi", true, "Bob", "hi"},
        {"bob", true, "bob", ""},
        {"\xA0Zed hi", true, "\xA0Zed", "hi"},
        {"Big Bob", true, "Big Bob", ""},
        {"", false, "-", "-"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        std::string name = "-", rest = "-";
        EXPECT_EQ(view_->SplitPlayerName(r.text, name, rest), r.found);
        EXPECT_EQ(name, r.name);
        EXPECT_EQ(rest, r.rest);
    }
}

TEST_F(PictureViewTableTest, TheThreeGameCommands) {
    struct Row {
        const char* what;
        Screen* screen;
        bool countdown;
        char command;
        std::string caption;
        std::int32_t number;
        const char* effect;
    };
    Screen* comp = view_->GetCompositionScreen();
    Screen* vote = view_->GetVotingScreen();
    Screen* pick = view_->GetFatChanceSelectionScreen();
    const Row rows[] = {
        {"c no screen", nullptr, true, 'c', "hi", 0,
         "System(You may only write captions during the composition round.)"},
        {"c stopped countdown", comp, false, 'c', "hi", 0,
         "System(You may only write captions during the composition round.)"},
        {"c empty", comp, true, 'c', "", 0, "System(You must provide a caption with /c.)"},
        {"c caption", comp, true, 'c', "a cat", 0, "SubmitCaption(a cat,)"},
        {"v on composition", comp, true, 'v', "", 2, "System(You may only vote during the voting round.)"},
        {"v stopped countdown", vote, false, 'v', "", 2,
         "System(You may only vote during the voting round.)"},
        {"v zero", vote, true, 'v', "", 0, "System(You must provide a caption number with /v.)"},
        {"v unlisted", vote, true, 'v', "", -1, "System(You may only vote for the captions listed.)"},
        {"v two", vote, true, 'v', "", 2, "VoteFor(2)"},
        {"f on voting", vote, true, 'f', "", 0,
         "System(You may only try your luck during the fat chance round.)"},
        {"f stopped countdown", pick, false, 'f', "", 0,
         "System(You may only try your luck during the fat chance round.)"},
        {"f", pick, true, 'f', "", 0, "Choose(chat,1)"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        if (r.screen != nullptr && Current() != r.screen) ShowAndSettle(r.screen);
        world_.countdown = r.countdown;
        world_.journal.lines.clear();
        if (r.command == 'c') view_->CaptionCommand(r.caption);
        if (r.command == 'v') view_->VoteCommand(r.number);
        if (r.command == 'f') view_->FatChanceCommand();
        EXPECT_EQ(world_.journal.Joined(), r.effect);
    }
}

TEST_F(PictureViewTableTest, ForwardersReachTheChatBoxAndPlayerList) {
    world_.players = {"Al"};
    view_->SetLocalPlayerName("Bob");
    PictureRoom room;
    view_->EnterRoom(room);
    view_->PlayerListBegin();
    view_->AddPlayer(PicturePlayer("Al", -3));
    view_->AddPlayer(Player("Plain"));
    view_->RemovePlayer(PicturePlayer("Al", 0));
    view_->RemovePlayer(PicturePlayer("al", 0));
    view_->ChatPublic("Al", "hi");
    view_->ChatPrivate("Al", "Bob", "psst");
    view_->ChatMe("Al", "waves");
    view_->ChatAddLine("raw");
    view_->CompLate(CompLateRoomMsg(1));
    view_->VoteInvalid(VoteInvalidRoomMsg(1, "why"));
    Deliver(HostChatRoomMsg("from the host"), Sender(view_->GetLogonScreen()));
    view_->ShowHello(HelloRoomMsg("Welcome"));
    const std::string rule(80, '-');
    EXPECT_EQ(world_.journal.Joined(),
              "Chat.SetNameText(Bob) | List.SetLocalPlayerName(Bob) | Captions.SetLocalPlayerName(Bob) | "
              "SetFlag(0) | SetRoomName(Unknown) | RemoveAllRows | AddRow(Al,-3,,101) | RemoveRow(100) | "
              "Public(Al,hi) | Private(Al,Bob,psst) | Me(Al,waves) | Line(1,raw) | System(Caption late) | "
              "System(Vote invalid:  why) | System(from the host) | Clear | System(" +
                  rule + ") | System(               Welcome) | System(" + rule + ")");
}

}  // namespace

namespace {

// A screen whose last phase runs on a Timer: asked to stop, it plays its last
// phase and then reports stopped. It notes when it started and stopped.
template <class Base>
class TimedScreen : public RecScreen<Base> {
  public:
    template <class... A>
    TimedScreen(World& w, std::string name, A&&... a)
        : RecScreen<Base>(w, std::move(name), std::forward<A>(a)...), timer_(this) {}
    // Started at once: the view's timing, not the screen's presentation.
    void OnStarting() override { ProcessForwarder::OnStarting(); }
    void OnStarted() override {
        this->w_.journal.Add(this->name_ + ".Started@" + std::to_string(GetAppTime() - mark));
    }
    void OnStopping() override {
        timer_.StartOnce(std::max<std::uint32_t>(this->GetLastTime(), 1));
        timer_.Start();
    }
    void OnStopped() override {
        this->w_.journal.Add(this->name_ + ".Stopped@" + std::to_string(GetAppTime() - mark));
    }
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (msg.Is<TimerMsg>() && from == static_cast<MsgSender*>(&timer_) && this->IsStopping()) {
            timer_.Stop();
            this->Stopped();
        }
        return RecScreen<Base>::HandleMsg(msg, from, fromQueue, queued);
    }
    static inline std::uint32_t mark = 0;

  private:
    Timer timer_;
};

class SegmentTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        auto parts = RecordingParts();
        World& w = world_;
        parts.composition = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom* room) {
            return std::make_unique<TimedScreen<CompositionScreen>>(w, "Comp", parent, layer, s, room);
        };
        parts.voting = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<TimedScreen<VotingScreen>>(w, "Vote", parent, layer, s);
        };
        parts.roundWinner = [&w](UI* parent, std::int32_t layer, SharedControls* s, PictureRoom*) {
            return std::make_unique<TimedScreen<RoundWinnerScreen>>(w, "Winner", parent, layer, s);
        };
        MakeView(std::move(parts));
        StartView();
        world_.journal.lines.clear();
        TimedScreen<CompositionScreen>::mark = GetAppTime();
        TimedScreen<VotingScreen>::mark = GetAppTime();
        TimedScreen<RoundWinnerScreen>::mark = GetAppTime();
    }
    static PictureInfo Picture(std::uint32_t id) {
        PictureInfo p;
        p.number1 = id;
        return p;
    }
    std::vector<std::string> Times() {
        std::vector<std::string> out;
        for (const std::string& l : world_.journal.lines) {
            if (l.find('@') != std::string::npos || l.find("Times(") != std::string::npos ||
                l.rfind("SetPicture", 0) == 0) {
                out.push_back(l);
            }
        }
        return out;
    }
};

TEST(SegmentTimes, OwnMiddleIsHeldAtZero) {
    struct Row {
        std::uint32_t segment, first, last, middle;
    };
    const Row rows[] = {{10000, 2000, 3000, 5000},
                        {4000, 2000, 3000, 0},
                        {0, 0, 0, 0},
                        {0xFFFFFFFFu, 0, 0, 0xFFFFFFFFu},
                        {100, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.segment << " " << r.first << " " << r.last);
        EXPECT_EQ(OwnMiddleTime(r.segment, r.first, r.last), r.middle);
    }
    EXPECT_EQ(PhaseTime(-1), 0u);
    EXPECT_EQ(PhaseTime(-2147483647 - 1), 0u);
    EXPECT_EQ(PhaseTime(2500), 2500u);
}

// A game screen's own times: the middle the segment leaves after its own first
// and last phases, the total the segment's or the sum of its phases, which a
// late segment with huge phases keeps within 32 bits.
TEST(SegmentTimes, AGameScreenKeepsItsOwnTimes) {
    struct Row {
        OwnTimesScreen::Total total;
        std::uint32_t segment, first, middle, last;
        std::uint32_t ownTotal, ownMiddle;
    };
    const Row rows[] = {{OwnTimesScreen::Total::kSegment, 10000, 2000, 4000, 3000, 10000, 5000},
                        {OwnTimesScreen::Total::kPhases, 10000, 2000, 4000, 3000, 10000, 5000},
                        {OwnTimesScreen::Total::kSegment, 4000, 2000, 4000, 3000, 4000, 0},
                        {OwnTimesScreen::Total::kPhases, 4000, 2000, 4000, 3000, 5000, 0},
                        {OwnTimesScreen::Total::kPhases, 100, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0}};
    DummyUIRoot root;
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << r.segment << " " << r.first << " " << r.last);
        OwnTimesScreen screen(&root, 0, r.total);
        screen.SetSegmentTimes(r.segment, r.first, r.middle, r.last);
        EXPECT_EQ(screen.GetTotalTime(), r.ownTotal);
        EXPECT_EQ(screen.GetFirstTime(), r.first);
        EXPECT_EQ(screen.GetMiddleTime(), r.ownMiddle);
        EXPECT_EQ(screen.GetLastTime(), r.last);
        EXPECT_EQ(screen.GetBaseMiddleTime(), r.middle);
    }
}

// A vote on the composition's picture keeps it; the round winner's new one
// replaces it. The vote waits for the composition's last phase, its time
// shortened by it; a late winner segment with negative times gets 0s.
TEST_F(SegmentTest, EachScreenStartsAndStopsWhenItsTimesSay) {
    view_->StartComp(StartCompRoomMsg(1, Picture(5), 0, "", "", "", 0, 1000, 2000, 3000, 500));
    for (int i = 0; i < 5; ++i) Run();
    EXPECT_TRUE(view_->GetCompositionScreen()->IsStarted());
    ASSERT_TRUE(view_->GetCompositionScreen()->GetStartComp().has_value());
    RunFor(100);
    view_->StartVote(StartVoteRoomMsg(2, Picture(5), false, 0, 3000, 1000, 4000, 700));
    RunFor(1000);
    ASSERT_EQ(view_->GetCurrentScreen(), view_->GetVotingScreen());
    EXPECT_TRUE(view_->GetVotingScreen()->GetStartVote().has_value());
    // Late: delay and first below 0 count as 0, and 0 + 600 - 700 holds at 0.
    view_->StartRoundWinner(
        StartRoundWinnerRoomMsg("Al", "l1", "l2", Picture(6), false, false, false, 0, -5000, -10, 300, 600));
    RunFor(1000);
    EXPECT_EQ(view_->GetCurrentScreen(), view_->GetRoundWinnerScreen());
    // The hand-over takes a few passes (1 ms each) of message queues.
    const std::vector<std::string> expected{"SetPicture(5)",     "Comp.Times(1500,2000,3000,500)",
                                            "Comp.Started@0",    "Vote.Times(3200,1000,4000,700)",
                                            "Comp.Stopped@600",  "Vote.Started@600",
                                            "SetPicture(6)",     "Winner.Times(0,0,300,600)",
                                            "Vote.Stopped@1800", "Winner.Started@1800"};
    const std::vector<std::string> got = Times();
    ASSERT_EQ(got.size(), expected.size()) << world_.journal.Joined();
    for (std::size_t i = 0; i < got.size(); ++i) {
        const std::size_t at = expected[i].find('@');
        if (at == std::string::npos) {
            EXPECT_EQ(got[i], expected[i]);
            continue;
        }
        ASSERT_EQ(got[i].substr(0, at + 1), expected[i].substr(0, at + 1));
        const int want = std::stoi(expected[i].substr(at + 1));
        const int was = std::stoi(got[i].substr(at + 1));
        EXPECT_GE(was, want) << got[i];
        EXPECT_LE(was, want + 6) << got[i];
    }
}

TEST_F(SegmentTest, StopStartAgainAndDestroyWhileAScreenRuns) {
    view_->StartComp(StartCompRoomMsg(1, Picture(5), 0, "", "", "", 0, 0, 100, 100, 100));
    RunFor(10);
    view_->Stop();
    RunFor(300);
    ASSERT_TRUE(view_->IsStopped());
    EXPECT_EQ(view_->GetCompositionScreen(), nullptr);
    view_->Show();
    StartView();
    view_->StartComp(StartCompRoomMsg(1, Picture(5), 0, "", "", "", 0, 0, 100, 100, 100));
    RunFor(10);
    EXPECT_TRUE(view_->GetCompositionScreen()->IsStarted());
    view_.reset();
    Run(2);
}

// The view's own chat box and player list, made by their rows with the
// view's numbers: the room's players, the greeting between rules, chat lines,
// ignoring and showing a player, and the local player's row.
TEST_F(ViewFixture, TheRealChatBoxAndPlayerListTakeTheViewsCalls) {
    view::PictureViewParts parts = RecordingParts();
    parts.chatBox = nullptr;
    parts.playerList = nullptr;
    MakeView(std::move(parts));
    StartView();
    const SharedControls& shared = view_->GetSharedControls();
    auto* chat = dynamic_cast<PictureChatBox*>(shared[kChatBoxSlot]);
    auto* list = dynamic_cast<PicturePlayerListControl*>(shared[kPlayerListSlot]);
    ASSERT_NE(chat, nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(chat->GetEntry().GetLayer(), 1);
    ASSERT_NE(chat->GetLines().GetScrollBar(), nullptr);
    EXPECT_EQ(list->GetRowsPerPage(), 10);
    EXPECT_EQ(list->GetColumnCount(), 2);
    EXPECT_TRUE(list->IsSorted());

    view_->SetLocalPlayerName("Al");
    view_->PlayerListBegin();
    view_->AddPlayer(PicturePlayer("Bob", 3));
    view_->AddPlayer(PicturePlayer("Al", 7));
    view_->AddPlayer(PicturePlayer("Cy", 5));
    ASSERT_EQ(list->GetRowCount(), 3);
    EXPECT_EQ(list->GetRow(0).cells[0], "Al");
    EXPECT_EQ(list->GetRow(2).cells[0], "Bob");
    EXPECT_EQ(chat->GetNameText(), "Al");

    view_->ShowHello(HelloRoomMsg("Hi there"));
    view_->ChatPublic("Bob", "hello");
    view_->ToggleIgnore("bob");
    view_->ChatPublic("BOB", "hidden");
    view_->ChatPrivate("Bob", "Al", "hidden too");
    view_->ToggleIgnore("al");
    view_->ToggleIgnore("BOB");
    view_->ChatMe("Bob", "is back");
    view_->ChatAddLine("as it is");
    view_->RemovePlayer(PicturePlayer("Cy", 5));
    EXPECT_EQ(list->GetRowCount(), 2);

    std::vector<std::string> lines;
    ListControl& rows = chat->GetLines();
    for (const std::string* t = rows.BeginCellIteration(); t != nullptr; t = rows.NextCellText()) lines.push_back(*t);
    const std::string rule = "<Veda>: " + std::string(80, '-');
    const std::vector<std::string> expected = {rule,
                                               "<Veda>: " + std::string(15, ' ') + "Hi there",
                                               rule,
                                               "<Bob>: hello",
                                               "<Veda>: Ignoring messages from bob.",
                                               "<Veda>: You can't ignore yourself.",
                                               "<Veda>: Showing messages from BOB.",
                                               "** Bob is back",
                                               "as it is"};
    EXPECT_EQ(lines, expected);
    StopView();
}

TEST(InstalledView, TheApplicationObjectMakesTheGameView) {
    auto saved = PictureModel::GetMakers().view;
    InstallPictureView();
    ASSERT_TRUE(static_cast<bool>(PictureModel::GetMakers().view));
    PictureModel::GetMakers().view = saved;
}

}  // namespace
