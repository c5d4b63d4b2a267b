// The scene's process-wide state: camera constants, view extents, flowers and model.
#pragma once

#include <cstdint>

#include "Flower.h"
#include "MqoRecords.h"

constexpr int sceneModelPathSize = 260;

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
    char modelPath[sceneModelPathSize];
};

extern FlowerScene flowerScene;
