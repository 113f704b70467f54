#include "framework/XApplication.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "MsgLog.h"
#include "SchedulerFixture.h"
#include "framework/AnySender.h"
#include "framework/AppTime.h"
#include "framework/ExecutionService.h"
#include "framework/ObjectRegistry.h"
#include "framework/SingletonDefaults.h"
#include "framework/StartedMsg.h"

namespace {

const char* const kFrameworkNames[] = {"ExecutionService",   "MouseService", "DummyUIRoot",
                                       "RoomMsgFactory",     "RoomFactory",  "PlayerFactory",
                                       "FileResourceFactory"};

class Factory : public XAppObject {};
class GameFactory : public Factory {};
class MouseStandIn : public XAppObject {};

// A game's application object: replaces one registration, handles StartedMsg
// by queue, and counts its passes.
class GameApp : public XApplication {
  public:
    GameApp() {
        RebaseAppTime();
        ObjectRegistry::RegisterSingleton("RoomMsgFactory", &ObjectRegistry::CreateInstance<GameFactory>,
                                          &ObjectRegistry::DeleteInstance);
    }
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (msg.Is<StartedMsg>()) {
            if (!fromQueue) {
                if (!queued) {
                    QueueMsg(msg, from);
                }
                queued = true;
            } else {
                ++startedSeen;
            }
        }
        return XApplication::HandleMsg(msg, from, fromQueue, queued);
    }
    void RunExecutables() override {
        ++passes;
        XApplication::RunExecutables();
    }
    int startedSeen = 0;
    int passes = 0;
};

class XApplicationTest : public ::testing::Test {
  protected:
    void TearDown() override {
        ObjectRegistry::DestroyAll();
        SingletonDefaults::Withdraw("MouseService");
    }

    template <class App>
    static App& Make() {
        ObjectRegistry::RegisterSingleton(XApplication::kName, &ObjectRegistry::CreateInstance<App>,
                                          &ObjectRegistry::DeleteInstance);
        return dynamic_cast<App&>(XApplication::GetInstance());
    }

    // Runs the main loop's test and step until the application reports stopped,
    // at most `limit` passes; returns the passes made.
    static int LoopUntilStopped(XApplication& app, int limit) {
        int passes = 0;
        while (!app.IsStopped() && passes < limit) {
            app.RunExecutables();
            ++passes;
        }
        return passes;
    }

    ManualClock clock_;
};

TEST_F(XApplicationTest, ConstructorRegistersTheFrameworkSingletonsWithoutCreatingThem) {
    XApplication& app = Make<XApplication>();
    EXPECT_EQ(app.GetName(), "XApplication");
    for (const char* name : kFrameworkNames) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(ObjectRegistry::IsSingletonCreated(name));
    }
    // Nothing provided the classes above the framework: their lookups refuse.
    try {
        ObjectRegistry::GetSingleton("RoomFactory");
        FAIL() << "created";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
    EXPECT_NO_THROW(ExecutionService::GetInstance());
}

TEST_F(XApplicationTest, ProvidedCreatorsAndDerivedRegistrationsAreTheOnesUsed) {
    SingletonDefaults::Provide("MouseService", &ObjectRegistry::CreateInstance<MouseStandIn>,
                               &ObjectRegistry::DeleteInstance);
    Make<GameApp>();
    EXPECT_EQ(GetAppTime(), 0u) << "the game's application object rebases the clock";
    EXPECT_NE(dynamic_cast<MouseStandIn*>(ObjectRegistry::GetSingleton("MouseService")), nullptr);
    EXPECT_NE(dynamic_cast<GameFactory*>(ObjectRegistry::GetSingleton("RoomMsgFactory")), nullptr);
}

class FailingApp : public XApplication {
  public:
    FailingApp() { throw 0; }
};

TEST_F(XApplicationTest, ConstructorFailureReachesTheLookupAndLeavesNoApplication) {
    ObjectRegistry::RegisterSingleton(XApplication::kName, &ObjectRegistry::CreateInstance<FailingApp>,
                                      &ObjectRegistry::DeleteInstance);
    EXPECT_THROW(XApplication::GetInstance(), int);
    EXPECT_FALSE(ObjectRegistry::IsSingletonCreated(XApplication::kName));
}

