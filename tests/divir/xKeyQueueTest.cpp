#include "divir/xKeyQueue.h"

#include <gtest/gtest.h>

namespace {

int gPumps = 0;
int gDeliverAfter = 0;

// Delivers key 'k' on the given pump call.
void ScriptedPump() {
    if (++gPumps == gDeliverAfter) xPushKey('k');
}

class xKeyQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        xGetKeyQueue().Clear();
        gPumps = 0;
        gDeliverAfter = 0;
        xSetKeyPump(&ScriptedPump);
    }
    void TearDown() override {
        xSetKeyPump(nullptr);
        xGetKeyQueue().Clear();
    }
};

TEST_F(xKeyQueueTest, HoldsSixteenKeysInOrder) {
    for (std::uint16_t k = 1; k <= 16; ++k) EXPECT_TRUE(xPushKey(k));
    EXPECT_FALSE(xPushKey(17)) << "a seventeenth key is lost";
    EXPECT_EQ(xGetKey(kKeyPeek | kKeyNoPump), 1);
    for (std::uint16_t k = 1; k <= 16; ++k) EXPECT_EQ(xGetKey(kKeyNoPump), k);
    EXPECT_EQ(gPumps, 0);
}

TEST_F(xKeyQueueTest, PumpsAsTheFlagsSay) {
    struct Case {
        const char* name;
        std::int16_t flags;
        int deliverAfter;
        std::uint16_t key;
        int pumps;
        int left;
    };
    const Case cases[] = {
        {"no wait, no pump: at once", kKeyNoWait | kKeyNoPump, 1, 0, 0, 0},
        {"no wait pumps once", kKeyNoWait, 1, 'k', 1, 0},
        {"no wait, nothing came", kKeyNoWait, 5, 0, 1, 0},
        {"waits through the pump", 0, 4, 'k', 4, 0},
        {"no first pump, still waits", kKeyNoPump, 3, 'k', 3, 0},
        {"peek keeps the key", kKeyNoWait | kKeyPeek, 1, 'k', 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        xGetKeyQueue().Clear();
        gPumps = 0;
        gDeliverAfter = c.deliverAfter;
        EXPECT_EQ(xGetKey(c.flags), c.key);
        EXPECT_EQ(gPumps, c.pumps);
        EXPECT_EQ(xGetKeyQueue().Count(), c.left);
    }
}

TEST_F(xKeyQueueTest, WithoutAPumpAReaderDoesNotHang) {
    xSetKeyPump(nullptr);
    EXPECT_EQ(xGetKey(0), 0);
}

}  // namespace
