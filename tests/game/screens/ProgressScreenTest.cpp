#include "game/screens/ProgressScreen.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ScreensFixture.h"
#include "game/screens/ProgressDialog.h"
#include "game/screens/ProgressMsgs.h"

namespace {

namespace ids = progress_dialog;
using platform::VirtualKey;

std::string NameOf(const Msg& msg) {
    if (msg.Is<ProgressCanceledMsg>()) return "canceled";
    if (msg.Is<ProgressTimedOutMsg>()) return "timed out";
    return "";
}

class ProgressScreenTest : public ScreensFixture {
  public:
    void SetUp() override {
        ScreensFixture::SetUp();
        screen_ = std::make_unique<ProgressScreen>(view_.get(), 0);
        screen_->AddReceiver(&journal_);
    }
    void TearDown() override {
        screen_.reset();
        ScreensFixture::TearDown();
    }

    platform::DialogState& State() {
        platform::DialogState* s = platform::GetDialogState(ProgressDialogWindow());
        EXPECT_NE(s, nullptr);
        static platform::DialogState none;
        return s != nullptr ? *s : none;
    }
    std::string Text(int id) { return State().texts[id]; }

    // Shown, and past the four seconds that keep the window hidden.
    void ShowAndWait() {
        screen_->Show();
        Advance(ids::kShowDelayMs);
        ASSERT_TRUE(State().visible);
    }

