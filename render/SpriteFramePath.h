// The sprite frame path: each flower is one quad in the model's plane, cut out by the
// model's outline, which a distance-field texture holds. A flat model drawn in one tint
// without lighting shows exactly its outline, so the picture is the fixed-function
// path's but along the edges, at a small part of the vertex work.
#pragma once

#include <cstdint>

#include "Flower.h"
#include "MqoRecords.h"

enum class SpriteForm {
    Shader,    // one instanced draw, where the context has what the instanced path needs
    OpenGl11,  // client arrays, the alpha test and nothing newer than OpenGL 1.1
};

// Needs the current context. False, with a one-line reason, when the model is not one
// flat untextured opaque shape whose outline can be built, or when the context fails
// a step of the set-up. When it starts in the OpenGL 1.1 form, reason says why the shader
// form could not be had.
bool spritePathStart(const MqoModel* model, int32_t flowerCount, SpriteForm* form, const char** reason);

// Draws the flowers' current step, nearest first, and leaves the state as it found it.
void spritePathDraw(const FlowerSet& set);

// Deletes the path's objects when contextCurrent; without a context they went with it.
void spritePathRelease(bool contextCurrent);
