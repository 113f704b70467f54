#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/FakeMessageQueue.h"

namespace {

using platform::FakeMessageQueue;
using platform::Num;
using platform::VirtualKey;
using platform::WinMessage;
using platform::WinMsg;

int gWindowA = 0;
int gWindowB = 0;
platform::WindowHandle A = &gWindowA;
platform::WindowHandle B = &gWindowB;

std::vector<std::uint32_t> DrainAll(FakeMessageQueue& q, std::uint32_t first = 0, std::uint32_t last = 0) {
    std::vector<std::uint32_t> got;
    WinMessage m;
    while (q.Peek(m, first, last, true)) got.push_back(m.message);
    return got;
}

TEST(MessageQueueTest, AnyOrderIsPostedInputQuitPaintTimer) {
    FakeMessageQueue q;
    q.StartThreadTimer(33);
    q.Advance(40);
    q.Invalidate(A);
    q.PostQuit(3);
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 1, 2));
    q.PushInput(FakeMessageQueue::Key(A, WinMsg::KeyDown, VirtualKey::Up));
    q.Post(A, Num(WinMsg::User), 7, 8);

    const std::vector<std::uint32_t> want = {Num(WinMsg::User), Num(WinMsg::MouseMove), Num(WinMsg::KeyDown),
                                             Num(WinMsg::Quit), Num(WinMsg::Paint),     Num(WinMsg::Timer)};
    EXPECT_EQ(DrainAll(q), want);
}

TEST(MessageQueueTest, RangesTakeOnlyTheirMessagesAndLeaveTheRest) {
    struct Case {
        const char* name;
        std::uint32_t first, last;
        std::vector<std::uint32_t> taken;
    };
    const std::vector<Case> cases = {
        {"keyboard", platform::kKeyFirst, platform::kKeyLast, {Num(WinMsg::KeyDown), Num(WinMsg::Char)}},
        {"mouse",
         platform::kMouseFirst,
         platform::kMouseLast,
         {Num(WinMsg::LButtonDown), Num(WinMsg::MouseMove)}},
        {"timer only", Num(WinMsg::Timer), Num(WinMsg::Timer), {Num(WinMsg::Timer)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMessageQueue q;
        q.StartThreadTimer(33);
        q.Advance(33);
        q.Post(A, Num(WinMsg::User), 0, 0);
        q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::LButtonDown, 5, 5));
        q.PushInput(FakeMessageQueue::Key(A, WinMsg::KeyDown, VirtualKey::Left));
        q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 6, 6));
        q.PushInput(FakeMessageQueue::Char(A, 'x'));
        EXPECT_EQ(DrainAll(q, c.first, c.last), c.taken);
        // Whatever the range left stays queued in order.
        const auto rest = DrainAll(q);
        EXPECT_EQ(rest.size(), 6u - c.taken.size());
        EXPECT_EQ(rest.front(), Num(WinMsg::User));
    }
}

TEST(MessageQueueTest, PeekWithoutRemoveLeavesTheMessage) {
    FakeMessageQueue q;
    q.PushInput(FakeMessageQueue::Char(A, 'a'));
    WinMessage m;
    ASSERT_TRUE(q.Peek(m, 0, 0, false));
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.wParam, 'a');
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
}

TEST(MessageQueueTest, MouseMovesMergeToTheLatestUntilOtherInputComes) {
    FakeMessageQueue q;
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 1, 1));
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 2, 2));
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 3, 4));
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::LButtonDown, 3, 4));
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 9, 9));
    q.PushInput(FakeMessageQueue::Mouse(B, WinMsg::MouseMove, 8, 8));

    WinMessage m;
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.message, Num(WinMsg::MouseMove));
    EXPECT_EQ(platform::LowWord(m.lParam), 3);
    EXPECT_EQ(platform::HighWord(m.lParam), 4);
    EXPECT_EQ(DrainAll(q), (std::vector<std::uint32_t>{Num(WinMsg::LButtonDown), Num(WinMsg::MouseMove),
                                                       Num(WinMsg::MouseMove)}));
}

TEST(MessageQueueTest, SecondPressCloseInTimeAndPlaceIsADoubleClick) {
    struct Case {
        const char* name;
        bool classWants;
        std::uint32_t gapMs;
        int dx, dy;
        WinMsg second;
        WinMsg press;
        WinMsg expected;
    };
    const std::vector<Case> cases = {
        {"left double", true, 200, 1, -2, WinMsg::LButtonDown, WinMsg::LButtonDown, WinMsg::LButtonDblClk},
        {"right double", true, 500, 0, 0, WinMsg::RButtonDown, WinMsg::RButtonDown, WinMsg::RButtonDblClk},
        {"too late", true, 501, 0, 0, WinMsg::LButtonDown, WinMsg::LButtonDown, WinMsg::LButtonDown},
        {"too far", true, 100, 3, 0, WinMsg::LButtonDown, WinMsg::LButtonDown, WinMsg::LButtonDown},
        {"other button", true, 100, 0, 0, WinMsg::RButtonDown, WinMsg::LButtonDown, WinMsg::RButtonDown},
        {"class without", false, 100, 0, 0, WinMsg::LButtonDown, WinMsg::LButtonDown, WinMsg::LButtonDown},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMessageQueue q;
        q.RegisterWindow(A, platform::WindowClass{{}, c.classWants});
        q.PushInput(FakeMessageQueue::Mouse(A, c.press, 100, 100));
        q.PushInput(FakeMessageQueue::Mouse(
            A, c.press == WinMsg::LButtonDown ? WinMsg::LButtonUp : WinMsg::RButtonUp, 100, 100));
        q.Advance(c.gapMs);
        q.PushInput(FakeMessageQueue::Mouse(A, c.second, 100 + c.dx, 100 + c.dy));
        const auto got = DrainAll(q);
        ASSERT_EQ(got.size(), 3u);
        EXPECT_EQ(got[2], Num(c.expected));
    }
}

