#include "framework/xRect.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(xRectTest, OperationsWrapInSixteenBits) {
    struct Case {
        const char* name;
        xRect start;
        std::function<void(xRect&)> op;
        xRect expected;
    } cases[] = {
        {"offset", {1, 2, 3, 4}, [](xRect& r) { r.OffsetBy(10, -20); }, {11, -18, 13, -16}},
        {"offset wraps", {32760, 0, 32767, 1}, [](xRect& r) { r.OffsetBy(10, 0); }, {-32766, 0, -32759, 1}},
        {"inset", {0, 0, 10, 10}, [](xRect& r) { r.Inset(2, 3); }, {2, 3, 8, 7}},
        {"outset wraps", {-32768, 0, 32767, 1}, [](xRect& r) { r.Inset(-1, 0); }, {32767, 0, -32768, 1}},
        {"origin", {5, 6, 15, 26}, [](xRect& r) { r.MoveToOrigin(); }, {0, 0, 10, 20}},
        {"center in", {0, 0, 640, 480}, [](xRect& r) { r.CenterIn({0, 0, 1024, 768}); }, {192, 144, 832, 624}},
        {"center in odd", {0, 0, 3, 3}, [](xRect& r) { r.CenterIn({0, 0, 4, 4}); }, {0, 0, 3, 3}},
        {"center in negative floors", {0, 0, 3, 1}, [](xRect& r) { r.CenterIn({-4, 0, 0, 1}); }, {-4, 0, -1, 1}},
        {"center at", {0, 0, 10, 4}, [](xRect& r) { r.CenterAt({100, 50}); }, {95, 48, 105, 52}},
        {"center at truncates", {-3, 0, 0, 2}, [](xRect& r) { r.CenterAt({0, 1}); }, {-2, 0, 1, 2}},
        {"set", {}, [](xRect& r) { r.Set(70000, 1, 2, 3); }, {4464, 1, 2, 3}},
        {"union", {0, 0, 2, 2}, [](xRect& r) { r.UnionWith({5, -1, 6, 1}); }, {0, -1, 6, 2}},
        {"union with empty", {0, 0, 2, 2}, [](xRect& r) { r.UnionWith({9, 9, 9, 20}); }, {0, 0, 2, 2}},
        {"empty union", {3, 3, 3, 3}, [](xRect& r) { r.UnionWith({1, 1, 2, 2}); }, {1, 1, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xRect r = c.start;
        c.op(r);
        EXPECT_EQ(r, c.expected);
    }
}

TEST(xRectTest, IntersectAnswersWhetherAnythingRemains) {
    struct Case {
        xRect a, b;
        bool meets;
        xRect out;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, true, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false, {10, 0, 10, 10}},  // touching edges only
        {{0, 0, 10, 10}, {2, 2, 3, 3}, true, {2, 2, 3, 3}},
        {{4, 4, 4, 9}, {0, 0, 10, 10}, false, {4, 4, 4, 9}},  // an empty one is the answer
        {{0, 0, 10, 10}, {7, 7, 1, 1}, false, {7, 7, 1, 1}},
        {{0, 0, 10, 10}, {20, 20, 30, 30}, false, {20, 20, 10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.b.left << "," << c.b.top);
        xRect out;
        EXPECT_EQ(xRect::Intersect(c.a, c.b, out), c.meets);
        EXPECT_EQ(out, c.out);
        xRect inPlace = c.a;
        EXPECT_EQ(inPlace.IntersectWith(c.b), c.meets);
        EXPECT_EQ(inPlace, c.out);
    }
}

TEST(xRectTest, QueriesAndCopies) {
    const xRect r(-5, -5, 5, 5);
    EXPECT_TRUE(r.Contains({-5, -5}));
    EXPECT_FALSE(r.Contains({5, 0}));
    EXPECT_FALSE(r.Contains({0, 5}));
    EXPECT_EQ(r.Width(), 10);
    EXPECT_EQ(r.GetSize(), xRect(0, 0, 10, 10));
    EXPECT_EQ(xRect(-32768, 0, 32767, 1).Width(), -1);  // the width wraps too
    EXPECT_TRUE(xRect(-32768, 0, 32767, 1).IsEmpty() == false);
    EXPECT_TRUE(xRect(3, 0, 3, 5).IsEmpty());
    EXPECT_EQ(r.Offset({1, 2}), xRect(-4, -3, 6, 7));
    xRect copy;
    copy.Assign(r);
    EXPECT_EQ(copy, r);
    EXPECT_NE(copy, xRect(-5, -5, 5, 6));
}

}  // namespace
