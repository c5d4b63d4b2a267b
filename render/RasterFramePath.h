// The raster frame path: the sprite path's picture composed on the CPU into the host's
// 32-bit pixels, without OpenGL. Each flower faces the viewer and turns only about the
// view axis, so on screen it is a turned, scaled, tinted stamp of the outline's field.
#pragma once

#include <cstdint>

#include "Flower.h"
#include "MqoRecords.h"
#include "RasterCompose.h"

// The camera of the whole area, of which a target is a part.
struct RasterView {
    double fovY;  // degrees
    double nearPlane;
    double farPlane;
    int32_t areaWidth;
    int32_t areaHeight;
};

// Needs no context. False, with a one-line reason, when the model is not one flat
// untextured opaque shape facing the viewer whose outline can be built.
bool rasterPathStart(const MqoModel* model, int32_t flowerCount, const char** reason);

// Composes the flowers' current step, nearest first, into the target's pixels.
void rasterPathCompose(const FlowerSet& set, const RasterView& view, const RasterTarget& target);

void rasterPathRelease();
