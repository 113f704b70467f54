#include "framework/xEventHandler.h"

#include "SchedulerFixture.h"
#include "TestNode.h"
#include "divir/xTryFrame.h"
#include "framework/DummyUIRoot.h"
#include "framework/EventBridge.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/MsgSenderSupport.h"
#include "framework/StartedMsg.h"
#include "framework/TimerMsg.h"
#include "framework/xMyEventHandler.h"
#include "framework/xTimerService.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// A handler that records the events it handles and can run a hook for each.
struct Recorder : xEventHandler {
    explicit Recorder(UIElement* parent = nullptr) : xEventHandler(parent) {}
    std::int32_t HandleEvent(const xEvent& event) override {
        codes.push_back(event.GetCode());
        senders.push_back(event.GetSender());
        if (onEvent) {
            onEvent(event);
        }
        return 5;
    }
    std::vector<std::int32_t> codes;
    std::vector<MsgSender*> senders;
    std::function<void(const xEvent&)> onEvent;
};

// A plain element that records the messages its handler chain sees.
struct Target : UIElement {
    explicit Target(UIElement* parent = nullptr) : UIElement(parent) {}
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        received.emplace_back(msg.Clone());
        senders.push_back(from);
        return UIElement::HandleMsg(msg, from, fromQueue, queued);
    }
    std::vector<std::unique_ptr<Msg>> received;
    std::vector<MsgSender*> senders;
};

class xEventHandlerTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        DummyUIRoot::Register();
    }
    static void Post(xEventHandler& h, std::initializer_list<std::int32_t> codes) {
        for (std::int32_t code : codes) {
            h.PostEvent(xEvent(code));
        }
    }
};

TEST_F(xEventHandlerTest, NewHandlerIsEmptyAndUnscheduled) {
    Recorder h;
    EXPECT_EQ(h.GetEventCount(), 0);
    EXPECT_EQ(h.GetEventCapacity(), 10);
    EXPECT_EQ(h.IsRunning(), 0);
    EXPECT_EQ(h.GetNextEvent(nullptr), 0);
}

TEST_F(xEventHandlerTest, GrowthKeepsOrderAndTheLimitRaisesSeven) {
    Recorder h;
    for (int code = 100; code < 111; ++code) {
        h.PostEvent(xEvent(code));
    }
    EXPECT_EQ(h.GetEventCapacity(), 30);
    for (int code = 111; code < 280; ++code) {
        h.PostEvent(xEvent(code));
    }
    EXPECT_EQ(h.GetEventCount(), 180);
    EXPECT_TRUE(h.IsEventQueueFull());
    EXPECT_EQ(xTry([&] { h.PostEvent(xEvent(999)); }), 7);
    EXPECT_EQ(xTry([&] { h.QueueEventFront(xEvent(999)); }), 7);
    EXPECT_EQ(h.GetEventCount(), 180);
    xEvent out;
    for (int code = 100; code < 280; ++code) {
        ASSERT_EQ(h.GetNextEvent(&out), code);
        EXPECT_EQ(out.GetCode(), code);
    }
}

TEST_F(xEventHandlerTest, FrontEventsAcrossTheWrapComeFirst) {
    Recorder h;
    for (int i = 0; i < 9; ++i) {  // move head and tail near the end of the ring
        h.PostEvent(xEvent(1));
        h.GetNextEvent(nullptr);
    }
    Post(h, {50, 51, 52});
    h.QueueEventFront(xEvent(17));
    h.QueueEventFront(xEvent(49));
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{49}));
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{49, 50, 51, 52}));
}

