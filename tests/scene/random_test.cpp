#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "Random.h"

namespace {

// Drawn while the test program starts, before any test can seed the generator.
const uint32_t unseededOutputs[] = {randomNext(), randomNext(), randomNext()};

// Every value a decimal range can take: low + k / 10^places for k in [0, count).
void expectDecimalRange(float low, float high, int places, uint32_t count, float top) {
    EXPECT_EQ(decimalFromDraw(0, low, high, places), low);
    EXPECT_EQ(decimalFromDraw(count - 1, low, high, places), top);
    EXPECT_EQ(decimalFromDraw(count, low, high, places), low) << "modulus is " << count;
    EXPECT_EQ(decimalFromDraw(4294967295u, low, high, places), decimalFromDraw(4294967295u % count, low, high, places));
}

}  // namespace

TEST(RandomSource, MatchesTheReferenceGenerator) {
    EXPECT_EQ(unseededOutputs[0], 3499211612u);
    EXPECT_EQ(unseededOutputs[1], 581869302u);
    EXPECT_EQ(unseededOutputs[2], 3890346734u);

    randomSeed(1);
    EXPECT_EQ(randomNext(), 1791095845u);

    for (uint32_t seed : {0u, 5489u, 20240401u, 4294967295u}) {
        randomSeed(seed);
        std::mt19937 reference(seed);
        for (int i = 0; i < 5000; ++i)
            ASSERT_EQ(randomNext(), reference()) << "seed " << seed << ", output " << i;
    }
}

TEST(RandomDecimal, TakesEveryStepOfTheRange) {
    expectDecimalRange(0.0f, 360.0f, 2, 36001, 360.0f);
    expectDecimalRange(1.0f, 3.0f, 3, 2001, 3.0f);
    expectDecimalRange(0.9f, 1.0f, 3, 101, 1.0f);
    expectDecimalRange(-1.5f, -0.5f, 2, 101, -0.5f);
    // Bounds that single precision cannot hold exactly lose their top value.
    expectDecimalRange(0.3f, 1.0f, 3, 700, 0.999f);
    expectDecimalRange(0.005f, 0.03f, 5, 2500, 0.02999f);
    expectDecimalRange(-0.01f, 0.02f, 5, 3000, 0.01999f);

    EXPECT_EQ(decimalFromDraw(123, 0.0f, 360.0f, 2), 1.23f);
    EXPECT_EQ(decimalFromDraw(7, 0.0f, 100.0f, -1), 70.0f) << "negative places step by tens";
}

TEST(RandomDecimal, DrawsFromTheGenerator) {
    randomSeed(99);
    const uint32_t draw = randomNext();
    randomSeed(99);
    EXPECT_EQ(randomDecimal(0.0f, 360.0f, 2), decimalFromDraw(draw, 0.0f, 360.0f, 2));
}

TEST(RandomDecimal, OutOfRangeArgumentsStayDefined) {
    // Reversed bounds draw from the range they span.
    EXPECT_EQ(decimalFromDraw(0, 5.0f, -5.0f, 3), -5.0f);
    EXPECT_EQ(decimalFromDraw(10000, 5.0f, -5.0f, 3), 5.0f);
    EXPECT_EQ(decimalFromDraw(12345, 2.0f, 2.0f, 3), 2.0f);

    // A span of 2^32 - 1 steps or more uses the whole output instead of a wrapped modulus.
    EXPECT_EQ(decimalFromDraw(4294967295u, 0.0f, 4294967.5f, 3), 4294967.295f);
    EXPECT_EQ(decimalFromDraw(1000, 0.0f, 1e30f, 5), 0.01f);
    EXPECT_EQ(decimalFromDraw(1000, -std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), 3),
              -std::numeric_limits<float>::max());

    // Place counts beyond single precision fall back to low.
    EXPECT_EQ(decimalFromDraw(77, 1.0f, 2.0f, 60), 1.0f);
    EXPECT_EQ(decimalFromDraw(77, 1.0f, 2.0f, -60), 1.0f);
    EXPECT_EQ(decimalFromDraw(77, 1.0f, 2.0f, std::numeric_limits<int>::min()), 1.0f);
}
