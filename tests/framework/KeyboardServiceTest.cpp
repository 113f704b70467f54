#include "framework/KeyboardService.h"

#include "SchedulerFixture.h"
#include "TestNode.h"
#include "divir/xKeyQueue.h"
#include "framework/DummyUIRoot.h"
#include "framework/GainedKeyboardFocusMsg.h"
#include "framework/KeyboardCharMsg.h"
#include "framework/LostKeyboardFocusMsg.h"
#include "platform/FakeMessageQueue.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace {

class KeyboardServiceTest : public SchedulerFixture {
  protected:
    void SetUp() override {
        SchedulerFixture::SetUp();
        service = std::make_unique<KeyboardService>();
        service->SetKeySource([this]() -> std::uint16_t {
            if (keys.empty()) {
                return 0;
            }
            const std::uint16_t key = keys.front();
            keys.pop_front();
            return key;
        });
        service->SetPump([this] {
            ++pumps;
            if (onPump) {
                onPump();
            }
        });
    }

    static std::vector<std::int32_t> KeysOf(const TestNode& node) {
        std::vector<std::int32_t> out;
        for (const auto& m : node.received) {
            if (auto* k = dynamic_cast<const KeyboardCharMsg*>(m.get())) {
                out.push_back(k->GetKey());
            }
        }
        return out;
    }

    DummyUIRoot root;
    TestNode a{&root}, b{&root}, c{&root};
    // Made in SetUp, once the scheduler is registered; gone before TearDown.
    std::unique_ptr<KeyboardService> service;
    void TearDown() override {
        service.reset();
        SchedulerFixture::TearDown();
    }
    std::deque<std::uint16_t> keys;
    int pumps = 0;
    std::function<void()> onPump;
};

TEST_F(KeyboardServiceTest, KeysTypedBetweenPassesArriveInOrderInOnePass) {
    service->SetFocus(&a);
    keys = {'a', 'b', 0xFFFF};
    service->Execute();
    EXPECT_EQ(KeysOf(a), (std::vector<std::int32_t>{'a', 'b', -1}));
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(a.senders.back(), service.get());
}

TEST_F(KeyboardServiceTest, KeysAddedByThePumpComeInTheSamePass) {
    service->SetFocus(&a);
    keys = {'x'};
    onPump = [this] {
        if (pumps == 1) {
            keys.push_back(16);
        }
    };
    service->Execute();
    EXPECT_EQ(KeysOf(a), (std::vector<std::int32_t>{'x', 16}));
}

TEST_F(KeyboardServiceTest, KeysWithoutAnEnabledFocusAreLost) {
    keys = {'1'};
    service->Execute();
    service->SetFocus(&a);
    a.Disable();
    keys = {'2'};
    service->Execute();
    a.Enable();
    service->Execute();
    EXPECT_TRUE(KeysOf(a).empty());
    EXPECT_TRUE(keys.empty());
}

// The pump between keys may move the focus or destroy the node that held it;
// every key goes to the focus as it is when that key is delivered.
TEST_F(KeyboardServiceTest, FocusChangedMidPassTakesTheFollowingKeys) {
    service->SetFocus(&a);
    keys = {'1', '2', '3'};
    onPump = [this] {
        if (pumps == 1) {
            service->SetFocus(&b);
        }
    };
    service->Execute();
    EXPECT_EQ(KeysOf(a), (std::vector<std::int32_t>{'1'}));
    EXPECT_EQ(KeysOf(b), (std::vector<std::int32_t>{'2', '3'}));
}