TEST(MessageQueueTest, ThirdPressAfterADoubleClickIsAPlainPress) {
    FakeMessageQueue q;
    q.RegisterWindow(A, platform::WindowClass{{}, true});
    for (int i = 0; i < 3; ++i) {
        q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::LButtonDown, 10, 10));
        q.Advance(50);
    }
    EXPECT_EQ(DrainAll(q), (std::vector<std::uint32_t>{Num(WinMsg::LButtonDown), Num(WinMsg::LButtonDblClk),
                                                       Num(WinMsg::LButtonDown)}));
}

TEST(MessageQueueTest, TranslateMakesCharactersOnlyForItsFourKeys) {
    struct Case {
        VirtualKey key;
        bool makesChar;
    };
    for (const Case c :
         {Case{VirtualKey::Back, true}, Case{VirtualKey::Tab, true}, Case{VirtualKey::Return, true},
          Case{VirtualKey::Escape, true}, Case{VirtualKey::Up, false}, Case{VirtualKey::Space, false}}) {
        SCOPED_TRACE(Num(c.key));
        FakeMessageQueue q;
        q.PushInput(FakeMessageQueue::Key(A, WinMsg::KeyDown, c.key));
        q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::MouseMove, 1, 1));
        WinMessage m;
        ASSERT_TRUE(q.Peek(m, 0, 0, true));
        q.Translate(m);
        q.Translate(FakeMessageQueue::Key(A, WinMsg::KeyUp, c.key));
        ASSERT_TRUE(q.Peek(m, 0, 0, true));
        if (c.makesChar) {
            // The character is served before input that was already waiting.
            EXPECT_EQ(m.message, Num(WinMsg::Char));
            EXPECT_EQ(m.wParam, Num(c.key));
            EXPECT_EQ(m.lParam & (1 << 31), 0);
            EXPECT_EQ(m.window, A);
            EXPECT_EQ(DrainAll(q), std::vector<std::uint32_t>{Num(WinMsg::MouseMove)});
        } else {
            EXPECT_EQ(m.message, Num(WinMsg::MouseMove));
            EXPECT_TRUE(DrainAll(q).empty());
        }
    }
}

TEST(MessageQueueTest, TimerAndPaintAreMergedAndMadeOnlyWhenNothingElseWaits) {
    FakeMessageQueue q;
    const auto id = q.StartThreadTimer(33);
    ASSERT_NE(id, 0u);
    q.Advance(33 * 5);
    q.Invalidate(A);
    q.Invalidate(A);
    q.Invalidate(B);
    q.PushInput(FakeMessageQueue::Char(A, 'q'));
    WinMessage m;
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.message, Num(WinMsg::Char));
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.message, Num(WinMsg::Paint));
    EXPECT_EQ(m.window, A);
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.window, B);
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.message, Num(WinMsg::Timer));
    EXPECT_EQ(m.wParam, id);
    EXPECT_EQ(m.window, nullptr);
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
    q.Advance(32);
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
    q.Advance(1);
    EXPECT_TRUE(q.Peek(m, 0, 0, true));
}

TEST(MessageQueueTest, GetBlocksUntilTheTimerAndReportsQuit) {
    FakeMessageQueue q;
    q.StartThreadTimer(33);
    WinMessage m;
    EXPECT_TRUE(q.Get(m));
    EXPECT_EQ(m.message, Num(WinMsg::Timer));
    ASSERT_FALSE(q.waits().empty());
    for (const auto w : q.waits()) EXPECT_LE(w, 33u);

    q.Schedule(q.Now() + 10, FakeMessageQueue::Char(A, 'z'));
    EXPECT_TRUE(q.Get(m));
    EXPECT_EQ(m.message, Num(WinMsg::Char));
    EXPECT_EQ(q.waits().back(), 10u);

    q.PostQuit(4);
    EXPECT_FALSE(q.Get(m));
    EXPECT_EQ(m.message, Num(WinMsg::Quit));
    EXPECT_EQ(m.wParam, 4u);
}

