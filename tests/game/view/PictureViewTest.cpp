// The game view with recording parts on the real screen canvas: what exists
// before and after the start, the start's completion on the control panel's
// start, the stop through the two stoppers and the teardown, the progress
// table, the message table, key routing, the control panel against ads and
// the brand intro, ignore and name splitting, the game commands and the
// segment starts.

#include "ViewParts.h"
#include "controls/ButtonClickedMsg.h"
#include "controls/ToggleButtonControl.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "game/model/LocalOriginChatMsg.h"
#include "game/model/PictureModel.h"
#include "game/model/PicturePlayer.h"
#include "game/model/PictureRoomMsgs.h"
#include "game/model/PictureViewMsgs.h"
#include "game/view/GameViewMsgs.h"
#include "game/view/controls/BackgroundControl.h"
#include "game/view/controls/NameAndScoreControl.h"
#include "game/view/screens/FatChanceSelectionScreen.h"
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
    for (int i = 0; i < 5; ++i) Run();
    ASSERT_TRUE(view_->GetChooseRoomScreen()->IsStarted());
    view_->Stop();
    Run();
    EXPECT_FALSE(view_->IsVisible());
    for (int i = 0; i < 100 && !view_->IsStopped(); ++i) Run();
    ASSERT_TRUE(view_->IsStopped());
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
