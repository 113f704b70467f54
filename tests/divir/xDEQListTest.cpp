#include "divir/xDEQList.h"

#include <gtest/gtest.h>

#include <ostream>

#include <vector>

#include "divir/xError.h"
#include "divir/xTryFrame.h"

namespace {

std::vector<std::int16_t> NewestFirst(xDEQList& list) {
    std::vector<std::int16_t> out;
    for (std::int16_t h = list.GetInUseHead(); h != 0; h = list.GetNext(h)) {
        out.push_back(h);
    }
    return out;
}

std::vector<std::int16_t> OldestFirst(xDEQList& list) {
    std::vector<std::int16_t> out;
    for (std::int16_t h = list.GetInUseTail(); h != 0; h = list.GetPrev(h)) {
        out.push_back(h);
    }
    return out;
}

std::vector<std::int16_t> FreeChain(xDEQList& list) {
    std::vector<std::int16_t> out;
    for (std::int16_t h = list.GetFreeHead(); h != 0; h = list.xlat(h)->next) {
        out.push_back(h);
    }
    return out;
}

// Every item is on exactly one chain, and the in-use chain agrees both ways.
void ExpectConsistent(xDEQList& list) {
    std::vector<std::int16_t> used = NewestFirst(list);
    std::vector<std::int16_t> back = OldestFirst(list);
    std::vector<std::int16_t> reversed(back.rbegin(), back.rend());
    EXPECT_EQ(used, reversed);
    EXPECT_EQ(static_cast<int>(used.size()), list.GetInUseCount());
    std::vector<int> seen(list.GetCapacity() + 1, 0);
    for (auto h : used) ++seen[h];
    for (auto h : FreeChain(list)) ++seen[h];
    for (int h = 1; h <= list.GetCapacity(); ++h) EXPECT_EQ(seen[h], 1) << "handle " << h;
}

TEST(xDEQListTest, ReservationsGrowByTheStepAndKeepHandles) {
    xDEQList list;
    list.IDEQList(4);
    EXPECT_EQ(list.GetCapacity(), 4);
    EXPECT_EQ(list.IsEmpty(), 1);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(list.ReserveRef(100 + i, 0, 1), i);
    }
    EXPECT_EQ(list.IsFull(), 1);
    EXPECT_EQ(list.ReserveRef(105, 0, 1), 5);
    EXPECT_EQ(list.GetCapacity(), 8);
    EXPECT_EQ(list.GetInUseHead(), 5);
    EXPECT_EQ(list.GetInUseTail(), 1);
    EXPECT_EQ(list.GetNext(5), 4);
    for (int h = 1; h <= 5; ++h) EXPECT_EQ(list.GetDataItem(h), static_cast<std::uintptr_t>(100 + h));
    EXPECT_EQ(list.GetFreeHead(), 6);
    ExpectConsistent(list);
}

struct ReleaseCase {
    const char* name;
    std::int16_t released;
    std::vector<std::int16_t> newestFirst;
};

void PrintTo(const ReleaseCase& c, std::ostream* os) {
    *os << c.name;
}

class xDEQListRelease : public ::testing::TestWithParam<ReleaseCase> {};

TEST_P(xDEQListRelease, RelinksTheChains) {
    const ReleaseCase& c = GetParam();
    xDEQList list;
    list.IDEQList(8);
    const std::int16_t count = c.newestFirst.empty() ? 1 : 3;
    for (int i = 0; i < count; ++i) list.ReserveRef(0, 0, 0);
    list.ReleaseRef(c.released, 1);
    EXPECT_EQ(NewestFirst(list), c.newestFirst);
    EXPECT_EQ(list.GetFreeHead(), c.released);
    EXPECT_EQ(list.GetInUseHead(), c.newestFirst.empty() ? 0 : c.newestFirst.front());
    EXPECT_EQ(list.GetInUseTail(), c.newestFirst.empty() ? 0 : c.newestFirst.back());
    ExpectConsistent(list);
}

INSTANTIATE_TEST_SUITE_P(Cases, xDEQListRelease,
                         ::testing::Values(ReleaseCase{"middle", 2, {3, 1}}, ReleaseCase{"tail", 1, {3, 2}},
                                           ReleaseCase{"head", 3, {2, 1}}, ReleaseCase{"only", 1, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(xDEQListTest, ReleasedHandlesComeBackLastInFirstOut) {
    xDEQList list;
    list.IDEQList(4);
    const std::int16_t a = list.ReserveRef(0xAAAA, 3, 1);
    const std::int16_t b = list.ReserveRef(0xBBBB, 4, 1);
    list.ReleaseRef(a, 1);
    EXPECT_EQ(list.ReserveRef(0, 0, 0), a);
    EXPECT_EQ(list.GetDataItem(a), 0u) << "released with clearData";
    list.ReleaseCached(b);
    EXPECT_EQ(list.ReserveCached(0), b);
    EXPECT_EQ(list.GetDataItem(b), 0xBBBBu) << "a cached release keeps the data";
    EXPECT_EQ(list.GetUserFlags(b), 4u);
    ExpectConsistent(list);
}

TEST(xDEQListTest, HandlesOutsideTheTableAreHarmless) {
    xDEQList list;
    list.IDEQList(3);
    list.ReserveRef(7, 0, 1);
    for (std::int16_t h : {std::int16_t{0}, std::int16_t{4}, std::int16_t{-1}, std::int16_t{32767}}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(list.GetDataItem(h), 0u);
        EXPECT_EQ(list.xlat(h), nullptr);
        EXPECT_EQ(list.GetNext(h), 0);
        EXPECT_EQ(list.SetDataItem(h, 9), 0u);
    }
    EXPECT_EQ(list.SetDataItem(1, 9), 7u);
    list.SetUserFlags(1, -2);
    EXPECT_EQ(list.GetUserFlags(1), 0xFFFFFFFEu) << "flags are sign-extended";
}

TEST(xDEQListTest, TableThatCannotGrowRaisesMemory) {
    xDEQList list;
    list.IDEQList(30000);
    std::int16_t last = 0;
    const std::int16_t code = xTry([&] {
        for (int i = 0; i < 30001; ++i) last = list.ReserveRef(0, 0, 0);
    });
    EXPECT_EQ(code, kErrMemory);
    EXPECT_EQ(last, 30000);
    EXPECT_EQ(list.GetCapacity(), 30000) << "the list is unchanged";
    // Without a frame the raise returns and the reservation yields no handle.
    EXPECT_EQ(list.ReserveRef(0, 0, 0), 0);
    EXPECT_EQ(xErrorCode, kErrMemory);
    xErrorCode = 0;
}

#ifndef NDEBUG
TEST(xDEQListDeathTest, ReleasingAFreeHandleOrGrowingByZeroAsserts) {
    EXPECT_DEATH(
        {
            xDEQList list;
            list.IDEQList(2);
            list.ReleaseRef(1, 1);
        },
        "not in use");
    EXPECT_DEATH(
        {
            xDEQList list;
            list.IDEQList(0);
        },
        "at least one");
}
#else
TEST(xDEQListTest, ReleasingAFreeHandleOrGrowingByZeroLeavesTheChainsIntact) {
    xDEQList list;
    list.IDEQList(0);
    EXPECT_EQ(list.GetCapacity(), 1);
    list.ReserveRef(0, 0, 0);
    list.ReleaseRef(1, 1);
    list.ReleaseRef(1, 1);
    ExpectConsistent(list);
    EXPECT_EQ(list.GetInUseCount(), 0);
}
#endif

}  // namespace
