// The one place that picks the frame path for the model and the context, and keeps it
// with its reason until the scene is released.
#pragma once

#include <cstdint>

#include "Flower.h"
#include "MqoRecords.h"
#include "RasterFramePath.h"
#include "RendererKind.h"

struct FramePathTaken {
    SceneRenderer renderer;  // Raster, Sprite, Instanced or Fixed
    const char* name;        // for messages: "raster", "sprite", "sprite (OpenGL 1.1)", ...
    const char* reason;      // why it is not the one asked for, or why that was asked; null: neither
};

// Tries the paths in the order asked for and keeps the first that starts. Every path but
// the raster one needs the current context. wantedWhy says why wanted was asked, if not by
// the caller's own choice.
void framePathStart(SceneRenderer wanted, const char* wantedWhy, MqoModel* model, int32_t flowerCount);

FramePathTaken framePathTaken();

// Draws the flowers' current step on the camera that the frame set (OpenGL paths).
void framePathDraw(const FlowerSet& set);

// Composes the flowers' current step into pixels (the raster path).
void framePathCompose(const FlowerSet& set, const RasterView& view, const RasterTarget& target);

// Without a current context the path's objects went with it.
void framePathRelease(bool contextCurrent);
