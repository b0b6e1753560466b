#include <gtest/gtest.h>

#include <random>

#include "core.h"

namespace {

std::uint32_t Scaled(std::uint32_t x, std::uint32_t n) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(x) * n) >> 32);
}

}  // namespace

TEST(RandomBelow, IsMt19937SeededFromTheTicksAndScaledByMultiplication) {
    SeedRandom();
    std::uint32_t after = MillisecondTicks();
    std::uint32_t drawn[5];
    for (std::uint32_t& value : drawn) value = RandomBelow(2892);

    // The seed was the tick count a moment ago: one of the last few values.
    bool found = false;
    for (std::uint32_t back = 0; back < 50 && !found; ++back) {
        std::mt19937 reference(after - back);
        found = true;
        for (std::uint32_t value : drawn) found = found && value == Scaled(reference(), 2892);
    }
    EXPECT_TRUE(found);
}

TEST(RandomBelow, StaysInRangeWithEvenChances) {
    SeedRandom();
    int quarters[4] = {};
    for (int i = 0; i < 40000; ++i) {
        std::uint32_t value = RandomBelow(2892);
        ASSERT_LT(value, 2892u);
        ++quarters[value * 4 / 2892];
    }
    for (int count : quarters) EXPECT_NEAR(count, 10000, 600);
    EXPECT_EQ(RandomBelow(1), 0u);
}
