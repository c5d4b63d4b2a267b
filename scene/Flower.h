// One flower particle: where it stands, its tint and how it moves each frame.
#pragma once

#include <cstdint>

class Flower {
public:
    Flower();
    void respawn();

    float x;
    float depth;
    float angle;
    float y;
    float red;
    float green;
    float blue;
    float spin;
    float rise;
    float drift;
    float radius;
    float halfWidth;
    float halfHeight;
};

// One frame's motion of a flower: spin, drift with mirror wrap, rise with respawn.
void advanceFlower(Flower& flower);

// The flower size setting as a scale factor.
float flowerSizeFactor();

// The flowers that a frame path draws, as the scene's last step left them.
struct FlowerSet {
    const Flower* flowers;
    int32_t count;
    uint64_t generation;  // changes whenever they move or spread anew
    float depthScale;     // from a flower's depth to its distance from the eye
    float sizeFactor;     // the flower size setting as a scale
};
