#include "framework/MsgSenderSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "MsgLog.h"
#include "framework/StartedMsg.h"
#include "framework/StoppedMsg.h"

namespace {

// A receiver that notes its turn in a shared order and runs an optional action.
class Probe : public MsgReceiver {
  public:
    Probe(int id, std::vector<int>& order) : id_(id), order_(order) {}
    std::int32_t Receive(const Msg&, MsgSender*) override {
        order_.push_back(id_);
        if (action) {
            action();
        }
        return 0;
    }
    std::function<void()> action;

  private:
    int id_;
    std::vector<int>& order_;
};

TEST(MsgSenderSupportTest, SubscriptionKeepsOrderWithoutDuplicatesAndIgnoresNull) {
    MsgSenderSupport sender;
    MsgLog a;
    MsgLog b;
    sender.AddReceiver(&a);
    sender.AddReceiver(&b);
    sender.AddReceiver(&a);
    sender.AddReceiver(nullptr);
    EXPECT_EQ(sender.GetReceiverCount(), 2);
    EXPECT_TRUE(sender.HasReceiver(&a));
    EXPECT_FALSE(sender.HasReceiver(nullptr));

    MsgLog absent;
    sender.RemoveReceiver(&absent);
    sender.RemoveReceiver(nullptr);
    EXPECT_EQ(sender.GetReceiverCount(), 2);

    sender.RemoveReceiver(&a);
    EXPECT_FALSE(sender.HasReceiver(&a));
    EXPECT_EQ(sender.GetReceiverCount(), 1);
}

TEST(MsgSenderSupportTest, DeliversInSubscriptionOrderNamingTheSender) {
    std::vector<int> order;
    Probe first(1, order);
    Probe second(2, order);
    Probe third(3, order);
    MsgSenderSupport sender;
    sender.AddReceiver(&second);
    sender.AddReceiver(&first);
    sender.AddReceiver(&third);
    sender.Send(StartedMsg());
    EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));

    MsgLog log;
    MsgSenderSupport self;
    self.AddReceiver(&log);
    self.Send(StoppedMsg());
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].name, "StoppedMsg");
    EXPECT_EQ(log.entries[0].from, &self);

    MsgSenderSupport owned(&self);
    owned.AddReceiver(&log);
    owned.Send(StartedMsg());
    EXPECT_EQ(log.entries.back().from, &self);
}

TEST(MsgSenderSupportTest, ChangesDuringASendTakeEffectFromTheNextSend) {
    std::vector<int> order;
    Probe quitter(1, order);
    Probe remover(2, order);
    Probe removed(3, order);
    Probe late(4, order);
    MsgSenderSupport sender;
    sender.AddReceiver(&quitter);
    sender.AddReceiver(&remover);
    sender.AddReceiver(&removed);
    quitter.action = [&] { sender.RemoveReceiver(&quitter); };
    remover.action = [&] {
        sender.RemoveReceiver(&removed);
        sender.AddReceiver(&late);
    };

    sender.Send(StartedMsg());
    // The one that left and the one removed still get the message in flight; the
    // one added during it does not.
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

    order.clear();
    remover.action = nullptr;
    sender.Send(StartedMsg());
    EXPECT_EQ(order, (std::vector<int>{2, 4}));
}

// A receiver removed and destroyed by an earlier receiver of the same send, or
// of a send running inside it, is not called; the others still are.
TEST(MsgSenderSupportTest, ReceiverDestroyedDuringASendIsNotCalled) {
    struct Case {
        const char* what;
        bool nested;
        std::vector<int> order;
    };
    const Case cases[] = {
        {"destroyed by an earlier receiver", false, {1, 3}},
        {"destroyed inside a nested send", true, {1, 4, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int> order;
        MsgSenderSupport outer;
        MsgSenderSupport inner;
        Probe first(1, order);
        auto victim = std::make_unique<Probe>(2, order);
        Probe last(3, order);
        Probe killer(4, order);
        outer.AddReceiver(&first);
        outer.AddReceiver(victim.get());
        outer.AddReceiver(&last);
        inner.AddReceiver(&killer);
        inner.AddReceiver(victim.get());
        const auto destroyVictim = [&] {
            outer.RemoveReceiver(victim.get());
            inner.RemoveReceiver(victim.get());
            victim.reset();
        };
        if (c.nested) {
            first.action = [&] { inner.Send(StartedMsg()); };
            killer.action = destroyVictim;
        } else {
            first.action = destroyVictim;
        }
        outer.Send(StartedMsg());
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(victim, nullptr);
        EXPECT_EQ(outer.GetReceiverCount(), 2);
    }
}

TEST(MsgSenderSupportTest, NullOwnerIsRefusedWithZero) {
    try {
        MsgSenderSupport sender(nullptr);
        FAIL() << "constructed";
    } catch (int code) {
        EXPECT_EQ(code, 0);
    }
}

}  // namespace