    std::unique_ptr<ProgressScreen> screen_;
    MsgJournal journal_{&NameOf};
};

TEST_F(ProgressScreenTest, MadeHiddenWithoutADialog) {
    EXPECT_FALSE(screen_->IsVisible());
    EXPECT_EQ(ProgressDialogWindow(), nullptr);
    EXPECT_TRUE(screen_->IsCancelEnabled());
    EXPECT_TRUE(screen_->IsBarResetPending());
}

TEST_F(ProgressScreenTest, WhatWasAskedWhileHiddenIsHandedOverWhenShown) {
    screen_->SetTitle("Updating Files");
    screen_->SetStatus("Running update script...");
    screen_->DisableCancel();
    screen_->StartTimeout(5000);
    screen_->SetProgressTotal(2000);
    screen_->AddProgress(300);
    screen_->AddProgress(200);
    EXPECT_EQ(screen_->GetReceived(), 500);
    EXPECT_EQ(ProgressDialogWindow(), nullptr);

    screen_->Show();
    ASSERT_TRUE(screen_->IsVisible());
    ASSERT_NE(ProgressDialogWindow(), nullptr);
    EXPECT_FALSE(State().visible) << "the window waits its four seconds";
    EXPECT_EQ(Text(ids::kTitle), "Updating Files");
    EXPECT_EQ(Text(ids::kStatus), "Running update script...");
    EXPECT_TRUE(State().disabled.contains(ids::kCancel));
    EXPECT_EQ(Text(ids::kBytes), "500 of 2.00K bytes received");
    EXPECT_EQ(State().progress, 25);
    EXPECT_EQ(screen_->GetPendingTimeout(), 0) << "the time-out went to the dialog";
    EXPECT_FALSE(screen_->IsBarResetPending());

    // The time-out runs: on the bar each second, and out after five.
    Advance(1000);
    EXPECT_EQ(State().progress, 1);
    for (int second = 2; second <= 4; ++second) Advance(1000);  // one tick each
    EXPECT_TRUE(State().visible);
    EXPECT_TRUE(journal_.names.empty());
    Advance(1000);
    EXPECT_EQ(journal_.names, std::vector<std::string>{"timed out"});
    EXPECT_TRUE(State().visible) << "the dialog stays until the view hides it";
}

TEST_F(ProgressScreenTest, ShownRequestsGoStraightToTheDialog) {
    screen_->Show();
    screen_->SetTitle("Loading Resources");
    screen_->SetProgressTotal(4000);
    screen_->AddProgress(1000);
    EXPECT_EQ(Text(ids::kTitle), "Loading Resources");
    EXPECT_EQ(State().progress, 25);
    EXPECT_EQ(screen_->GetTitle(), "") << "the kept state is left alone while shown";
    EXPECT_EQ(screen_->GetTotal(), 0);
    screen_->ProgressDone();
    EXPECT_EQ(Text(ids::kTimeLeft), "Done");
    screen_->ResetProgressBar();
    EXPECT_EQ(State().progress, 0);
    screen_->Reset();
    EXPECT_EQ(Text(ids::kTitle), "");
    screen_->Show();
    EXPECT_EQ(platform::DialogWindows().size(), 1u) << "a second show makes no second dialog";
}

TEST_F(ProgressScreenTest, HidingDestroysTheDialogAndKeepsTheState) {
    screen_->SetTitle("Contacting Dispatch Server");
    screen_->Show();
    const platform::WindowHandle w = ProgressDialogWindow();
    screen_->StartTimeout(2000);
    screen_->Hide();
    EXPECT_FALSE(screen_->IsVisible());
    EXPECT_FALSE(platform::IsDialogWindow(w));
    EXPECT_EQ(screen_->GetTitle(), "Contacting Dispatch Server")
        << "the reset on destruction went to the dialog, which was gone";
    Advance(10000);
    EXPECT_TRUE(journal_.names.empty()) << "a hidden screen's time-out ends silently";
    screen_->Reset();
    EXPECT_EQ(screen_->GetTitle(), "");
    screen_->StopTimeout();
    screen_->StartTimeout(1000);
    screen_->StopTimeout();
    EXPECT_EQ(screen_->GetPendingTimeout(), 0);
}

TEST_F(ProgressScreenTest, AStepUnderFourSecondsNeverShowsTheWindow) {
    screen_->Show();
    const platform::WindowHandle w = ProgressDialogWindow();
    bool everShown = false;
    for (int i = 0; i < 39; ++i) {
        Advance(100);
        everShown = everShown || State().visible;
    }
    screen_->Hide();
    Advance(5000);
    EXPECT_FALSE(everShown);
    EXPECT_FALSE(platform::IsDialogWindow(w));
}

TEST_F(ProgressScreenTest, StoppingHidesFirst) {
    screen_->Start();
    Serve();
    ASSERT_TRUE(screen_->IsStarted());
    screen_->Show();
    screen_->Stop();
    EXPECT_FALSE(screen_->IsVisible());
    EXPECT_EQ(ProgressDialogWindow(), nullptr);
    Serve();
    EXPECT_TRUE(screen_->IsStopped());
}

TEST_F(ProgressScreenTest, CancelByClickEnterOrEscapeOnlyWhileEnabled) {
    ShowAndWait();
    const platform::WindowHandle w = ProgressDialogWindow();
    EXPECT_EQ(State().focus, ids::kCancel) << "an enabled Cancel has the focus";
    driver_.Click(w, ids::kCancel);
    driver_.Key(VirtualKey::Return);
    driver_.Key(VirtualKey::Escape);
    EXPECT_EQ(journal_.names, (std::vector<std::string>{"canceled", "canceled", "canceled"}));

    // Disabled (a script runs, resources load): nothing cancels, not even the
    // keys that the dialog turns into commands 1 and 2.
    journal_.names.clear();
    screen_->DisableCancel();
    driver_.Click(w, ids::kCancel);
    driver_.Key(VirtualKey::Return);
    driver_.Key(VirtualKey::Escape);
    EXPECT_TRUE(journal_.names.empty());

    screen_->EnableCancel();
    driver_.Key(VirtualKey::Escape);
    EXPECT_EQ(journal_.names, std::vector<std::string>{"canceled"});
}

TEST_F(ProgressScreenTest, KeysReachTheDialogOnlyWhileItIsVisible) {
    screen_->Show();
    // (Escape on the game itself is the control panel's key.)
    driver_.Key(VirtualKey::Return);
    driver_.Key(VirtualKey::Space);
    EXPECT_TRUE(journal_.names.empty());
    Advance(ids::kShowDelayMs);
    driver_.Key(VirtualKey::Escape);
    EXPECT_EQ(journal_.names, std::vector<std::string>{"canceled"});
}

TEST_F(ProgressScreenTest, AShowWithoutAMessageQueueIsRefused) {
    platform::MessageQueue::Install(nullptr);
    EXPECT_THROW(screen_->Show(), int);
    platform::MessageQueue::Install(&queue_);
    EXPECT_FALSE(screen_->IsVisible());
    screen_->Show();
    EXPECT_TRUE(screen_->IsVisible());
}

TEST_F(ProgressScreenTest, TheDialogGoesWithTheScreen) {
    screen_->Show();
    const platform::WindowHandle w = ProgressDialogWindow();
    screen_.reset();
    EXPECT_FALSE(platform::IsDialogWindow(w));
    EXPECT_EQ(ProgressDialogWindow(), nullptr);
    Advance(10000);
}

}  // namespace
