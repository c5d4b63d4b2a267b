// The few things the scene needs from the operating system, one file per platform.
#pragma once

#include <cstddef>

#include "MqoRecords.h"

struct EmbeddedModel {
    const void* bytes;  // null when the program carries no model
    size_t size;
};

EmbeddedModel sceneEmbeddedModel();

// Starts the loader and loads the model the program carries, at the given scale; null
// when there is none or it cannot be loaded.
MqoModel* sceneLoadEmbeddedModel(double scale);

// Removes what the load left outside the process; harmless when there is nothing.
void sceneReleaseEmbeddedModel();