// A request that finds its handler not ready puts itself back at the head
// behind an event of code 17: the pass ends there and the request comes first
// on every later pass until it is served, also while the ring wraps and grows.
TEST_F(xEventHandlerTest, RequestPutBackBehindSeventeenWaitsForTheNextPass) {
    struct Case {
        const char* name;
        int spin;     // events pushed through first, to move the head along the ring
        int waiting;  // events queued behind the request
    };
    for (const Case& c : {Case{"fresh", 0, 2}, Case{"wrapping", 9, 2}, Case{"growing", 3, 9}}) {
        SCOPED_TRACE(c.name);
        Recorder h;
        for (int i = 0; i < c.spin; ++i) {
            h.PostEvent(xEvent(1));
            h.GetNextEvent(nullptr);
        }
        bool ready = false;
        h.onEvent = [&](const xEvent& event) {
            if (event.GetCode() == 90 && !ready) {
                h.QueueEventFront(event);
                h.QueueEventFront(xEvent(xEventCode::kEndOfPass));
            }
        };
        std::vector<std::int32_t> expected;
        h.PostEvent(xEvent(90));
        for (int i = 0; i < c.waiting; ++i) {
            h.PostEvent(xEvent(91 + i));
        }
        h.Idle();
        h.Idle();
        expected = {90, 90};
        EXPECT_EQ(h.codes, expected);
        EXPECT_EQ(h.GetEventCount(), 1 + c.waiting);
        ready = true;
        h.Idle();
        expected.push_back(90);
        for (int i = 0; i < c.waiting; ++i) {
            expected.push_back(91 + i);
        }
        EXPECT_EQ(h.codes, expected);
        EXPECT_EQ(h.GetEventCount(), 0);
    }
}

TEST_F(xEventHandlerTest, CodeSeventeenEndsThePassAndIsNotHandled) {
    Recorder h;
    Post(h, {60, 17, 61, 62});
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{60}));
    EXPECT_EQ(h.GetEventCount(), 2);
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{60, 61, 62}));
}

TEST_F(xEventHandlerTest, APassWorksForAboutTwoHundredMilliseconds) {
    Recorder h;
    h.onEvent = [this](const xEvent&) { clock_.Advance(150); };
    Post(h, {1, 2, 3, 4});
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{1, 2}));
    h.Idle();
    EXPECT_EQ(h.codes.size(), 4u);
}

// A handler that pumps another handler while it handles an event must still
// see its own event afterwards.
TEST_F(xEventHandlerTest, PumpingAnotherHandlerKeepsTheEventInHand) {
    Recorder inner;
    Recorder outer;
    std::string seenAfter;
    outer.onEvent = [&](const xEvent& event) {
        inner.Idle();
        seenAfter = event.GetTextParam(0);
        EXPECT_EQ(event.GetCode(), 70);
    };
    xEvent innerEvent(71);
    innerEvent.SetStringParam(0, "inner");
    inner.PostEvent(innerEvent);
    xEvent outerEvent(70);
    outerEvent.SetStringParam(0, "outer");
    outer.PostEvent(outerEvent);
    outer.Idle();
    EXPECT_EQ(inner.codes, (std::vector<std::int32_t>{71}));
    EXPECT_EQ(seenAfter, "outer");
}

TEST_F(xEventHandlerTest, PostingCopiesAndDropsCodeZero) {
    Recorder h;
    xEvent event(80);
    event.SetStringParam(0, "copy");
    h.PostEvent(event);
    event = xEvent::Empty();
    h.PostEvent(event);
    EXPECT_EQ(h.GetEventCount(), 1);
    xEvent out;
    h.GetNextEvent(&out);
    EXPECT_STREQ(out.GetTextParam(0), "copy");
}

TEST_F(xEventHandlerTest, SendersPostMessagesToHandlersAsEvents) {
    Recorder h;
    xTimerService timer(&h);
    timer.StartTimer(10, 0);
    clock_.Advance(11);
    Run();
    h.Idle();
    // The timer's StartingMsg became code 0 and was dropped; its StartedMsg is 3.
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{3, 32}));
    EXPECT_EQ(h.senders[1], &timer);

    MsgSenderSupport sender;
    sender.AddReceiver(&h);
    sender.Send(TimerMsg());  // not in the table: not delivered
    EXPECT_EQ(h.GetEventCount(), 0);
    sender.Send(KeyboardCharMsg('q'));
    EXPECT_EQ(h.GetEventCount(), 1);
}

