#include "divir/xMemory.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "divir/xTryFrame.h"

namespace {

TEST(xMemoryTest, BlocksAreZeroFilledAndExhaustionIsNull) {
    auto* block = static_cast<unsigned char*>(xMemAlloc(4096));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(block[i], 0);
    xMemFree(block);
    xMemFree(nullptr);
    EXPECT_EQ(xMemAlloc(SIZE_MAX), nullptr);
    EXPECT_EQ(xMemAlloc(static_cast<std::size_t>(PTRDIFF_MAX) + 1), nullptr);
}

TEST(xMemoryTest, ObjectsThatCannotBeMadeBecomeCodeOne) {
    struct Refused {
        Refused() { throw std::bad_alloc(); }
    };
    EXPECT_EQ(xTry([] { delete new Refused; }), kErrMemory);
}

}  // namespace