TEST_F(XApplicationTest, StartsInOnePassAndQuitStopsItInOneMore) {
    XApplication& app = Make<XApplication>();
    app.Start();
    EXPECT_TRUE(app.IsStarting());
    app.RunExecutables();
    EXPECT_TRUE(app.IsStarted());
    EXPECT_EQ(LoopUntilStopped(app, 5), 5) << "a started application keeps the loop going";

    app.Quit();
    EXPECT_TRUE(app.IsStopping());
    EXPECT_EQ(LoopUntilStopped(app, 5), 1);
    EXPECT_TRUE(app.IsStopped());
}

TEST_F(XApplicationTest, QuitIsDroppedInEveryStateButStarted) {
    struct Case {
        const char* state;
        std::function<void(XApplication&)> reach;
    };
    const Case cases[] = {
        {"stopped", [](XApplication&) {}},
        {"starting", [](XApplication& a) { a.Start(); }},
        {"pausing",
         [](XApplication& a) {
             a.Start();
             a.RunExecutables();
             a.Pause();
         }},
        {"paused",
         [](XApplication& a) {
             a.Start();
             a.RunExecutables();
             a.Pause();
             a.RunExecutables();
         }},
        {"resuming",
         [](XApplication& a) {
             a.Start();
             a.RunExecutables();
             a.Pause();
             a.RunExecutables();
             a.Resume();
         }},
        {"stopping",
         [](XApplication& a) {
             a.Start();
             a.RunExecutables();
             a.Stop();
         }},
        {"erred",
         [](XApplication& a) {
             a.Start();
             a.Fail();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        XApplication& app = Make<XApplication>();
        c.reach(app);
        ASSERT_EQ(app.GetStateName(), c.state);
        EXPECT_NO_THROW(app.Quit());
        EXPECT_EQ(app.GetStateName(), c.state);
        ObjectRegistry::DestroyAll();
    }
}

TEST_F(XApplicationTest, PausesAndResumesKeepingTheResumedDefaults) {
    XApplication& app = Make<XApplication>();
    MsgLog log;
    app.AddReceiver(&log);
    app.Start();
    app.RunExecutables();
    EXPECT_TRUE(app.IsPausable());
    app.Pause();
    app.RunExecutables();
    EXPECT_TRUE(app.IsPaused());
    app.Resume();
    app.RunExecutables();
    EXPECT_TRUE(app.IsStarted());
    EXPECT_FALSE(app.HasBeenResumed());
    EXPECT_EQ(log.entries.back().name, "ResumedMsg");
    app.RemoveReceiver(&log);
}

TEST_F(XApplicationTest, BaseControlPanelIsNeverUp) {
    XApplication& app = Make<XApplication>();
    app.ShowControlPanel();
    EXPECT_FALSE(app.IsControlPanelUp());
    app.HideControlPanel();
    EXPECT_FALSE(app.IsControlPanelUp());
}

TEST_F(XApplicationTest, DerivedHandlerActsOnQueuedMessagesAtTheNextPass) {
    GameApp& app = Make<GameApp>();
    app.Receive(StartedMsg(), AnySender);
    app.Receive(StartedMsg(), nullptr);
    EXPECT_EQ(app.startedSeen, 0);
    app.RunExecutables();
    EXPECT_EQ(app.startedSeen, 1);
    EXPECT_EQ(app.passes, 1);

    // Messages still queued at the end are discarded with the application.
    app.Receive(StartedMsg(), AnySender);
}

TEST_F(XApplicationTest, ExceptionFromAnExecutablePassesOutOfThePerPassStep) {
    XApplication& app = Make<XApplication>();
    app.Start();
    app.RunExecutables();
    app.Fail();
    app.RunExecutables();  // erred -> stopped
    EXPECT_TRUE(app.IsStopped());
    EXPECT_TRUE(app.ErredWhileStarted());
    // A refused request surfaces as the integer 0 to the caller of the step.
    app.Start();
    app.RunExecutables();
    EXPECT_THROW(app.Started(), int);
}

}  // namespace
