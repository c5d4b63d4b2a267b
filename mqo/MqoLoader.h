// The model loader's public operations (source module MqoLoader).
#pragma once

#include "MqoRecords.h"

int mqoHasGlExtension(const char* name);
void mqoStartLoader();

MqoModel* mqoAllocModels(int count);
int mqoLoadModelSlot(MqoModel* models, int index, const char* path, double scale, int alpha);
MqoModel* mqoLoadModel(const char* path, double scale);

void mqoDrawModelSlot(const MqoModel* models, int index);
void mqoDrawModel(const MqoModel* models);

void mqoReleaseModelBuffers(MqoModel* models, int first, int count);
void mqoFreeModels(MqoModel* models, int count);

// Texture pool (textures shared by all models for the life of the process).
int mqoSetTexturePool(char* textureFile, char* alphaFile, int alpha);
void mqoReleaseTexturePool();
