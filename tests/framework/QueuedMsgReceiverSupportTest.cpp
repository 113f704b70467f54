#include "framework/QueuedMsgReceiverSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SchedulerFixture.h"
#include "framework/AnySender.h"
#include "framework/ErrorMsg.h"
#include "framework/MsgSenderSupport.h"
#include "framework/QueuedMsgReceiverForwarder.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"

namespace {

// A message with a payload, to check order and copies.
class NumberMsg : public CloneableMsg<NumberMsg> {
  public:
    explicit NumberMsg(int n) : n(n) {}
    int n;
};

// Base class of a two-class chain: wants StartedMsg from its watched sender and
// every NumberMsg.
class BaseReceiver : public QueuedMsgReceiverForwarder {
  public:
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (msg.Is<StartedMsg>() && IsWatchedSender(from, watchedStarted)) {
            if (!fromQueue) {
                if (!queued) {
                    QueueMsg(msg, from);
                }
                queued = true;
            } else {
                acted.push_back("base started");
            }
        }
        if (const auto* number = dynamic_cast<const NumberMsg*>(&msg)) {
            if (!fromQueue) {
                if (!queued) {
                    QueueMsg(msg, from);
                }
                queued = true;
            } else {
                numbers.push_back(number->n);
                if (onNumber) {
                    onNumber(number->n);
                }
            }
        }
        return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
    }

    std::size_t Queued() const { return GetQueueSupport().GetQueuedCount(); }
    bool IsDrainScheduled() const { return GetQueueSupport().IsScheduled(); }

    MsgSender* watchedStarted = AnySender;
    std::vector<std::string> acted;
    std::vector<int> numbers;
    std::function<void(int)> onNumber;
};

// Most derived class: wants StartedMsg from anyone and ErrorMsg.
class DerivedReceiver : public BaseReceiver {
  public:
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        if (msg.Is<StartedMsg>() || msg.Is<ErrorMsg>()) {
            if (!fromQueue) {
                if (!queued) {
                    QueueMsg(msg, from);
                }
                queued = true;
            } else {
                acted.push_back(msg.Is<StartedMsg>() ? "derived started" : "derived error");
            }
        }
        return BaseReceiver::HandleMsg(msg, from, fromQueue, queued);
    }
};

// A three-class chain in which each class may or may not want a message. Each
// class writes down the (fromQueue, queued) pair it is handed, follows the
// handler protocol when it wants the message, and passes the four values on.
class ChainBase : public QueuedMsgReceiverForwarder {
  public:
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        queued = Follow("base", baseWants, msg, from, fromQueue, queued);
        return QueuedMsgReceiverForwarder::HandleMsg(msg, from, fromQueue, queued);
    }
    void QueueMsg(const Msg& msg, MsgSender* from) override {
        ++queueCalls;
        QueuedMsgReceiverForwarder::QueueMsg(msg, from);
    }

    bool baseWants = false;
    bool middleWants = false;
    bool topWants = false;
    std::vector<std::string> calls;
    std::vector<std::string> acted;
    int queueCalls = 0;

  protected:
    bool Follow(const char* cls, bool wants, const Msg& msg, MsgSender* from, bool fromQueue, bool queued) {
        calls.push_back(std::string(cls) + (fromQueue ? " fromQueue" : " arrived") +
                        (queued ? " queued" : ""));
        if (wants) {
            if (!fromQueue) {
                if (!queued) {
                    QueueMsg(msg, from);
                }
                queued = true;
            } else {
                acted.push_back(cls);
            }
        }
        return queued;
    }
};

class ChainMiddle : public ChainBase {
  public:
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        queued = Follow("middle", middleWants, msg, from, fromQueue, queued);
        return ChainBase::HandleMsg(msg, from, fromQueue, queued);
    }
};

class ChainTop : public ChainMiddle {
  public:
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool queued) override {
        queued = Follow("top", topWants, msg, from, fromQueue, queued);
        return ChainMiddle::HandleMsg(msg, from, fromQueue, queued);
    }
};

class QueuedMsgReceiverSupportTest : public SchedulerFixture {};