TEST(MessageQueueTest, WaitTimesOutOrWakesFromTheHook) {
    FakeMessageQueue q;
    EXPECT_FALSE(q.Wait(20));
    std::uint32_t hookCalls = 0;
    q.SetWaitHook([&](std::uint32_t maxMs) {
        EXPECT_LE(maxMs, 100u);
        ++hookCalls;
        q.Post(nullptr, Num(WinMsg::User) + 1, 0, 0);
    });
    EXPECT_TRUE(q.Wait(100));
    EXPECT_EQ(hookCalls, 1u);
    WinMessage m;
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.message, Num(WinMsg::User) + 1);
}

TEST(MessageQueueTest, DispatchCallsTheWindowsOwnProcedure) {
    FakeMessageQueue q;
    std::vector<std::pair<platform::WindowHandle, std::uint32_t>> calls;
    q.RegisterWindow(A, platform::WindowClass{[&](platform::WindowHandle w, std::uint32_t msg, std::uintptr_t,
                                                  std::intptr_t) -> std::intptr_t {
                                                  calls.emplace_back(w, msg);
                                                  // A procedure may change the registrations.
                                                  q.UnregisterWindow(A);
                                                  return 42;
                                              },
                                              false});
    EXPECT_EQ(q.Dispatch(WinMessage{A, Num(WinMsg::Paint)}), 42);
    EXPECT_EQ(q.Dispatch(WinMessage{A, Num(WinMsg::Paint)}), 0);
    EXPECT_EQ(q.Dispatch(WinMessage{B, Num(WinMsg::Paint)}), 0);
    EXPECT_EQ(q.Dispatch(WinMessage{nullptr, Num(WinMsg::Timer)}), 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, A);
}

}  // namespace

TEST(MessageQueueTest, ThePollHookRunsWheneverInputIsCollected) {
    FakeMessageQueue q;
    int polls = 0;
    q.SetPollHook([&] {
        if (++polls == 2) q.Post(nullptr, Num(WinMsg::User) + 5, 0, 0);
    });
    WinMessage m;
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
    EXPECT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.message, Num(WinMsg::User) + 5);
    std::vector<platform::WaitDescriptor> descriptors;
    q.GatherWaitDescriptors(descriptors);
    EXPECT_TRUE(descriptors.empty());
    q.SetWaitDescriptorSource([](std::vector<platform::WaitDescriptor>& out) {
        out.push_back({7, true, false});
    });
    q.GatherWaitDescriptors(descriptors);
    ASSERT_EQ(descriptors.size(), 1u);
    EXPECT_EQ(descriptors[0].fd, 7);
}

TEST(MessageQueueTest, RemovePostedDropsOnlyThatWindowsRange) {
    FakeMessageQueue q;
    int a = 0, b = 0;
    q.Post(&a, 1100, 1, 0);
    q.Post(&b, 1100, 2, 0);
    q.Post(&a, 1101, 3, 0);
    q.Post(&a, 1100, 4, 0);
    q.RemovePosted(&a, 1100, 1100);
    WinMessage m;
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.wParam, 2u);
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
}

namespace {

TEST(MessageQueueTest, WindowTimersCarryTheirWindowAndIdAndEndWithTheWindow) {
    FakeMessageQueue q;
    q.RegisterWindow(A, platform::WindowClass{});
    q.RegisterWindow(B, platform::WindowClass{});
    EXPECT_FALSE(q.SetWindowTimer(nullptr, 1, 100));
    EXPECT_FALSE(q.SetWindowTimer(A, 1, 0));
    ASSERT_TRUE(q.SetWindowTimer(A, 1, 100));
    ASSERT_TRUE(q.SetWindowTimer(B, 1, 300));
    WinMessage m;
    q.Advance(99);
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
    q.Advance(1);
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.window, A);
    EXPECT_EQ(m.message, Num(WinMsg::Timer));
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
    q.Advance(50);
    ASSERT_TRUE(q.SetWindowTimer(A, 1, 100)) << "setting it again restarts it";
    q.Advance(60);
    EXPECT_FALSE(q.Peek(m, 0, 0, true));
    q.KillWindowTimer(A, 1);
    q.UnregisterWindow(B);
    q.Advance(1000);
    EXPECT_FALSE(q.Peek(m, 0, 0, true)) << "killed, and ended with its window";
}

TEST(MessageQueueTest, TheInputRouterSeesInputAsItArrivesAndPostsPassBy) {
    FakeMessageQueue q;
    q.SetInputRouter([](WinMessage& m) {
        if (m.message == Num(WinMsg::LButtonDown)) {
            m.window = B;
            m.lParam = platform::MakeLParam(platform::LowWord(m.lParam) - 10, platform::HighWord(m.lParam) - 20);
        }
    });
    q.PushInput(FakeMessageQueue::Mouse(A, WinMsg::LButtonDown, 15, 25));
    q.PushInput(FakeMessageQueue::Key(A, WinMsg::KeyDown, VirtualKey::Tab));
    q.Post(A, Num(WinMsg::LButtonDown), 0, 0);
    WinMessage m;
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.window, A) << "a posted message is not input";
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.window, B);
    EXPECT_EQ(platform::LowWord(m.lParam), 5);
    EXPECT_EQ(platform::HighWord(m.lParam), 5);
    ASSERT_TRUE(q.Peek(m, 0, 0, true));
    EXPECT_EQ(m.window, A);
}

}  // namespace
