// Textures made from material images, shared by equal requests for the life of the process.
#pragma once

#include <cstdint>

#include "GlProc.h"

constexpr int MQO_TEXTURE_POOL_SIZE = 100;
constexpr int MQO_PATH_SIZE = 260;

struct MqoTextureEntry {
    GLuint textureId;
    int32_t size;
    char textureFile[MQO_PATH_SIZE];
    char alphaFile[MQO_PATH_SIZE];
    uint8_t alpha;
};

struct MqoTexturePool {
    MqoTextureEntry entries[MQO_TEXTURE_POOL_SIZE];
    int32_t count;
};

extern MqoTexturePool mqoTexturePool;

// Forgets every entry without deleting its texture (the loader's start).
void mqoEmptyTexturePool();
