// The model loader's public operations (source module MqoLoader).
// Everything runs on the thread whose OpenGL context is current.
#pragma once

#include <cstddef>

#include "MqoByteCursor.h"
#include "MqoRecords.h"

// 1 when the current context lists the extension; 0 without a context, and for
// an empty name or one containing a space.
int mqoHasGlExtension(const char* name);
// Empties the texture pool and probes the context for vertex buffer objects.
void mqoStartLoader();

// count zero-filled records (starting the loader first if needed); null when
// count < 1 or memory runs out.
MqoModel* mqoAllocModels(int count);
// Appends the file's objects to record index: 0, or -1 when the file cannot be opened.
int mqoLoadModelSlot(MqoModel* models, int index, const char* path, double scale, int alpha);
// A one-record array loaded with alpha 255, or null.
MqoModel* mqoLoadModel(const char* path, double scale);
// The same from a document's size bytes in memory. Texture names without ':' are
// looked for in folder, which ends in a path separator (null or empty: the working
// folder). Null, before anything is allocated, for null or empty bytes and for more
// than MQO_MAX_INPUT_BYTES.
MqoModel* mqoLoadModelFromMemory(const void* bytes, size_t size, double scale, const char* folder);

// A null array draws nothing and makes no OpenGL call.
void mqoDrawModelSlot(const MqoModel* models, int index);
void mqoDrawModel(const MqoModel* models);

// Frees batches, arrays and buffers; object counts and names stay. Harmless twice.
void mqoReleaseModelBuffers(MqoModel* models, int first, int count);
void mqoFreeModels(MqoModel* models, int count);

// Texture pool (textures shared by all models for the life of the process).
int mqoSetTexturePool(char* textureFile, char* alphaFile, int alpha);
void mqoReleaseTexturePool();