TEST_F(xEventHandlerTest, DeliverToObjectStartsStopsAndConverts) {
    Recorder h;
    Target target;
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(4)), 0);
    EXPECT_TRUE(target.IsStopped());
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(2)), 0);
    EXPECT_TRUE(target.IsStarting());
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(4)), 0);  // starting: not stopped
    EXPECT_TRUE(target.IsStarting());
    Run();
    EXPECT_TRUE(target.IsStarted());
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(2)), 0);  // started: not started again
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(4)), 0);
    EXPECT_TRUE(target.IsStopping());

    target.received.clear();
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(39)), 0);
    EXPECT_EQ(h.DeliverToObject(&target, xEvent(1234)), 1);
    EXPECT_TRUE(target.received.empty());
    xEvent key(38);
    key.SetShortParam(0, 'k');
    EXPECT_EQ(h.DeliverToObject(&target, key), 0);
    ASSERT_EQ(target.received.size(), 1u);
    const auto* msg = dynamic_cast<const KeyboardCharMsg*>(target.received[0].get());
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->GetKey(), 'k');
    EXPECT_EQ(target.senders[0], &h);
}

TEST_F(xEventHandlerTest, SendingAndBroadcasting) {
    Recorder h;
    Recorder childHandler(&h);
    Target childElement(&h);
    TestNode plainChild(&h);

    xEvent started(3);
    h.BroadcastEvent(started);
    EXPECT_EQ(started.GetSender(), &h);
    EXPECT_EQ(childHandler.GetEventCount(), 1);
    ASSERT_EQ(childElement.received.size(), 1u);
    EXPECT_TRUE(childElement.received[0]->Is<StartedMsg>());
    EXPECT_TRUE(plainChild.received.empty());

    h.BroadcastEventNowCopy(40);
    EXPECT_EQ(childHandler.codes, (std::vector<std::int32_t>{40}));
    EXPECT_EQ(childElement.received.size(), 2u);

    EXPECT_EQ(h.SendEventNowCopy(&childHandler, 41), 5);
    EXPECT_EQ(h.SendEventCopy(&childHandler, 0), 0);
    EXPECT_EQ(h.SendEventCopy(&childHandler, 42), 0);
    EXPECT_EQ(childHandler.GetEventCount(), 2);
    xEvent foreign(43);
    foreign.SetSender(&childHandler);
    h.SendEvent(&childElement, foreign);  // a sender already set stays
    EXPECT_EQ(foreign.GetSender(), &childHandler);

    h.SendMsgAsEvent(KeyboardCharMsg('z'), &childHandler);
    xEvent out;
    ASSERT_EQ(h.GetNextEvent(&out), 38);
    EXPECT_EQ(out.GetSender(), &h);  // queued with the handler itself as sender
    EXPECT_EQ(out.GetShortParam(0), 'z');
}

TEST_F(xEventHandlerTest, SendMsgGoesStraightToTheParentElement) {
    Target parent;
    Recorder h(&parent);
    h.SendMsg(KeyboardCharMsg('p'));
    ASSERT_EQ(parent.received.size(), 1u);
    EXPECT_EQ(parent.senders[0], &h);

    Recorder orphan;  // under the dummy root: nobody to tell
    orphan.SendMsg(KeyboardCharMsg('p'));
}

// Acting on an event may end the handler at once (as the room proxy ends with
// its client): the pass stops with the rest still queued.
TEST_F(xEventHandlerTest, AHandlerMayDestroyItselfWithEventsStillQueued) {
    struct SelfEnding : xEventHandler {
        explicit SelfEnding(std::vector<std::int32_t>& handled) : xEventHandler(nullptr), handled_(handled) {}
        std::int32_t HandleEvent(const xEvent& event) override {
            handled_.push_back(event.GetCode());
            if (event.GetCode() == 41) {
                delete this;
            }
            return 0;
        }
        std::vector<std::int32_t>& handled_;
    };
    std::vector<std::int32_t> handled;
    auto* handler = new SelfEnding(handled);
    UIElement child(handler);
    Post(*handler, {40, 41, 42, 43});
    handler->Idle();
    EXPECT_EQ(handled, (std::vector<std::int32_t>{40, 41}));
    EXPECT_EQ(child.GetParent(), DummyUIRoot::GetInstance());
}

