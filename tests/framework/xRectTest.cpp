#include "framework/xRect.h"

#include <gtest/gtest.h>

namespace {

TEST(xRectTest, EdgesAreInside) {
    const xRect r{10, 20, 30, 40};
    struct Case {
        xPoint p;
        bool inside;
    };
    const Case cases[] = {{{10, 20}, true}, {{30, 40}, true},  {{30, 20}, true},
                          {{31, 40}, false}, {{20, 41}, false}, {{9, 30}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y);
        EXPECT_EQ(r.Contains(c.p), c.inside);
    }
}

TEST(xRectTest, CenterInKeepsSizeAndRoundsDown) {
    struct Case {
        xRect inner, outer, expected;
    };
    const Case cases[] = {
        {{0, 0, 640, 480}, {0, 0, 800, 600}, {80, 60, 720, 540}},
        {{0, 0, 640, 480}, {0, 0, 640, 480}, {0, 0, 640, 480}},
        {{0, 0, 3, 3}, {0, 0, 8, 8}, {2, 2, 5, 5}},
        {{0, 0, 640, 480}, {0, 0, 639, 479}, {-1, -1, 639, 479}},
    };
    for (const Case& c : cases) {
        xRect r = c.inner;
        r.CenterIn(c.outer);
        EXPECT_EQ(r, c.expected);
    }
}

TEST(xRectTest, OffsetMovesAllEdges) {
    EXPECT_EQ((xRect{0, 0, 100, 50}.Offset({10, 5})), (xRect{10, 5, 110, 55}));
}

}  // namespace
