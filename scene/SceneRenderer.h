// Which frame path draws the flowers, as hosts ask for it and learn what was taken.
#pragma once

#include <cstdint>

#include "MqoRecords.h"
#include "RendererKind.h"

// Set before sceneInit, like a fixed seed. why, when given, says why the host asked for it
// (the raster path where OpenGL is software) and comes back from sceneRendererFallback.
// PETALRAIN_RENDERER in the environment, with one of the names below, overrides any
// choice, for diagnosis.
void sceneSetRenderer(SceneRenderer wanted, const char* why = nullptr);

// The path sceneInit will try first, the environment's override included: a host that is
// asked for the raster path needs no OpenGL context.
SceneRenderer sceneWantedRenderer();

// "raster", "sprite", "instanced" or "fixed"; false for anything else.
bool sceneRendererFromName(const char* name, SceneRenderer& renderer);

// For sceneInit: starts the path wanted, or the first after it that can be had.
void sceneStartFramePath(MqoModel* model, int32_t flowerCount);

// After sceneInit: the path it took, Raster, Sprite, Instanced or Fixed.
SceneRenderer sceneActiveRenderer();

// After sceneInit: the path taken for messages: "raster", "sprite", "sprite (OpenGL 1.1)",
// "instanced" or "fixed-function".
const char* sceneActivePathName();

// After sceneInit: why the path taken is not the one asked for (the sprite path, unless
// named otherwise), or why it was asked for, in one line; null when neither needs saying.
const char* sceneRendererFallback();
