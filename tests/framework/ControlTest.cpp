#include "framework/Control.h"

#include "MsgLog.h"
#include "SchedulerFixture.h"
#include "TestNode.h"
#include "framework/DummyUIRoot.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"
#include "framework/TimerMsg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ControlTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        DummyUIRoot::Register();
        parent_ = std::make_unique<TestNode>(DummyUIRoot::GetInstance());
    }
    void TearDown() override {
        parent_.reset();
        SchedulerFixture::TearDown();
    }

    std::unique_ptr<TestNode> parent_;
};

TEST_F(ControlTest, IsAChildOfItsParentAtItsLayerWithItsReceiver) {
    parent_->SetLayer(3);
    MsgLog log;
    Control control(parent_.get(), &log, 7);
    EXPECT_EQ(control.GetParent(), parent_.get());
    EXPECT_EQ(control.GetRoot(), DummyUIRoot::GetInstance());
    EXPECT_TRUE(parent_->HasChild(&control));
    EXPECT_EQ(control.GetLayer(), 7);
    EXPECT_TRUE(control.HasReceiver(&log));
    EXPECT_EQ(control.GetReceiverCount(), 1);
    EXPECT_TRUE(control.IsStopped());
    EXPECT_FALSE(control.IsKeyboardTarget());
}

TEST_F(ControlTest, ANullParentThrowsZero) {
    try {
        Control control(nullptr, nullptr, 0);
        FAIL() << "made a control without a parent";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
}

// Without a receiver nobody hears the control until one is added.
TEST_F(ControlTest, StartsAndStopsThroughItsProcessSupport) {
    Control control(parent_.get(), nullptr, 0);
    EXPECT_EQ(control.GetReceiverCount(), 0);
    control.Start();
    Run();
    EXPECT_TRUE(control.IsStarted());
    MsgLog log;
    control.AddReceiver(&log);
    control.Stop();
    Run();
    EXPECT_TRUE(control.IsStopped());
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"StoppingMsg", "StoppedMsg"}));
    EXPECT_EQ(control.GetStateName(), "stopped");
}

TEST_F(ControlTest, IgnoresEveryMessageAndQueuesNothing) {
    Control control(parent_.get(), nullptr, 0);
    control.Receive(StartedMsg(), &control);
    control.Receive(TimerMsg(), &control);
    EXPECT_EQ(control.HandleMsg(StoppedMsg(), &control, false, false), 0);
    Run();
    EXPECT_TRUE(control.IsStopped());
    EXPECT_EQ(control.GetReceiverCount(), 0);
}

TEST_F(ControlTest, KeepsNoResumedHistory) {
    struct Pausable : Control {
        using Control::Control;
        bool IsPausable() const override { return true; }
    };
    Pausable control(parent_.get(), nullptr, 0);
    control.Start();
    Run();
    control.Pause();
    Run();
    ASSERT_TRUE(control.IsPaused());
    control.Resume();
    Run();
    ASSERT_TRUE(control.IsStarted());
    EXPECT_TRUE(control.HasBeenResuming());
    EXPECT_FALSE(control.HasBeenResumed());
}

TEST_F(ControlTest, IdleStopsAtTheControl) {
    Control control(parent_.get(), nullptr, 0);
    TestNode child(&control);
    control.Idle();
    parent_->Idle();
    EXPECT_EQ(child.idles, 0);
    EXPECT_EQ(parent_->idles, 1);
}

// Destruction hands the children to the parent, each leaving the dying control
// through its RemoveChild, and leaves the control's subscriptions where they
// are.
TEST_F(ControlTest, DestructionLeavesTheParentAndKeepsSubscriptions) {
    Control watched(parent_.get(), nullptr, 0);
    std::unique_ptr<Control> orphan;
    {
        Control control(parent_.get(), nullptr, 5);
        control.SetBounds({10, 20, 110, 120});
        control.Hide();
        orphan = std::make_unique<Control>(&control, nullptr, 2);
        orphan->SetBounds({1, 2, 3, 4});
        watched.AddReceiver(&control);
        control.Start();
        EXPECT_TRUE(parent_->HasChild(&control));
        EXPECT_TRUE(watched.HasReceiver(&control));
        // Destroyed while starting: it does not stop itself, and its state
        // handler is no longer run.
    }
    Run();
    EXPECT_EQ(watched.GetReceiverCount(), 1);
    EXPECT_EQ(parent_->GetChildCount(), 2);  // the watched control and the orphan
    EXPECT_TRUE(parent_->HasChild(orphan.get()));
    EXPECT_EQ(orphan->GetParent(), parent_.get());
    EXPECT_EQ(orphan->GetBounds(), (xRect{11, 22, 13, 24}));
    EXPECT_EQ(orphan->GetLayer(), 7);
    EXPECT_FALSE(orphan->IsVisible());
}

// The pattern of a control whose parts run in a sequencer: it completes its
// start itself, later, with Control's own handler.
TEST_F(ControlTest, ASubclassCompletesItsStartWithControlsOwnHandler) {
    struct Waiting : Control {
        using Control::Control;
        void OnStarting() override { ++asked; }
        void OnStopping() override { ++asked; }
        void Finish(bool starting) {
            if (starting) {
                DefaultOnStarting();
            } else {
                DefaultOnStopping();
            }
        }
        int asked = 0;
    };
    MsgLog log;
    Waiting control(parent_.get(), &log, 0);
    control.Start();
    Run(3);
    EXPECT_TRUE(control.IsStarting());
    control.Finish(true);
    EXPECT_TRUE(control.IsStarted());
    control.Stop();
    Run(3);
    EXPECT_TRUE(control.IsStopping());
    control.Finish(false);
    EXPECT_TRUE(control.IsStopped());
    EXPECT_EQ(control.asked, 2);
    EXPECT_EQ(log.Names(),
              (std::vector<std::string>{"StartingMsg", "StartedMsg", "StoppingMsg", "StoppedMsg"}));
}

}  // namespace