// A focus disabled or cleared between keys loses the keys that follow, and gets
// them again as soon as it is back, in the same pass.
TEST_F(KeyboardServiceTest, FocusDisabledOrClearedMidPassDropsOnlyTheKeysMeanwhile) {
    struct Case {
        const char* name;
        std::function<void(KeyboardService&, TestNode&)> away;
        std::function<void(KeyboardService&, TestNode&)> back;
    };
    const Case cases[] = {
        {"disabled", [](KeyboardService&, TestNode& n) { n.Disable(); },
         [](KeyboardService&, TestNode& n) { n.Enable(); }},
        {"cleared", [](KeyboardService& k, TestNode&) { k.SetFocus(nullptr); },
         [](KeyboardService& k, TestNode& n) { k.SetFocus(&n); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        a.received.clear();
        pumps = 0;
        service->SetFocus(&a);
        keys = {'1', '2', '3'};
        onPump = [&] {
            if (pumps == 1) {
                c.away(*service, a);
            } else if (pumps == 2) {
                c.back(*service, a);
            }
        };
        service->Execute();
        EXPECT_EQ(KeysOf(a), (std::vector<std::int32_t>{'1', '3'}));
        EXPECT_TRUE(keys.empty());
    }
}

TEST_F(KeyboardServiceTest, FocusDestroyedMidPassIsNeverReached) {
    auto doomed = std::make_unique<TestNode>(&root);
    service->SetFocus(doomed.get());
    keys = {'1', '2'};
    onPump = [&] {
        if (pumps == 1) {
            service->SetFocus(nullptr);
            doomed.reset();
        }
    };
    service->Execute();
    EXPECT_EQ(doomed, nullptr);
    EXPECT_TRUE(keys.empty());
}

TEST_F(KeyboardServiceTest, FocusChangesAreAnnounced) {
    service->SetFocus(&a);
    service->SetFocus(&a);
    EXPECT_EQ(a.Count<GainedKeyboardFocusMsg>(), 1);
    std::vector<const char*> order;
    a.onReceive = [&](const Msg& m) {
        if (dynamic_cast<const LostKeyboardFocusMsg*>(&m)) order.push_back("lost a");
    };
    b.onReceive = [&](const Msg& m) {
        if (dynamic_cast<const GainedKeyboardFocusMsg*>(&m)) order.push_back("gained b");
    };
    service->SetFocus(&b);
    EXPECT_EQ(order, (std::vector<const char*>{"lost a", "gained b"}));
    EXPECT_TRUE(service->HasFocus(&b));
    EXPECT_FALSE(service->HasFocus(nullptr));
    service->SetFocus(nullptr);
    EXPECT_EQ(b.Count<LostKeyboardFocusMsg>(), 1);
    EXPECT_EQ(service->GetFocus(), nullptr);
}

TEST_F(KeyboardServiceTest, FocusWalksOverEnabledCandidates) {
    struct Case {
        const char* name;
        bool forwards;
        TestNode* focus;
        bool disableA, disableC;
        TestNode* expected;
    };
    const Case cases[] = {
        {"next wraps past disabled C", true, &b, false, true, &a},
        {"previous from B", false, &b, false, true, &a},
        {"next from B", true, &b, false, false, &c},
        {"previous wraps from A", false, &a, false, false, &c},
        {"next without focus", true, nullptr, true, false, &b},
        {"previous without focus", false, nullptr, false, true, &b},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        KeyboardService s;
        s.AddFocusCandidate(&a);
        s.AddFocusCandidate(&b);
        s.AddFocusCandidate(&c);
        a.Enable();
        c.Enable();
        if (k.disableA) a.Disable();
        if (k.disableC) c.Disable();
        s.SetFocus(k.focus);
        k.forwards ? s.FocusNext() : s.FocusPrevious();
        EXPECT_EQ(s.GetFocus(), k.expected);
    }
}

TEST_F(KeyboardServiceTest, SingleCandidateKeepsOrDropsTheFocus) {
    service->AddFocusCandidate(&a);
    service->SetFocus(&a);
    service->FocusNext();
    EXPECT_EQ(service->GetFocus(), &a);
    a.Disable();
    service->FocusNext();
    EXPECT_EQ(service->GetFocus(), nullptr);
}

TEST_F(KeyboardServiceTest, CandidateListEditing) {
    service->AddFocusCandidate(&a);
    service->InsertFocusCandidateBefore(&b, &a);
    service->InsertFocusCandidateAfter(&c, &a);
    service->AddFocusCandidate(nullptr);
    service->InsertFocusCandidateAfter(nullptr, &a);
    EXPECT_TRUE(service->IsFocusCandidate(&c));
    EXPECT_FALSE(service->IsFocusCandidate(nullptr));
    // Order is b, a, c: removing the focus moves it on first.
    service->SetFocus(&a);
    service->RemoveFocusCandidate(&a);
    EXPECT_EQ(service->GetFocus(), &c);
    EXPECT_FALSE(service->IsFocusCandidate(&a));
    service->FocusNext();
    EXPECT_EQ(service->GetFocus(), &b);
    service->RemoveFocusCandidate(&c);
    service->RemoveFocusCandidate(&b);  // the only one left: the focus is cleared
    EXPECT_EQ(service->GetFocus(), nullptr);
}

}  // namespace

namespace {

// Without a key source of its own the service reads the lower layer's key queue.
TEST_F(KeyboardServiceTest, ReadsTheLowerLayersKeyQueueByDefault) {
    KeyboardService fromQueue;
    fromQueue.SetFocus(&a);
    xGetKeyQueue().Clear();
    ASSERT_TRUE(xPushKey('h'));
    ASSERT_TRUE(xPushKey(24));
    fromQueue.Execute();
    EXPECT_EQ(KeysOf(a), (std::vector<std::int32_t>{'h', 24}));
    EXPECT_TRUE(xGetKeyQueue().IsEmpty());
}

}  // namespace

namespace {

// With its defaults the service reads the key queue and pumps the program's
// messages between keys, so a character that arrives meanwhile comes in the same pass.
TEST_F(KeyboardServiceTest, CharactersPumpedBetweenKeysArriveInTheSamePass) {
    platform::FakeMessageQueue queue;
    platform::MessageQueue* before = platform::MessageQueue::Install(&queue);
    KeyboardService fromQueue;
    fromQueue.SetFocus(&a);
    xGetKeyQueue().Clear();
    ASSERT_TRUE(xPushKey('a'));
    platform::WinMessage typed;
    typed.message = platform::Num(platform::WinMsg::Char);
    typed.wParam = 'b';
    queue.PushInput(typed);
    fromQueue.Execute();
    EXPECT_EQ(KeysOf(a), (std::vector<std::int32_t>{'a', 'b'}));
    platform::MessageQueue::Install(before);
}

}  // namespace