// A broadcast walks a copy of the children: a child acting on the event may
// destroy a sibling (skipped) or the broadcaster (the broadcast ends).
TEST_F(xEventHandlerTest, ABroadcastSkipsWhatAChildDestroyed) {
    Recorder parent;
    Recorder first(&parent);
    auto* second = new Recorder(&parent);
    Recorder third(&parent);
    first.onEvent = [&second](const xEvent&) {
        delete second;
        second = nullptr;
    };
    parent.BroadcastEventNowCopy(50);
    EXPECT_EQ(first.codes, (std::vector<std::int32_t>{50}));
    EXPECT_EQ(third.codes, (std::vector<std::int32_t>{50}));

    auto* broadcaster = new Recorder;
    Recorder ending(broadcaster);
    Recorder after(broadcaster);
    ending.onEvent = [&broadcaster](const xEvent&) {
        delete broadcaster;
        broadcaster = nullptr;
    };
    EXPECT_EQ(broadcaster->BroadcastEventNowCopy(51), 0);
    EXPECT_EQ(ending.codes, (std::vector<std::int32_t>{51}));
    EXPECT_TRUE(after.codes.empty());
    EXPECT_EQ(after.GetParent(), DummyUIRoot::GetInstance());
}

TEST_F(xEventHandlerTest, CentringAndSetup) {
    Recorder h;
    h.SetBounds({0, 0, 200, 100});
    h.CenterOnScreen(200, 100);
    EXPECT_EQ(h.GetBounds(), (xRect{220, 190, 420, 290}));
    h.CenterOnScreen(641, 481);  // halves truncate toward zero
    EXPECT_EQ(h.GetBounds(), (xRect{220, 190, 420, 290}));
    h.Setup(0, 0, {1, 2, 3, 4});
    EXPECT_EQ(h.IsActive(), 0);
    EXPECT_EQ(h.IsVisible16(), 0);
    EXPECT_EQ(h.GetBounds(), (xRect{1, 2, 3, 4}));
}

}  // namespace

namespace {

struct MyRecorder : xMyEventHandler {
    explicit MyRecorder(UIElement* parent) : xMyEventHandler(parent) {}
    std::int32_t HandleEvent(const xEvent& event) override {
        codes.push_back(event.GetCode());
        return xMyEventHandler::HandleEvent(event);
    }
    std::vector<std::int32_t> codes;
};

TEST_F(xEventHandlerTest, ParentEventsWaitForRunningAndComeOnePerPass) {
    Target parent;
    MyRecorder h(&parent);
    auto fromParent = [&](std::int32_t code) {
        xEvent e(code);
        e.SetSender(&parent);
        h.PostEvent(e);
    };
    fromParent(90);
    fromParent(91);
    Post(h, {60, 61});
    EXPECT_EQ(h.GetParentEventCount(), 2u);
    h.Idle();  // not running: only the ordinary queue
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{60, 61}));

    h.PostEvent(xEvent(2));
    h.Idle();
    EXPECT_TRUE(h.IsRunningEvents());
    Post(h, {62});
    h.Idle();  // one parent event, then the pass ends
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{60, 61, 2, 90}));
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{60, 61, 2, 90, 91}));
    h.Idle();
    EXPECT_EQ(h.codes, (std::vector<std::int32_t>{60, 61, 2, 90, 91, 62}));

    fromParent(92);
    Post(h, {63});
    h.FlushEvents();
    EXPECT_EQ(h.GetEventCount(), 0);
    EXPECT_EQ(h.GetParentEventCount(), 0u);
}

}  // namespace
