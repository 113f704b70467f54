#include "framework/EventRing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Drain(EventRing& ring) {
    std::vector<int> codes;
    xEvent out;
    while (ring.Count() > 0) {
        codes.push_back(ring.PopFront(&out));
        EXPECT_EQ(out.GetCode(), codes.back());
    }
    return codes;
}

// Pushes at the back, growing when full as a handler does; false at the cap.
bool Queue(EventRing& ring, int code) {
    if (ring.IsFull()) {
        ring.Grow();
    }
    return ring.PushBack(xEvent(code));
}

TEST(EventRingTest, GrowthKeepsEveryEventInOrderFromAnyStart) {
    // Start the ring at several positions so growth copies across the wrap.
    for (int offset = 0; offset < EventRing::kInitialCapacity; ++offset) {
        SCOPED_TRACE(offset);
        EventRing ring;
        for (int i = 0; i < offset; ++i) {
            ring.PushBack(xEvent(1));
            ring.PopFront(nullptr);
        }
        std::vector<int> expected;
        for (int code = 100; code < 111; ++code) {
            ASSERT_TRUE(Queue(ring, code));
            expected.push_back(code);
        }
        EXPECT_EQ(ring.Capacity(), 30);
        EXPECT_EQ(ring.Count(), 11);
        ASSERT_TRUE(ring.PushBack(xEvent(111)));  // tail follows the grown queue
        expected.push_back(111);
        EXPECT_EQ(Drain(ring), expected);
    }
}

TEST(EventRingTest, CapacitiesRunToTheCapAndNoFurther) {
    EventRing ring;
    std::vector<int> capacities{ring.Capacity()};
    for (int code = 1; code <= EventRing::kMaxCapacity; ++code) {
        ASSERT_TRUE(Queue(ring, code));
        if (capacities.back() != ring.Capacity()) {
            capacities.push_back(ring.Capacity());
        }
    }
    EXPECT_EQ(capacities, (std::vector<int>{10, 30, 90, 180}));
    EXPECT_FALSE(Queue(ring, 999));
    EXPECT_FALSE(ring.PushFront(xEvent(999)));
    EXPECT_EQ(ring.Count(), 180);
    const std::vector<int> codes = Drain(ring);
    EXPECT_EQ(codes.front(), 1);
    EXPECT_EQ(codes.back(), 180);
}

TEST(EventRingTest, FrontEventsComeFirstAcrossTheWrap) {
    EventRing ring;
    // Head at 0: putting at the front wraps to the last record.
    ring.PushBack(xEvent(5));
    ring.PushFront(xEvent(4));
    ring.PushFront(xEvent(3));
    ring.PushBack(xEvent(6));
    EXPECT_EQ(Drain(ring), (std::vector<int>{3, 4, 5, 6}));

    // Tail wrapped past the end, then a front event before it.
    for (int i = 0; i < 8; ++i) {
        ring.PushBack(xEvent(1));
        ring.PopFront(nullptr);
    }
    ring.PushBack(xEvent(20));
    ring.PushBack(xEvent(21));
    ring.PushBack(xEvent(22));
    ring.PushFront(xEvent(17));
    EXPECT_EQ(Drain(ring), (std::vector<int>{17, 20, 21, 22}));
}

TEST(EventRingTest, FrontIntoEmptyAndClear) {
    EventRing ring;
    ring.PushFront(xEvent(9));
    ring.PushBack(xEvent(10));
    EXPECT_EQ(Drain(ring), (std::vector<int>{9, 10}));
    EXPECT_EQ(ring.PopFront(nullptr), 0);
    ring.PushBack(xEvent(1));
    ring.Clear();
    EXPECT_EQ(ring.Count(), 0);
    ring.PushBack(xEvent(2));
    EXPECT_EQ(Drain(ring), (std::vector<int>{2}));
}

}  // namespace
