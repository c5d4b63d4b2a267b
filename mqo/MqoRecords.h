// Records shared by the loader's reader, mesh building, drawing and release.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GlProc.h"

constexpr int MQO_OBJECT_SLOTS = 50;
constexpr int MQO_TEXT_SIZE = 256;  // at most 255 characters and the terminator

// Parse-time records: alive only during one document read.

struct MqoVec3 {
    float x, y, z;
};

struct MqoMaterial {
    float diffuse[4];
    float ambient[4];
    float emission[4];
    float specular[4];
    float power;
    int32_t useTexture;
    char textureFile[MQO_TEXT_SIZE];
    char alphaFile[MQO_TEXT_SIZE];
    uint32_t textureId;
};

struct MqoFace {
    int32_t cornerCount;
    int32_t material;
    int32_t vertexIndex[4];
    float uv[8];
};

struct MqoObjectData {
    char name[MQO_TEXT_SIZE];
    int32_t visible;
    int32_t shading;
    float facet;
    int32_t faceCount;
    int32_t vertexCount;
    MqoFace* faces;
    MqoVec3* vertices;
    int32_t unfilledFaces;  // trailing entries of faces that no face line filled: all zero
};

// Drawable records. Vertex arrays go to OpenGL as they are: layouts are fixed.

struct MqoPlainVertex {
    float position[3];
    float normal[3];
};

struct MqoTexturedVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
};

static_assert(sizeof(MqoPlainVertex) == 24, "plain vertex stride");
static_assert(offsetof(MqoPlainVertex, position) == 0, "plain vertex position");
static_assert(offsetof(MqoPlainVertex, normal) == 12, "plain vertex normal");
static_assert(sizeof(MqoTexturedVertex) == 32, "textured vertex stride");
static_assert(offsetof(MqoTexturedVertex, position) == 0, "textured vertex position");
static_assert(offsetof(MqoTexturedVertex, normal) == 12, "textured vertex normal");
static_assert(offsetof(MqoTexturedVertex, texCoord) == 24, "textured vertex uv");

struct MqoMaterialBatch {
    int32_t hasMaterial;
    int32_t useTexture;
    GLuint textureId;
    GLuint bufferId;
    int32_t vertexCount;
    float diffuse[4];
    float ambient[4];
    float emission[4];
    float specular[4];
    float power;
    MqoPlainVertex* plainVertices;
    MqoTexturedVertex* texturedVertices;
};

struct MqoDrawObject {
    char name[MQO_TEXT_SIZE];
    int32_t visible;
    int32_t flatShading;
    int32_t batchCount;
    MqoMaterialBatch* batches;
};

struct MqoModel {
    uint8_t alpha;
    int32_t objectCount;
    MqoDrawObject objects[MQO_OBJECT_SLOTS];
};

struct MqoLoaderState {
    int32_t started;
    int32_t buffersSupported;
    PFNGLGENBUFFERSARBPROC genBuffers;
    PFNGLBINDBUFFERARBPROC bindBuffer;
    PFNGLBUFFERDATAARBPROC bufferData;
    PFNGLDELETEBUFFERSARBPROC deleteBuffers;
};

extern MqoLoaderState mqoLoaderState;
