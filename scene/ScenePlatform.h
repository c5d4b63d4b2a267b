// The few things the scene needs from the operating system, one file per platform.
#pragma once

#include <cstddef>

struct EmbeddedModel {
    const void* bytes;  // null when the program carries no model
    size_t size;
};

EmbeddedModel sceneEmbeddedModel();

// Puts the model bytes where the loader can open them by name and writes that name
// into path; false when that cannot be done.
bool sceneCreateModelFile(char* path, size_t pathSize, const void* bytes, size_t size);

// Removes the model file; a file that is already gone is fine.
void sceneRemoveModelFile(const char* path);

// True when an OpenGL context is current on this thread.
bool sceneHasCurrentGlContext();
