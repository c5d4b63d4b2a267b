// The scene's process-wide state: camera constants, view extents, flowers and model.
#pragma once

#include <cstdint>

#include "Flower.h"
#include "MqoRecords.h"

struct FlowerScene {
    float nearPlane;
    float farPlane;
    float fovY;
    float depthScale;
    float flowerRadius;
    float fovX;
    float halfWidthAt100;
    float halfHeightAt100;
    int32_t flowerCount;
    Flower* flowers;
    MqoModel* flowerModel;
    // Changes whenever the flowers move or spread anew: a path that wrote this state for one
    // surface draws it on the next without writing it again.
    uint64_t generation;
};

extern FlowerScene flowerScene;
