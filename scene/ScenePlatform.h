// The few things the scene needs from the operating system, one file per platform.
#pragma once

#include <cstddef>

struct EmbeddedModel {
    const void* bytes;  // null when the program carries no model
    size_t size;
};

EmbeddedModel sceneEmbeddedModel();

// Fills path with the model file's full name in the temporary folder;
// false when the folder is unknown or the name does not fit.
bool sceneTempModelPath(char* path, size_t pathSize);

// Writes the bytes to a new file at path; false when it cannot be written.
bool sceneWriteModelFile(const char* path, const void* bytes, size_t size);

// Removes the model file; a file that is already gone is fine.
void sceneRemoveModelFile(const char* path);

// True when an OpenGL context is current on this thread.
bool sceneHasCurrentGlContext();
