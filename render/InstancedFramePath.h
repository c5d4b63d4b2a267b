// The instanced frame path: every flower's placement, turn, scale and tint go into one
// instance buffer each frame, and one draw call draws them all from an indexed copy of
// the model's triangles.
#pragma once

#include <cstdint>

#include "Flower.h"
#include "MqoRecords.h"

// Needs the current context. False, with a one-line reason, when the context lacks
// OpenGL 3.3 (or 2.1 with instanced drawing and instanced arrays), when its shader does
// not build, or when the model holds something that only the fixed-function path draws
// as it should: textures, several materials, transparency.
bool instancedPathStart(const MqoModel* model, int32_t flowerCount, const char** reason);

// Draws the flowers' current step, nearest first.
void instancedPathDraw(const FlowerSet& set);

// Deletes the path's program and buffers when contextCurrent; without a context they
// went with it.
void instancedPathRelease(bool contextCurrent);
