#include <gtest/gtest.h>

#include <cmath>

#include "Flower.h"
#include "FlowerSceneState.h"
#include "Random.h"
#include "SaverSettings.h"

namespace {

// Seeds the generator so that its first output leaves the given remainder.
void seedForFirstDraw(uint32_t modulus, uint32_t remainder) {
    for (uint32_t seed = 0;; ++seed) {
        randomSeed(seed);
        if (randomNext() % modulus == remainder) {
            randomSeed(seed);
            return;
        }
    }
}

// The extents of a 1920 x 1080 window, without a GL context.
class FlowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        flowerScene = {};
        flowerScene.depthScale = 100.0f;
        flowerScene.flowerRadius = 3.0f;
        flowerScene.halfWidthAt100 = 15.391339f;
        flowerScene.halfHeightAt100 = 8.7045946f;
        saverSettings.hanaRate = 100;
        randomSeed(7);
    }
    void TearDown() override { flowerScene = {}; }

    static double across(const Flower& flower) { return flower.halfWidth + 2.0 * flower.radius; }
    static double band(const Flower& flower) { return flower.halfHeight + 2.0 * flower.radius; }
};

}  // namespace

TEST_F(FlowerTest, DepthIsTheFifteenthPowerCappedAtSixAndAHalf) {
    const struct {
        uint32_t step;  // u = 1 + step / 1000
        float depth;
    } cases[] = {{0, 1.0f}, {132, 6.4224f}, {133, 6.5f}, {2000, 6.5f}};
    for (const auto& c : cases) {
        seedForFirstDraw(2001, c.step);
        Flower flower;
        EXPECT_NEAR(flower.depth, c.depth, 5e-5) << "u = 1." << c.step;
    }
}

TEST_F(FlowerTest, RespawnPlacesTheFlowerJustBelowTheView) {
    Flower flower;
    seedForFirstDraw(2001, 500);
    flower.respawn();
    ASSERT_EQ(flower.depth, 6.5f);
    EXPECT_NEAR(flower.halfHeight, 56.5799, 1e-4);
    EXPECT_NEAR(flower.halfWidth, 100.0437, 1e-4);
    EXPECT_EQ(flower.radius, 3.0f);
    EXPECT_NEAR(flower.y, -59.5799, 1e-4);
}

TEST_F(FlowerTest, RespawnedValuesStayInTheirRanges) {
    Flower flower;
    int bluerThanGreen = 0, greenerThanBlue = 0;
    for (int i = 0; i < 20000; ++i) {
        flower.respawn();
        ASSERT_GE(flower.depth, 1.0f);
        ASSERT_LE(flower.depth, 6.5f);
        ASSERT_LE(std::fabs(flower.x), across(flower) + 1e-4);
        ASSERT_EQ(flower.y, static_cast<float>(-static_cast<double>(flower.halfHeight) - flower.radius));
        ASSERT_GE(flower.angle, 0.0f);
        ASSERT_LE(flower.angle, 360.0f);
        ASSERT_GE(flower.red, 0.9f);
        ASSERT_LE(flower.red, 1.0f);
        ASSERT_GE(flower.green, 0.3f);
        ASSERT_LE(flower.green, 0.999f);
        ASSERT_LE(flower.blue, 0.999f);
        // Blue at least matches green, except that a green above 0.75 allows blue down to green / 1.1.
        const double allowance = flower.green > 0.75f ? 1.1f : 1.0f;
        ASSERT_GE(flower.blue * allowance, flower.green) << flower.green << " " << flower.blue;
        (flower.blue >= flower.green ? bluerThanGreen : greenerThanBlue)++;
        ASSERT_GE(flower.spin, -1.5f);
        ASSERT_LE(flower.spin, -0.5f);
        ASSERT_GE(flower.drift, -0.01f);
        ASSERT_LE(flower.drift, 0.02f);
        ASSERT_GE(flower.rise, 0.005f * flower.depth * 0.9999f);
        ASSERT_LE(flower.rise, 0.03f * flower.depth * 1.0001f);
    }
    EXPECT_GT(bluerThanGreen, 0);
    EXPECT_GT(greenerThanBlue, 0) << "the 1.1 allowance never showed";
}

TEST_F(FlowerTest, NewFlowersSpreadOverTheWholeBand) {
    double lowest = 0.0, highest = 0.0;
    for (int i = 0; i < 2000; ++i) {
        Flower flower;
        ASSERT_LE(std::fabs(flower.y), band(flower) + 1e-4);
        lowest = std::fmin(lowest, flower.y / band(flower));
        highest = std::fmax(highest, flower.y / band(flower));
    }
    EXPECT_LT(lowest, -0.9);
    EXPECT_GT(highest, 0.9);
}

TEST_F(FlowerTest, AngleWrapsIntoTheHalfOpenCircle) {
    Flower flower;
    flower.y = 0.0f;
    flower.spin = -1.0f;
    flower.angle = 0.5f;
    advanceFlower(flower);
    EXPECT_EQ(flower.angle, 359.5f);
    flower.angle = 1.0f;
    advanceFlower(flower);
    EXPECT_EQ(flower.angle, 360.0f) << "zero is raised to 360";
    advanceFlower(flower);
    EXPECT_EQ(flower.angle, 359.0f);
    flower.spin = 1.0f;
    flower.angle = 360.0f;
    advanceFlower(flower);
    EXPECT_EQ(flower.angle, 1.0f);
}

TEST_F(FlowerTest, LeavingSidewaysMirrorsOnceAndComesBack) {
    Flower flower;
    flower.y = 0.0f;
    flower.rise = 0.0f;
    flower.drift = 0.02f;
    const float bound = static_cast<float>(across(flower));
    flower.x = bound - 0.01f;
    advanceFlower(flower);
    ASSERT_LT(flower.x, -bound);
    EXPECT_NEAR(flower.x, -(bound + 0.01f), 1e-4);
    advanceFlower(flower);
    EXPECT_GE(flower.x, -bound) << "flipped twice";
    EXPECT_LT(flower.x, 0.0f);

    flower.drift = -0.02f;
    flower.x = -bound;
    advanceFlower(flower);
    EXPECT_GT(flower.x, bound);
}

TEST_F(FlowerTest, RisingOutOfTheBandRespawnsBelowIt) {
    Flower flower;
    flower.rise = 0.02f;
    flower.y = static_cast<float>(band(flower)) - 0.01f;
    advanceFlower(flower);
    EXPECT_EQ(flower.y, static_cast<float>(-static_cast<double>(flower.halfHeight) - flower.radius));

    const float risenFrom = flower.y;
    const float rise = flower.rise;
    advanceFlower(flower);
    EXPECT_EQ(flower.y, risenFrom + rise) << "a flower inside the band only rises";
}

TEST_F(FlowerTest, SizeSettingScalesTheReserve) {
    saverSettings.hanaRate = 10;
    EXPECT_FLOAT_EQ(Flower().radius, 0.3f);
    saverSettings.hanaRate = 300;
    EXPECT_FLOAT_EQ(Flower().radius, 9.0f);
}

TEST_F(FlowerTest, NegativeSizesKeepFlowersFinite) {
    for (int16_t rate : {-1, -300, -32768}) {
        saverSettings.hanaRate = rate;
        Flower flower;
        for (int frame = 0; frame < 500; ++frame) {
            advanceFlower(flower);
            ASSERT_TRUE(std::isfinite(flower.x) && std::isfinite(flower.y) && std::isfinite(flower.angle));
            ASSERT_LE(std::fabs(flower.x), std::fabs(across(flower)) + 0.02f);
        }
    }
}