TEST_F(QueuedMsgReceiverSupportTest, ChainQueuesAtMostOnceAndPassesTheFourValuesOn) {
    struct Case {
        const char* what;
        bool top;
        bool middle;
        bool base;
        std::vector<std::string> onArrival;
        std::vector<std::string> acted;
    };
    const std::vector<std::string> kFromQueue = {"top fromQueue queued", "middle fromQueue queued",
                                                 "base fromQueue queued"};
    const Case cases[] = {
        {"nobody wants it", false, false, false, {"top arrived", "middle arrived", "base arrived"}, {}},
        {"only the most derived",
         true,
         false,
         false,
         {"top arrived", "middle arrived queued", "base arrived queued"},
         {"top"}},
        {"only the middle",
         false,
         true,
         false,
         {"top arrived", "middle arrived", "base arrived queued"},
         {"middle"}},
        {"only the base", false, false, true, {"top arrived", "middle arrived", "base arrived"}, {"base"}},
        {"top and base",
         true,
         false,
         true,
         {"top arrived", "middle arrived queued", "base arrived queued"},
         {"top", "base"}},
        {"all three",
         true,
         true,
         true,
         {"top arrived", "middle arrived queued", "base arrived queued"},
         {"top", "middle", "base"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChainTop receiver;
        receiver.topWants = c.top;
        receiver.middleWants = c.middle;
        receiver.baseWants = c.base;
        MsgSenderSupport sender;
        sender.AddReceiver(&receiver);

        sender.Send(StartedMsg());
        EXPECT_EQ(receiver.calls, c.onArrival);
        const bool wanted = c.top || c.middle || c.base;
        EXPECT_EQ(receiver.queueCalls, wanted ? 1 : 0);
        EXPECT_TRUE(receiver.acted.empty()) << "nothing acts on arrival";

        receiver.calls.clear();
        Run();
        EXPECT_EQ(receiver.calls, wanted ? kFromQueue : std::vector<std::string>{});
        EXPECT_EQ(receiver.acted, c.acted);
        EXPECT_EQ(receiver.queueCalls, wanted ? 1 : 0) << "nothing queued again on the way out";
    }
}

TEST_F(QueuedMsgReceiverSupportTest, MessageWantedByTwoClassesIsQueuedOnceAndHandledByBoth) {
    DerivedReceiver receiver;
    MsgSenderSupport sender;
    sender.AddReceiver(&receiver);

    sender.Send(StartedMsg());
    EXPECT_EQ(receiver.Queued(), 1u);
    EXPECT_TRUE(receiver.acted.empty()) << "nothing acts on arrival";

    Run();
    EXPECT_EQ(receiver.acted, (std::vector<std::string>{"derived started", "base started"}));
    EXPECT_EQ(receiver.Queued(), 0u);
    EXPECT_FALSE(receiver.IsDrainScheduled());
}

TEST_F(QueuedMsgReceiverSupportTest, SenderTestsAndNullSender) {
    struct Case {
        const char* what;
        bool watchAny;
        bool fromWatched;
        bool nullSender;
        std::size_t queued;
    };
    const Case cases[] = {
        {"watched sender", false, true, false, 1},
        {"other sender", false, false, false, 0},
        {"any sender", true, false, false, 1},
        {"null sender", true, false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BaseReceiver receiver;
        MsgSenderSupport watched;
        MsgSenderSupport other;
        MsgSender* const watchedSender = &watched;
        MsgSender* const otherSender = &other;
        receiver.watchedStarted = c.watchAny ? AnySender : watchedSender;
        MsgSender* from = c.nullSender ? nullptr : (c.fromWatched ? watchedSender : otherSender);
        EXPECT_EQ(receiver.Receive(StartedMsg(), from), 0);
        EXPECT_EQ(receiver.Queued(), c.queued);
        Run();
        EXPECT_EQ(receiver.acted.size(), c.queued);
    }
}

TEST_F(QueuedMsgReceiverSupportTest, ThousandSlowMessagesDrainAboutTwoHundredPerRunInOrder) {
    BaseReceiver receiver;
    MsgSenderSupport sender;
    sender.AddReceiver(&receiver);
    receiver.onNumber = [this](int) { clock_.Advance(1); };
    for (int i = 0; i < 1000; ++i) {
        sender.Send(NumberMsg(i));
    }
    std::size_t before = 0;
    for (int run = 1; run <= 5; ++run) {
        SCOPED_TRACE(run);
        Run();
        EXPECT_EQ(receiver.numbers.size() - before, 200u);
        before = receiver.numbers.size();
        EXPECT_TRUE(receiver.IsDrainScheduled());
    }
    // The last message used up the budget, so the empty queue is noticed (and
    // the drain unscheduled) on the run after.
    Run();
    EXPECT_FALSE(receiver.IsDrainScheduled());
    ASSERT_EQ(receiver.numbers.size(), 1000u);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(receiver.numbers[i], i);
    }
}

TEST_F(QueuedMsgReceiverSupportTest, SlowMessageStillHandledAloneAndLaterArrivalsJoinTheSameRun) {
    BaseReceiver receiver;
    MsgSenderSupport sender;
    sender.AddReceiver(&receiver);
    receiver.onNumber = [&](int n) {
        if (n == 0) {
            sender.Send(NumberMsg(10));
        }
        if (n == 2) {
            clock_.Advance(5000);
        }
    };
    sender.Send(NumberMsg(0));
    sender.Send(NumberMsg(2));
    sender.Send(NumberMsg(3));
    Run();
    EXPECT_EQ(receiver.numbers, (std::vector<int>{0, 2}));
    Run();
    EXPECT_EQ(receiver.numbers, (std::vector<int>{0, 2, 3, 10}));
}

TEST_F(QueuedMsgReceiverSupportTest, HandlerThatThrowsLeavesItsMessageAtTheFront) {
    BaseReceiver receiver;
    MsgSenderSupport sender;
    sender.AddReceiver(&receiver);
    bool fail = true;
    receiver.onNumber = [&](int n) {
        if (n == 1 && fail) {
            throw 0;
        }
    };
    sender.Send(NumberMsg(1));
    sender.Send(NumberMsg(2));
    EXPECT_THROW(Run(), int);
    EXPECT_EQ(receiver.Queued(), 2u);
    fail = false;
    Run();
    EXPECT_EQ(receiver.numbers, (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(receiver.Queued(), 0u);
}

// Destroys itself, through its owner's pointer, on the first message it acts on,
// and returns at once.
class SelfDestroyingReceiver : public QueuedMsgReceiverForwarder {
  public:
    explicit SelfDestroyingReceiver(std::unique_ptr<SelfDestroyingReceiver>& holder) : holder_(holder) {}
    std::int32_t HandleMsg(const Msg& msg, MsgSender* from, bool fromQueue, bool) override {
        if (!fromQueue) {
            QueueMsg(msg, from);
            return 0;
        }
        ++handled;
        holder_.reset();
        return 0;
    }
    static inline int handled = 0;

  private:
    std::unique_ptr<SelfDestroyingReceiver>& holder_;
};

TEST_F(QueuedMsgReceiverSupportTest, HandlerMayDestroyItsOwnReceiver) {
    std::unique_ptr<SelfDestroyingReceiver> receiver;
    receiver = std::make_unique<SelfDestroyingReceiver>(receiver);
    SelfDestroyingReceiver::handled = 0;
    receiver->Receive(StartedMsg(), AnySender);
    receiver->Receive(StoppedMsg(), AnySender);
    Run();
    EXPECT_EQ(receiver, nullptr);
    EXPECT_EQ(SelfDestroyingReceiver::handled, 1) << "the rest of the queue went with it";
    Run();
}

TEST_F(QueuedMsgReceiverSupportTest, DestroyingDiscardsTheQueueAndUnschedules) {
    auto receiver = std::make_unique<BaseReceiver>();
    receiver->Receive(NumberMsg(1), AnySender);
    EXPECT_TRUE(receiver->IsDrainScheduled());
    receiver.reset();
    // The service must hold no pointer to the destroyed support (ASan checks).
    Run();
}

TEST_F(QueuedMsgReceiverSupportTest, SupportWithoutOwnerHandlesNothingAndNullOwnerIsRefused) {
    QueuedMsgReceiverSupport own;
    MsgSenderSupport sender;
    EXPECT_EQ(own.Receive(StartedMsg(), &sender), 0);
    EXPECT_EQ(own.GetQueuedCount(), 0u);
    own.QueueMsg(StoppedMsg(), &sender);
    EXPECT_TRUE(own.IsScheduled());
    Run();
    EXPECT_EQ(own.GetQueuedCount(), 0u);
    EXPECT_FALSE(own.IsScheduled());

    try {
        QueuedMsgReceiverSupport refused(nullptr);
        FAIL() << "constructed";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
}

TEST(MsgCloneTest, CloneKeepsClassAndFields) {
    const NumberMsg original(42);
    std::unique_ptr<Msg> copy = original.Clone();
    const auto* number = dynamic_cast<const NumberMsg*>(copy.get());
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->n, 42);

    const ErrorMsg error("broken");
    std::unique_ptr<Msg> errorCopy = error.Clone();
    ASSERT_TRUE(errorCopy->Is<ErrorMsg>());
    EXPECT_EQ(static_cast<const ErrorMsg&>(*errorCopy).GetText(), "broken");
    EXPECT_FALSE(errorCopy->Is<StartedMsg>());
}

}  // namespace
