// The one place that picks the frame path for the model and the context, and keeps it
// with its reason until the scene is released.
#pragma once

#include <cstdint>

#include "MqoRecords.h"

// Needs the current context: tries the paths in the order asked for and keeps the first
// that starts.
void framePathStart(const MqoModel* model, int32_t flowerCount);

// Draws the flowers' current step on the camera that the frame set.
void framePathDraw();

// Without a current context the path's objects went with it.
void framePathRelease(bool contextCurrent);
