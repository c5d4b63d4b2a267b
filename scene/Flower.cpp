#include "Flower.h"

#include "FlowerSceneState.h"
#include "Random.h"
#include "SaverSettings.h"

namespace {

constexpr float maximumDepth = 6.5f;

// u^15 by repeated squaring, every step rounded to single precision as the motion expects.
float fifteenthPower(float u) {
    const float u2 = u * u;
    const float u4 = u2 * u2;
    const float u8 = u4 * u4;
    return ((u * u2) * u4) * u8;
}

float wrapAngle(float angle) {
    while (angle > 360.0f)
        angle -= 360.0f;
    while (angle <= 0.0f)
        angle += 360.0f;
    return angle;
}

}  // namespace

Flower::Flower() {
    respawn();
    const double band = static_cast<double>(halfHeight) + 2.0 * radius;
    y = randomDecimal(static_cast<float>(-band), static_cast<float>(band), 2);
}

void Flower::respawn() {
    const float u = randomDecimal(1.0f, 3.0f, 3);
    depth = fifteenthPower(u);
    radius = static_cast<float>(saverSettings.hanaRate / 100.0 * flowerScene.flowerRadius);
    if (depth > maximumDepth)
        depth = maximumDepth;
    halfWidth = depth * flowerScene.halfWidthAt100;
    halfHeight = depth * flowerScene.halfHeightAt100;
    const double across = static_cast<double>(halfWidth) + 2.0 * radius;
    x = randomDecimal(static_cast<float>(-across), static_cast<float>(across), 3);
    y = static_cast<float>(-static_cast<double>(halfHeight) - radius);
    angle = randomDecimal(0.0f, 360.0f, 2);
    red = randomDecimal(0.9f, 1.0f, 3);
    green = randomDecimal(0.3f, 1.0f, 3);
    blue = 0.0f;
    const float greenAllowance = green > 0.75f ? 1.1f : 1.0f;
    while (static_cast<double>(blue) * greenAllowance < green)
        blue = randomDecimal(0.3f, 1.0f, 3);
    spin = randomDecimal(-1.5f, -0.5f, 2);
    rise = static_cast<float>(static_cast<double>(randomDecimal(0.005f, 0.03f, 5)) * depth);
    drift = randomDecimal(-0.01f, 0.02f, 5);
}

void advanceFlower(Flower& flower) {
    flower.angle = wrapAngle(flower.angle + flower.spin);

    flower.x += flower.drift;
    const double across = static_cast<double>(flower.halfWidth) + 2.0 * flower.radius;
    if (flower.x > across || flower.x < -across)
        flower.x = -flower.x;

    flower.y += flower.rise;
    const double band = static_cast<double>(flower.halfHeight) + 2.0 * flower.radius;
    if (flower.y > band || flower.y < -band)
        flower.respawn();
}

float flowerSizeFactor() {
    return static_cast<float>(saverSettings.hanaRate / 100.0);
}
